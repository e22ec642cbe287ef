#include "server/ai/SrvAiChapter.h"

#include <algorithm>
#include <array>

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GUnitTem.h"
#include "server/ai/SrvAiOrders.h"
#include "server/ai/SrvAiPlan.h"
#include "server/ai/SrvAiSight.h"
#include "server/ai/SrvChapterState.h"
#include "server/ai/SrvGuildTally.h"

namespace {

// A store's minerals above this are sent home, this much a turn.
constexpr std::uint32_t kStoreKept = 200;
constexpr std::uint16_t kTransferAmount = 50;
constexpr std::uint16_t kTransferMost = 2000;
// A member with this percent of the strongest member's votes is its rival.
constexpr int kRivalPercent = 70;
// Another member a chapter backs keeps its backing while it holds this
// percent of the strongest member's votes (unless the chapter is a rival and
// backs itself): backing the strongest of the turn, the
// guild's imperator changed 25-53 times a default game as asteroids changed
// hands.
constexpr int kBackingKeptPercent = 85;

// The chapters whose ATVs attack one of the chapter's zones (for a guild
// mate, a betrayal), found in one pass over the zones rather than one for
// each member.
std::array<bool, kMaxChapters> Attackers(const SrvWorld& world, std::uint16_t chapter) {
  std::array<bool, kMaxChapters> attackers{};
  for (std::uint16_t a = 0; a < CGSolarDB::GetAsteroidCount(); ++a) {
    const CGAsteroid* asteroid = world.solar.GetAsteroid(a);
    for (std::uint16_t z = 0; asteroid != nullptr && z < asteroid->GetZoneCount(); ++z) {
      const CGZone* zone = asteroid->GetZone(z);
      if (zone == nullptr || zone->owner != chapter) continue;
      for (std::uint16_t i = 0; i < zone->attacking.count; ++i)
        if (const std::uint8_t c = zone->attacking.items[i]->chapter; c < kMaxChapters) attackers[c] = true;
    }
  }
  return attackers;
}

// A member falls behind when it controls less than a quarter of what the
// guild's members in play control on average; the others then vote it a
// renegade (its asteroids become anyone's to take), as they do a member
// whose ATVs attack their zones. The vote is withdrawn when it attacks no
// more and controls a third of the average again: withdrawn at a quarter,
// one asteroid won or lost flipped the flag (a chapter 8 times in an
// average default game). Renegade votes are set aside during an interregnum.
void RenegadeVotes(SrvAiPlan& plan, const SrvGuildTally& tally) {
  const int guild = plan.chapter >> 3;
  if (plan.world.guilds->GetGuild(guild)->interregnum != 0) return;
  const CGChapter* self = plan.world.Chapter(plan.chapter);
  int inPlay = 0;
  for (int s = 0; s < tally.members; ++s)
    if (SrvInPlay(plan.world.Chapter(static_cast<std::uint16_t>(guild * 8 + s)))) ++inPlay;
  if (inPlay < 3) return;  // two members cannot outvote each other
  const std::array<bool, kMaxChapters> attackers = Attackers(plan.world, plan.chapter);
  for (int s = 0; s < tally.members; ++s) {
    const auto member = static_cast<std::uint16_t>(guild * 8 + s);
    if (member == plan.chapter || !SrvInPlay(plan.world.Chapter(member))) continue;
    const int share = self->renegadeVotes[s] != 0 ? 3 : 4;
    const bool behind = share * tally.held[s] * inPlay < tally.total;
    const bool renegade = behind || attackers[member];
    if ((self->renegadeVotes[s] != 0) != renegade)
      plan.orders.push_back(SrvAiRenegadeVote(plan.chapter, static_cast<std::uint16_t>(s), renegade));
  }
}

void Vote(SrvAiPlan& plan) {
  const int guild = plan.chapter >> 3;
  const SrvGuildTally tally = SrvTallyGuild(plan.world, guild);
  int strongest = -1;
  for (int s = 0; s < tally.members; ++s) {
    const CGChapter* c = plan.world.Chapter(static_cast<std::uint16_t>(guild * 8 + s));
    if (SrvInPlay(c) && c->renegade == 0 && (strongest < 0 || tally.held[s] > tally.held[strongest])) strongest = s;
  }
  // Where the rules have interregnums, a member close behind the strongest
  // in votes backs itself: rivals split the guild's votes, so that when the
  // imperator falls no successor may hold the share at once. Without them,
  // rivals took the imperator's place from each other as asteroids changed
  // hands (49-85 imperators a hard default game). Members level with the
  // strongest back the first of them.
  const CGChapter* self = plan.world.Chapter(plan.chapter);
  const int slot = plan.chapter & 7;
  if (strongest >= 0 && plan.level.interregnums && self->renegade == 0 && tally.held[slot] < tally.held[strongest] &&
      100 * tally.held[slot] >= kRivalPercent * tally.held[strongest])
    strongest = slot;
  const int backed = SrvImperatorChoice(*self, tally.members);
  if (const CGChapter* b = backed >= 0 ? plan.world.Chapter(static_cast<std::uint16_t>(guild * 8 + backed)) : nullptr;
      strongest >= 0 && strongest != slot && backed != slot && SrvInPlay(b) && b->renegade == 0 &&
      100 * tally.held[backed] >= kBackingKeptPercent * tally.held[strongest])
    return RenegadeVotes(plan, tally);
  if (strongest >= 0 && backed != strongest)
    plan.orders.push_back(SrvAiImperatorVote(plan.chapter, static_cast<std::uint16_t>(strongest)));
  RenegadeVotes(plan, tally);
}

// Turns a transfer takes between two asteroids, as its player's client
// reckons them: the distance covered at the speed of the guild's fastest
// researched drive (nothing: no transfer). The model's own reckoning reads
// the client's guild, which the server does not have.
int TransitTurns(const SrvAiPlan& plan, std::uint16_t source, std::uint16_t destination) {
  const CGModuleDB& modules = *plan.world.modules;
  const int guild = plan.chapter >> 3;
  const SrvGuildResearch& research = plan.world.research[static_cast<std::size_t>(guild)];
  double speed = 0;
  for (int m = 0; m < modules.GetCount(); ++m) {
    const ModuleRecord* r = modules.GetRecord(m);
    if (r == nullptr || r->type != MODULE_PROPULSION || (r->guildMask & (1u << guild)) == 0) continue;
    const auto at = static_cast<std::size_t>(m);
    const bool researched = r->techLevel <= 1 || modules.IsResearched(m) != 0 ||
                            (at < research.modulePoints.size() && research.modulePoints[at] >= kResearched);
    if (researched) speed = std::max(speed, r->DeepThrust() * 5000.0 / (modules.GetMass(m) + 15));
  }
  const std::int32_t d = plan.world.solar.GetAsteroidDistanceSquared(source, destination);
  if (speed <= 0 || d < 0) return 0;
  return static_cast<int>(std::min(d / (speed * speed), 65534.0)) + 1;
}

void BringStoresHome(SrvAiPlan& plan) {
  const CGChapter* self = plan.world.Chapter(plan.chapter);
  const std::uint16_t home = self->homeAsteroid;
  const CGAsteroid* homeAsteroid = plan.world.solar.GetAsteroid(home);
  if (homeAsteroid == nullptr || homeAsteroid->owner != plan.chapter) return;
  for (std::uint16_t a = 0; a < CGSolarDB::GetAsteroidCount(); ++a) {
    const CGAsteroid* store = plan.world.solar.GetAsteroid(a);
    if (a == home || store == nullptr || store->owner != plan.chapter || plan.world.poolDB.GetStorageFacilities(a) == 0)
      continue;
    const int turns = TransitTurns(plan, a, home);
    if (turns <= 0) continue;
    for (std::uint8_t m = 0; m < kMineralTypes; ++m) {
      const bool running = std::any_of(
          plan.world.autoTransfers.begin(), plan.world.autoTransfers.end(),
          [&](const SrvAutoTransfer& t) { return t.chapter == plan.chapter && t.source == a && t.mineral == m; });
      const std::uint32_t held = plan.world.poolDB.GetMineral(a, m);
      if (!running && held > kStoreKept)
        plan.orders.push_back(SrvAiTransferOrder(
            plan.chapter, a, home, m,
            static_cast<std::uint16_t>(std::clamp<std::uint32_t>(held - kStoreKept, kTransferAmount, kTransferMost)),
            static_cast<std::uint16_t>(std::min(turns, 0xFFFF))));
    }
  }
}

// An attack (or special attack) order stands until its target is gone; one
// whose target has left, or stands beyond the unit's reach, or whose unit can
// no longer fire at it (no weapon whose chance to hit it the battle plan
// accepts), is chosen again (a battle order does not move the unit).
bool StaleAttack(const SrvWorld& world, const CGUnit& unit) {
  const UnitOrder* first = unit.GetOrder(0);
  if (first == nullptr || (first->type != ORDER_ATTACK_UNIT && first->type != ORDER_SPECIAL_ATTACK)) return false;
  if (!SrvAiCanFire(unit)) return true;
  const CGUnit* target = world.pieces->FindUnitAt(unit.location.asteroid, first->Word(0));
  return target == nullptr || !target->IsOperational() || !SrvAiCanHit(unit, *target) || !SrvAiInReach(unit, *target);
}

// A unit in solar space whose drives are gone goes nowhere, whatever its
// orders, and every passing enemy would meet it there.
bool Adrift(const CGUnit& unit) {
  return unit.location.asteroid >= CGSolarDB::GetAsteroidCount() && unit.GetSpeed() <= 0;
}

std::vector<CGUnit*> IdleUnits(SrvAiPlan& plan) {
  std::vector<CGUnit*> idle;
  const CGGamePieceDB& pieces = *plan.world.pieces;
  for (std::uint16_t at = 0; at <= CGSolarDB::GetAsteroidCount() && at < kPieceLocations; ++at)
    for (std::uint32_t k = 0, n = pieces.CountOperationalUnits(at, static_cast<std::int16_t>(plan.chapter)); k < n;
         ++k) {
      CGUnit* u = pieces.GetOperationalUnitAt(at, plan.chapter, static_cast<std::uint16_t>(k));
      if (u == nullptr) continue;
      ++plan.units;
      if (u->GetTemplate() != nullptr && (u->GetTemplate()->construction > 0 || u->GetTemplate()->atvCapacity > 0))
        ++plan.workers;
      if (u->GetAttackStrength() > 0) ++plan.warships;
      if (std::find(plan.offered.begin(), plan.offered.end(), u->id) != plan.offered.end()) continue;
      const bool bombarding = u->GetOrderCount() != 0 && u->GetOrder(0)->type == ORDER_BOMBARD;
      if (u->GetOrderCount() == 0 || StaleAttack(plan.world, *u) || (bombarding && !SrvAiBombardmentStands(plan, *u)) ||
          Adrift(*u))
        idle.push_back(u);
    }
  return idle;
}

}  // namespace

