// The glide: a frame at a time the camera flies toward an object or a point,
// moved the way the camera mode moves it under the keys, each motion held to
// what a held key would do in that frame, until it is close enough to be
// placed where a jump would put it.
//   linear: slides along its right and up vectors and zooms along its
//     forward vector, keeping its orientation, to stand off the goal ahead;
//   free: flies straight to stand off the goal along z, turning toward it;
//   locked: orbits the vertical axis through the look-at point, rising or
//     sinking and closing in, upright, looking at the point;
//   any other mode orbits the look-at point and closes in, looking at it.
// Every motion is taken toward a fixed aim and never past it, so a glide to a
// still goal ends.
#include <algorithm>
#include <cmath>

#include "Game/views/space/CVB3DView.h"
#include "Game/views/world/CVDispObj.h"
#include "Game/views/world/CVSgWorld.h"

namespace {

constexpr double kReferenceFrameRate = 13.333333333333334;
// The turn keys' rate, radians a frame; the linear mode slides 16 times it.
constexpr double kGlideTurn = 0.1;
constexpr double kLinearSlide = 16.0;
constexpr double kPi = 3.14159265358979323846;

double FrameScale() { return g_frameRate >= 0.5 ? kReferenceFrameRate / g_frameRate : 1.0; }

double Dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

double DistanceSq(const double a[3], const double b[3]) {
  const double d[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
  return Dot(d, d);
}

bool Normalise(double v[3]) {
  const double length = std::sqrt(Dot(v, v));
  if (!(length > 1e-9)) return false;
  for (int i = 0; i < 3; ++i) v[i] /= length;
  return true;
}

void Cross(const double a[3], const double b[3], double out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

// `from` moved toward `to` by at most `limit`.
double Approach(double from, double to, double limit) { return from + std::clamp(to - from, -limit, limit); }

// The unit vector v turned toward the unit vector goal by at most `limit`
// radians (reaching it when it is nearer).
void TurnToward(const double v[3], const double goal[3], double limit, double out[3]) {
  const double angle = std::acos(std::clamp(Dot(v, goal), -1.0, 1.0));
  if (angle <= limit) {
    for (int i = 0; i < 3; ++i) out[i] = goal[i];
    return;
  }
  double axis[3];
  Cross(v, goal, axis);
  if (!Normalise(axis)) {
    // Opposite vectors: any axis across v will do.
    const double other[3] = {std::fabs(v[1]) < 0.9 ? 0.0 : 1.0, std::fabs(v[1]) < 0.9 ? 1.0 : 0.0, 0.0};
    Cross(v, other, axis);
    Normalise(axis);
  }
  const double c = std::cos(limit), s = std::sin(limit);
  double across[3];
  Cross(axis, v, across);
  const double along = Dot(axis, v);
  for (int i = 0; i < 3; ++i) out[i] = v[i] * c + across[i] * s + axis[i] * along * (1 - c);
  Normalise(out);
}

void ToFloat(const double v[3], float out[3]) {
  for (int i = 0; i < 3; ++i) out[i] = static_cast<float>(v[i]);
}

}  // namespace

void CVB3DView::GlideStep() {
  CVSgWorld* w = g_sgWorld;
  if (!w) return;
  double goal[3];
  if (glideObject)
    glideObject->GetPosition(goal);
  else
    for (int i = 0; i < 3; ++i) goal[i] = glidePoint[i];
  const bool solar = IsSolar();
  const double standOff = solar ? 40.0 : 20.0;
  const double scale = FrameScale();
  const double turnLimit = kGlideTurn * scale;
  // A zoom step; the solar view's zoom moves four times its step, as the
  // zoom keys' does.
  const double zoomLimit = (solar ? 4.0 * 1.5 : 4.0) * scale;
  double p[3], f[3], u[3];
  float ff[3], uf[3];
  w->GetCameraPosition(p);
  w->GetCameraForward(ff);
  w->GetCameraUp(uf);
  for (int i = 0; i < 3; ++i) {
    f[i] = ff[i];
    u[i] = uf[i];
  }
  const int mode = GetCameraMode();
  double aim[3];
  if (mode == 1) {
    for (int i = 0; i < 3; ++i) aim[i] = goal[i] - f[i] * standOff;
  } else if (mode == 3) {
    aim[0] = goal[0];
    aim[1] = goal[1];
    aim[2] = goal[2] - standOff;
  } else {
    OrbitPlacement(goal, aim);
  }
  const double nearSq = solar ? 256.0 * 0.2 * 0.2 : 256.0 * 0.05 * 0.05;
  if (DistanceSq(aim, p) < nearSq) {
    glideActive = 0;
    if (glideObject) PlaceAtObject(glideObject);
    return;
  }

  double next[3];
  if (mode == 1) {
    double right[3];
    Cross(u, f, right);
    Normalise(right);
    const double delta[3] = {aim[0] - p[0], aim[1] - p[1], aim[2] - p[2]};
    const double slide = kLinearSlide * turnLimit;
    const double sideways = std::clamp(Dot(delta, right), -slide, slide);
    const double upward = std::clamp(Dot(delta, u), -slide, slide);
    const double ahead = std::clamp(Dot(delta, f), -zoomLimit, zoomLimit);
    for (int i = 0; i < 3; ++i) next[i] = p[i] + right[i] * sideways + u[i] * upward + f[i] * ahead;
    w->SetCameraPosition(next[0], next[1], next[2]);
    // The stars turn as little as under a sliding turn key.
    w->ScrollStarFieldX(static_cast<float>(sideways / (kLinearSlide * kLinearSlide)));
    w->ScrollStarFieldY(static_cast<float>(upward / (kLinearSlide * kLinearSlide)));
  } else if (mode == 3) {
    const double delta[3] = {aim[0] - p[0], aim[1] - p[1], aim[2] - p[2]};
    const double length = std::sqrt(Dot(delta, delta));
    const double step = std::min(length, zoomLimit);
    for (int i = 0; i < 3; ++i) next[i] = p[i] + delta[i] / length * step;
    w->SetCameraPosition(next[0], next[1], next[2]);
    double toGoal[3] = {goal[0] - next[0], goal[1] - next[1], goal[2] - next[2]};
    if (Normalise(toGoal)) {
      double forward[3], up[3];
      TurnToward(f, toGoal, turnLimit, forward);
      const double along = Dot(u, forward);
      for (int i = 0; i < 3; ++i) up[i] = u[i] - forward[i] * along;
      if (!Normalise(up)) {
        up[0] = up[2] = 0.0;
        up[1] = 1.0;
      }
      float fo[3], uo[3];
      ToFloat(forward, fo);
      ToFloat(up, uo);
      w->SetCameraOrientationNow(fo, uo);
    }
    w->OrientStarField(0, nullptr, nullptr, 1);
  } else if (mode == 4) {
    const double cx = p[0] - target[0], cz = p[2] - target[2];
    const double ax = aim[0] - target[0], az = aim[2] - target[2];
    const double radius = std::sqrt(cx * cx + cz * cz), aimRadius = std::sqrt(ax * ax + az * az);
    const double aimAngle = std::atan2(az, ax);
    const double angle = radius > 1e-9 ? std::atan2(cz, cx) : aimAngle;
    double turn = aimAngle - angle;
    if (turn > kPi) turn -= 2 * kPi;
    if (turn < -kPi) turn += 2 * kPi;
    // A locked turn orbits by twice the key's rate; up and down zoom.
    const double turned = angle + std::clamp(turn, -2 * turnLimit, 2 * turnLimit);
    const double r = Approach(radius, aimRadius, zoomLimit);
    next[0] = target[0] + r * std::cos(turned);
    next[1] = Approach(p[1], aim[1], zoomLimit);
    next[2] = target[2] + r * std::sin(turned);
    w->SetCameraPosition(next[0], next[1], next[2]);
    double look[3] = {target[0] - next[0], target[1] - next[1], target[2] - next[2]};
    if (Normalise(look) && std::fabs(look[1]) < 0.999) {
      // Upright: the right vector stays level.
      float fo[3];
      ToFloat(look, fo);
      const float upright[3] = {0.f, 1.f, 0.f};
      w->SetCameraOrientationNow(fo, upright);
    } else {
      w->LookAt(target);
    }
    w->OrientStarField(0, nullptr, nullptr, 1);
  } else {
    double offset[3] = {p[0] - target[0], p[1] - target[1], p[2] - target[2]};
    double aimOffset[3] = {aim[0] - target[0], aim[1] - target[1], aim[2] - target[2]};
    const double radius = std::sqrt(Dot(offset, offset)), aimRadius = std::sqrt(Dot(aimOffset, aimOffset));
    double direction[3];
    if (Normalise(offset) && Normalise(aimOffset))
      TurnToward(offset, aimOffset, turnLimit, direction);
    else
      for (int i = 0; i < 3; ++i) direction[i] = radius > 1e-9 ? offset[i] : -f[i];
    const double r = Approach(radius, aimRadius, zoomLimit);
    for (int i = 0; i < 3; ++i) next[i] = target[i] + direction[i] * r;
    w->SetCameraPosition(next[0], next[1], next[2]);
    w->LookAt(target);
    w->OrientStarField(0, nullptr, nullptr, 1);
  }
  fogUpdatePending = 1;
  RefreshObjects(0);
}
