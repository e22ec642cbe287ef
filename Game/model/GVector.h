#pragma once
// Floating-point 3-vectors for the orbits and the views: rotation about an
// axis and normalising. No state.

struct CVector3f {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  // Rotates counter-clockwise about the unit axis (ax, ay, az) by `angle`
  // radians, then normalises.
  void RotateAboutAxis(float ax, float ay, float az, float angle);
  // Scales to length 1. Left unchanged when the squared length is 0 or not a
  // number, or already lies within 0.9999 .. 1.0001.
  void Normalize();
};

struct CVector3d {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;

  // Rotates counter-clockwise about the unit axis (ax, ay, az) by `angle`
  // radians; does not normalise.
  void RotateAboutAxis(float ax, float ay, float az, float angle);
  // Scales to length 1; a zero vector stays zero.
  void Normalize();
  void Scale(float factor);
};

// out = R * in, R the rotation by `angle` radians counter-clockwise about the
// unit vector `axis`. `out` may be `in`.
void RotateVector3fAboutAxis(CVector3f* out, const CVector3f* in, const CVector3f* axis, float angle);
void RotateVector3dAboutAxis(CVector3d* out, const CVector3d* in, const CVector3d* axis, float angle);

double GetVector3dDistance(const CVector3d* a, const CVector3d* b);
