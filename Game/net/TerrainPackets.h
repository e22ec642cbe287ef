#pragma once
// The packets the terrain view sends for a zone, and the server's clearing of
// an asteroid's terrain recorder, built in one place:
//   605, 606  raise a zone's mining value (605) or stacking limit (606) with
//             the seed bank (16 bytes): u16 owner's guild at 8, u16 owner
//             chapter at 10, u16 asteroid at 12, u16 zone at 14
//   608       entrench a kind of ATV (20 bytes): u16 asteroid at 8, u16 zone
//             at 10, u16 owner chapter at 12, u16 owner's guild at 14, u16
//             ATV kind at 16, two unused bytes
//   611       build a facility (20 bytes): u16 asteroid at 8, u16 owner
//             chapter at 10, u16 zone at 12, u16 cell kind at 14, u32
//             facility bit at 16
//   612       construct ATVs (20 bytes): u16 asteroid at 8, u16 zone at 10,
//             u16 chapter at 12, u8 counts of the four kinds at 14..17, two
//             unused bytes
//   602       a terrain battle's recorder cleared (12 bytes): u16 asteroid at 8
// Each Parse is false for an image shorter than its packet. Plain functions:
// any thread.

#include <array>
#include <cstdint>
#include <span>

#include "Game/rules/GRulesPackets.h"

constexpr std::size_t kZoneImprovementSize = 16;
constexpr std::size_t kZoneEntrenchSize = 20;
constexpr std::size_t kZoneFacilitySize = 20;
constexpr std::size_t kZoneConstructAtvsSize = 20;
constexpr std::size_t kTerrainClearedSize = 12;

struct ZoneImprovementPacket {
  // true: the stacking limit (606); false: the mining value (605).
  bool stacking = false;
  std::uint16_t guild = 0;
  std::uint16_t chapter = 0;
  std::uint16_t asteroid = 0;
  std::uint16_t zone = 0;

  PacketImage<kZoneImprovementSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, ZoneImprovementPacket* out);
};

struct ZoneEntrenchPacket {
  std::uint16_t asteroid = 0;
  std::uint16_t zone = 0;
  std::uint16_t chapter = 0;
  std::uint16_t guild = 0;
  std::uint16_t kind = 0;

  PacketImage<kZoneEntrenchSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, ZoneEntrenchPacket* out);
};

struct ZoneFacilityPacket {
  std::uint16_t asteroid = 0;
  std::uint16_t chapter = 0;
  std::uint16_t zone = 0;
  std::uint16_t cellKind = 0;
  std::uint32_t facility = 0;

  PacketImage<kZoneFacilitySize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, ZoneFacilityPacket* out);
};

struct ZoneConstructAtvsPacket {
  std::uint16_t asteroid = 0;
  std::uint16_t zone = 0;
  std::uint16_t chapter = 0;
  std::array<std::uint8_t, 4> counts{};

  PacketImage<kZoneConstructAtvsSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, ZoneConstructAtvsPacket* out);
};

struct TerrainClearedPacket {
  std::uint16_t asteroid = 0;

  PacketImage<kTerrainClearedSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, TerrainClearedPacket* out);
};
