#pragma once
// The centre of an asteroid's surface, zone 0, is a single cell on the
// players' surface view, the seed-bank one: the view shows, takes and lands
// nothing else there. So the server never puts another kind of ATV into it,
// nor a facility (those show in the cells the centre lacks).

#include <cstdint>

#include "Game/model/GWorldTypes.h"

inline constexpr std::uint16_t kSrvCentreZone = 0;

// Whether ATVs of `kind` may be put into `zone`.
constexpr bool SrvZoneTakesAtvKind(std::uint32_t zone, int kind) {
  return zone != kSrvCentreZone || kind == ATV_SEED_BANK;
}
