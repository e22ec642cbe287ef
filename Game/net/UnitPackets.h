#pragma once
// The packets that tell a client of units, built and read in one place:
//   300   a unit enters play (28 bytes): u16 chapter at 8, u32 unit id at
//         12, u8 asteroid at 16, i16 x, y, z at 18, u32 design id at 24
//   302   a unit moved (20 bytes): u32 unit id at 8, u8 asteroid at 12, i16
//         x, y, z at 14
//   303   a unit's first order ended (16 bytes): u32 unit id at 8, i32
//         result at 12 (1 done, else the order's failure code)
//   304   a unit's state after a battle (108 bytes): u32 unit id at 8, u16
//         asteroid at 12, u8 hull and life-support damage at 14 and 15, i32
//         power at 16, the module states at 20, u16 received points at 96,
//         u32 out of action (destroyed) at 100, u32 status at 104
//   310   the first order's stage and target (20 bytes): u32 unit id at 8,
//         u16 asteroid at 12, u16 stage at 14, u32 target at 16
//   311   a unit's power (20 bytes): u32 unit id at 8, u16 asteroid at 12,
//         i32 power at 16
//   312   a unit's ATV cargo (20 bytes): u32 unit id at 8, u16 counts of the
//         four kinds at 12
//   1308  a unit gone (12 bytes): u32 unit id at 8
//   1313  a unit as a whole, made anew on every client (210 bytes): u32
//         unit id at 8, u8 out of action at 12, u8 status at 13, the design's
//         block at 24 (packet 200's bytes 8 to 117), u16 asteroid and i16 x,
//         y, z at 140, u8 hull and life-support damage at 148 and 149, the
//         module states at 150
// Module states are three bytes a slot (damage, flags, ammunition). Each
// Parse is false for an image shorter than its packet. Plain functions: any
// thread.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "Game/model/GLocation.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GRulesPackets.h"

constexpr std::size_t kUnitEntersSize = 28;
constexpr std::size_t kUnitMovedSize = 20;
constexpr std::size_t kOrderRemovedSize = 16;
constexpr std::size_t kOrderStageSize = 20;
constexpr std::size_t kUnitPowerSize = 20;
constexpr std::size_t kAtvCargoSize = 20;
constexpr std::size_t kUnitDeletedSize = 12;
constexpr std::size_t kUnitResultSize = 210;
// The design's block of a 1313: its bytes 8 to 117 of packet 200.
constexpr std::size_t kDesignBlockSize = 110;

using ModuleStates = std::array<ModuleSlotState, kUnitSlots>;

struct UnitEntersPacket {
  std::uint16_t chapter = 0;
  std::uint32_t unitId = 0;
  Location location;  // its asteroid travels as a byte
  std::uint32_t designId = 0;

  PacketImage<kUnitEntersSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, UnitEntersPacket* out);
};

struct UnitMovedPacket {
  std::uint32_t unitId = 0;
  Location location;  // its asteroid travels as a byte

  PacketImage<kUnitMovedSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, UnitMovedPacket* out);
};

struct OrderRemovedPacket {
  std::uint32_t unitId = 0;
  std::int32_t result = 0;

  PacketImage<kOrderRemovedSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, OrderRemovedPacket* out);
};

struct UnitStatusPacket {
  std::uint32_t unitId = 0;
  std::uint16_t asteroid = 0;
  std::uint8_t hullDamage = 0;
  std::uint8_t lifeSupportDamage = 0;
  std::int32_t power = 0;
  ModuleStates modules{};
  std::uint16_t receivedPoints = 0;
  std::uint32_t destroyed = 0;
  std::uint32_t status = 0;

  PacketImage<kUnitStatusRecordSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, UnitStatusPacket* out);
};

struct OrderStagePacket {
  std::uint32_t unitId = 0;
  std::uint16_t asteroid = 0;
  std::uint16_t stage = 0;
  std::uint32_t target = 0;

  PacketImage<kOrderStageSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, OrderStagePacket* out);
};

struct UnitPowerPacket {
  std::uint32_t unitId = 0;
  std::uint16_t asteroid = 0;
  std::int32_t power = 0;

  PacketImage<kUnitPowerSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, UnitPowerPacket* out);
};

struct AtvCargoPacket {
  std::uint32_t unitId = 0;
  std::array<std::uint16_t, 4> counts{};

  PacketImage<kAtvCargoSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, AtvCargoPacket* out);
};

struct UnitDeletedPacket {
  std::uint32_t unitId = 0;

  PacketImage<kUnitDeletedSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, UnitDeletedPacket* out);
};

struct UnitResultPacket {
  std::uint32_t unitId = 0;
  std::uint8_t outOfAction = 0;
  std::uint8_t status = 0;
  std::array<std::uint8_t, kDesignBlockSize> design{};  // zeros without a design
  Location location;
  std::uint8_t hullDamage = 0;
  std::uint8_t lifeSupportDamage = 0;
  ModuleStates modules{};

  PacketImage<kUnitResultSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, UnitResultPacket* out);
};
