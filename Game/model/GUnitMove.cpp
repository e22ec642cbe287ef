// Predicted movement: turn-by-turn simulation in an asteroid's local space
// (steering around units and the body) and across solar space toward a
// moving asteroid, arrival times, and the range tests of the orders. The
// simulation moves the unit's Location for a while and always puts it back.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "Game/base/TraceError.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGamePieceDB.h"
#include "Game/model/GUnit.h"
#include "Game/model/GameWorld.h"
#include "Game/rules/GUnitTem.h"
#include "platform/core/random.h"

namespace {

constexpr std::uint32_t kDetourBodyRejectSq = 155904;
constexpr std::uint32_t kDetourUnitRejectSq = 85904;
constexpr int kMaxLocalSteps = 255;
constexpr int kMaxSolarTurns = 254;
constexpr std::int32_t kIdleStep = 32;
constexpr std::uint32_t kNearAsteroidAxis = 400;
constexpr int kDetourPatterns = 19;

std::int16_t Clamp16(double v) { return static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0)); }

// from + trunc(component x step (+ 0.5 when rounding)) on each axis.
Location Advance(const Location& from, double dx, double dy, double dz, double step, bool rounding) {
  const double extra = rounding ? 0.5 : 0.0;
  Location to = from;
  to.x = Clamp16(from.x + std::trunc(dx * step + extra));
  to.y = Clamp16(from.y + std::trunc(dy * step + extra));
  to.z = Clamp16(from.z + std::trunc(dz * step + extra));
  return to;
}

Location Centre(std::uint16_t asteroid) { return Location{asteroid, 0, 0, 0}; }

std::uint32_t RangeSq(const Location& a, const Location& b) {
  Location aa = a;
  aa.asteroid = b.asteroid;  // the callers compare places of one space
  return GetLocationRangeSq(&aa, &b);
}

int NearestAsteroid(const Location& at, std::uint32_t* outSq) {
  return World().NearestAsteroid(&at, kNearAsteroidAxis, outSq);
}

std::uint32_t NearestUnitSq(const Location& at, std::uint32_t excludedId) {
  std::uint32_t d = 0xFFFFFFFFu;
  if (World().pieces != nullptr) World().pieces->FindNearestUnit(&at, excludedId, &d, 0);
  return d;
}

// The search of detour directions resumes where the last successful one left off.
std::uint16_t g_detourPattern = 0xFFFF;

}  // namespace

void ResetUnitDetours() { g_detourPattern = 0xFFFF; }

namespace {

void DetourCandidate(int pattern, double dx, double dy, double dz, double c[3]) {
  switch (pattern) {
    case 0:
    case 4:
      c[0] = dy;
      c[1] = dx;
      c[2] = dz;
      break;
    case 1:
    case 3:
      c[0] = dx;
      c[1] = dz;
      c[2] = dy;
      break;
    case 2:
    case 5:
      c[0] = dz;
      c[1] = dy;
      c[2] = dx;
      break;
    case 6:
      c[0] = dz;
      c[1] = dx;
      c[2] = dy;
      break;
    case 7:
    case 10:
      c[0] = dz;
      c[1] = dy;
      c[2] = -dx;
      break;
    case 8:
    case 18:
      c[0] = -dy;
      c[1] = dx;
      c[2] = dz;
      break;
    case 9:
    case 17:
      c[0] = dx;
      c[1] = -dz;
      c[2] = dy;
      break;
    case 11:
    case 15:
      c[0] = dx;
      c[1] = dz;
      c[2] = -dy;
      break;
    case 12:
    case 14:
      c[0] = dy;
      c[1] = -dx;
      c[2] = dz;
      break;
    default:
      c[0] = -dz;
      c[1] = dy;
      c[2] = dx;
      break;  // 13, 16
  }
}

}  // namespace

