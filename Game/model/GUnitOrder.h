#pragma once
// One queued order of a unit, the 36 order types, the failure codes of the
// order checks with their texts, and the order's saved form.
//
// In memory the head keeps only its two target words; the construction,
// landing and recovery blocks that the head's words 2 and 3 named are owned
// members, so nothing that leaves the program (packet 301, the saved form)
// ever carries a pointer: those words go out as zeros.
//
// Saved form of an order (unit block version 3; version 2 as noted):
//   16 head bytes (words 2 and 3 zero); u32 cached target's id or 0xFFFFFFFF;
//   u32 type; u8 flag; then
//   types 13, 16, 17, 18, 23: u8 1 and the nine u16 words of the construction
//     block, or u8 0 (version 2: words 0-2, 4-6 and 8 only, and no byte at
//     all for type 18);
//   type 15: u8 1 and the 31 u16 words of the recovery block, or u8 0;
//   type 14: u8 1 and the 132-byte landing block, or u8 0;
//   u8 validity byte 0xFE.
// Main thread only.

#include <array>
#include <cstdint>
#include <memory>

#include "Game/model/GLocation.h"
#include "Game/model/GWorldTypes.h"
#include "platform/core/files.h"

class BlockReader;
class BlockWriter;

class CGUnit;

enum OrderType : std::uint32_t {
  ORDER_MOVE_TO_LOCATION = 0,
  ORDER_GO_TO_UNIT = 1,
  ORDER_MOVE_TO_ASTEROID = 2,
  ORDER_MOVE_NEXT_TO_ASTEROID = 3,
  ORDER_RETREAT = 4,
  ORDER_ATTACK_UNIT = 5,
  ORDER_TRANSFER_POWER = 6,
  ORDER_RECHARGE_FROM_UNIT = 7,
  ORDER_RECHARGE_FROM_ASTEROID = 8,
  ORDER_SCRAP_UNIT = 9,
  ORDER_DECOMMISSION = 10,
  ORDER_SCAN_ASTEROID = 11,
  ORDER_SCAN_SHIP = 12,
  ORDER_BUILD_ATVS = 13,
  ORDER_LAND_ATVS = 14,
  ORDER_RECOVER_ATVS = 15,
  ORDER_BUILD_SHIP = 16,
  ORDER_MODIFY_SHIP = 17,
  ORDER_BUILD_OR_REPAIR_SHIP = 18,
  ORDER_REPAIR = 19,
  ORDER_REPAIR_UNIT = 20,
  ORDER_BE_CONSTRUCTED = 21,
  ORDER_GET_REPAIRED = 22,
  ORDER_REBUILD_UNIT = 23,
  ORDER_SELF_DESTRUCT = 24,
  ORDER_DELAYED_MOVE = 25,
  ORDER_TYPE_26 = 26,
  ORDER_FOLLOW_FRIEND = 27,
  ORDER_DEFEND = 28,
  ORDER_ATTACK_ENEMY_AT_ASTEROID = 29,
  ORDER_CANCEL_FIRST = 30,
  ORDER_SPECIAL_ATTACK = 31,
  ORDER_BOMBARD = 32,
  ORDER_TYPE_33 = 33,
  ORDER_MENTAL_ATTACK = 34,
  ORDER_STUNNED = 35,
};
constexpr std::uint32_t kOrderTypeCount = 36;

enum OrderFailure : std::int32_t {
  ORDERFAIL_UNKNOWN_CAUSE = -24,
  ORDERFAIL_NO_ORBITAL_SPACE = -23,
  ORDERFAIL_TARGET_SOLD = -21,
  ORDERFAIL_SOLAR_TRIP_TOO_LONG = -19,
  ORDERFAIL_RETREATING = -18,
  ORDERFAIL_NO_SCANNER = -17,
  ORDERFAIL_NO_WEAPONS = -16,
  ORDERFAIL_TARGET_DECAYED = -14,
  ORDERFAIL_UNIMPLEMENTED = -13,
  ORDERFAIL_NO_CONSTRUCTION = -12,
  ORDERFAIL_CANNOT_MOVE = -11,
  ORDERFAIL_NO_SOLAR_DRIVE = -10,
  ORDERFAIL_BOXED_IN = -9,
  ORDERFAIL_NOWHERE_TO_RUN = -8,
  ORDERFAIL_TARGET_IN_SPACE = -7,
  ORDERFAIL_NO_TRANSFER_RATE = -6,
  ORDERFAIL_TARGET_REORDERED = -5,
  ORDERFAIL_TARGET_DEAD = -4,
  ORDERFAIL_LACK_POWER = -3,
  ORDERFAIL_LACK_ORGANICS = -2,
  ORDERFAIL_LACK_MINERALS = -1,
};

