#pragma once
// One asteroid of the solar system: name, position and orbit, owner and
// controller, size and composition, zones, power coefficients, the local
// player's scan and visit turns, the camera of its 3D view, timed events and
// its terrain battle record. The solar-system database (GSolarSys.h) owns the
// asteroids; an asteroid's id is its index there.
//
// Orbits, power and mining (GAsteroidOrbit.cpp, GAsteroidPower.cpp) are
// computed the same way by the client and the server: see the notes there on
// the precision the orbit arithmetic must keep.
//
// Game thread only.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

#include "Game/arrayman/ArrayMan.h"
#include "Game/base/GBlockStream.h"
#include "Game/model/GLocation.h"
#include "Game/model/GNameText.h"
#include "Game/model/GTerrainRec.h"
#include "Game/model/GWorldTypes.h"
#include "Game/model/GZone.h"
#include "platform/core/files.h"

// Moves on whenever an asteroid is made, deleted, loaded or changes place
// (SetPosition, the orbit steps): the solar system's nearest-asteroid index
// rebuilds on the next query after it. `position` written directly passes
// it by.
extern std::uint32_t g_asteroidPlaceChanges;

// A timed asteroid event (10 bytes saved); the client only keeps, saves and
// expires them.
struct AsteroidEvent {
  std::uint8_t kind = 0;
  std::uint32_t value = 0;
  std::uint32_t expiryTurn = 0;
  std::uint8_t flag = 0;
  // Made from blocks of many, as units are (GSlotPool.cpp): a saved game
  // brings hundreds of them.
  static void* operator new(std::size_t size);
  static void operator delete(void* p, std::size_t size) noexcept;
};

constexpr std::uint8_t kAsteroidVersion = 4;
constexpr std::uint8_t kAsteroidEndByte = 0xC9;
constexpr int kRingCount = 5;

enum OrbitKind : std::uint8_t { ORBIT_ELLIPTIC = 0, ORBIT_OSCILLATING = 1 };

// An asteroid's zones, side by side in one run (an asteroid has at most 31).
// Runs of one length come from blocks of many (GSlotPool.cpp), so a saved
// game's thousands of zones cost a handful of heap blocks, not two an asteroid.
class ZoneRun {
 public:
  ZoneRun() = default;
  ~ZoneRun() { Clear(); }
  ZoneRun(ZoneRun&& o) noexcept : m_zones(std::exchange(o.m_zones, nullptr)), m_count(std::exchange(o.m_count, 0)) {}
  ZoneRun& operator=(ZoneRun&& o) noexcept {
    std::swap(m_zones, o.m_zones);
    std::swap(m_count, o.m_count);
    return *this;
  }
  // Replaces the zones by `n` new ones (n from 0 to 31), zone i with index i,
  // of `asteroid`, owned by `owner`.
  void Make(int n, std::uint16_t asteroid, std::uint8_t owner);
  // Replaces the zones by `n` (0 to 31) read from their blocks in an
  // asteroid's block of `version`, each made once from its bytes. With any
  // status but kOk there are no zones.
  LoadStatus Load(int n, std::uint8_t version, BlockReader& r);
  // No zones.
  void Clear() noexcept;
  // Zone i, or null past the last.
  CGZone* get(std::uint16_t i) const { return i < m_count ? m_zones + i : nullptr; }
  int size() const { return m_count; }

  static constexpr int kMostZones = ZoneCountOfSize(kMaxSizeClass);

 private:
  CGZone* m_zones = nullptr;
  int m_count = 0;
};

class CGAsteroid final : public CRecorder {
 public:
  // No name, owners 0xFFFF, size and composition 0xFF, no zones, default
  // camera, animation step 8.
  explicit CGAsteroid(std::uint16_t id);
  // Builds the asteroid and reads it with Load; *ok receives the result.
  static std::unique_ptr<CGAsteroid> CreateFromFile(plat::FILE* fp, int* ok);
  static std::unique_ptr<CGAsteroid> CreateFromBlock(BlockReader& r, LoadStatus* status);
  ~CGAsteroid();
  // Asteroids come from blocks of many (GSlotPool.cpp), as units do.
  static void* operator new(std::size_t size);
  static void operator delete(void* p) noexcept;
  CGAsteroid(const CGAsteroid&) = delete;
  CGAsteroid& operator=(const CGAsteroid&) = delete;

