// The turn's battles: hostile units that share an asteroid's space, or come
// within reach of each other in solar space, fight; ATVs sent against a zone
// fight its holder. Each chapter that took part is sent the battle's replay
// or terrain events, the state of every unit or zone afterwards, and a
// notification.
#include <algorithm>
#include <numeric>

#include "Game/model/GAsteroid.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "server/SrvTurnSteps.h"
#include "server/battle/SrvBattlePackets.h"
#include "server/battle/SrvBattleReplay.h"
#include "server/battle/SrvSpaceBattle.h"
#include "server/battle/SrvTerrainBattle.h"

namespace {

// Units in solar space meet when they are this close on every axis (squared).
constexpr std::uint32_t kSolarMeetRangeSq = kApproachRangeSq;
constexpr std::uint16_t kCategoryGame = 4;
constexpr std::uint16_t kCodeSpaceBattle = 401;
constexpr std::uint16_t kCodeTerrainBattle = 411;

std::vector<CGUnit*> OperationalUnitsAt(const CGGamePieceDB& pieces, std::uint16_t location) {
  std::vector<CGUnit*> units;
  for (int owner = 0; owner < kPieceOwners; ++owner) {
    const auto o = static_cast<std::uint16_t>(owner);
    const std::uint32_t n = pieces.CountOperationalUnits(location, static_cast<std::int16_t>(owner));
    for (std::uint32_t k = 0; k < n; ++k) {
      if (CGUnit* u = pieces.GetOperationalUnitAt(location, o, static_cast<std::uint16_t>(k)))
        units.push_back(u);
    }
  }
  return units;
}

// Groups of solar-space units linked by meeting distance.
std::vector<std::vector<CGUnit*>> SolarGroups(const std::vector<CGUnit*>& units) {
  std::vector<std::size_t> root(units.size());
  std::iota(root.begin(), root.end(), std::size_t{0});
  auto find = [&](std::size_t i) {
    while (root[i] != i) i = root[i] = root[root[i]];
    return i;
  };
  for (std::size_t i = 0; i < units.size(); ++i) {
    for (std::size_t j = i + 1; j < units.size(); ++j) {
      if (GetLocationRangeSq(&units[i]->location, &units[j]->location) <= kSolarMeetRangeSq)
        root[find(j)] = find(i);
    }
  }
  std::vector<std::vector<CGUnit*>> groups(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) groups[find(i)].push_back(units[i]);
  std::erase_if(groups, [](const std::vector<CGUnit*>& g) { return !SrvHasHostilePair(g); });
  return groups;
}

std::vector<std::uint8_t> ChaptersOf(const std::vector<CGUnit*>& units) {
  std::vector<std::uint8_t> chapters;
  for (const CGUnit* u : units) chapters.push_back(static_cast<std::uint8_t>(u->GetChapter()));
  std::sort(chapters.begin(), chapters.end());
  chapters.erase(std::unique(chapters.begin(), chapters.end()), chapters.end());
  return chapters;
}

// Fights each group and records them together as the replay `replay`: the
// groups' rounds are played side by side.
void FightSpace(SrvTurnContext& turn, std::uint16_t replay, const std::vector<std::vector<CGUnit*>>& groups) {
  std::vector<CGUnit*> everyone;
  SrvSpaceBattleResult all;
  for (const auto& group : groups) {
    SrvSpaceBattleResult r = SrvFightSpaceBattle(group, turn.random);
    if (all.rounds.size() < r.rounds.size()) all.rounds.resize(r.rounds.size());
    for (std::size_t i = 0; i < r.rounds.size(); ++i) {
      all.rounds[i].insert(all.rounds[i].end(), r.rounds[i].begin(), r.rounds[i].end());
    }
    all.destroyed.insert(all.destroyed.end(), r.destroyed.begin(), r.destroyed.end());
    all.retreated.insert(all.retreated.end(), r.retreated.begin(), r.retreated.end());
    everyone.insert(everyone.end(), group.begin(), group.end());
  }
  for (CGUnit* u : everyone) {
    if (std::find(all.destroyed.begin(), all.destroyed.end(), u->id) == all.destroyed.end()) continue;
    u->ClearOrders(true);
    if (turn.world.pieces->MarkUnitUnoperational(u) == 0) u->unoperational = 1;
  }
  const std::vector<std::uint8_t> replayData = BuildBattleReplay(replay, everyone, all.rounds, all.retreated);
  const std::vector<SrvPacket> parts = BuildReplayPackets(replay, replayData);
  const std::uint16_t fired = all.ShotCount() != 0 ? 1 : 0;
  for (std::uint8_t c : ChaptersOf(everyone)) {
    for (const SrvPacket& p : parts) turn.Tell(c, p);
    for (const CGUnit* u : everyone) turn.Tell(c, BuildUnitStatusPacket(*u));
    turn.world.notices.Add(c, kCategoryGame, kCodeSpaceBattle, nullptr, nullptr, fired, replay, 0xFFFFFFFFu);
  }
  turn.log.Line("battle at %u: %zu units, %u shots, %zu destroyed, %zu retreated", replay, everyone.size(),
                all.ShotCount(), all.destroyed.size(), all.retreated.size());
}

void FightTerrain(SrvTurnContext& turn, std::uint16_t index, CGAsteroid& asteroid) {
  const SrvTerrainResult r = SrvFightTerrainBattles(asteroid, turn.random);
  for (std::uint16_t z : r.changedZones) {
    if (const CGZone* zone = asteroid.GetZone(z)) turn.TellAll(BuildZonePacket(index, *zone));
  }
  if (r.chapters.empty()) return;
  const std::vector<SrvPacket> events = BuildTerrainEventPackets(index, r.events);
  for (std::uint8_t c : r.chapters) {
    turn.Tell(c, BuildTerrainClearedPacket(index));
    for (const SrvPacket& p : events) turn.Tell(c, p);
    turn.world.notices.Add(c, kCategoryGame, kCodeTerrainBattle, nullptr, nullptr, 0, index, 0xFFFFFFFFu);
  }
  turn.log.Line("terrain battle on %u: %zu events, %zu zones changed hands", index, r.events.size(),
                r.ownerChanges.size());
}

}  // namespace

void SrvResolveBattles(SrvTurnContext& turn) {
  SrvWorld& world = turn.world;
  const std::uint16_t count = CGSolarDB::GetAsteroidCount();
  if (world.pieces != nullptr && count < kPieceLocations) {
    for (std::uint16_t at = 0; at < count; ++at) {
      std::vector<CGUnit*> units = OperationalUnitsAt(*world.pieces, at);
      if (SrvHasHostilePair(units)) FightSpace(turn, at, {std::move(units)});
    }
    const auto groups = SolarGroups(OperationalUnitsAt(*world.pieces, count));
    if (!groups.empty()) FightSpace(turn, count, groups);
  }
  for (std::uint16_t at = 0; at < count; ++at) {
    if (CGAsteroid* asteroid = world.solar.GetAsteroid(at)) FightTerrain(turn, at, *asteroid);
  }
  SrvDrainNotifications(turn);
}
