#pragma once
// Numbers the world model's classes share: the limits of the tables indexed by
// asteroid and chapter, the ATV kinds, zone owners, facilities and minerals.

#include <cstdint>

// The pool and review-log tables hold one row per asteroid: no solar system
// has more asteroids than rows. A location index equal to the asteroid count
// stands for solar space.
constexpr std::uint16_t kMaxAsteroids = 150;
// Chapters: guild x 8 + slot, five guilds of up to eight.
constexpr int kGuildCount = 5;
constexpr int kMaxChaptersPerGuild = 8;
constexpr int kMaxChapters = kGuildCount * kMaxChaptersPerGuild;
constexpr std::uint16_t kNoChapter = 0xFFFF;  // owner or controller of nobody

// The process-wide asteroid count (CGSolarDB); a Location whose asteroid is
// this value lies in solar space.
extern std::uint16_t g_numAsteroids;

enum AtvKind : std::uint8_t { ATV_COMBAT = 0, ATV_MINING = 1, ATV_POWER = 2, ATV_SEED_BANK = 3 };
constexpr int kAtvKinds = 4;
constexpr std::uint8_t kAllAtvKinds = 255;  // count queries: the sum of the four

// Zone owners besides chapter numbers.
constexpr std::uint8_t kZoneNobody = 254;
constexpr std::uint8_t kZoneUnknown = 253;
constexpr std::uint8_t kMaxZoneValue = 16;  // ATV limit and mining value

enum ZoneFacility : std::uint32_t {
  FACILITY_POWER = 1,
  FACILITY_MINING = 2,
  FACILITY_STORAGE = 4,
  FACILITY_ATV_CONSTRUCTION = 8,
};

enum MineralType : std::uint8_t {
  MINERAL_METALS = 0,
  MINERAL_SILICATES = 1,
  MINERAL_EXOTICS = 2,
  MINERAL_REACTIVES = 3
};
constexpr int kMineralTypes = 4;

// Size classes 0 (tiny) .. 4 (huge); 0xFF until set.
constexpr std::uint8_t kMaxSizeClass = 4;
constexpr std::uint8_t kUnsetByte = 0xFF;

// The zones of an asteroid of size class s: (s + 1)(s + 2) + 1, at most 31;
// 0 for a size class that is not set.
constexpr int ZoneCountOfSize(std::uint8_t sizeClass) {
  return sizeClass <= kMaxSizeClass ? (sizeClass + 1) * (sizeClass + 2) + 1 : 0;
}
