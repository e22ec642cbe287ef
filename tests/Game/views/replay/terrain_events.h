#pragma once
// Terrain events as packet 603 carries them (u16 count at 8, 36-byte records
// from 12: u32 kind, round, source type, source zone, source value, target
// type, target zone, target value, u16 chapter), for the replay's tests: a
// battle that visits every phase, and seeded random ones that reach past the
// asteroid (zones beyond its size, negated zones, cell kinds above 3,
// chapters past 39, unknown kinds and types).

#include <cstdint>
#include <random>
#include <vector>

namespace terrain_test {

struct Event {
  std::uint32_t kind, round, sourceType;
  std::int32_t sourceZone;
  std::uint32_t sourceValue, targetType;
  std::int32_t targetZone;
  std::uint32_t targetValue;
  std::uint16_t chapter;
};

inline std::vector<std::uint8_t> EventPacket(const std::vector<Event>& events) {
  std::vector<std::uint8_t> p(12 + 36 * events.size(), 0);
  auto put32 = [&p](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  p[0] = 603 & 0xFF;
  p[1] = 603 >> 8;
  p[8] = static_cast<std::uint8_t>(events.size());
  p[9] = static_cast<std::uint8_t>(events.size() >> 8);
  for (std::size_t i = 0; i < events.size(); ++i) {
    const Event& e = events[i];
    const std::size_t at = 12 + 36 * i;
    const std::uint32_t v[8] = {e.kind,
                                e.round,
                                e.sourceType,
                                static_cast<std::uint32_t>(e.sourceZone),
                                e.sourceValue,
                                e.targetType,
                                static_cast<std::uint32_t>(e.targetZone),
                                e.targetValue};
    for (int k = 0; k < 8; ++k) put32(at + 4 * static_cast<std::size_t>(k), v[k]);
    p[at + 32] = static_cast<std::uint8_t>(e.chapter);
    p[at + 33] = static_cast<std::uint8_t>(e.chapter >> 8);
  }
  return p;
}

// A battle on an asteroid of size 2 for chapter 9 against 17 that has an
// event for every phase: a facility, a landing, a collision, a detonation, a
// bombardment, pods (one shot down), gunfire and its hit, moves, two combat
// rounds and a destroyed facility.
inline std::vector<Event> EveryPhase() {
  return {
      {0, 0, 2, 5, 4, 0, 0, 0, 9},      // storage facility of zone 5
      {14, 0, 1, 2, 0, 1, 3, 0, 9},     // combat ATV of zone 2, moving half-way to 3
      {17, 0, 1, 5, 1, 1, 6, 1, 17},    // mining ATV from 5 to 6
      {1, 0, 7, 0, 0, 1, 4, 2, 9},      // a landing pod over zone 4's power cell
      {3, 0, 0, 0, 0, 0, 0, 0, 0},      // a collision
      {4, 0, 4, 7, 0, 0, 0, 0, 17},     // a detonation in zone 7
      {5, 0, 4, 0, 0, 5, 8, 1, 17},     // a bombardment of zone 8
      {7, 0, 7, 0, 0, 1, 9, 0, 9},      // a pod for zone 9
      {7, 0, 1, 0, 0, 1, 9, 0, 9},      // ... carrying a combat ATV
      {7, 0, 7, 0, 0, 1, 10, 3, 9},     // a pod for zone 10
      {7, 0, 1, 0, 0, 1, 10, 3, 9},     // ... carrying a seed bank
      {8, 0, 4, 11, 0, 7, 9, 0, 17},    // zone 11 fires on zone 9's pod
      {12, 0, 4, 11, 0, 1, 12, 0, 17},  // gunfire from 11 at 12
      {13, 0, 5, 12, 0, 1, 12, 0, 9},   // ... destroys an ATV there
      {15, 0, 4, 3, 0, 1, 2, 0, 17},    // round 0: a shot
      {15, 0, 6, 2, 0, 1, 2, 0, 9},     // round 0: a shield
      {15, 1, 5, 10, 3, 5, -10, 3, 9},  // round 1: the landed seed bank dies
      {18, 0, 2, 1, 1, 5, 1, 2, 17},    // the power facility of zone 1 destroyed
  };
}

// `count` events drawn at random from a seed, many of them out of range.
inline std::vector<Event> RandomEvents(std::uint32_t seed, int count) {
  std::mt19937 rng(seed);
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  std::vector<Event> out;
  for (int i = 0; i < count; ++i) {
    Event e{};
    e.kind = static_cast<std::uint32_t>(pick(0, 20));
    e.round = static_cast<std::uint32_t>(pick(0, 3));
    e.sourceType = static_cast<std::uint32_t>(pick(0, 8));
    e.sourceZone = pick(-35, 35);
    e.sourceValue = static_cast<std::uint32_t>(pick(0, 5) == 5 ? 16 : pick(0, 4));
    e.targetType = static_cast<std::uint32_t>(pick(0, 8));
    e.targetZone = pick(-35, 35);
    e.targetValue = static_cast<std::uint32_t>(pick(0, 4));
    e.chapter = static_cast<std::uint16_t>(pick(0, 3) == 3 ? pick(40, 65535) : pick(0, 39));
    out.push_back(e);
  }
  return out;
}

}  // namespace terrain_test
