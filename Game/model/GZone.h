#pragma once
// One zone of an asteroid's surface: its owner and the owner's ATVs by kind,
// the facilities built there, the local chapter's ATV moves, arrivals and
// attacks of this turn, and the zone's mining output. The asteroid
// (GAsteroid.h) owns its zones and answers the geometry (rings, angles,
// neighbours).
//
// Game thread only.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>

#include "Game/arrayman/ArrayMan.h"
#include "Game/base/GBlockStream.h"
#include "Game/model/GWorldTypes.h"
#include "platform/core/files.h"

// One ATV moved into the zone this turn (3 bytes saved).
struct ZoneAtvMove {
  std::uint8_t chapter = 0;
  std::uint8_t sourceZone = 0;
  std::uint8_t kind = 0;
  // Made from blocks of many, as units are (GSlotPool.cpp): a saved game
  // brings hundreds of them.
  static void* operator new(std::size_t size);
  static void operator delete(void* p, std::size_t size) noexcept;
};

// A chapter's ATVs by kind on their way into, or attacking, the zone (5 bytes
// saved). Each list holds at most the local chapter's entry.
struct ZoneAtvCount {
  std::uint8_t chapter = 0;
  std::uint8_t counts[kAtvKinds] = {};
  // Made from blocks of many, as units are (GSlotPool.cpp): a saved game
  // brings hundreds of them.
  static void* operator new(std::size_t size);
  static void operator delete(void* p, std::size_t size) noexcept;
};

using ZoneAtvMoveArray = ArrayMan<ZoneAtvMove>;
using ZoneAtvCountArray = ArrayMan<ZoneAtvCount>;
using ZoneAtvAttackArray = ArrayMan<ZoneAtvCount>;

constexpr std::uint8_t kZoneEndByte = 0xE2;
constexpr int kAtvConstructionBlockSize = 6;

// A zone's ATV-construction block, held inside the zone so that the thousands
// of zones a saved game brings each cost no heap block of their own. It is
// there (true, non-null) only while the zone has the construction facility;
// when it comes it holds zeros.
class AtvConstructionBlock {
 public:
  explicit operator bool() const { return m_present; }
  std::uint8_t* get() { return m_present ? m_bytes : nullptr; }
  const std::uint8_t* get() const { return m_present ? m_bytes : nullptr; }
  std::uint8_t& operator[](std::size_t i) { return m_bytes[i]; }
  std::uint8_t operator[](std::size_t i) const { return m_bytes[i]; }
  // Makes a zeroed block where there is none; a block already there keeps its bytes.
  void Make() {
    if (m_present) return;
    std::fill(std::begin(m_bytes), std::end(m_bytes), std::uint8_t{0});
    m_present = true;
  }
  void reset() { m_present = false; }
  friend bool operator==(const AtvConstructionBlock& b, std::nullptr_t) { return !b.m_present; }

 private:
  std::uint8_t m_bytes[kAtvConstructionBlockSize] = {};
  bool m_present = false;
};

class CGZone {
 public:
  // Counts, flags and dirty 0, status 255, no facilities. The owner is nobody
  // (254), or unknown (253) while the game's all-asteroids-scanned setting is off.
  CGZone(std::uint8_t index, std::uint16_t asteroidId);
  // The same with the owner given: an asteroid making all its zones asks
  // the game's setting once.
  CGZone(std::uint8_t index, std::uint16_t asteroidId, std::uint8_t owner);
  // Nobody (254), or unknown (253) while the all-asteroids-scanned setting is off.
  static std::uint8_t InitialZoneOwner();
  ~CGZone();
  CGZone(const CGZone&) = delete;
  CGZone& operator=(const CGZone&) = delete;

  // Counts, entrenched flags and zone word 0, the three lists emptied, dirty 0;
  // owner, limit, mining value and facilities stay (zone packets).
  void Reset();

  // Values above 16 are refused (0); else stored (1).
  int SetAtvLimit(std::uint8_t limit);
  int SetMiningValue(std::uint8_t value);
  void SetOwner(std::uint8_t chapter) { owner = chapter; }
  void SetFacilityOwner(std::uint8_t chapter) { facilityOwner = chapter; }
  void SetAtvCounts(std::uint8_t c0, std::uint8_t c1, std::uint8_t c2, std::uint8_t c3);

