// A design's counters as the players learn them: a ship built from it adds
// one to its number built, and every player is told the design's values anew.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GChapter.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GTemplateDB.h"
#include "Game/rules/GUnitTem.h"
#include "server/orders/SrvUnitPackets.h"
#include "server/world/SrvDesignPackets.h"
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
  const std::string path = Folder() + "design_counts.svr";
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

// A slot's former design that a unit still flies is out of the slots: the
// players may have let it go, so its values come after the design itself.
TEST_F(SrvDesignCounts, ADesignOutOfTheSlotsIsToldBeforeItsValues) {
  CGUnitTemplate* fixed = World().templates->GetTemplate(kMine, 0, 1);
  ASSERT_NE(fixed, nullptr);
  const std::vector<SrvPacket> fixedNews = BuildDesignValuesNews(World(), *fixed);
  ASSERT_EQ(fixedNews.size(), 1u) << "every client holds the fixed designs";
  EXPECT_EQ(ReadU16(fixedNews[0], 0), PKT_TEMPLATE_VALUES);

  const std::uint32_t id = fixed->templateId;
  ASSERT_GT(fixed->references, 0) << "the starting unit flies it";
  CGTemplateDB& templates = *World().templates;
  ASSERT_EQ(templates.ClearFixedSlot(kMine, 0), 1);
  const CGUnitTemplate* former = templates.FindTemplateById(id);
  ASSERT_NE(former, nullptr);
  const std::vector<SrvPacket> news = BuildDesignValuesNews(World(), *former);
  ASSERT_EQ(news.size(), 2u);
  EXPECT_EQ(ReadU16(news[0], 0), PKT_TEMPLATE);
  EXPECT_EQ(std::make_tuple(ReadU32(news[0], 8), ReadU16(news[0], 12), ReadU16(news[0], 14)),
            std::make_tuple(id, kNotFixedSlot, kMine));
  EXPECT_EQ(ReadU16(news[1], 0), PKT_TEMPLATE_VALUES);
  EXPECT_EQ(ReadU32(news[1], 8), id);
}
