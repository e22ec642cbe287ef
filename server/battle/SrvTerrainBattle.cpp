#include "server/battle/SrvTerrainBattle.h"

#include <algorithm>
#include <array>

#include "Game/model/GAsteroid.h"
#include "Game/model/GZone.h"
#include "server/battle/SrvSpaceBattle.h"
#include "server/world/SrvWorld.h"
#include "server/world/SrvZoneRoom.h"

namespace {

constexpr int kCombatAtvHit = 60;  // percent per shot; ATVs of kind 0 are the combat ATVs
constexpr int kOtherAtvHit = 20;
constexpr int kFacilityHit = 40;
constexpr int kEntrenchedHolds = 30;

using Counts = std::array<int, kAtvKinds>;

int Total(const Counts& c) { return c[0] + c[1] + c[2] + c[3]; }

// Combat ATVs stand in front; the others fall after them.
int FrontKind(const Counts& c) {
  for (int k = 0; k < kAtvKinds; ++k) {
    if (c[k] > 0) return k;
  }
  return -1;
}

void AddEvent(SrvTerrainResult& out, std::uint16_t from, std::uint16_t to, std::uint32_t kind, std::uint32_t round,
              std::uint32_t sourceType, std::uint32_t sourceValue, std::uint32_t targetType, std::uint32_t targetValue,
              std::uint8_t chapter) {
  out.events.push_back(
      SrvTerrainEvent(kind, round, sourceType, from, sourceValue, targetType, to, targetValue, chapter));
}

void AddEvent(SrvTerrainResult& out, const CGZone& zone, std::uint32_t kind, std::uint32_t round,
              std::uint32_t sourceType, std::uint32_t sourceValue, std::uint32_t targetType, std::uint32_t targetValue,
              std::uint8_t chapter) {
  AddEvent(out, zone.index, zone.index, kind, round, sourceType, sourceValue, targetType, targetValue, chapter);
}

// The attackers are drawn in the cells of the zone they set off from
// (`origin`), so that they do not cover the holders'.
class ZoneFight {
 public:
  ZoneFight(CGZone& zone, std::uint8_t attacker, std::uint16_t origin, Counts attackers, SrvRandom& random,
            SrvTerrainResult& out)
      : m_zone(zone), m_attacker(attacker), m_origin(origin), m_random(random), m_out(out), m_attackers(attackers) {
    for (int k = 0; k < kAtvKinds; ++k) m_defenders[k] = zone.atvCounts[k];
  }

  // Fights to the end or the round cap; returns the attackers left.
  Counts Fight() {
    const std::uint8_t defender = m_zone.owner;
    for (std::uint32_t bit : kSrvFacilityBits) {
      if ((m_zone.facilities & bit) != 0) NoteFacility(bit, defender);
    }
    OpeningFire(defender);
    for (std::uint32_t round = 0; round < kMaxTerrainRounds && Total(m_attackers) > 0 && Total(m_defenders) > 0;
         ++round) {
      Counts attackerLosses{}, defenderLosses{};
      Volley(round, m_attackers, m_attacker, m_defenders, true, defenderLosses);
      Volley(round, m_defenders, defender, m_attackers, false, attackerLosses);
      for (std::uint32_t bit : kSrvFacilityBits) {
        if ((m_zone.facilities & bit) != 0 && m_random.Range(1, 100) <= kFacilityHit)
          Hit(round, SrvFacilityCell(bit), defender, m_attackers, false, attackerLosses);
      }
      Bury(round, m_defenders, defenderLosses, defender, m_zone.index);
      Bury(round, m_attackers, attackerLosses, m_attacker, m_origin);
    }
    for (int k = 0; k < kAtvKinds; ++k) m_zone.atvCounts[k] = static_cast<std::uint8_t>(m_defenders[k]);
    return m_attackers;
  }

 private:
  // Every ATV of `side` fires once at the front of the other side (counted at
  // the round's start: both sides fire at once).
  void Volley(std::uint32_t round, const Counts& side, std::uint8_t chapter, const Counts& foe, bool atHolders,
              Counts& losses) {
    for (int k = 0; k < kAtvKinds; ++k) {
      for (int n = 0; n < side[k]; ++n) {
        if (m_random.Range(1, 100) > (k == 0 ? kCombatAtvHit : kOtherAtvHit)) continue;
        Hit(round, static_cast<std::uint32_t>(k), chapter, foe, atHolders, losses);
      }
    }
  }

