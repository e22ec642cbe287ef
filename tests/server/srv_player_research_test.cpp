// What a player sends about its guild's research and designs: designs for
// its own slots, checked against what the guild has researched, and its
// share of the science bonus.
#include <gtest/gtest.h>

#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GChapter.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GUnitTem.h"
#include "tests/server/srv_game_fixture.h"

namespace {

// Players 7 and 9 hold chapters 8 and 9 of guild 1, player 11 chapter 0.
struct SrvPlayerResearch : SrvGameCase<41> {
  static constexpr std::uint16_t kMine = 8;

  void SetUp() override {
    StartTestGame(game, {{7, 8}, {9, 9}, {11, 0}}, 2);
    out.sent.clear();
  }
  void EndTurn() { EndTestTurn(game, {{7, 8}, {9, 9}, {11, 0}}); }
};

// A Hauler (hull 0, four slots) of `chapter` for `slot`, the modules in its first slots.
std::vector<std::uint8_t> Design(std::uint16_t slot, std::vector<std::uint16_t> modules, std::uint8_t hull = 0,
                                 std::uint16_t chapter = 8) {
  auto p = Pkt<124>(PKT_TEMPLATE).U32(8, (std::uint32_t{chapter} << 26) | 900).U16(12, slot).U16(14, chapter);
  p.Text(16, 30, "Digger").U8(46, hull);
  for (std::size_t s = 0; s < modules.size(); ++s) p.U16(48 + 2 * s, modules[s]).U8(98 + s, 1);
  return p;
}

// 512 (hull false) or 513 for guild 1's slot `slot`.
std::vector<std::uint8_t> Bonus(bool hull, std::uint8_t slot, std::uint16_t item, std::uint16_t points) {
  if (hull) return Pkt<20>(PKT_HULL_SCIENCE_BONUS).U16(8, 1).U8(10, slot).U16(12, item).U16(14, points);
  return Pkt<20>(PKT_MODULE_SCIENCE_BONUS).U8(8, slot).U16(10, item).U16(12, points);
}

}  // namespace

TEST_F(SrvPlayerResearch, APlayersOwnDesignOfResearchedPartsIsStoredPassedOnAndCanBeBuilt) {
  // The laser (4) and the cruiser hull (1) are not researched; the hauler has four slots.
  for (const auto& refused :
       {Design(5, {0, 4}), Design(5, {0}, 1), Design(5, {0, 1, 2, 3, 0}), Design(5, {0}, 0, 9), Design(15, {0})})
    EXPECT_FALSE(game.Receive(7, refused));
  EXPECT_TRUE(out.sent.empty());

  ASSERT_TRUE(game.Receive(7, Design(5, {0, 1})));
  const CGUnitTemplate* stored = World().templates->GetTemplate(kMine, 5, 1);
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->moduleCount, 2);
  for (std::uint32_t other : {9u, 11u}) ASSERT_EQ(out.Of(other, PKT_TEMPLATE).size(), 1u) << other;
  EXPECT_TRUE(out.Of(7, PKT_TEMPLATE).empty()) << "the sender holds it already";

  const CGUnit* builder = World().pieces->GetUnitAt(World().Chapter(kMine)->homeAsteroid, kMine, 0);
  const UnitOrder build = Ordered(ORDER_BUILD_SHIP, {stored->templateId, kNoTargetId});
  EXPECT_TRUE(game.Receive(7, Bytes(BuildOrderPacket(builder->id, build, kInsertReplace))));
}

TEST_F(SrvPlayerResearch, ADesignWhoseIdTheServerGaveAlreadyGetsAFreshOneAndItsSenderIsToldIt) {
  // A client's counter starts where the server's did: its first design takes
  // the id of the chapter's first starting design, which units still use.
  auto first = Design(5, {0, 1});
  first[8] = first[9] = first[10] = 0;
  const std::uint32_t taken = World().templates->GetTemplate(kMine, 0, 1)->templateId;
  ASSERT_EQ(ReadU32(first, 8), taken);
  ASSERT_TRUE(game.Receive(7, first));
  const CGUnitTemplate* stored = World().templates->GetTemplate(kMine, 5, 1);
  EXPECT_NE(stored->templateId, taken);
  EXPECT_EQ(World().templates->FindTemplateById(stored->templateId), stored);
  ASSERT_EQ(out.Of(7, PKT_TEMPLATE).size(), 1u) << "the sender learns the new id";
  EXPECT_EQ(ReadU32(out.Of(7, PKT_TEMPLATE)[0], 8), stored->templateId);
  // An unused id is kept, and nothing the server makes takes it afterwards.
  ASSERT_TRUE(game.Receive(7, Design(6, {0, 1})));
  const std::uint32_t kept = World().templates->GetTemplate(kMine, 6, 1)->templateId;
  EXPECT_EQ(kept, (std::uint32_t{kMine} << 26) | 900);
  EXPECT_GT(World().Chapter(kMine)->nextObjectId, kept);
}

