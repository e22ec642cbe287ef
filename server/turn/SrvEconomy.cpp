// The turn's economy after the units' orders: research, mining and income,
// the units' power, the standing transfers, and the pools each chapter is
// told about.
#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GNotifyCodes.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/net/ChapterPackets.h"
#include "Game/rules/GGameVar.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GRulesPackets.h"
#include "server/orders/SrvUnitPackets.h"
#include "server/trade/SrvTradeNotices.h"
#include "server/turn/SrvOrderSteps.h"
#include "server/turn/SrvShipment.h"
#include "server/turn/SrvStorePool.h"

namespace {

// Research points a percent of allocation brings each turn: a research at
// 100 percent is done in 10,000 / (100 x 20) = 5 turns.
constexpr std::uint32_t kResearchPointsPerPercent = 20;
constexpr std::uint32_t kMaxCredits = 0x7FFFFFFF;

enum class Progress { kNone, kGained, kDone };

// Adds the points of the turn: the allocation's and the members' science
// bonus, a point of which counts as a percent.
Progress Gain(std::uint16_t& points, std::uint32_t percent) {
  if (percent == 0 || points >= kResearched) return Progress::kNone;
  points =
      static_cast<std::uint16_t>(std::min<std::uint32_t>(points + percent * kResearchPointsPerPercent, kResearched));
  return points >= kResearched ? Progress::kDone : Progress::kGained;
}

// 504 (module) / 509 (hull), 14 bytes: u16 index at 8, u16 points at 10,
// u16 research word at 12 (0: the server keeps none).
SrvPacket ProgressPacket(bool hull, std::size_t index, std::uint16_t points) {
  const auto p = ResearchProgressPacket{hull, static_cast<std::uint16_t>(index), points, 0}.Build();
  return SrvPacket(p.bytes.begin(), p.bytes.end());
}

void TellGuild(SrvTurnContext& turn, int guild, const SrvPacket& packet) {
  for (std::uint16_t c = static_cast<std::uint16_t>(guild * 8); c < guild * 8 + 8; ++c)
    if (turn.world.HasChapter(c)) turn.Tell(c, packet);
}

// The science-bonus points the guild's members give the item.
std::uint32_t Bonus(const std::array<std::vector<std::uint16_t>, 8>& given, std::size_t item) {
  std::uint32_t sum = 0;
  for (const auto& member : given) sum += item < member.size() ? member[item] : 0;
  return sum;
}

// The item an allocation to `item` works on: the item itself while it is
// under research; for a researched one, the first of its line of successors
// not researched yet, so that the players' gauges, which only researched
// items carry, open new research. kNowhere when the line is complete. A line
// that loops back on itself ends after as many steps as there are items.
constexpr std::size_t kNowhere = static_cast<std::size_t>(-1);
template <class Next>
std::size_t Target(std::size_t item, const std::vector<std::uint16_t>& points, const Next& next) {
  for (std::size_t step = 0; step <= points.size() && item < points.size(); ++step) {
    if (points[item] < kResearched) return item;
    item = next(item);
  }
  return kNowhere;
}

}  // namespace

void SrvAdvanceResearch(SrvTurnContext& turn) {
  const SrvWorld& world = turn.world;
  for (int g = 0; g < kGuildCount; ++g) {
    SrvGuildResearch& r = turn.world.research[static_cast<std::size_t>(g)];
    const auto nextModule = [&](std::size_t m) -> std::size_t {
      const std::uint16_t next = world.modules->GetSuccessor(static_cast<int>(m));
      const ModuleRecord* record = next == kNoModule ? nullptr : world.modules->GetRecord(next);
      return record != nullptr && (record->guildMask & (1u << g)) != 0 ? next : kNowhere;
    };
    const auto nextHull = [&](std::size_t h) -> std::size_t {
      const CGHull* hull = world.hulls->GetHull(g, static_cast<int>(h));
      if (hull == nullptr || hull->successor == kNoSuccessorHull) return kNowhere;
      for (int at = 0; at < world.hulls->GetHullCount(g); ++at)
        if (world.hulls->GetHull(g, at)->index == hull->successor) return static_cast<std::size_t>(at);
      return kNowhere;
    };
    auto advance = [&](bool hull, std::vector<std::uint16_t>& percent, std::vector<std::uint16_t>& points,
                       const std::array<std::vector<std::uint16_t>, 8>& bonus, const auto& next) {
      std::vector<std::uint32_t> effort(points.size(), 0);
      for (std::size_t i = 0; i < percent.size(); ++i) {
        const std::uint32_t e = percent[i] + Bonus(bonus, i);
        const std::size_t at = e == 0 ? kNowhere : Target(i, points, next);
        if (at != kNowhere) effort[at] += e;
      }
      for (std::size_t i = 0; i < effort.size(); ++i) {
        const Progress p = Gain(points[i], effort[i]);
        if (p == Progress::kGained) TellGuild(turn, g, ProgressPacket(hull, i, points[i]));
        if (p != Progress::kDone) continue;
        // What is finished needs no more of the guild's effort; a researched
        // item's allocation stays, to carry its line on.
        if (i < percent.size()) percent[i] = 0;
        TellGuild(turn, g, BuildResearchDonePacket(hull, static_cast<std::uint16_t>(i)));
      }
    };
    advance(false, r.modulePercent, r.modulePoints, r.moduleBonus, nextModule);
    advance(true, r.hullPercent, r.hullPoints, r.hullBonus, nextHull);
  }
}