  // Replaces the zones by ZoneCountOfSize(size class) new ones; 1 (an unset
  // size class gives no zones).
  int CreateZones();
  void DeleteZones();
  int GetZoneCount() const { return zoneCount; }
  // Zone i, or null outside 0 .. count - 1.
  CGZone* GetZone(std::uint16_t i) const;

  // The name; when none is set, name number n of "astnames.dat" (n = 0: id + 1)
  // becomes it (an empty name when the file has no such name).
  const char* GetName(int n = 0);
  void SetName(const char* name);
  // The name if one is set, else null; reads no file.
  const char* PeekName() const { return name.get(); }

  void GetPosition(Location* out) const { *out = position; }
  // Sets the position and the previous position.
  void SetPosition(const Location* loc);
  void GetOrbitCenters(Location* c1, Location* c2) const;
  void SetOrbitCenters(const Location* c1, const Location* c2);
  void SetOrbitShape(std::uint8_t kind, float zFactor, float previousSpeed, double previousAngle);
  void SetOrbitAngle(double angle, float speed);
  void SetOrbitRadii(std::uint16_t r1, std::uint16_t r2);
  void SetPowerCoefficients(std::uint8_t spinValue, std::uint8_t thermalValue, std::uint8_t kineticValue);
  std::uint8_t GetThermalCoefficient() const { return thermal; }
  std::uint8_t GetRadiationCoefficient() const { return radiation; }
  void SetCompositionType(std::uint8_t type) { composition = type; }
  std::uint8_t GetCompositionType() const { return composition; }
  // "A", "M1" .. "R4", "Unknown".
  const char* GetCompositionCode() const;
  // The size class text through the game's text index ("Unk" for an unset size).
  void GetSizeText(char* out) const;
  void GetViewCamera(double pos[3], float first[3], float second[3]) const;
  void SetViewCamera(const double pos[3], const float first[3], const float second[3]);

  // Owner changes keep the chapters' owned-asteroid counts; a new owner in the
  // local guild makes the asteroid detected.
  void SetOwner(std::uint16_t chapter);
  // Withdraws the old controller's guild vote offer for this asteroid.
  void SetController(std::uint16_t chapter);
  // With send: packet 610 to all players.
  void SetAutomanage(std::uint8_t flag, int send);
  void ToggleAutomanage();

  std::uint16_t GetLastScanTurn();
  std::uint16_t GetLastVisitTurn();
  // Visit turn = current turn + 1 (1 stored as 0).
  void SetVisitTurnNext();

  // Zones as a whole.
  int IsChapterPresent(std::uint8_t chapter) const;
  void CountChapterATVs(std::uint8_t chapter, std::uint16_t* c0, std::uint16_t* c1, std::uint16_t* c2,
                        std::uint16_t* c3) const;
  int HasAnyATVs() const;
  void ReleaseChapterZones(std::uint8_t chapter);

  // Zone geometry. Ring of a zone: 0 -> -1, 1-2 -> 0, 3-6 -> 1, 7-12 -> 2,
  // 13-20 -> 3, above -> 4.
  static int GetZoneRing(std::uint32_t zone);
  // (offset + ring rotation + 4 x place in ring) mod 8(ring + 1); 0 and ring -1
  // for the centre.
  int GetZoneAngle(std::uint32_t zone, int offset, int* ring) const;
  int AreZonesAdjacent(std::uint32_t z1, std::uint32_t z2) const;
  // The neighbour of both zones a move from z1 to z2 passes through; 1 with
  // *out set, or 0 with *out = 0.
  int FindIntermediateZone(std::uint32_t z1, std::uint32_t z2, std::uint32_t* out) const;

