#pragma once
// The packets that tell a client of the solar system and its asteroids,
// built and read in one place:
//   100  the solar system (24 bytes): u16 stars at 8, i8 orbit direction at
//        10, u16 asteroids at 12, u32 turn at 16, u16 orbit motion at 20
//   110  a star (92 bytes): u8 asteroid at 16, i16 x, y, z at 18, char[40]
//        name at 24, doubles cycle peak, base radiation and fluctuation at 64,
//        72, 80, u32 rising at 88
//   124  the resource mix (92 bytes): u8 rows at 8, then for each of the four
//        minerals k a column of 20 bytes at 10 + 20 k (row t at + t)
//   127  an asteroid with its zones (520 bytes): u16 id, owner, previous
//        owner and controller at 8..14, u8 automanaged at 16, char[40] name
//        at 17, u8 size class, composition, orbit kind, spin, thermal and
//        kinetic at 57..62, floats z factor and speed at 64 and 68, u16 radii
//        at 72 and 74, double angle at 76, i16 x, y, z at 84, the two orbit
//        centres (u8 asteroid, i16 x, y, z) at 90 and 98, i8 ring rotations
//        at 106 + 2 i, and per zone i below 31: u8 ATV limit at 116 + i,
//        mining value at 147 + i, ATV counts of kind k at 209 + 31 k + i,
//        status at 333 + i, facility owner at 364 + i, u32 facilities at
//        396 + 4 i
//   120  an asteroid's record changed (116 bytes): 127 without its zones
//   121  one zone (48 bytes): u16 asteroid at 8, u16 zone at 10, u8 ATV limit,
//        mining value and owner at 12..14, u8 ATV counts at 15..18, u8 status
//        at 19, u8 facility owner at 20, u32 facilities at 24, u32 entrenched
//        of each kind at 28, u32 zone word at 44
//   123  who owns and controls an asteroid (16 bytes): u16 asteroid at 8, u16
//        owner at 10, u16 controller at 12
//   125  an asteroid's orbit (20 bytes): u16 asteroid at 8, u16 radii at 10
//        and 12, float speed at 16
//   128  an asteroid's composition (12 bytes): u16 asteroid at 8, u8 at 10
//   502  an asteroid's make-up as a scan finds it (14 bytes): u16 asteroid at
//        8, u8 composition, spin, thermal and kinetic at 10..13
// Names are fixed text fields (FixedText). Each Parse is false for an image
// shorter than its packet. Plain functions: any thread.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "Game/model/GLocation.h"
#include "Game/model/GWorldTypes.h"
#include "Game/rules/GRulesPackets.h"

constexpr std::size_t kSolarSystemSize = 24;
constexpr std::size_t kStarSize = 92;
constexpr std::size_t kResourceMixSize = 92;
constexpr std::size_t kAsteroidWithZonesSize = 520;
constexpr std::size_t kAsteroidChangedSize = 116;
constexpr std::size_t kZoneSize = 48;
constexpr std::size_t kAsteroidControlSize = 16;
constexpr std::size_t kOrbitRadiiSize = 20;
constexpr std::size_t kCompositionSize = 12;
constexpr std::size_t kAsteroidMakeUpSize = 14;

struct SolarSystemPacket {
  std::uint16_t stars = 0;
  std::int8_t orbitDirection = 0;
  std::uint16_t asteroids = 0;
  std::uint32_t turn = 0;
  std::uint16_t orbitMotion = 0;

  PacketImage<kSolarSystemSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, SolarSystemPacket* out);
};

struct StarPacket {
  static constexpr std::size_t kNameWidth = 40;
  Location location;  // its asteroid travels as a byte
  std::string name;
  double cyclePeak = 0;
  double baseRadiation = 0;
  double fluctuation = 0;
  std::uint32_t rising = 0;

  PacketImage<kStarSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, StarPacket* out);
};

struct ResourceMixPacket {
  static constexpr std::size_t kMostRows = 20;
  std::uint8_t rows = 0;
  std::array<std::array<std::uint8_t, 4>, kMostRows> mix{};

  PacketImage<kResourceMixSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, ResourceMixPacket* out);
};

struct AsteroidWithZonesPacket {
  static constexpr std::size_t kNameWidth = 40;
  static constexpr std::size_t kZones = 31;
  static constexpr std::size_t kRings = 5;
  std::uint16_t id = 0;
  std::uint16_t owner = 0;
  std::uint16_t previousOwner = 0;
  std::uint16_t controller = 0;
  std::uint8_t automanage = 0;
  std::string name;
  std::uint8_t sizeClass = 0;
  std::uint8_t composition = 0;
  std::uint8_t orbitKind = 0;
  std::uint8_t spin = 0;
  std::uint8_t thermal = 0;
  std::uint8_t kinetic = 0;
  float zFactor = 0;
  float speed = 0;
  std::uint16_t radius1 = 0;
  std::uint16_t radius2 = 0;
  double angle = 0;
  Location position;                  // its asteroid is not sent
  std::array<Location, 2> centres{};  // their asteroids travel as bytes
  std::array<std::int8_t, kRings> ringRotations{};
  struct Zone {
    std::uint8_t atvLimit = 0;
    std::uint8_t miningValue = 0;
    std::array<std::uint8_t, kAtvKinds> atvCounts{};
    std::uint8_t status = 0;
    std::uint8_t facilityOwner = 0;
    std::uint32_t facilities = 0;
  };
  std::array<Zone, kZones> zones{};  // zeros past the asteroid's zones

  PacketImage<kAsteroidWithZonesSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, AsteroidWithZonesPacket* out);
  // The record alone, as 120 tells of an asteroid that changed: Parse
  // leaves `out`'s zones as they were.
  PacketImage<kAsteroidChangedSize> BuildChanged() const;
  static bool ParseChanged(std::span<const std::uint8_t> image, AsteroidWithZonesPacket* out);
};

struct ZonePacket {
  std::uint16_t asteroid = 0;
  std::uint16_t zone = 0;
  std::uint8_t atvLimit = 0;
  std::uint8_t miningValue = 0;
  std::uint8_t owner = 0;
  std::array<std::uint8_t, kAtvKinds> atvCounts{};
  std::uint8_t status = 0;
  std::uint8_t facilityOwner = 0;
  std::uint32_t facilities = 0;
  std::array<std::uint32_t, kAtvKinds> entrenched{};
  std::uint32_t zoneWord = 0;

  PacketImage<kZoneSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, ZonePacket* out);
};

struct AsteroidControlPacket {
  std::uint16_t asteroid = 0;
  std::uint16_t owner = 0;
  std::uint16_t controller = 0;

  PacketImage<kAsteroidControlSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, AsteroidControlPacket* out);
};

struct OrbitRadiiPacket {
  std::uint16_t asteroid = 0;
  std::uint16_t radius1 = 0;
  std::uint16_t radius2 = 0;
  float speed = 0;

  PacketImage<kOrbitRadiiSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, OrbitRadiiPacket* out);
};

struct CompositionPacket {
  std::uint16_t asteroid = 0;
  std::uint8_t composition = 0;

  PacketImage<kCompositionSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, CompositionPacket* out);
};

struct AsteroidMakeUpPacket {
  std::uint16_t asteroid = 0;
  std::uint8_t composition = 0;
  std::uint8_t spin = 0;
  std::uint8_t thermal = 0;
  std::uint8_t kinetic = 0;

  PacketImage<kAsteroidMakeUpSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, AsteroidMakeUpPacket* out);
};
