#pragma once
// The packets the game model sends for its zones and asteroids, built and
// read in one place by the client's model and by the server:
//   600, 607  ATVs on their way to a zone (600 arriving, 607 attacking; 20
//             bytes): u16 asteroid at 8, u16 zone at 10, u16 source zone at
//             12, u16 chapter at 14, u16 ATV kind at 16, u16 count at 18
//   610       the asteroid's automanage switch (12 bytes): u16 asteroid at 8,
//             u8 flag at 10
// Each Parse is false for an image shorter than its packet. Plain functions:
// any thread.

#include <cstddef>
#include <cstdint>
#include <span>

#include "Game/rules/GRulesPackets.h"

constexpr std::size_t kZoneAtvMoveSize = 20;
constexpr std::size_t kAutomanageSize = 12;

struct ZoneAtvMovePacket {
  // true: the ATVs attack the zone (607); false: they arrive in it (600).
  bool attacking = false;
  std::uint16_t asteroid = 0;
  std::uint16_t zone = 0;
  std::uint16_t sourceZone = 0;
  std::uint16_t chapter = 0;
  std::uint16_t kind = 0;
  std::uint16_t count = 0;

  PacketImage<kZoneAtvMoveSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, ZoneAtvMovePacket* out);
};

struct AutomanagePacket {
  std::uint16_t asteroid = 0;
  std::uint8_t flag = 0;

  PacketImage<kAutomanageSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, AutomanagePacket* out);
};