std::uint32_t CGUnit::IsUnitInRange(std::uint32_t /*type*/, const CGUnit* target, std::uint32_t rangeSq) const {
  if (target == nullptr) return 1;
  if (target->location.asteroid != location.asteroid) return 0;
  const bool bothLocal = design != nullptr && design->GetLocalSpaceSpeed() != 0 && target->design != nullptr &&
                         target->design->GetLocalSpaceSpeed() != 0;
  const std::uint64_t range = bothLocal ? rangeSq : std::uint64_t{rangeSq} * 3;
  return GetLocationRangeSq(&location, &target->location) <= range ? 1 : 0;
}

std::uint32_t CGUnit::IsAsteroidInRange(std::uint32_t /*type*/, std::uint16_t asteroid, std::uint32_t rangeSq) const {
  if (World().Asteroid(asteroid) == nullptr) return 1;
  if (location.asteroid != asteroid) return 0;
  const bool local = design != nullptr && design->GetLocalSpaceSpeed() != 0;
  const std::uint64_t range = local ? rangeSq : std::uint64_t{rangeSq} * 5;
  const Location centre = Centre(asteroid);
  return GetLocationRangeSq(&location, &centre) <= range ? 1 : 0;
}

std::int16_t CGUnit::GetETA() {
  UnitOrder* first = orders.GetAt(0);
  if (first == nullptr) return 0;
  const std::uint16_t count = World().AsteroidCount();
  const bool inSolar = location.asteroid >= count;
  double x = 0.0;
  switch (first->type) {
    case ORDER_MOVE_TO_LOCATION: {
      const Location to = first->GetLocation();
      x = to.asteroid == location.asteroid ? GetTurnsToLocation(&to, 0, kApproachRangeSq, nullptr)
                                           : GetTurnsToAsteroid(to.asteroid, nullptr);
      break;
    }
    case ORDER_GO_TO_UNIT:
    case ORDER_ATTACK_UNIT:
    case ORDER_SPECIAL_ATTACK:
    case ORDER_MENTAL_ATTACK: {
      CGUnit* target = ResolveTarget(first, 0);
      if (target == nullptr) return static_cast<std::int16_t>(kUnreachable);
      const std::uint32_t r = first->type == ORDER_GO_TO_UNIT ? kApproachRangeSq : GetMinWeaponRangeSq();
      x = target->location.asteroid == location.asteroid ? GetTurnsToLocation(&target->location, 1, r, nullptr)
                                                         : GetTurnsToAsteroid(target->location.asteroid, nullptr);
      break;
    }
    case ORDER_MOVE_TO_ASTEROID:
    case ORDER_RETREAT:
      x = inSolar && stage >= 1 && stage <= 254 ? stage : GetTurnsToAsteroid(first->Asteroid(), nullptr);
      break;
    case ORDER_MOVE_NEXT_TO_ASTEROID:
    case ORDER_BOMBARD: {
      const std::uint16_t asteroid = first->Asteroid();
      if (location.asteroid == asteroid) {
        const Location centre = Centre(asteroid);
        x = GetTurnsToLocation(&centre, 1, kBodyRangeSq, nullptr);
      } else {
        x = inSolar && stage < kStageNotStarted ? stage : GetTurnsToAsteroid(asteroid, nullptr);
        if (const std::int32_t s = GetLocalSpaceSpeed(); s != 0) x += kScanDistance / s;
      }
      break;
    }
    default:
      TraceError("No arrival time for this order", __FILE__, __LINE__);
      return 0;
  }
  if (x < 1.0) x = 1.1;
  return static_cast<std::int16_t>(static_cast<std::uint32_t>(std::min(x, 65535.0)));
}