  // As the attack comes in, each of the zone's facilities fires once at its
  // front ATV where it set off from (the replay plays this before the rounds).
  void OpeningFire(std::uint8_t defender) {
    for (std::uint32_t bit : kSrvFacilityBits) {
      if ((m_zone.facilities & bit) == 0 || m_random.Range(1, 100) > kFacilityHit) continue;
      const int victim = FrontKind(m_attackers);
      if (victim < 0) return;
      const auto v = static_cast<std::uint32_t>(victim);
      AddEvent(m_out, m_zone.index, m_origin, kTerrainDefenceFire, 0, kElementShot, SrvFacilityCell(bit), kElementAtv,
               v, defender);
      AddEvent(m_out, m_origin, m_origin, kTerrainDefenceHit, 0, kElementDestroyed, v, kElementAtv, v, m_attacker);
      --m_attackers[static_cast<std::size_t>(victim)];
    }
  }

  // The facility pictured at the start of the replay, once however often the
  // zone is fought over in the turn.
  void NoteFacility(std::uint32_t bit, std::uint8_t holder) {
    for (const TerrainEvent& e : m_out.events) {
      if (e.a == kTerrainFacilityPresent && e.d == m_zone.index && e.sourceValue == bit) return;
    }
    AddEvent(m_out, m_zone, kTerrainFacilityPresent, 0, kElementFacility, bit, 0, 0, holder);
  }

  // A shot from the cell `fromCell` (an ATV's kind, or a facility's place).
  void Hit(std::uint32_t round, std::uint32_t fromCell, std::uint8_t chapter, const Counts& foe, bool atHolders,
           Counts& losses) {
    Counts left = foe;
    for (int k = 0; k < kAtvKinds; ++k) left[k] -= losses[k];
    const int victim = FrontKind(left);
    if (victim < 0) return;
    const auto v = static_cast<std::uint32_t>(victim);
    const std::uint16_t from = atHolders ? m_origin : m_zone.index, to = atHolders ? m_zone.index : m_origin;
    AddEvent(m_out, from, to, kTerrainCombatRound, round, kElementShot, fromCell, kElementAtv, v, chapter);
    if (atHolders && m_zone.entrenched[victim] != 0 && m_random.Range(1, 100) <= kEntrenchedHolds) {
      AddEvent(m_out, m_zone, kTerrainCombatRound, round, kElementEntrenched, v, kElementAtv, v, chapter);
      return;
    }
    ++losses[victim];
  }

  void Bury(std::uint32_t round, Counts& side, const Counts& losses, std::uint8_t chapter, std::uint16_t at) {
    for (int k = 0; k < kAtvKinds; ++k) {
      for (int n = 0; n < losses[k]; ++n) {
        AddEvent(m_out, at, at, kTerrainCombatRound, round, kElementDestroyed, static_cast<std::uint32_t>(k),
                 kElementAtv, static_cast<std::uint32_t>(k), chapter);
      }
      side[k] -= losses[k];
    }
  }

