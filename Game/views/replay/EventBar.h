#pragma once
// What the goto bar shows for one replay event: ten entries, each a kind and
// a value, filled from the event's record (the firer, the acting module, the
// target, then the damage it did). Drawing them is the view's.
//
// Main thread only.

#include <array>
#include <cstdint>

#include "Game/net/ReplayReader.h"

namespace replay {

enum EventBarKind : std::uint16_t {
  kBarAsteroid = 0,     // value: asteroid number
  kBarUnit = 2,         // value: unit id
  kBarModule = 13,      // value: guild << 24 | damage << 16 | module index (damage 0xFF: the acting module)
  kBarHullDamage = 14,  // value: the damage
  kBarLifeDamage = 15,  // value: the damage
  kBarEmpty = 100,
};

struct EventBarEntry {
  std::uint16_t kind = kBarEmpty;
  std::uint32_t value = 0;
  bool operator==(const EventBarEntry&) const = default;
};

using EventBar = std::array<EventBarEntry, 10>;

// The bar for `event`, played at `asteroid` by a unit of `guild`.
EventBar FillEventBar(const EventRecord& event, std::uint16_t asteroid, std::uint8_t guild);

}  // namespace replay