  // Events.
  void AddEvent(const AsteroidEvent& e);
  // Removes every event whose expiry turn is <= current turn + 1.
  void ExpireEvents();
  std::uint16_t GetEventCount() const { return events.count; }
  std::uint8_t GetEventKind(std::uint16_t i) const;     // 5 past the end
  std::uint32_t GetEventValue(std::uint16_t i) const;   // 0 past the end
  std::uint32_t GetEventExpiry(std::uint16_t i) const;  // 0 past the end
  std::uint8_t GetEventFlag(std::uint16_t i) const;     // 3 past the end

  // Orbits (GAsteroidOrbit.cpp). No allocation.
  void AdvanceOrbit(int animate, int forward);
  void PredictOrbitStep(Location* out, float* speed, double* angle) const;
  int GetEllipseY() const;
  void RestorePreviousOrbit();
  void ComputeThermalCoefficient();
  void ComputeRadiationCoefficient();
  double GetOrbitPeriod() const;

  // Power and mining (GAsteroidPower.cpp).
  std::uint32_t GetZonePowerOutput(std::uint16_t chapter, std::uint16_t zone, std::uint8_t assumedPowerAtvs) const;
  std::uint32_t GetChapterPowerOutput(std::uint16_t chapter) const;
  void GetChapterMiningOutput(std::uint16_t chapter, std::uint16_t* metals, std::uint16_t* silicates,
                              std::uint16_t* exotics, std::uint16_t* reactives) const;
  void GetMiningCapacity(std::uint16_t chapter, std::uint16_t* metals, std::uint16_t* silicates, std::uint16_t* exotics,
                         std::uint16_t* reactives) const;

  // The asteroid's block (version 4, ending in 0xC9). Load takes versions 1..4
  // and leaves the asteroid as it was unless the whole block reads.
  int Save(plat::FILE* fp) const;
  int Load(plat::FILE* fp);
  bool Save(BlockWriter& w) const;
  LoadStatus Load(BlockReader& r);

  std::uint8_t animationStep = 8;
  NameText name;
  std::uint16_t id = 0;
  Location position;
  std::uint16_t owner = kNoChapter;
  std::uint16_t previousOwner = kNoChapter;
  std::uint16_t controller = kNoChapter;
  std::uint8_t automanage = 0;
  std::uint8_t sizeClass = kUnsetByte;
  std::uint8_t composition = kUnsetByte;
  std::int8_t ringRotations[kRingCount] = {};
  // The zones by index, made and freed together.
  ZoneRun zones;
  int zoneCount = 0;
  std::uint8_t spin = 0;
  std::uint8_t thermal = 0;
  std::uint8_t kinetic = 0;
  std::uint8_t radiation = 0;
  std::uint8_t orbitKind = ORBIT_ELLIPTIC;
  double previousAngle = 0.0;
  float previousSpeed = 0.0f;
  float zFactor = 0.0f;
  double angle = 0.0;
  float speed = 0.0f;
  std::uint32_t radius1Squared = 0;
  std::uint16_t radius1 = 0;
  std::uint16_t radius2 = 0;
  Location center1;
  Location center2;
  std::uint16_t lastScanTurn = 0;
  std::uint16_t lastVisitTurn = 0;
  double cameraPosition[3] = {1100.0, 1100.0, 1060.0};
  float cameraFirst[3] = {0.0f, 0.0f, 1.0f};
  float cameraSecond[3] = {0.0f, 1.0f, 0.0f};
  std::uint32_t detected = 0;
  Location previousPosition;
  ArrayMan<AsteroidEvent> events;

 private:
  void FreeEvents();
  void SwapContents(CGAsteroid& other) noexcept;
  // The block read straight into this asteroid, which a block that fails
  // leaves part-read: for a new asteroid that is dropped then.
  LoadStatus ReadInto(BlockReader& r);
  // One orbit formula step on (speed, angle); writes the new coordinates.
  void StepOrbit(int forward, float* stepSpeed, double* stepAngle, Location* out) const;
};