  CGZone& m_zone;
  std::uint8_t m_attacker;
  std::uint16_t m_origin;
  SrvRandom& m_random;
  SrvTerrainResult& m_out;
  Counts m_attackers{};
  Counts m_defenders{};
};

void Note(std::vector<std::uint8_t>& list, std::uint8_t chapter) {
  if (std::find(list.begin(), list.end(), chapter) == list.end()) list.push_back(chapter);
}
void Note(std::vector<std::uint16_t>& list, std::uint16_t zone) {
  if (std::find(list.begin(), list.end(), zone) == list.end()) list.push_back(zone);
}

int ZoneAtvs(const CGZone& zone) {
  return zone.atvCounts[0] + zone.atvCounts[1] + zone.atvCounts[2] + zone.atvCounts[3];
}

// The winner's ATVs hold the zone as far as its room goes (those past it are
// left in `atvs`); the loser's facilities there are destroyed.
// Their loss pictures them at the start of the replay, in place of their
// presence, which would leave them standing after the loss is played.
void TakeOver(CGZone& zone, std::uint8_t chapter, Counts& atvs, SrvTerrainResult& out) {
  std::erase_if(out.events, [&](const TerrainEvent& e) { return e.a == kTerrainFacilityPresent && e.d == zone.index; });
  for (std::uint32_t bit : kSrvFacilityBits) {
    if ((zone.facilities & bit) != 0) {
      AddEvent(out, zone, kTerrainFacilityLost, 0, kElementFacility, bit, kElementDestroyed, bit, zone.owner);
    }
  }
  zone.SetFacilities(0);
  zone.facilityOwner = kZoneNobody;
  out.ownerChanges.push_back({zone.index, zone.owner, chapter});
  zone.owner = chapter;
  for (int k = 0; k < kAtvKinds; ++k) {
    zone.atvCounts[k] = 0;
    zone.entrenched[k] = 0;
  }
  SrvSeatAtvs(zone, chapter, atvs);
}

// The chapter's ATVs that found no room in the zone go back where they set
// off from as far as it has room; what still finds none is left in `left`,
// to stay in the attacking list and join once room is made.
bool Seated(const CGAsteroid& asteroid, CGZone& zone, std::uint8_t chapter, std::uint16_t origin, Counts& left,
            SrvTerrainResult& out) {
  if (Total(left) == 0) return true;
  if (origin != zone.index && SrvSendAtvsBack(asteroid, origin, chapter, left)) Note(out.changedZones, origin);
  return Total(left) == 0;
}

// One attacking entry against the zone; true when the entry is settled.
// `fought` is set when ATVs fought ATVs.
bool SettleAttack(const CGAsteroid& asteroid, CGZone& zone, const ZoneAtvCount& entry, std::uint16_t origin,
                  Counts& left, SrvRandom& random, SrvTerrainResult& out, bool& fought) {
  Counts attackers{};
  for (int k = 0; k < kAtvKinds; ++k) attackers[k] = entry.counts[k];
  left = attackers;
  if (Total(attackers) == 0) return true;
  if (zone.owner == entry.chapter) {
    if (SrvSeatAtvs(zone, entry.chapter, left)) Note(out.changedZones, zone.index);
    return Seated(asteroid, zone, entry.chapter, origin, left, out);
  }
  const bool owned = zone.owner < kZoneUnknown && (ZoneAtvs(zone) != 0 || zone.facilities != 0);
  if (owned && !SrvChaptersHostile(zone.owner, entry.chapter)) return false;
  Note(out.changedZones, zone.index);
  if (owned) {
    Note(out.chapters, entry.chapter);
    Note(out.chapters, zone.owner);
  }
  if (ZoneAtvs(zone) == 0) {
    TakeOver(zone, entry.chapter, left, out);
    return Seated(asteroid, zone, entry.chapter, origin, left, out);
  }
  fought = true;
  left = ZoneFight(zone, entry.chapter, origin, attackers, random, out).Fight();
  const bool defendersLeft = ZoneAtvs(zone) != 0;
  if (Total(left) > 0 && !defendersLeft) {
    TakeOver(zone, entry.chapter, left, out);
    return Seated(asteroid, zone, entry.chapter, origin, left, out);
  }
  if (!defendersLeft) {
    out.ownerChanges.push_back({zone.index, zone.owner, kZoneNobody});
    zone.owner = kZoneNobody;
    for (auto& flag : zone.entrenched) flag = 0;
  }
  return Total(left) == 0;
}

// The zone a chapter's attack on the zone set off from, where the replay
// draws it; the zone itself when that is not known.
class AttackOrigins {
 public:
  AttackOrigins(const CGAsteroid& asteroid, const std::map<std::uint32_t, std::uint16_t>& origins)
      : m_asteroid(asteroid), m_origins(origins) {}
  std::uint16_t Of(const CGZone& zone, std::uint8_t chapter) const {
    const auto it = m_origins.find(SrvAtvOriginKey(m_asteroid.id, zone.index, chapter));
    if (it == m_origins.end() || it->second >= m_asteroid.GetZoneCount()) return zone.index;
    return it->second;
  }

