// A design's counters as the players learn them: a ship built from it adds
// one to its number built, and every player is told the design's values anew.
#include <gtest/gtest.h>

#include <vector>

#include "Game/model/GChapter.h"
#include "Game/model/GUnit.h"
#include "Game/base/Packets.h"
#include "Game/rules/GUnitTem.h"
#include "server/orders/SrvUnitPackets.h"
#include "tests/server/srv_game_fixture.h"

namespace {

// Player 7 holds chapter 8 of guild 1, player 11 chapter 0.
struct SrvDesignCounts : SrvGameCase<43> {
  static constexpr std::uint16_t kMine = 8;

  void SetUp() override {
    StartTestGame(game, {{7, 8}, {11, 0}}, 2);
    out.sent.clear();
  }
  void EndTurn() { EndTestTurn(game, {{7, 8}, {11, 0}}); }
  // The number built (u16 at 14) of the last values of `design` told to `player`; -1: none told.
  int ToldBuilt(std::uint32_t player, std::uint32_t design) const {
    int built = -1;
    for (const SrvPacket& p : out.Of(player, PKT_TEMPLATE_VALUES))
      if (ReadU32(p, 8) == design) built = ReadU16(p, 14);
    return built;
  }
};

TEST_F(SrvDesignCounts, AShipBuiltCountsOnItsDesignAndEveryPlayerIsTold) {
  CGUnitTemplate* design = World().templates->GetTemplate(kMine, 0, 1);
  ASSERT_NE(design, nullptr);
  const std::uint16_t before = design->creationTurnHigh;
  const CGUnit* builder = World().pieces->GetUnitAt(World().Chapter(kMine)->homeAsteroid, kMine, 0);
  ASSERT_NE(builder, nullptr);
  const UnitOrder build = Ordered(ORDER_BUILD_SHIP, {design->templateId, kNoTargetId});
  ASSERT_TRUE(game.Receive(7, Bytes(BuildOrderPacket(builder->id, build, kInsertReplace))));

  int turns = 0;
  while (out.Count(PKT_UNIT) == 0 && turns++ < 40) EndTurn();
  ASSERT_GT(out.Count(PKT_UNIT), 0u) << "the ship is built";
  EXPECT_EQ(design->creationTurnHigh, before + 1);
  for (std::uint32_t player : {7u, 11u}) EXPECT_EQ(ToldBuilt(player, design->templateId), before + 1) << player;
  // The values follow the ship, so that the client holds the design they complete.
  const auto sent = out.To(7);
  std::size_t unitAt = sent.size(), valuesAt = sent.size();
  for (std::size_t i = 0; i < sent.size(); ++i) {
    if (sent[i].Type() == PKT_UNIT && unitAt == sent.size()) unitAt = i;
    if (sent[i].Type() == PKT_TEMPLATE_VALUES) valuesAt = i;
  }
  EXPECT_LT(unitAt, valuesAt);

  // A saved game keeps the count: loaded, the design holds it for the values the players are sent.
  const std::string path = testing::TempDir() + "design_counts.svr";
  const std::uint32_t id = design->templateId;
  ASSERT_TRUE(game.Save(path, 0x10001));
  EndTurn();
  out.sent.clear();
  ASSERT_TRUE(game.Load(path, 0x10001));
  const CGUnitTemplate* loaded = World().templates->FindTemplateById(id);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->creationTurnHigh, before + 1);
}

}  // namespace
