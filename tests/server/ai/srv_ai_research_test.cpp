// What a computer chapter's guild researches: modules and the hulls its
// guild may open, through the intake a player's allocations go through.
#include <gtest/gtest.h>

#include <vector>

#include "Game/base/Packets.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "server/ai/SrvAiChapter.h"
#include "server/ai/SrvAiLevel.h"
#include "server/ai/SrvAiOrders.h"
#include "server/ai/SrvAiSubmit.h"
#include "server/orders/SrvOrders.h"
#include "server/turn/SrvTurnSteps.h"
#include "tests/server/ai/srv_ai_fixture.h"

namespace {

using srv_ai_test::RulesGame;

// The chapter's research order this turn: its packet type and item, {0, -1}
// for none.
struct Pick {
  std::uint16_t type = 0;
  int item = -1;
};
Pick ResearchOrder(RulesGame& game, std::uint16_t chapter, SrvPacket* packet = nullptr) {
  Pick pick;
  for (SrvPacket& p : SrvChooseOrders(game.world, chapter, SrvAiLevelOf(2), 5)) {
    const std::uint16_t type = ReadU16(p, 0);
    if (type != PKT_MODULE_ALLOCATION && type != PKT_HULL_ALLOCATION) continue;
    EXPECT_EQ(pick.type, 0) << "one allocation a turn";
    pick = {type, type == PKT_MODULE_ALLOCATION ? ReadU16(p, 10) : ReadU16(p, 12)};
    if (packet != nullptr) *packet = std::move(p);
  }
  return pick;
}

void ResearchEveryModule(RulesGame& game, int guild) {
  for (std::uint16_t& points : game.world.research[static_cast<std::size_t>(guild)].modulePoints) points = kResearched;
}

// Whether some researched hull of the guild has `hull` for its successor.
bool OpenedByItsPredecessor(const RulesGame& game, int guild, int hull) {
  const SrvGuildResearch& research = game.world.research[static_cast<std::size_t>(guild)];
  for (int p = 0; p < game.world.hulls->GetHullCount(guild); ++p)
    if (game.world.hulls->GetHull(guild, p)->successor == game.world.hulls->GetHull(guild, hull)->index &&
        research.hullPoints[static_cast<std::size_t>(p)] >= kResearched)
      return true;
  return false;
}

// With every module researched, the chapter allocates to the hulls its guild
// may open one after another, each accepted as a player's 511; a hull no
// researched one leads to is never chosen, and once none is left the guild's
// research rests.
TEST(SrvAiResearch, EveryModuleResearchedTheGuildOpensItsHullsInTurn) {
  RulesGame game(2, 40, 1, 2);
  ResearchEveryModule(game, 0);
  SrvGuildResearch& research = game.world.research[0];
  std::vector<int> opened;
  for (int round = 0; round <= game.world.hulls->GetHullCount(0); ++round) {
    SrvPacket packet;
    const Pick pick = ResearchOrder(game, 0, &packet);
    if (pick.type == 0) break;
    ASSERT_EQ(pick.type, PKT_HULL_ALLOCATION);
    const auto at = static_cast<std::size_t>(pick.item);
    ASSERT_LT(research.hullPoints[at], kResearched);
    EXPECT_TRUE(OpenedByItsPredecessor(game, 0, pick.item)) << pick.item;
    for (int earlier = 0; earlier < pick.item; ++earlier)
      EXPECT_FALSE(research.hullPoints[static_cast<std::size_t>(earlier)] < kResearched &&
                   OpenedByItsPredecessor(game, 0, earlier))
          << "the first the guild may open: " << earlier;
    ASSERT_EQ(SrvSubmitOrder(game.world, 0, packet), SrvOrderVerdict::kAccepted);
    EXPECT_EQ(research.hullPercent[at], SrvAiLevelOf(2).researchPercent);
    // Done: the turn's research drops a finished item's allocation.
    research.hullPoints[at] = kResearched;
    research.hullPercent[at] = 0;
    opened.push_back(pick.item);
  }
  EXPECT_EQ(opened.size(), 4u) << "the Mk II of the armed scout, the destroyer, the cruiser and the battleship";
  EXPECT_EQ(ResearchOrder(game, 0).type, 0);
  for (int h = 0; h < game.world.hulls->GetHullCount(0); ++h)
    EXPECT_TRUE(research.hullPoints[static_cast<std::size_t>(h)] >= kResearched || !OpenedByItsPredecessor(game, 0, h))
        << "left unopened: " << h;
}

// Modules come first, whatever hull the guild may open: the last module
// researched, the hull is next.
TEST(SrvAiResearch, ModulesComeBeforeHulls) {
  RulesGame game(2, 40, 1, 2);
  SrvGuildResearch& research = game.world.research[0];
  int modules = 0;
  for (Pick pick = ResearchOrder(game, 0); pick.type == PKT_MODULE_ALLOCATION; pick = ResearchOrder(game, 0)) {
    ASSERT_LT(modules, game.world.modules->GetCount());
    research.modulePoints[static_cast<std::size_t>(pick.item)] = kResearched;
    ++modules;
  }
  EXPECT_GE(modules, 2);
  for (int m = 0; m < game.world.modules->GetCount(); ++m)
    EXPECT_TRUE((game.world.modules->GetRecord(m)->guildMask & 1u) == 0 ||
                research.modulePoints[static_cast<std::size_t>(m)] == kResearched)
        << m;
  EXPECT_EQ(ResearchOrder(game, 0).type, PKT_HULL_ALLOCATION);
}

// A member's allocation to a researched module works on its line's next and
// leaves the chapter choosing a module of its own beside it; one to a module
// not researched yet holds the chapter back.
TEST(SrvAiResearch, OnlyAnAllocationToAModuleNotResearchedHoldsTheChapterBack) {
  RulesGame game(2, 40, 1, 2);
  SrvGuildResearch& research = game.world.research[0];
  const CGModuleDB& modules = *game.world.modules;
  int researched = -1;
  for (int m = 0; m < modules.GetCount() && researched < 0; ++m)
    if ((modules.GetRecord(m)->guildMask & 1u) != 0 && modules.IsResearched(m) != 0 &&
        modules.GetSuccessor(m) != kNoModule)
      researched = m;
  ASSERT_GE(researched, 0);
  research.modulePercent[static_cast<std::size_t>(researched)] = 50;
  const Pick own = ResearchOrder(game, 0);
  ASSERT_EQ(own.type, PKT_MODULE_ALLOCATION);
  EXPECT_EQ(modules.IsResearched(own.item), 0);

  research.modulePercent[static_cast<std::size_t>(own.item)] = 50;
  EXPECT_EQ(ResearchOrder(game, 0).type, 0);
  EXPECT_EQ(ResearchOrder(game, 1).type, 0) << "a guild mate sees the guild at work too";
}

// A hull allocation still at work keeps the chapter from adding its own, a
// member's to a researched hull included (it works on the line's next); one
// whose line is complete takes nothing, and the chapter allocates again.
TEST(SrvAiResearch, AnAllocationWhoseLineIsCompleteLeavesTheGuildResearchingNothing) {
  RulesGame game(2, 40, 1, 2);
  ResearchEveryModule(game, 0);
  const Pick first = ResearchOrder(game, 0);
  ASSERT_EQ(first.type, PKT_HULL_ALLOCATION);
  SrvGuildResearch& research = game.world.research[0];
  int before = -1;
  for (int p = 0; p < game.world.hulls->GetHullCount(0) && before < 0; ++p)
    if (game.world.hulls->GetHull(0, p)->successor == game.world.hulls->GetHull(0, first.item)->index) before = p;
  ASSERT_GE(before, 0);
  research.hullPercent[static_cast<std::size_t>(before)] = 40;
  EXPECT_EQ(ResearchOrder(game, 0).type, 0) << "the member's allocation opens the next hull";
  EXPECT_EQ(ResearchOrder(game, 1).type, 0);

  research.hullPoints[static_cast<std::size_t>(first.item)] = kResearched;
  const Pick next = ResearchOrder(game, 0);
  EXPECT_EQ(next.type, PKT_HULL_ALLOCATION);
  EXPECT_NE(next.item, first.item);

  // The same for a module's line.
  ResearchEveryModule(game, 1);
  for (int m = 0; m < game.world.modules->GetCount(); ++m)
    if (game.world.modules->GetSuccessor(m) != kNoModule && (game.world.modules->GetRecord(m)->guildMask & 2u) != 0) {
      game.world.research[1].modulePercent[static_cast<std::size_t>(m)] = 40;
      break;
    }
  EXPECT_EQ(ResearchOrder(game, 8).type, PKT_HULL_ALLOCATION);
}

// A chapter a player holds allocates for itself; its computer guild mate
// steers the guild's research.
TEST(SrvAiResearch, AChapterAPlayerHoldsAllocatesNothing) {
  RulesGame game(1, 40, 1, 2);
  ResearchEveryModule(game, 0);
  ResearchEveryModule(game, 1);
  auto turn = game.Turn();
  turn.human[0] = true;
  SrvPlayComputerChapters(turn);
  for (std::uint16_t percent : game.world.research[0].hullPercent) EXPECT_EQ(percent, 0);
  int allocated = 0;
  for (std::uint16_t percent : game.world.research[1].hullPercent) allocated += percent != 0 ? 1 : 0;
  EXPECT_EQ(allocated, 1) << "the computer guild's";
}

}  // namespace