// Insert modes of an order: replace the queue, append, put first.
constexpr std::uint8_t kInsertReplace = 1;
constexpr std::uint8_t kInsertAppend = 2;
constexpr std::uint8_t kInsertFront = 4;

constexpr std::uint32_t kNoTargetId = 0xFFFFFFFFu;
constexpr int kZonesPerAsteroid = 31;

// The payment of a building order: words 0-3 carried for the server, then the
// costs paid in metals, silicates, exotics, reactives, organics.
struct ConstructionBlock {
  static constexpr int kWords = 9;
  static constexpr int kFirstCost = 4;
  std::array<std::uint16_t, kWords> words{};
  std::uint16_t Cost(int resource) const { return words[kFirstCost + resource]; }
};

// ATVs to land: byte zone of run kind, runs at offsets 8, 39, 70, 101; bytes
// 0-7 carried unchanged.
struct LandingBlock {
  static constexpr int kSize = 132;
  static constexpr int kFirstRun = 8;
  std::array<std::uint8_t, kSize> bytes{};
  std::uint8_t& Count(int kind, int zone) { return bytes[kFirstRun + kind * kZonesPerAsteroid + zone]; }
};

// ATVs to recover: per zone one word, nibble k the count of kind k.
struct RecoveryBlock {
  std::array<std::uint16_t, kZonesPerAsteroid> words{};
  int Count(int zone, int kind) const { return (words[zone] >> (4 * kind)) & 0xF; }
};

struct UnitOrder {
  UnitOrder() = default;
  UnitOrder(const UnitOrder& other);  // deep copy of the blocks; the cached target is kept
  UnitOrder& operator=(const UnitOrder&) = delete;

  // Words 0 and 1 of the head, little-endian as they travel.
  std::uint32_t Word(int n) const;
  void SetWord(int n, std::uint32_t value);
  Location GetLocation() const;
  void SetLocation(const Location& loc);
  // Asteroid head form: the low half of word 0.
  std::uint16_t Asteroid() const { return static_cast<std::uint16_t>(Word(0)); }
  // Zone head form: four signed ATV counts, a carried byte, the asteroid.
  std::int8_t ZoneAtvCount(int kind) const { return static_cast<std::int8_t>(head[kind]); }
  std::uint8_t ZoneAsteroid() const { return head[5]; }

  bool OwnsConstructionBlock() const;

  std::array<std::uint8_t, 8> head{};  // the 16-byte head's words 0 and 1
  std::uint8_t flag = 0;
  CGUnit* target = nullptr;  // cache of the target named by the head
  std::uint32_t type = 0;
  std::unique_ptr<ConstructionBlock> construction;  // types 13, 16, 17, 18, 23
  std::unique_ptr<LandingBlock> landing;            // type 14
  std::unique_ptr<RecoveryBlock> recovery;          // type 15
  // The cached target's id as read from a saved game, until resolved.
  std::uint32_t savedTargetId = kNoTargetId;
};

bool IsConstructionOrderType(std::uint32_t type);

// The order in the saved form of `version` (2 or 3); 1 on success.
int WriteUnitOrder(plat::FILE* fp, const UnitOrder& order, std::uint8_t version);
int WriteUnitOrder(BlockWriter& w, const UnitOrder& order, std::uint8_t version);
// Null on a short read, a bad presence byte or a bad validity byte.
std::unique_ptr<UnitOrder> ReadUnitOrder(plat::FILE* fp, std::uint8_t version);
std::unique_ptr<UnitOrder> ReadUnitOrder(BlockReader& r, std::uint8_t version);

// Texts of the order code, through the game's text index into `out` (always
// terminated; empty without an index). The text completing a sentence about a
// failed order; empty for codes without one.
void GetOrderFailureText(std::int32_t code, char* out, std::size_t size = 124);
// The order kind's name; for type 21, `construction` chooses "be constructed".
void GetOrderTypeName(std::uint32_t type, char* out, std::uint16_t construction, std::size_t size = 50);
// The text IDs behind them (null where there is none); the verb is the one
// a first order names its follower by ("Going to %s1 unit").
const char* GetOrderFailureTextId(std::int32_t code);
const char* GetOrderVerbId(std::uint32_t type);
const char* GetOrderTypeNameId(std::uint32_t type, std::uint16_t construction);
