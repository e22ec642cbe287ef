// Orbit steps, the coefficients derived from an asteroid's position, and its
// solar year.
//
// The client advances every orbit itself after a turn and must land on the
// server's positions to the bit, and the server links this same code. So:
// - the constants below are single-precision values used widened to double
//   (0.001f is 0.0010000000474974513, 6.2832f is 6.283199787139893); they
//   must not become the decimal doubles;
// - angles and the step arithmetic are double, speeds and z factors are the
//   stored floats widened; the order of the operations is part of the result;
// - every conversion to a coordinate truncates toward zero.
#include <cmath>

#include "Game/model/GAsteroid.h"
#include "Game/model/GSolarSys.h"
#include "Game/model/GWorldMath.h"
#include "Game/model/GameWorld.h"
#include "Game/rules/GGameVar.h"

namespace {

constexpr double kAngleStep = static_cast<double>(0.001f);
constexpr double kAngleWrap = static_cast<double>(6.2832f);
constexpr double kPeriodFactor = static_cast<double>(2.77f);
constexpr double kStillPeriod = static_cast<double>(6283.1997f);
constexpr double kXStretch = 900.0;
constexpr double kMinStep = 0.1;
constexpr double kThermalConstant = 13700.0;
constexpr double kRadiationScale = 0.1;

// A coefficient byte: a quotient beyond 255 (an asteroid very near its star,
// or on it) is the hottest value, not a wrapped one.
std::uint8_t CoefficientByte(double v) {
  const int t = TruncToInt(v);
  return static_cast<std::uint8_t>(t < 0 ? 0 : t > 255 ? 255 : t);
}

// Coordinates wrap to 16 bits as the stored Location does.
std::int16_t Coord(int v) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<unsigned>(v))); }

int OrbitDirection() {
  const CGSolarDB* db = World().solar;
  return db != nullptr ? db->GetOrbitDirection() : 1;
}

// y of an oscillating orbit at p with speed s; 0 where the ellipse has no height.
int EllipseY(double p, float s, std::uint16_t r1, std::uint16_t r2) {
  if (r1 == 0) return 0;
  const double r1d = r1;
  const double inside = 1.0 - p * p / (r1d * r1d);
  const int h = inside > 0.0 ? TruncToInt(r2 * std::sqrt(inside)) : 0;
  const int y = OrbitDirection() * h;
  return s <= 0.0f ? -y : y;
}

}  // namespace

void CGAsteroid::StepOrbit(int forward, float* stepSpeed, double* stepAngle, Location* out) const {
  if (orbitKind == ORBIT_ELLIPTIC) {
    double a = *stepAngle;
    if (forward != 0)
      a += static_cast<double>(*stepSpeed) * kAngleStep;
    else
      a -= static_cast<double>(*stepSpeed) * kAngleStep;
    if (a > kAngleWrap)
      a -= kAngleWrap;
    else if (a < 0.0)
      a += kAngleWrap;
    *stepAngle = a;
    const double c = std::cos(a);
    const int xOff = TruncToInt(radius1 * c);
    int x = center1.x + xOff;
    if ((center1.x > 0 && xOff < 0) || (center1.x < 0 && xOff > 0)) x += TruncToInt(kXStretch * c);
    out->x = Coord(x);
    out->y = Coord(TruncToInt(radius2 * std::sin(a)));
    out->z = Coord(TruncToInt(static_cast<double>(zFactor) * c));
    return;
  }
  if (orbitKind != ORBIT_OSCILLATING) return;
  // An oscillation of no width cannot move (its step divides by the radius).
  if (radius1 == 0) return;
  const double p = *stepAngle;
  const double s = *stepSpeed;
  const double r1 = radius1;
  double next =
      forward != 0 ? p + 4.0 * s * std::fabs(p) / r1 + s / 2.0 : p - (4.0 * s * std::fabs(p - s / 2.0) / r1 + s / 2.0);
  if (std::fabs(next - p) < kMinStep) next += s > 0.0 ? kMinStep : -kMinStep;
  if (TruncToInt(next) >= radius1) {
    next = r1;
    *stepSpeed = -*stepSpeed;
  } else if (TruncToInt(next) <= -static_cast<int>(radius1)) {
    next = -r1;
    *stepSpeed = -*stepSpeed;
  }
  *stepAngle = next;
  out->x = Coord(TruncToInt(next));
  out->y = Coord(EllipseY(next, *stepSpeed, radius1, radius2));
  out->z = Coord(TruncToInt(next * static_cast<double>(zFactor)));
}