void SrvMineAndEarn(SrvTurnContext& turn) {
  SrvWorld& world = turn.world;
  for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i) {
    const CGAsteroid* a = world.solar.GetAsteroid(i);
    if (a == nullptr) continue;
    std::array<bool, kMaxChapters> lost{};
    for (std::uint16_t z = 0; z < a->GetZoneCount(); ++z) {
      const CGZone* zone = a->GetZone(z);
      if (zone == nullptr || zone->owner >= kMaxChapters) continue;
      std::uint16_t out[4] = {};
      zone->GetMiningOutput(&out[0], &out[1], &out[2], &out[3]);
      const std::uint16_t pool = SrvStorePool(world, i, zone->owner);
      for (std::uint32_t m = 0; m < 4; ++m) {
        if (out[m] == 0) continue;
        if (pool == kSrvNoStorePool)
          lost[zone->owner] = world.Chapter(zone->owner) != nullptr;
        else
          world.poolDB.AddMineral(pool, m, out[m]);
      }
    }
    for (std::uint16_t c = 0; c < kMaxChapters; ++c)
      if (lost[c])
        world.notices.Add(c, notify::kTradeEvent, notify::kMiningLost, nullptr, nullptr, i, 0, kSrvTradeNoUnit);
    // The rules' designer sets what an asteroid brings in a turn; a large
    // setting must not wrap a chapter's credits round to nothing.
    if (CGChapter* owner = world.Chapter(a->owner))
      owner->credits = static_cast<std::uint32_t>(
          std::min<std::uint64_t>(std::uint64_t{owner->credits} + g_gameVariables.creditsPerAsteroid, kMaxCredits));
  }
}

void SrvRechargeUnits(SrvTurnContext& turn) {
  turn.world.ForEachUnit([&](CGUnit& u) {
    if (!u.IsOperational() || u.GetPowerGeneration() <= 0 || u.power >= u.GetMaxPower()) return;
    u.power = std::min(u.power + u.GetPowerGeneration(), u.GetMaxPower());
    turn.Tell(static_cast<std::uint16_t>(u.GetChapter()), BuildUnitPowerPacket(u));
  });
}

void SrvRunTransfers(SrvTurnContext& turn) {
  SrvWorld& world = turn.world;
  for (const SrvAutoTransfer& t : world.autoTransfers) {
    const CGAsteroid* from = world.solar.GetAsteroid(t.source);
    const CGAsteroid* to = world.solar.GetAsteroid(t.destination);
    // A transfer whose ends changed hands since it was sent moves nothing.
    if (from == nullptr || to == nullptr || from->owner != t.chapter || to->owner != t.chapter) continue;
    if (world.poolDB.TakeMineral(t.source, t.mineral, t.amount) == 0) {
      world.notices.Add(t.chapter, notify::kTradeEvent, notify::kTransferFailed, nullptr, nullptr, t.amount, t.mineral,
                        std::uint32_t{t.destination} << 16 | t.source);
      continue;
    }
    world.inTransit.push_back({t.destination, t.mineral, t.amount,
                               world.turn + std::max<std::uint32_t>(t.transitTurns, 1), t.chapter, t.source});
  }
  world.autoTransfers.clear();
  std::erase_if(world.inTransit, [&](const SrvTransferInTransit& t) {
    if (t.arrivalTurn > world.turn + 1) return false;
    SrvDeliverShipment(world, t);
    return true;
  });
}

void SrvTellPools(SrvTurnContext& turn) {
  for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i) {
    const CGAsteroid* a = turn.world.solar.GetAsteroid(i);
    if (a == nullptr || a->owner >= kMaxChapters) continue;
    const CGChapter* owner = turn.world.Chapter(a->owner);
    if (owner != nullptr && (owner->homeAsteroid == i || turn.world.poolDB.GetStorageFacilities(i) != 0))
      turn.Tell(a->owner, BuildPoolPacket(turn.world.Pool(i)));
  }
}