std::uint32_t CGUnit::GetTurnsToLocation(const Location* target, std::int32_t mode, std::uint32_t rangeSq,
                                         std::int32_t* outFailure) {
  if (target == nullptr) {
    TraceError("No place to go to", __FILE__, __LINE__);
    return kUnreachable;
  }
  const std::uint16_t count = World().AsteroidCount();
  if (GetSpeed() == 0 && target->asteroid != location.asteroid) {
    if (outFailure != nullptr) *outFailure = ORDERFAIL_CANNOT_MOVE;
    return kUnreachable;
  }
  if (target->asteroid != location.asteroid && target->asteroid < count) {
    return GetTurnsToAsteroid(target->asteroid, outFailure);
  }
  std::uint32_t n = 1;
  if (target->asteroid != location.asteroid) {
    // Leaving an asteroid for a place in solar space.
    Location pos;
    if (!World().AsteroidPosition(location.asteroid, &pos)) return kUnreachable;
    std::uint32_t partial = 0;
    while (StepSolar(&pos, target, rangeSq, GetDeepSpaceSpeed(), &partial) == 0) {
      if (++n >= kUnreachable) return kUnreachable;
    }
    if (partial != 0) ++n;
    if (outFailure != nullptr) *outFailure = 0;
    return n;
  }
  const Location saved = location;
  std::int32_t last = 0;
  while ((last = SimulateMoveStep(target, 1, mode, rangeSq)) == 0) {
    if (++n >= static_cast<std::uint32_t>(kMaxLocalSteps)) {
      location = saved;
      return kUnreachable;
    }
  }
  location = saved;
  if (outFailure != nullptr) *outFailure = last;
  return n;
}

std::uint32_t CGUnit::GetTurnsToAsteroid(std::uint16_t asteroid, std::int32_t* outFailure) {
  auto fail = [outFailure](std::int32_t code) {
    if (outFailure != nullptr) *outFailure = code;
    return kUnreachable;
  };
  if (World().Asteroid(asteroid) == nullptr) return fail(ORDERFAIL_NO_SOLAR_DRIVE);
  if (asteroid != location.asteroid) {
    if (design == nullptr || design->GetDeepSpaceSpeed() == 0) return fail(ORDERFAIL_NO_SOLAR_DRIVE);
    if (GetSpeed() == 0) return fail(ORDERFAIL_CANNOT_MOVE);
  }
  if (const UnitOrder* first = orders.GetAt(0);
      first != nullptr && (first->type == ORDER_MOVE_TO_ASTEROID || first->type == ORDER_MOVE_NEXT_TO_ASTEROID) &&
      first->Asteroid() == asteroid && stage < kStageNotStarted) {
    return stage;
  }
  if (asteroid == location.asteroid) {
    const Location centre = Centre(asteroid);
    return GetTurnsToLocation(&centre, 1, kBodyRangeSq, outFailure);
  }
  Location destination;
  if (!World().AsteroidPosition(asteroid, &destination)) return fail(ORDERFAIL_NO_SOLAR_DRIVE);
  Location start = location;
  const bool fromAsteroid = location.asteroid < World().AsteroidCount();
  if (fromAsteroid) {
    if (!World().AsteroidPosition(location.asteroid, &start)) return fail(ORDERFAIL_NO_SOLAR_DRIVE);
    if (const CGAsteroid* here = World().Asteroid(location.asteroid)) {
      float speed = here->speed;
      double angle = here->angle;
      here->PredictOrbitStep(&start, &speed, &angle);
    }
  }
  return GetSolarTripTurns(&start, &destination, asteroid, fromAsteroid ? 1 : 0, outFailure);
}

std::uint32_t CGUnit::GetSolarTripTurns(const Location* start, const Location* asteroidPos, std::uint16_t asteroid,
                                        std::uint8_t fromAsteroid, std::int32_t* outFailure) {
  Location pos = *start;
  Location target = *asteroidPos;
  const CGAsteroid* body = World().Asteroid(asteroid);
  const bool moves = body != nullptr;
  float orbitSpeed = moves ? body->speed : 0.0f;
  double orbitAngle = moves ? body->angle : 0.0;
  auto advanceTarget = [&] {
    if (moves) body->PredictOrbitStep(&target, &orbitSpeed, &orbitAngle);
  };
  std::int32_t speed = GetDeepSpaceSpeed();
  if (fromAsteroid != 0 && moves) {
    // The target's motion along the line of travel, measured once at departure.
    float s = orbitSpeed;
    double a = orbitAngle;
    Location next = target;
    body->PredictOrbitStep(&next, &s, &a);
    double dx = 0, dy = 0, dz = 0;
    GetLocationDirection(&pos, &target, &dx, &dy, &dz);
    const double along = (next.x - target.x) * dx + (next.y - target.y) * dy + (next.z - target.z) * dz;
    speed = std::max<std::int32_t>(static_cast<std::int32_t>(speed - std::trunc(along)), 1);
  }
  std::uint32_t n = 0;
  std::uint32_t partial = 0;
  for (;;) {
    if (n >= static_cast<std::uint32_t>(kMaxSolarTurns)) {
      if (outFailure != nullptr) *outFailure = ORDERFAIL_SOLAR_TRIP_TOO_LONG;
      return kUnreachable;
    }
    advanceTarget();
    if (StepSolar(&pos, &target, kApproachRangeSq, speed, &partial) != 0) break;
    ++n;
  }
  if (partial != 0) ++n;
  if (n == 1 && fromAsteroid != 0 && location.asteroid != asteroid) n = 2;
  return n;
}