std::vector<SrvPacket> SrvChooseOrders(SrvWorld& world, std::uint16_t chapter, const SrvAiLevel& level,
                                       std::uint32_t seed) {
  if (!SrvInPlay(world, chapter)) return {};
  SrvAiPlan plan(world, chapter, level, seed);
  if (level.flagsWin) {
    const SrvAiFlagCount flags = SrvAiCountFlags(world, chapter);
    plan.sideFlags = flags.side;
    plan.rivalFlags = flags.rival;
  }
  if (level.prizeWeight > 1) plan.quarry = SrvAiQuarry(world, chapter);
  if (level.pushesWhenClosingIn) plan.closingIn = SrvAiClosingIn(world, chapter, level.imperatorTarget);
  plan.raiding = level.raidPercent > 0 && plan.rng.Range(1, 100) <= level.raidPercent;
  plan.plenty = SrvAiPlentifulMinerals(world, chapter, level.mineralCoverTurns);
  plan.mineralsToSpare = std::all_of(plan.plenty.begin(), plan.plenty.end(), [](bool p) { return p; });
  SrvAiResearch(plan);
  Vote(plan);
  BringStoresHome(plan);
  SrvAiTrade(plan);
  SrvAiTradeBuilders(plan);
  SrvAiWorkZones(plan);
  for (CGUnit* unit : IdleUnits(plan))
    if (std::find(plan.refitting.begin(), plan.refitting.end(), unit->id) == plan.refitting.end())
      SrvAiCommandUnit(plan, *unit);
  // Last: the builds chosen above name the designs the slots hold now.
  SrvAiStoreDesign(plan);
  return std::move(plan.orders);
}