  // The owner's count of kind k; kAllAtvKinds: the sum of the four (8-bit).
  // 0 for another kind.
  std::uint8_t GetAtvCount(std::uint8_t kind) const;
  // Arriving entry i's count of kind k (255: sum); 0 when there is no entry i.
  std::uint8_t GetArrivingAtvCount(std::uint16_t i, std::uint8_t kind) const;
  // The owner's count when `chapter` owns the zone, plus the chapter's arriving
  // entry's count (8-bit sum).
  std::uint8_t GetChapterAtvCount(std::uint8_t chapter, std::uint8_t kind) const;
  // 1 when the arriving list has an entry of `chapter`.
  int HasArrivingAtvs(std::uint8_t chapter) const;

  void SetAtvKindEntrenched(std::uint8_t kind, std::uint32_t flag);
  std::uint32_t IsAtvKindEntrenched(std::uint8_t kind) const;

  // Stores the facility mask; the ATV-construction block (zeroed) exists
  // exactly while bit 8 is set.
  void SetFacilities(std::uint32_t mask);

  // The local player's ATV changes. Counts saturate at 0 and 255 instead of
  // wrapping. A kind whose count is 0 loses its entrenched flag; no ATVs left
  // frees the zone (owner 254). With send: packet 601 to all. The zone
  // becomes dirty.
  void AddAtvs(std::uint8_t kind, std::int8_t n, int send);
  // Appends n moves {local chapter, source zone, kind}.
  void AddAtvMoves(std::uint8_t kind, int n, std::uint8_t sourceZone);
  // Removes the first move with that kind and source zone.
  void RemoveAtvMove(std::uint8_t kind, std::uint8_t sourceZone);
  // Adds n (8-bit, so 256 - m takes m away) to kind k of the local chapter's
  // arriving entry (made when absent, removed when all four counts are 0
  // afterwards); with send: packet 600.
  void AddArrivingAtvs(std::uint8_t kind, std::uint8_t n, std::uint16_t sourceZone, int send);
  // The same on the attacking list, always followed by packet 607.
  void AddAttackingAtvs(std::uint8_t kind, std::uint8_t n, std::uint16_t sourceZone);

  // Builds a facility (ZoneFacility value), paying its cost in ATVs of the
  // kind the game variables name. 1 when built; 0, with nothing changed, for
  // an unknown type or when the owner holds fewer ATVs of that kind than the
  // cost.
  int BuildFacility(std::uint32_t type);

  // The zone's mining output for its owner: 0 for all four when nobody holds
  // it; else the composition's mix x mining value x the owner's ATV tech,
  // raised by the mining facility's effect.
  void GetMiningOutput(std::uint16_t* metals, std::uint16_t* silicates, std::uint16_t* exotics,
                       std::uint16_t* reactives) const;

  // The zone's saved form inside its asteroid's block, ending in 0xE2. Load
  // takes the asteroid's version byte (which decides the fields present) and
  // leaves the zone as it was unless the result is kOk.
  int Save(plat::FILE* fp) const;
  int Load(plat::FILE* fp, std::uint8_t version);
  bool Save(BlockWriter& w) const;
  LoadStatus Load(BlockReader& r, std::uint8_t version);
  // A zone made at `at` (room for one, holding none) straight from its block,
  // as a zone made and then loaded would stand, but with each of its bytes
  // written once: an asteroid reading its zones. With any status but kOk
  // nothing stands at `at`.
  static LoadStatus MakeFromBlock(void* at, BlockReader& r, std::uint8_t version);

  std::uint8_t index = 0;
  std::uint8_t dirty = 0;
  std::uint16_t asteroidId = 0;
  std::uint8_t atvLimit = 0;
  std::uint8_t owner = kZoneNobody;
  std::uint8_t atvCounts[kAtvKinds] = {};
  std::uint32_t entrenched[kAtvKinds] = {};
  std::uint32_t zoneWord = 0;
  std::uint8_t miningValue = 0;
  std::uint8_t status = 255;
  std::uint8_t facilityOwner = 0;
  std::uint32_t facilities = 0;
  AtvConstructionBlock atvConstruction;  // there while bit 8 is set
  ZoneAtvMoveArray atvMoves;
  ZoneAtvCountArray arriving;
  ZoneAtvAttackArray attacking;

 private:
  // Made for MakeFromBlock, which gives every field its value from the block.
  CGZone() = default;
  void ClearLists();
  template <bool kNew>
  LoadStatus ReadBlock(BlockReader& r, std::uint8_t version);
  void ChangeAtvCount(std::uint8_t kind, int delta);
  void AddToCountList(ZoneAtvCountArray& list, std::uint8_t kind, std::uint8_t n);
  void SendCountPacket(std::uint16_t type, std::uint16_t sourceZone, std::uint8_t kind, std::uint8_t n) const;
};