std::uint32_t CGUnit::StepSolar(Location* pos, const Location* target, std::uint32_t rangeSq, std::int32_t speed,
                                std::uint32_t* outPartial) const {
  if (speed == 0) {
    TraceError("Solar step without speed", __FILE__, __LINE__);
    return 1;
  }
  const std::uint32_t d = RangeSq(*pos, *target);
  if (d < rangeSq) return 1;
  if (std::uint64_t{d} < std::uint64_t(speed) * static_cast<std::uint64_t>(speed)) {
    if (outPartial != nullptr) *outPartial = 1;
    return 1;
  }
  double dx = 0, dy = 0, dz = 0;
  Location from = *pos;
  from.asteroid = target->asteroid;
  GetLocationDirection(&from, target, &dx, &dy, &dz);
  Location next = Advance(*pos, dx, dy, dz, speed, false);
  std::uint32_t atSq = 0;
  const int at = NearestAsteroid(*pos, &atSq);
  Location body;
  if (at >= 0 && atSq == 0 && World().AsteroidPosition(static_cast<std::uint16_t>(at), &body)) {
    // Leaving an asteroid: the first step must clear its body.
    if (RangeSq(next, body) < rangeSq) {
      if (RangeSq(next, *target) < rangeSq) return 1;
      if (FindDetour(pos, target, &dx, &dy, &dz, 1) == 0) return 1;
      next = Advance(*pos, dx, dy, dz, speed, false);
    }
  } else if (RangeSq(next, *target) < rangeSq) {
    return 1;
  }
  *pos = next;
  return 0;
}

std::int32_t CGUnit::SimulateMoveStep(const Location* target, std::int32_t asteroidMode, std::int32_t stopInRange,
                                      std::uint32_t rangeSq, std::uint32_t /*ignored*/) {
  if (target->asteroid != location.asteroid) return 0;
  if (RangeSq(location, *target) <= rangeSq) return 1;
  const bool atAsteroid = location.asteroid < World().AsteroidCount();
  std::int32_t step = GetSpeed();
  if (step == 0 || GetPower() == 0) step = kIdleStep;
  if (asteroidMode == 0) step /= 8;
  const std::uint64_t reach = std::uint64_t(step) * static_cast<std::uint64_t>(step) + rangeSq;
  if (RangeSq(location, *target) <= reach) return 1;
  double dx = 0, dy = 0, dz = 0;
  GetLocationDirection(&location, target, &dx, &dy, &dz);
  Location next = Advance(location, dx, dy, dz, step, true);

  if (NearestUnitSq(next, id) < kApproachRangeSq) {
    bool resolved = false;
    if (stopInRange != 0 && RangeSq(next, *target) <= rangeSq) {
      const std::int32_t sub = std::clamp<std::int32_t>(asteroidMode != 0 ? step / 40 : step / 5, 2, 40);
      Location p = location;
      for (int i = 0; i < 100 && RangeSq(p, *target) > rangeSq; ++i) {
        double sx = 0, sy = 0, sz = 0;
        GetLocationDirection(&p, target, &sx, &sy, &sz);
        p = Advance(p, sx, sy, sz, sub, true);
      }
      // At an asteroid every round starts again from the unit's place, so one
      // round answers for all of them; in solar space the unit moves there.
      if (!atAsteroid) location = p;
      if (RangeSq(p, *target) <= rangeSq) return 1;
      resolved = !atAsteroid;
    }
    if (!resolved) {
      if (FindDetour(&location, target, &dx, &dy, &dz, asteroidMode) == 0 && atAsteroid) return ORDERFAIL_BOXED_IN;
      next = Advance(location, dx, dy, dz, step, false);
    }
  }

  std::uint32_t bodySq = 0xFFFFFFFFu;
  if (atAsteroid) {
    const Location centre = Centre(location.asteroid);
    bodySq = RangeSq(next, centre);
  } else {
    NearestAsteroid(next, &bodySq);
  }
  if (bodySq < kBodyRangeSq) {
    if (stopInRange != 0 && RangeSq(next, *target) <= rangeSq) {
      SetLocation(&next);
      return 1;
    }
    if (FindDetour(&location, target, &dx, &dy, &dz, asteroidMode) == 0 && atAsteroid) return ORDERFAIL_BOXED_IN;
    next = Advance(location, dx, dy, dz, step, false);
    if (atAsteroid && RangeSq(next, Centre(location.asteroid)) <= kApproachRangeSq) {
      if (FindDetour(&next, target, &dx, &dy, &dz, asteroidMode) == 0) return ORDERFAIL_BOXED_IN;
      next = Advance(location, dx, dy, dz, step, false);
    }
  }
  const Location old = location;
  SetLocation(&next);
  if (stopInRange == 0) return 0;
  return RangeSq(old, *target) <= rangeSq || RangeSq(next, *target) <= rangeSq ? 1 : 0;
}

