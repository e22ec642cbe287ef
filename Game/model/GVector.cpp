#include "Game/model/GVector.h"

#include <cmath>

namespace {

// R * v with R = cos t I + (1 - cos t) u u^T + sin t [u]x, in the precision of T.
template <class T>
void Rotate(T& x, T& y, T& z, T ux, T uy, T uz, float angle) {
  const T c = static_cast<T>(std::cos(static_cast<double>(angle)));
  const T s = static_cast<T>(std::sin(static_cast<double>(angle)));
  const T k = 1 - c;
  const T dot = ux * x + uy * y + uz * z;
  const T nx = c * x + k * dot * ux + s * (uy * z - uz * y);
  const T ny = c * y + k * dot * uy + s * (uz * x - ux * z);
  const T nz = c * z + k * dot * uz + s * (ux * y - uy * x);
  x = nx;
  y = ny;
  z = nz;
}

}  // namespace

void CVector3f::RotateAboutAxis(float ax, float ay, float az, float angle) {
  Rotate(x, y, z, ax, ay, az, angle);
  Normalize();
}

void CVector3f::Normalize() {
  const float sq = x * x + y * y + z * z;
  if (sq == 0.0f || std::isnan(sq) || (sq >= 0.9999f && sq <= 1.0001f)) return;
  const float len = std::sqrt(sq);
  x /= len;
  y /= len;
  z /= len;
}

void CVector3d::RotateAboutAxis(float ax, float ay, float az, float angle) {
  Rotate<double>(x, y, z, ax, ay, az, angle);
}

void CVector3d::Normalize() {
  const double len = std::sqrt(x * x + y * y + z * z);
  if (len == 0.0) return;  // no direction to keep; better than three NaNs
  x /= len;
  y /= len;
  z /= len;
}

void CVector3d::Scale(float factor) {
  x *= factor;
  y *= factor;
  z *= factor;
}

void RotateVector3fAboutAxis(CVector3f* out, const CVector3f* in, const CVector3f* axis, float angle) {
  CVector3f v = *in;
  Rotate(v.x, v.y, v.z, axis->x, axis->y, axis->z, angle);
  *out = v;
}

void RotateVector3dAboutAxis(CVector3d* out, const CVector3d* in, const CVector3d* axis, float angle) {
  CVector3d v = *in;
  Rotate(v.x, v.y, v.z, axis->x, axis->y, axis->z, angle);
  *out = v;
}

double GetVector3dDistance(const CVector3d* a, const CVector3d* b) {
  const double dx = a->x - b->x;
  const double dy = a->y - b->y;
  const double dz = a->z - b->z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}
