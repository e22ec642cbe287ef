#pragma once
// Terrain battles: the ATVs a chapter sends against a zone (the zone's
// attacking list) fight the zone's holder, whose facilities fire with its
// ATVs. The rounds, chances and the fate of a taken zone are told in
// server/README.md ("Battles"). Every shot that tells, every loss and every
// facility destroyed becomes a terrain event for the client's recorder:
//   a event kind (0 a facility at the start, 2 ATVs standing at the start,
//     15 a combat round, 17 ATVs that took the zone moving in, 18 a facility
//     destroyed), b the round (from 0, counting only rounds with events, as
//     the replay plays them), source type (1 ATV, 2 facility, 4 shot, 5
//     destroyed, 6 held by entrenchment), d source zone, source value (the
//     facility bit, or the cell of the zone: the ATV kind, or for a
//     facility's shot its place, 2 power, 1 mining and storage, 3 ATV
//     construction), target type (1 ATV, 5 destroyed), g target zone, target
//     value (the ATV kind or facility bit), w the chapter acting (or losing).
// Attackers stand in the cells of the zone they set off from, apart from the
// holders. A facility destroyed is pictured at the start by its loss alone,
// and so is an ATV that falls; the ATVs of a zone fought over that are left
// standing get one kind-2 (or kind-17) event per chapter and ATV kind.
//
// One thread only.

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "Game/model/GTerrainRec.h"
#include "Game/model/GWorldTypes.h"
#include "server/world/SrvRandom.h"

class CGAsteroid;
class CGZone;

constexpr int kMaxTerrainRounds = 10;

enum SrvTerrainEventKind : std::uint32_t {
  kTerrainFacilityPresent = 0,
  kTerrainPickUp = 1,  // ATVs taken aboard from a zone (a pod calls for them)
  kTerrainAtvPresent = 2,
  kTerrainCollision = 3,     // a wreck strikes the asteroid...
  kTerrainExplosion = 4,     // ...and bursts in a zone
  kTerrainBombardment = 5,   // a unit in orbit fires on a zone
  kTerrainLanding = 7,       // ATVs (source ATV) and their pods (source pod) come down
  kTerrainPodShotDown = 8,   // a defender's shot at a landing pod
  kTerrainDefenceFire = 12,  // the holder's facility fires as an attack comes in...
  kTerrainDefenceHit = 13,   // ...and the attacker it struck
  kTerrainAtvAdvance = 14,   // ATVs set off from a zone toward the zone they join
  kTerrainCombatRound = 15,
  kTerrainAtvMovesIn = 17,
  kTerrainFacilityLost = 18,
};
enum SrvTerrainElement : std::uint32_t {
  kElementAtv = 1,
  kElementFacility = 2,
  kElementShot = 4,
  kElementDestroyed = 5,
  kElementEntrenched = 6,
  kElementPod = 7,
};

// The facilities a zone may hold, in the order they stand (and fall).
constexpr std::uint32_t kSrvFacilityBits[] = {FACILITY_POWER, FACILITY_MINING, FACILITY_STORAGE,
                                              FACILITY_ATV_CONSTRUCTION};
// The cell of the zone where the replay draws a facility, and whence its shots fly.
std::uint32_t SrvFacilityCell(std::uint32_t bit);

// The events the recorder takes for one asteroid (its saved count is 16 bits);
// a turn's record is cut there.
constexpr std::size_t kMaxTerrainEvents = 16384;

// An event from the cell (from, sourceValue) to the cell (to, targetValue),
// told for `chapter`.
TerrainEvent SrvTerrainEvent(std::uint32_t kind, std::uint32_t round, std::uint32_t sourceType, std::uint16_t from,
                             std::uint32_t sourceValue, std::uint32_t targetType, std::uint16_t to,
                             std::uint32_t targetValue, std::uint8_t chapter);

struct SrvZoneOwnerChange {
  std::uint16_t zone = 0;
  std::uint8_t from = 0;
  std::uint8_t to = 0;
};

struct SrvTerrainResult {
  std::vector<TerrainEvent> events;
  std::vector<std::uint16_t> changedZones;
  std::vector<SrvZoneOwnerChange> ownerChanges;
  std::vector<std::uint8_t> chapters;  // every chapter that fought, each once
};

// Settles every attack on the asteroid's zones, changing their owners, ATV
// counts, entrenchment, facilities and attacking lists. An attack that neither
// wins nor is wiped out stays in the attacking list with its survivors.
// `origins` (SrvWorld::atvOrigins) tells where each attack set off from.
SrvTerrainResult SrvFightTerrainBattles(CGAsteroid& asteroid, const std::map<std::uint32_t, std::uint16_t>& origins,
                                        SrvRandom& random);
