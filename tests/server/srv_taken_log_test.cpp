// What the server's log tells of a player's orders, designs and messages:
// each one taken gets its line (a unit's order with its kind and unit), each
// one refused its refusal and nothing more.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GChapter.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GUnitTem.h"
#include "tests/server/srv_game_fixture.h"

namespace {

// Players 7 and 9 hold chapters 8 and 9 of guild 1.
constexpr std::uint16_t kMine = 8;

struct SrvTakenLog : SrvGameCase<41> {
  void SetUp() override {
    path = Folder() + "taken.log";
    std::filesystem::remove(path);
    ASSERT_TRUE(log.Open(path));
    StartTestGame(game, {{7, 8}, {9, 9}}, 2);
  }
  std::string Text() const {
    std::ifstream in(path);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
  }
  std::string path;
};

// A Hauler design of chapter 8 for `slot` with the given modules.
std::vector<std::uint8_t> Design(std::uint16_t slot, std::vector<std::uint16_t> modules) {
  auto p = Pkt<124>(PKT_TEMPLATE).U32(8, (std::uint32_t{kMine} << 26) | 900).U16(12, slot).U16(14, kMine);
  p.Text(16, 30, "Digger").U8(46, 0);
  for (std::size_t s = 0; s < modules.size(); ++s) p.U16(48 + 2 * s, modules[s]).U8(98 + s, 1);
  return p;
}

}  // namespace

TEST_F(SrvTakenLog, EachOrderTakenHasItsLineAndARefusedOneOnlyItsRefusal) {
  // The laser (4) is not researched: refused, and not logged as taken.
  EXPECT_FALSE(game.Receive(7, Design(5, {0, 4})));
  ASSERT_TRUE(game.Receive(7, Design(5, {0, 1})));
  const CGUnitTemplate* stored = World().templates->GetTemplate(kMine, 5, 1);
  ASSERT_NE(stored, nullptr);
  const CGUnit* builder = World().pieces->GetUnitAt(World().Chapter(kMine)->homeAsteroid, kMine, 0);
  ASSERT_NE(builder, nullptr);
  const UnitOrder build = Ordered(ORDER_BUILD_SHIP, {stored->templateId, kNoTargetId});
  ASSERT_TRUE(game.Receive(7, Bytes(BuildOrderPacket(builder->id, build, kInsertReplace))));
  // An order for another's unit is refused.
  EXPECT_FALSE(game.Receive(9, Bytes(BuildOrderPacket(builder->id, build, kInsertReplace))));
  ASSERT_TRUE(game.Receive(7, Pkt<516>(PKT_CHAT).U8(8, kMine).U8(9, 255).U32(12, 1).Text(16, 500, "hello")));
  ASSERT_TRUE(game.Receive(7, Pkt<12>(PKT_DEFAULT_BATTLE_PLANS)));

  const std::string text = Text();
  const std::string design = "design " + std::to_string(stored->templateId) + " of player 7 taken in slot 5";
  EXPECT_NE(text.find(design), std::string::npos) << text;
  EXPECT_EQ(text.find("of player 7 taken in slot 5"), text.rfind("of player 7 taken in slot 5")) << "once";
  EXPECT_NE(text.find("refused packet " + std::to_string(PKT_TEMPLATE) + " from player 7"), std::string::npos);
  const std::string order =
      "order " + std::to_string(ORDER_BUILD_SHIP) + " for unit " + std::to_string(builder->id) + " of player 7 taken";
  EXPECT_NE(text.find(order), std::string::npos) << text;
  EXPECT_NE(text.find("refused packet " + std::to_string(PKT_ORDER) + " from player 9"), std::string::npos);
  EXPECT_EQ(text.find("of player 9 taken"), std::string::npos) << text;
  EXPECT_NE(text.find("chat of player 7 taken"), std::string::npos);
  EXPECT_NE(text.find("default battle plans of player 7 taken"), std::string::npos);
}
