// The turn's battles: hostile units that share an asteroid's space, or come
// within reach of each other in solar space, fight when one of them can
// fire on another; ATVs sent against a zone
// fight its holder. Each chapter that took part is sent the battle's replay
// or terrain events, the state of every unit or zone afterwards, and a
// notification.
#include <algorithm>
#include <numeric>
#include <optional>

#include "Game/model/GAsteroid.h"
#include "Game/model/GNotifyCodes.h"
#include "Game/model/GUnit.h"
#include "Game/model/GUnitModules.h"
#include "Game/model/GZone.h"
#include "server/battle/SrvBattlePackets.h"
#include "server/battle/SrvBattleReplay.h"
#include "server/battle/SrvDesignCounts.h"
#include "server/battle/SrvSpaceBattle.h"
#include "server/battle/SrvTerrainBattle.h"
#include "server/turn/SrvOrderSteps.h"
#include "server/turn/SrvStuns.h"
#include "server/turn/SrvTurnSteps.h"
#include "server/turn/SrvUnitNotices.h"
#include "server/world/SrvDesignPackets.h"

namespace {

// Units in solar space meet when they are this close on every axis (squared).
constexpr std::uint32_t kSolarMeetRangeSq = kApproachRangeSq;
// Percent of a bombardment's shots that tell; an entrenched kind holds as in
// the zones' fights.
constexpr int kBombardHit = 50;
constexpr int kEntrenchedHolds = 30;
// A bombard fires a shot a turn for each this much of its strength.
constexpr int kBombardStrengthPerShot = 5;

std::vector<CGUnit*> OperationalUnitsAt(const CGGamePieceDB& pieces, std::uint16_t location) {
  std::vector<CGUnit*> units;
  for (int owner = 0; owner < kPieceOwners; ++owner) {
    const auto o = static_cast<std::uint16_t>(owner);
    const std::uint32_t n = pieces.CountOperationalUnits(location, static_cast<std::int16_t>(owner));
    for (std::uint32_t k = 0; k < n; ++k) {
      if (CGUnit* u = pieces.GetOperationalUnitAt(location, o, static_cast<std::uint16_t>(k))) units.push_back(u);
    }
  }
  return units;
}

// Groups of solar-space units linked by meeting distance.
std::vector<std::vector<CGUnit*>> SolarGroups(const std::vector<CGUnit*>& units,
                                              std::span<const std::uint32_t> released) {
  std::vector<std::size_t> root(units.size());
  std::iota(root.begin(), root.end(), std::size_t{0});
  auto find = [&](std::size_t i) {
    while (root[i] != i) i = root[i] = root[root[i]];
    return i;
  };
  for (std::size_t i = 0; i < units.size(); ++i) {
    for (std::size_t j = i + 1; j < units.size(); ++j) {
      if (GetLocationRangeSq(&units[i]->location, &units[j]->location) <= kSolarMeetRangeSq) root[find(j)] = find(i);
    }
  }
  std::vector<std::vector<CGUnit*>> groups(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) groups[find(i)].push_back(units[i]);
  std::erase_if(groups, [&](const std::vector<CGUnit*>& g) { return !SrvCanOpenFire(g, released); });
  return groups;
}

std::vector<std::uint8_t> ChaptersOf(const std::vector<CGUnit*>& units) {
  std::vector<std::uint8_t> chapters;
  for (const CGUnit* u : units) chapters.push_back(static_cast<std::uint8_t>(u->GetChapter()));
  std::sort(chapters.begin(), chapters.end());
  chapters.erase(std::unique(chapters.begin(), chapters.end()), chapters.end());
  return chapters;
}

// Squared distance of two places in solar space, without the 32-bit wrap.
std::int64_t SolarDistanceSq(const Location& a, const Location& b) {
  const std::int64_t dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return dx * dx + dy * dy + dz * dz;
}

// A replay is known by an asteroid: the clients keep it in the file of that
// number, and their replay view and review log take the number for the
// battle's asteroid, refusing any other. A fight in solar space is therefore
// named after the asteroid nearest to it that has no battle of its own this
// turn (a second replay of one number would reset the first). Nothing when
// every asteroid has one.
std::optional<std::uint16_t> SolarReplayNumber(const SrvWorld& world, const std::vector<CGUnit*>& group,
                                               const std::vector<bool>& taken) {
  std::int64_t x = 0, y = 0, z = 0;
  for (const CGUnit* u : group) {
    x += u->location.x;
    y += u->location.y;
    z += u->location.z;
  }
  const auto n = static_cast<std::int64_t>(group.size());
  const Location centre{0, static_cast<std::int16_t>(x / n), static_cast<std::int16_t>(y / n),
                        static_cast<std::int16_t>(z / n)};
  std::optional<std::uint16_t> best;
  std::int64_t bestSq = 0;
  for (std::uint16_t i = 0; i < taken.size(); ++i) {
    const CGAsteroid* a = world.solar.GetAsteroid(i);
    if (taken[i] || a == nullptr) continue;
    Location at;
    a->GetPosition(&at);
    const std::int64_t sq = SolarDistanceSq(centre, at);
    if (!best || sq < bestSq) {
      best = i;
      bestSq = sq;
    }
  }
  return best;
}

// The battle's stuns take hold on the units it left in action. The stunning
// unit's owner hears of each target it stunned once, and a mental attack on
// that target has done its work.
void ApplyStuns(SrvTurnContext& turn, const SrvSpaceBattleResult& r, const std::vector<CGUnit*>& units) {
  const auto find = [&units](std::uint32_t id) -> CGUnit* {
    const auto it = std::find_if(units.begin(), units.end(), [id](const CGUnit* u) { return u->id == id; });
    return it != units.end() ? *it : nullptr;
  };
  std::vector<std::pair<std::uint32_t, std::uint32_t>> told;
  for (const SrvStun& stun : r.stuns) {
    CGUnit* target = find(stun.unitId);
    if (target == nullptr || !target->IsOperational()) continue;
    SrvStunUnit(turn, *target, stun.turns);
    CGUnit* by = find(stun.by);
    if (by == nullptr || std::find(told.begin(), told.end(), std::pair(stun.by, stun.unitId)) != told.end()) continue;
    told.emplace_back(stun.by, stun.unitId);
    turn.world.notices.Add(static_cast<std::uint16_t>(by->GetChapter()), notify::kUnitEvent, notify::kTargetStunned,
                           nullptr, nullptr, 0, 0, by->id);
    const UnitOrder* first = by->GetOrderCount() != 0 ? by->GetOrder(0) : nullptr;
    if (first != nullptr && first->type == ORDER_MENTAL_ATTACK && first->Word(0) == target->id)
      SrvFinishFirstOrder(turn, *by, 1);
  }
}

// Fights one battle place's units; `joined` arrived as it was fought and
// only look on. The replay, when the fight has a number, goes to every
// chapter taking part with a notification naming it.
void FightSpace(SrvTurnContext& turn, std::optional<std::uint16_t> replay, const std::vector<CGUnit*>& units,
                const std::vector<CGUnit*>& joined = {}) {
  const SrvSpaceBattleResult r = SrvFightSpaceBattle(units, turn.random, turn.released);
  for (CGUnit* u : units) {
    if (std::find(r.destroyed.begin(), r.destroyed.end(), u->id) == r.destroyed.end()) continue;
    u->ClearOrders(true);
    if (turn.world.pieces->MarkUnitUnoperational(u) == 0) u->unoperational = 1;
  }
  ApplyStuns(turn, r, units);
  // Every player keeps every design's values (as at the start).
  for (const CGUnitTemplate* design : SrvCountBattleOnDesigns(r, units))
    for (const SrvPacket& p : BuildDesignValuesNews(turn.world, *design)) turn.TellAll(p);
  std::vector<SrvPacket> parts;
  if (replay) parts = BuildReplayPackets(*replay, BuildBattleReplay(*replay, units, r, joined));
  const std::uint16_t fired = r.ShotCount() != 0 ? 1 : 0;
  std::vector<CGUnit*> everyone = units;
  everyone.insert(everyone.end(), joined.begin(), joined.end());
  for (std::uint8_t c : ChaptersOf(everyone)) {
    for (const SrvPacket& p : parts) turn.Tell(c, p);
    for (const CGUnit* u : everyone) turn.Tell(c, BuildUnitStatusPacket(*u));
    if (replay)
      turn.world.notices.Add(c, notify::kGameEvent, notify::kSpaceBattle, nullptr, nullptr, fired, *replay,
                             0xFFFFFFFFu);
  }
  for (const auto& [gunner, module] : r.outOfAmmo) {
    const std::uint32_t id = gunner;  // some compilers still refuse a structured binding in a capture
    if (const auto u = std::find_if(units.begin(), units.end(), [id](const CGUnit* x) { return x->id == id; });
        u != units.end())
      turn.world.notices.Add(static_cast<std::uint16_t>((*u)->GetChapter()), notify::kUnitEvent, notify::kOutOfAmmo,
                             nullptr, nullptr, module, 0, id);
  }
  // A unit destroyed over an asteroid falls onto it: its owner's terrain
  // replay shows the strike and the burst in the zone it hits.
  const std::uint16_t over = units.empty() ? CGSolarDB::GetAsteroidCount() : units.front()->location.asteroid;
  if (const CGAsteroid* a = turn.world.solar.GetAsteroid(over); a != nullptr && a->GetZoneCount() > 0) {
    for (std::uint32_t id : r.destroyed) {
      const auto zone = static_cast<std::uint16_t>(id % a->GetZoneCount());
      const auto chapter = static_cast<std::uint8_t>(id >> 26);
      SrvSurfaceRecord& record = turn.surface[over];
      record.Add(SrvTerrainEvent(kTerrainCollision, 0, kElementDestroyed, zone, 0, 0, zone, 0, chapter), chapter);
      record.Add(SrvTerrainEvent(kTerrainExplosion, 0, kElementDestroyed, zone, id % 4, 0, zone, 0, chapter), chapter);
    }
  }
  turn.log.Line("battle at %d: %zu units, %u shots, %zu destroyed, %zu retreated, %u damaging",
                replay ? int{*replay} : -1, units.size(), r.ShotCount(), r.destroyed.size(), r.retreated.size(),
                r.DamagingCount());
}

int ZoneAtvs(const CGZone& z) { return z.atvCounts[0] + z.atvCounts[1] + z.atvCounts[2] + z.atvCounts[3]; }

// The zone a bombardment by `chapter` strikes: of the zones of chapters
// hostile to it, the one holding the most ATVs (the lowest on a tie); with
// `facilities`, when none holds ATVs, the lowest holding facilities.
CGZone* BombardTarget(CGAsteroid& asteroid, std::uint8_t chapter, bool facilities) {
  CGZone* target = nullptr;
  CGZone* built = nullptr;
  int most = 0;
  for (std::uint16_t k = 0; k < asteroid.GetZoneCount(); ++k) {
    CGZone* z = asteroid.GetZone(k);
    if (z == nullptr || z->owner >= kMaxChapters || !SrvChaptersHostile(z->owner, chapter)) continue;
    const int atvs = ZoneAtvs(*z);
    if (atvs > most) most = atvs, target = z;
    if (built == nullptr && z->facilities != 0) built = z;
  }
  return target != nullptr || !facilities ? target : built;
}

// One shot of a bombardment on the zone: a telling shot takes its front ATV,
// combat ones first (an entrenched kind holds as in the zones' fights), or,
// with no ATVs left there, its first facility. A zone left with neither is
// free.
void BombardShot(SrvTurnContext& turn, std::uint16_t index, CGZone& target, std::uint8_t chapter) {
  const bool atAtvs = ZoneAtvs(target) != 0;
  int victim = 0;
  std::uint32_t facility = 0;
  if (atAtvs) {
    while (target.atvCounts[victim] == 0) ++victim;
  } else {
    for (std::uint32_t bit : kSrvFacilityBits)
      if (facility == 0 && (target.facilities & bit) != 0) facility = bit;
  }
  std::uint32_t result = kElementShot;
  if (turn.random.Range(1, 100) <= kBombardHit) {
    result = kElementDestroyed;
    if (atAtvs && target.entrenched[victim] != 0 && turn.random.Range(1, 100) <= kEntrenchedHolds)
      result = kElementEntrenched;
  }
  const std::uint8_t holder = target.owner;
  SrvSurfaceRecord& record = turn.surface[index];
  const std::uint32_t cell = atAtvs ? static_cast<std::uint32_t>(victim) : SrvFacilityCell(facility);
  record.Add(
      SrvTerrainEvent(kTerrainBombardment, 0, kElementShot, target.index, 0, result, target.index, cell, chapter),
      chapter);
  record.Concerns(holder);
  if (result != kElementDestroyed) return;
  if (atAtvs) {
    --target.atvCounts[victim];
  } else {
    target.SetFacilities(target.facilities & ~facility);
    if (target.facilities == 0) target.facilityOwner = kZoneNobody;
  }
  if (ZoneAtvs(target) == 0 && target.facilities == 0) {
    target.owner = kZoneNobody;
    for (auto& flag : target.entrenched) flag = 0;
  }
  turn.TellAll(BuildZonePacket(index, target));
}

// Units whose first order bombards the asteroid they stand at fire on it
// once a turn: a bombard (special weapon) its shots, each on the zone it
// then finds (ATVs first, then facilities); any other weapon able to fire
// one shot on the hostile zone holding the most ATVs.
void Bombard(SrvTurnContext& turn, std::uint16_t index, CGAsteroid& asteroid) {
  for (CGUnit* u : OperationalUnitsAt(*turn.world.pieces, index)) {
    const UnitOrder* first = u->GetOrderCount() != 0 ? u->GetOrder(0) : nullptr;
    if (first == nullptr || first->type != ORDER_BOMBARD || first->Asteroid() != index) continue;
    const auto chapter = static_cast<std::uint8_t>(u->GetChapter());
    if (const int slot = SrvSpecialSlot(*u, kSpecialBombard); slot >= 0) {
      const int shots = std::max(SlotModule(u->design, slot)->Strength() / kBombardStrengthPerShot, 1);
      for (int n = 0; n < shots; ++n) {
        CGZone* target = BombardTarget(asteroid, chapter, true);
        if (target == nullptr) break;
        BombardShot(turn, index, *target, chapter);
      }
    } else if (SrvFirstArmedSlot(*u) >= 0) {
      if (CGZone* target = BombardTarget(asteroid, chapter, false)) BombardShot(turn, index, *target, chapter);
    }
  }
}

void FightTerrain(SrvTurnContext& turn, std::uint16_t index, CGAsteroid& asteroid) {
  const SrvTerrainResult r = SrvFightTerrainBattles(asteroid, turn.world.atvOrigins, turn.random);
  for (std::uint16_t z : r.changedZones) {
    if (const CGZone* zone = asteroid.GetZone(z)) turn.TellAll(BuildZonePacket(index, *zone));
  }
  // What else happened on the surface plays in the same replay, for the
  // chapters it concerns; the fighters hear of a battle, the others (a
  // landing, a move, a pick-up) of movement to review.
  std::vector<TerrainEvent> all;
  std::vector<std::uint8_t> told = r.chapters;
  if (const auto surface = turn.surface.find(index); surface != turn.surface.end()) {
    all = surface->second.events;
    for (std::uint8_t c : surface->second.chapters)
      if (std::find(told.begin(), told.end(), c) == told.end()) told.push_back(c);
  }
  all.insert(all.end(), r.events.begin(), r.events.end());
  if (all.size() > kMaxTerrainEvents) all.resize(kMaxTerrainEvents);
  if (told.empty()) return;
  const std::vector<SrvPacket> events = BuildTerrainEventPackets(index, all);
  for (std::uint8_t c : told) {
    turn.Tell(c, BuildTerrainClearedPacket(index));
    for (const SrvPacket& p : events) turn.Tell(c, p);
    const bool fought = std::find(r.chapters.begin(), r.chapters.end(), c) != r.chapters.end();
    turn.world.notices.Add(c, notify::kGameEvent, fought ? notify::kTerrainBattle : notify::kTerrainMovement, nullptr,
                           nullptr, 0, index, 0xFFFFFFFFu);
  }
  if (r.chapters.empty()) return;
  turn.log.Line("terrain battle on %u: %zu events, %zu zones changed hands", index, r.events.size(),
                r.ownerChanges.size());
}

}  // namespace

