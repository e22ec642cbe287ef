#pragma once
// What happened on an asteroid's surface during a turn, kept for the terrain
// replay: two lists of track records with their steps (read, kept and written
// back; the client makes none) and the terrain events the terrain-result
// packets bring. The recorder is the first part of every asteroid and is
// saved inside the asteroid's block.
//
// Game thread only.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "Game/arrayman/ArrayMan.h"
#include "Game/base/GBlockStream.h"
#include "platform/core/files.h"

class CSpriteMover;

struct TrackStep {
  TrackStep* next = nullptr;
  std::uint8_t values[4] = {};  // values[3]: the played flag
};

struct TrackRecord {
  TrackRecord* next = nullptr;
  std::uint16_t values[5] = {};
  TrackStep* steps = nullptr;
  std::uint32_t runtime = 0;  // 0 after loading
};

// Terrain element types 0..7 (source and target of an event): 0 none, 2 a
// facility (its value a ZoneFacility bit), the others terrain elements whose
// value is stored as given.
constexpr std::uint32_t kTerrainNone = 0;
constexpr std::uint32_t kTerrainFacility = 2;

struct TerrainEvent {
  std::uint32_t a = 0;
  std::uint32_t b = 0;
  std::uint32_t sourceType = 0;
  std::uint32_t d = 0;
  std::uint32_t sourceValue = 0;  // 0 when the type carries none
  std::uint32_t targetType = 0;
  std::uint32_t g = 0;
  std::uint32_t targetValue = 0;
  std::uint16_t w = 0;
  CSpriteMover* mover = nullptr;  // owned, while the replay plays
  // Made from blocks of many, as units are (GSlotPool.cpp): a saved game
  // brings hundreds of them.
  static void* operator new(std::size_t size);
  static void operator delete(void* p, std::size_t size) noexcept;
};

using TerrainEventArray = ArrayMan<TerrainEvent>;

// Packet 603: 36-byte records from offset 12.
constexpr std::size_t kTerrainEventRecordSize = 36;
// A list of more tracks, or a track of more steps, is refused on load.
constexpr std::uint32_t kMaxTrackRecords = 0xFFFF;

class CRecorder {
 public:
  CRecorder() = default;
  ~CRecorder();
  CRecorder(const CRecorder&) = delete;
  CRecorder& operator=(const CRecorder&) = delete;

  // Frees both track lists, releases the movers and frees every event
  // (packet 602, destruction).
  void Clear();
  // Sets the played flag of every step of the first list's tracks.
  void SetTrackStepFlags();
  // Releases every event's sprite mover (through its registered owner).
  void ReleaseEventMovers();
  // Appends n equal events (nothing for n < 1); returns 0. A value is kept
  // only for a type that carries one: types 1 and 3..7 as given, type 2 only a
  // facility bit. Source and target follow the same rule (a target of type 6
  // keeps its own value too).
  int AddTerrainEvents(std::uint32_t a, std::uint32_t b, std::uint32_t sourceType, std::uint32_t d,
                       std::uint32_t sourceValue, std::uint32_t targetType, std::uint32_t g, std::uint32_t targetValue,
                       std::uint16_t w, int n);

  // Packet 603: u16 record count at 8 (the asteroid index at 10 is the
  // caller's), records of 36 bytes from 12, each added as one event. A count
  // the packet does not hold is refused whole: 0, nothing added; else 1.
  int AddTerrainEventPacket(std::span<const std::uint8_t> packet);

  std::uint16_t GetTerrainEventCount() const { return terrainEvents.count; }
  const TerrainEvent* GetTerrainEvent(std::uint16_t i) const { return terrainEvents.GetAt(i); }

  // The record inside the asteroid's block. Load replaces the record only
  // when the whole record reads (kOk); otherwise it stays as it was.
  int Save(plat::FILE* fp) const;
  int Load(plat::FILE* fp);
  bool Save(BlockWriter& w) const;
  LoadStatus Load(BlockReader& r);

  // Swaps the whole record with another (used by the transactional loads).
  void SwapRecord(CRecorder& other) noexcept;

  TrackRecord* firstTracks = nullptr;
  TrackRecord* secondTracks = nullptr;
  TerrainEventArray terrainEvents;  // named apart from the asteroid's own events
};