std::uint32_t CGUnit::FindDetour(const Location* pos, const Location* /*target*/, double* dx, double* dy, double* dz,
                                 std::int32_t asteroidMode) const {
  std::int32_t s = GetSpeed();
  if (asteroidMode == 0) s /= 8;
  if (s == 0 || power == 0) s = kIdleStep;
  const bool atAsteroid = pos->asteroid < World().AsteroidCount();
  const std::uint32_t d0 = RangeSq(*pos, Centre(pos->asteroid));
  if (g_detourPattern == 0xFFFF) g_detourPattern = static_cast<std::uint16_t>(plat::rand() % kDetourPatterns);
  for (int attempt = 1; attempt <= kDetourPatterns; ++attempt) {
    const int pattern = (g_detourPattern + attempt) % kDetourPatterns;
    double c[3];
    DetourCandidate(pattern, *dx, *dy, *dz, c);
    if (c[0] == *dx && c[1] == *dy && c[2] == *dz) continue;
    const double len = c[0] * c[0] + c[1] * c[1] + c[2] * c[2];
    if (len < 0.001) continue;
    if (len < 0.99) {
      const double root = std::sqrt(len);
      for (double& v : c) v /= root;
    }
    if (std::fabs(c[0] + *dx) < 0.8 && std::fabs(c[1] + *dy) < 0.8 && std::fabs(c[2] + *dz) < 0.8) continue;
    const Location trial = Advance(*pos, c[0], c[1], c[2], s, false);
    if (NearestUnitSq(trial, id) < kDetourUnitRejectSq) continue;
    if (atAsteroid) {
      std::uint32_t d = RangeSq(trial, Centre(pos->asteroid));
      if (d0 < kBodyRangeSq && d > d0 && d > kApproachRangeSq) d = kBodyRangeSq;
      if (d < kDetourBodyRejectSq) continue;
    } else {
      std::uint32_t d = 0;
      const int near = NearestAsteroid(trial, &d);
      Location body;
      if (near >= 0 && d < kBodyRangeSq && World().AsteroidPosition(static_cast<std::uint16_t>(near), &body)) {
        body.asteroid = pos->asteroid;
        if (d > GetLocationDistanceSq(pos, &body)) d = kBodyRangeSq;
      }
      if (d < kApproachRangeSq) continue;
    }
    *dx = c[0];
    *dy = c[1];
    *dz = c[2];
    g_detourPattern = static_cast<std::uint16_t>(pattern == 0 ? 0 : pattern - 1);
    return 1;
  }
  return 0;
}