void SrvResolveBattles(SrvTurnContext& turn) {
  SrvWorld& world = turn.world;
  const std::uint16_t count = CGSolarDB::GetAsteroidCount();
  if (world.pieces != nullptr && count < kPieceLocations) {
    std::vector<bool> taken(count, false);
    for (std::uint16_t at = 0; at < count; ++at) {
      // A unit that arrived this turn comes upon the battle as it is fought:
      // it looks on, and fights from the next turn.
      std::vector<CGUnit*> units = OperationalUnitsAt(*world.pieces, at), joined;
      std::erase_if(units, [&](CGUnit* u) {
        const bool arrived = std::find(turn.arrivals.begin(), turn.arrivals.end(), u->id) != turn.arrivals.end();
        if (arrived) joined.push_back(u);
        return arrived;
      });
      if (!SrvCanOpenFire(units, turn.released)) continue;
      taken[at] = true;
      FightSpace(turn, at, units, joined);
    }
    for (const auto& group : SolarGroups(OperationalUnitsAt(*world.pieces, count), turn.released)) {
      const std::optional<std::uint16_t> replay = SolarReplayNumber(world, group, taken);
      if (replay) taken[*replay] = true;
      FightSpace(turn, replay, group);
    }
  }
  for (std::uint16_t at = 0; at < count; ++at) {
    if (CGAsteroid* asteroid = world.solar.GetAsteroid(at)) {
      if (world.pieces != nullptr) Bombard(turn, at, *asteroid);
      FightTerrain(turn, at, *asteroid);
    }
  }
  SrvDrainNotifications(turn);
}