 private:
  const CGAsteroid& m_asteroid;
  const std::map<std::uint32_t, std::uint16_t>& m_origins;
};

// The replay pictures at its start the ATVs its events name: the fallen by
// their loss, the ATVs still standing by these events, one per ATV (the
// replay counts the ATVs on a cell by its pictures, as it counts the
// fallen) in a zone fought over: the holder that kept it in the zone, the
// attacks that wait where they set off from (the holder's own past the
// zone's room among them), and attackers that took the zone there too,
// moving in. (The zone a holder once came from says nothing of where it
// stands now.)
void PictureSurvivors(const CGZone& zone, bool newHolder, const AttackOrigins& origins, SrvTerrainResult& out) {
  const auto picture = [&](std::uint8_t chapter, const std::uint8_t* counts, std::uint16_t from, bool movesIn) {
    const std::uint32_t kind = movesIn && from != zone.index ? kTerrainAtvMovesIn : kTerrainAtvPresent;
    const std::uint16_t to = kind == kTerrainAtvMovesIn ? zone.index : from;
    for (std::uint32_t k = 0; k < kAtvKinds; ++k) {
      for (int n = 0; n < counts[k]; ++n) AddEvent(out, from, to, kind, 0, kElementAtv, k, kElementAtv, k, chapter);
    }
  };
  if (zone.owner < kZoneUnknown)
    picture(zone.owner, zone.atvCounts, newHolder ? origins.Of(zone, zone.owner) : zone.index, newHolder);
  for (std::uint16_t i = 0; i < zone.attacking.count; ++i) {
    const ZoneAtvCount* e = zone.attacking.items[i];
    if (e != nullptr && (e->chapter == zone.owner || SrvChaptersHostile(zone.owner, e->chapter)))
      picture(e->chapter, e->counts, origins.Of(zone, e->chapter), false);
  }
}

// The replay plays the combat rounds 0, 1, ... while a round has events: the
// rounds in which every shot missed everywhere are left out of the count.
void NumberPlayedRounds(std::vector<TerrainEvent>& events) {
  std::vector<std::uint32_t> played;
  for (const TerrainEvent& e : events) {
    if (e.a == kTerrainCombatRound) played.push_back(e.b);
  }
  std::sort(played.begin(), played.end());
  played.erase(std::unique(played.begin(), played.end()), played.end());
  for (TerrainEvent& e : events) {
    if (e.a == kTerrainCombatRound)
      e.b = static_cast<std::uint32_t>(std::lower_bound(played.begin(), played.end(), e.b) - played.begin());
  }
}

}  // namespace

std::uint32_t SrvFacilityCell(std::uint32_t bit) {
  switch (bit) {
    case FACILITY_POWER:
      return 2;
    case FACILITY_ATV_CONSTRUCTION:
      return 3;
    default:
      return 1;
  }
}

TerrainEvent SrvTerrainEvent(std::uint32_t kind, std::uint32_t round, std::uint32_t sourceType, std::uint16_t from,
                             std::uint32_t sourceValue, std::uint32_t targetType, std::uint16_t to,
                             std::uint32_t targetValue, std::uint8_t chapter) {
  TerrainEvent e;
  e.a = kind;
  e.b = round;
  e.sourceType = sourceType;
  e.d = from;
  e.sourceValue = sourceValue;
  e.targetType = targetType;
  e.g = to;
  e.targetValue = targetValue;
  e.w = chapter;
  return e;
}

SrvTerrainResult SrvFightTerrainBattles(CGAsteroid& asteroid, const std::map<std::uint32_t, std::uint16_t>& origins,
                                        SrvRandom& random) {
  SrvTerrainResult out;
  const AttackOrigins origin(asteroid, origins);
  for (int z = 0; z < asteroid.GetZoneCount(); ++z) {
    CGZone* zone = asteroid.GetZone(static_cast<std::uint16_t>(z));
    if (zone == nullptr) continue;
    bool fought = false;
    const std::uint8_t holder = zone->owner;
    for (std::uint16_t i = 0; i < zone->attacking.count;) {
      ZoneAtvCount* entry = zone->attacking.GetAt(i);
      Counts left{};
      if (entry == nullptr ||
          SettleAttack(asteroid, *zone, *entry, origin.Of(*zone, entry->chapter), left, random, out, fought)) {
        delete zone->attacking.RemoveAt(i);
        continue;
      }
      for (int k = 0; k < kAtvKinds; ++k) entry->counts[k] = static_cast<std::uint8_t>(left[k]);
      ++i;
    }
    if (fought) PictureSurvivors(*zone, zone->owner != holder, origin, out);
  }
  NumberPlayedRounds(out.events);
  return out;
}