void CGAsteroid::AdvanceOrbit(int animate, int forward) {
  if (animate == 0) {
    GetLastScanTurn();
    RestorePreviousOrbit();
  } else if (animationStep != 0) {
    if (forward != 0)
      --animationStep;
    else
      animationStep = animationStep < 25 ? static_cast<std::uint8_t>(animationStep + 1) : 0;
  }
  StepOrbit(forward, &speed, &angle, &position);
  ++g_asteroidPlaceChanges;
  if (animate != 0) return;
  ComputeThermalCoefficient();
  ComputeRadiationCoefficient();
  previousAngle = angle;
  previousSpeed = speed;
  previousPosition = position;
}

void CGAsteroid::PredictOrbitStep(Location* out, float* stepSpeed, double* stepAngle) const {
  *out = position;
  StepOrbit(1, stepSpeed, stepAngle, out);
}

int CGAsteroid::GetEllipseY() const { return EllipseY(angle, speed, radius1, radius2); }

void CGAsteroid::RestorePreviousOrbit() {
  angle = previousAngle;
  speed = previousSpeed;
  position = previousPosition;
  animationStep = 0;
  ++g_asteroidPlaceChanges;
}

void CGAsteroid::ComputeThermalCoefficient() {
  // The centres are measured as solar-space locations.
  Location c1 = center1;
  Location c2 = center2;
  c1.asteroid = c2.asteroid = g_numAsteroids;
  double distance = 0.0;
  if (orbitKind == ORBIT_ELLIPTIC) {
    distance = GetLocationDistance(&c1, &position);
  } else if (orbitKind == ORBIT_OSCILLATING) {
    const std::uint32_t d1 = GetLocationDistanceSq(&c1, &position);
    const std::uint32_t d2 = GetLocationDistanceSq(&c2, &position);
    distance = std::sqrt(static_cast<double>(d1 < d2 ? d1 : d2));
  } else {
    return;
  }
  // On the centre itself the quotient has no value: the hottest there is.
  const std::uint8_t t = distance > 0.0 ? CoefficientByte(kThermalConstant / distance) : 255;
  thermal = t == 0 ? 1 : t;
}

void CGAsteroid::ComputeRadiationCoefficient() {
  Location c1 = center1;
  Location c2 = center2;
  c1.asteroid = c2.asteroid = g_numAsteroids;
  const CGSolarDB* db = World().solar;
  const CGStar* s0 = db != nullptr ? db->GetStar(0) : nullptr;
  const CGStar* s1 = db != nullptr ? db->GetStar(1) : nullptr;
  const double r0 = s0 != nullptr ? s0->GetRadiation() : 0;
  const double r1 = s1 != nullptr ? s1->GetRadiation() : 0;
  const double d2 = GetLocationDistance(&position, &c2);
  const double d1 = GetLocationDistance(&position, &c1);
  if (d1 <= 0.0 || d2 <= 0.0) {
    radiation = 255;
    return;
  }
  radiation = CoefficientByte((r1 / d2 + r0 / d1) * g_gameVariables.powerBases[3] * kRadiationScale);
}

double CGAsteroid::GetOrbitPeriod() const {
  const double s = std::fabs(static_cast<double>(speed));
  if (orbitKind == ORBIT_OSCILLATING) return s == 0.0 ? radius1 * kPeriodFactor : radius1 * kPeriodFactor / s;
  return s == 0.0 ? kStillPeriod : kAngleWrap / (s * kAngleStep);
}
