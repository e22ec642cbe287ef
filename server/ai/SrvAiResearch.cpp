// What a computer chapter gives its guild's research: a module while any is
// left and none not yet researched has an allocation, then the hulls its
// guild may open while no hull allocation is at work.
#include <algorithm>

#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "server/ai/SrvAiDesigns.h"
#include "server/ai/SrvAiOrders.h"
#include "server/ai/SrvAiPlan.h"

namespace {

bool ModuleDone(const SrvWorld& world, const SrvGuildResearch& research, int m) {
  const auto at = static_cast<std::size_t>(m);
  return world.modules->IsResearched(m) != 0 ||
         (at < research.modulePoints.size() && research.modulePoints[at] >= kResearched);
}

bool HullDone(const SrvGuildResearch& research, int h) {
  const auto at = static_cast<std::size_t>(h);
  return at < research.hullPoints.size() && research.hullPoints[at] >= kResearched;
}

// The next hull of a hull's line by its position in the guild's list, -1
// where the line ends.
int NextHull(const CGHullDB& hulls, int guild, int h) {
  const CGHull* hull = hulls.GetHull(guild, h);
  if (hull == nullptr || hull->successor == kNoSuccessorHull) return -1;
  for (int at = 0; at < hulls.GetHullCount(guild); ++at)
    if (hulls.GetHull(guild, at)->index == hull->successor) return at;
  return -1;
}

// Whether an allocation to `item` works on something, as the turn's research
// does: the item while it is under research, once researched the first of
// its line not researched yet. A line that loops ends after `items` steps.
template <class Done, class Next>
bool WorksOnSomething(int item, int items, const Done& done, const Next& next) {
  for (int step = 0; step <= items && item >= 0; ++step) {
    if (!done(item)) return true;
    item = next(item);
  }
  return false;
}

// Whether an allocation of the guild, a member's or a computer's, is given to
// a module not researched yet. One to a researched module, which works on
// its line's next, does not count: the chapter adds a module of its own
// choice beside a player's, as guild mates share what they research.
bool ResearchesAModule(const SrvWorld& world, int guild) {
  const SrvGuildResearch& research = world.research[static_cast<std::size_t>(guild)];
  for (std::size_t m = 0; m < research.modulePercent.size(); ++m)
    if (research.modulePercent[m] != 0 && !ModuleDone(world, research, static_cast<int>(m))) return true;
  return false;
}

// Whether any allocation of the guild to a hull still works on something:
// a member's to a researched hull works on its line's next, which the
// chapter would otherwise allocate to as well.
bool ResearchesAHull(const SrvWorld& world, int guild) {
  const SrvGuildResearch& research = world.research[static_cast<std::size_t>(guild)];
  const int hulls = static_cast<int>(research.hullPercent.size());
  for (int h = 0; h < hulls; ++h)
    if (research.hullPercent[static_cast<std::size_t>(h)] != 0 &&
        WorksOnSomething(
            h, hulls, [&](int i) { return HullDone(research, i); },
            [&](int i) { return NextHull(*world.hulls, guild, i); }))
      return true;
  return false;
}

// The guild's unresearched module of the lowest technology level (the first
// of equals) that the chapter fits (SrvAiFitsModule: a bombard at hard),
// -1: every one is researched.
int NextModuleResearch(const SrvWorld& world, int guild, bool fitsBombards) {
  const SrvGuildResearch& research = world.research[static_cast<std::size_t>(guild)];
  const CGModuleDB& modules = *world.modules;
  int best = -1;
  for (int m = 0; m < modules.GetCount() && static_cast<std::size_t>(m) < research.modulePercent.size(); ++m) {
    const ModuleRecord* r = modules.GetRecord(m);
    if (r == nullptr || (r->guildMask & (1u << guild)) == 0 || !SrvAiFitsModule(*r, fitsBombards) ||
        ModuleDone(world, research, m))
      continue;
    if (best < 0 || r->techLevel < modules.GetRecord(best)->techLevel) best = m;
  }
  return best;
}

// The next hull the guild may research: the first in its list not researched
// whose predecessor is (a player opens a hull by allocating to the one before
// it in its line); -1: none.
int NextHullResearch(const SrvWorld& world, int guild) {
  const SrvGuildResearch& research = world.research[static_cast<std::size_t>(guild)];
  const int count = std::min(world.hulls->GetHullCount(guild), static_cast<int>(research.hullPercent.size()));
  for (int h = 0; h < count; ++h) {
    if (HullDone(research, h)) continue;
    for (int p = 0; p < count; ++p)
      if (NextHull(*world.hulls, guild, p) == h && HullDone(research, p)) return h;
  }
  return -1;
}

}  // namespace

// Modules first: each one researched improves the designs of every hull
// whose slots take its kind, a hull only one new design. Researching the open
// hulls first, or once the modules of the second level are done, measured
// worse (server/README.md).
void SrvAiResearch(SrvAiPlan& plan) {
  const int guild = plan.chapter >> 3;
  if (const int module = NextModuleResearch(plan.world, guild, plan.level.fitsBombards); module >= 0) {
    if (!ResearchesAModule(plan.world, guild))
      plan.orders.push_back(
          SrvAiResearchOrder(plan.chapter, static_cast<std::uint16_t>(module), plan.level.researchPercent));
  } else if (const int hull = NextHullResearch(plan.world, guild); hull >= 0 && !ResearchesAHull(plan.world, guild)) {
    plan.orders.push_back(
        SrvAiHullResearchOrder(plan.chapter, static_cast<std::uint16_t>(hull), plan.level.researchPercent));
  }
}