TEST_F(SrvPlayerResearch, TheScienceBonusIsTheStandingsLimitAndSpeedsTheResearchItIsGiven) {
  EndTurn();
  const std::uint16_t limit = ReadU16(out.Of(7, PKT_TURN_STANDINGS).back(), 14 + 8 * kMine);
  EXPECT_EQ(limit, 5 + World().Chapter(kMine)->GetTrait(12)) << "one owned asteroid";

  // Chapter 8 (slot 0) gives the laser all but one point and the cruiser
  // hull the last; nothing passes the limit; a guild mate's slot is its own.
  ASSERT_TRUE(game.Receive(7, Bonus(false, 0, 4, static_cast<std::uint16_t>(limit - 1))));
  EXPECT_FALSE(game.Receive(7, Bonus(true, 0, 1, 2)));
  ASSERT_TRUE(game.Receive(7, Bonus(true, 0, 1, 1)));
  EXPECT_FALSE(game.Receive(7, Bonus(false, 1, 4, 1)));
  ASSERT_TRUE(game.Receive(9, Bonus(false, 1, 4, 3)));

  const std::string path = Folder() + "bonus.svr";
  ASSERT_TRUE(game.Save(path, 77));
  ASSERT_TRUE(game.Receive(7, Bonus(false, 0, 4, 0))) << "points are always given back";
  ASSERT_TRUE(game.Load(path, 77));
  EndTurn();
  EXPECT_EQ(World().research[1].modulePoints[4], 20u * (limit - 1 + 3)) << "a point counts as a percent";
  EXPECT_EQ(World().research[1].hullPoints[1], 20u);
}

namespace {

std::vector<std::uint8_t> Allocation(std::uint8_t slot, std::uint16_t module, std::uint16_t percent) {
  return Pkt<16>(PKT_MODULE_ALLOCATION).U8(8, slot).U16(10, module).U16(12, percent);
}

}  // namespace

TEST_F(SrvPlayerResearch, AResearchedItemsEffortGoesDownItsLineUntilTheLineIsComplete) {
  EndTurn();
  // The power cell (3) is researched: its allocation and the guild mate's
  // bonus work on the reactor (5), and past it on the laser (4), which chapter
  // 8 also works on directly; the laser leads back to the cell.
  World().modules->GetRecord(5)->successor = 4;
  World().modules->GetRecord(4)->successor = 3;
  ASSERT_TRUE(game.Receive(7, Allocation(0, 3, 100)));
  ASSERT_TRUE(game.Receive(7, Allocation(0, 4, 25)));
  ASSERT_TRUE(game.Receive(9, Bonus(false, 1, 3, 2)));
  out.sent.clear();
  EndTurn();
  const auto told = out.Of(9, PKT_MODULE_RESEARCH);
  ASSERT_EQ(told.size(), 2u);
  EXPECT_EQ(ReadU16(told[0], 8), 4u);
  EXPECT_EQ(ReadU16(told[0], 10), 500u);
  EXPECT_EQ(ReadU16(told[1], 8), 5u);
  EXPECT_EQ(ReadU16(told[1], 10), 2040u);

  for (int t = 0; t < 4; ++t) EndTurn();
  EXPECT_EQ(World().research[1].modulePoints[5], kResearched);
  EXPECT_EQ(World().research[1].modulePercent[3], 100u) << "the cell's allocation carries on down the line";
  EXPECT_EQ(World().research[1].modulePoints[4], 2500u);
  EndTurn();
  EXPECT_EQ(World().research[1].modulePoints[4], 2500u + 20u * 127) << "the cell's effort joins the laser's own";

  // Once the laser is done every item of the loop is researched: the turn
  // ends, and nothing is told of research.
  EndTurn();
  EndTurn();
  EXPECT_EQ(World().research[1].modulePoints[4], kResearched);
  out.sent.clear();
  EndTurn();
  EXPECT_TRUE(out.Of(9, PKT_MODULE_RESEARCH).empty());
  EXPECT_TRUE(out.Of(9, PKT_MODULE_RESEARCH_DONE).empty());
}

TEST_F(SrvPlayerResearch, AnImprovementOfAnotherGuildIsNotResearchedForThisOne) {
  World().modules->GetRecord(5)->guildMask = 0x1F & ~(1u << 1);
  ASSERT_TRUE(game.Receive(7, Allocation(0, 3, 100)));
  EndTurn();
  EXPECT_EQ(World().research[1].modulePoints[5], 0u);
  EXPECT_TRUE(out.Of(7, PKT_MODULE_RESEARCH).empty());
}
