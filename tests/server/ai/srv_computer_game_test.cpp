// A whole game of computer chapters through the server's game, no network:
// every order they give is taken, and a victory condition ends it.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "Game/base/Packets.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GRulesPackets.h"
#include "Game/rules/GTemplateDB.h"
#include "Game/rules/GUnitTem.h"
#include "server/SrvGame.h"
#include "tests/server/ai/srv_ai_fixture.h"
#include "tests/server/srv_game_fixture.h"

namespace {

struct Silence : SrvOutbox {
  void Send(std::uint32_t, const SrvPacket&, bool) override {}
};

// A game of computer chapters only: player 1 sets it up and starts it, then
// leaves its chapter to the server; player 2 watches, holding none. Plays
// until the game ends or `turns` have passed; the log and any file the game
// writes go to a folder of its own.
struct ComputerGame {
  srv_ai_test::GameVariablesScope variables;
  srv_ai_test::GameLogFile logFile;
  Silence out;
  SrvLog log;
  SrvGame game{out, log, nullptr, 2024, logFile.dir.path().string() + "/"};

  explicit ComputerGame(int turns) {
    EXPECT_TRUE(log.Open(logFile.path));
    const auto hulls = rulesdata::CompileHulls(srv_ai_test::SourceText("data/rules/hulls.txt"));
    const auto modules = rulesdata::CompileModules(srv_ai_test::SourceText("data/rules/modules.txt"));
    EXPECT_TRUE(game.UseRules(hulls.bytes, modules.bytes));
    game.PlayerJoined(1);
    game.PlayerJoined(2);
    SrvSetup setup;
    setup.config.SetU16(14, 3);
    setup.config.SetU16(16, 80);
    setup.config.SetU16(18, 0);
    setup.config.SetU16(20, 1 | 2 | 4 | 8 | 16);
    setup.config.SetU16(22, 150);
    setup.settings.SetU16(12, 2);
    EXPECT_TRUE(game.Receive(1, Bytes(setup.config)));
    EXPECT_TRUE(game.Receive(1, Bytes(setup.settings)));
    EXPECT_TRUE(game.Receive(1, Pkt<48>(PKT_CHAPTER_CLAIM)));
    EXPECT_TRUE(game.Receive(1, Pkt<12>(PKT_AUTOSAVE)));  // autosave off
    EXPECT_TRUE(game.Receive(1, Pkt<12>(PKT_START)));
    game.PlayerLeft(1);
    for (int t = 0; t < turns && !game.Ended(); ++t) game.EndTurnNow();
  }
};

// The game's length (150) ends it at the latest: what counts is that it ends
// as a game with players does, winners told, and that no computer order is
// refused on the way (the endings by a victory are the tournament's).
TEST(SrvComputerGame, ComputerChaptersPlayAGameToItsEndWithNoOrderRefused) {
  const ComputerGame played(200);
  ASSERT_TRUE(played.game.Ended()) << "still running after 200 turns";
  EXPECT_LE(played.game.World().turn, 150u) << "the game length ends it at the latest";
  std::ifstream in(played.logFile.path);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::size_t over = text.find("game over by condition ");
  ASSERT_NE(over, std::string::npos);
  unsigned condition = 0, winners = 0;
  ASSERT_EQ(std::sscanf(text.c_str() + over, "game over by condition %u, %u winners", &condition, &winners), 2);
  EXPECT_TRUE(condition == 1 || condition == 2 || condition == 4 || condition == 8) << condition;
  EXPECT_GE(winners, 1u);
  EXPECT_LT(winners, 15u) << "the scores tell the chapters apart";
  EXPECT_EQ(text.find("refused"), std::string::npos) << text.substr(0, 2000);
}

// Every design of the world whose count of holders (the units flying it and
// the orders building or refitting to it) differs from its reference count,
// with both: a count short lets the design go while something still uses it.
std::map<std::uint32_t, std::pair<int, int>> DesignsMiscounted(const SrvWorld& world) {
  std::map<const CGUnitTemplate*, int> holders;
  world.ForEachUnit([&](const CGUnit& u) {
    if (u.design != nullptr) ++holders[u.design];
    for (std::uint16_t i = 0; i < u.GetOrderCount(); ++i) {
      const UnitOrder* o = u.GetOrder(i);
      const bool namesDesign =
          o->type == ORDER_BUILD_SHIP || o->type == ORDER_MODIFY_SHIP || o->type == ORDER_BUILD_OR_REPAIR_SHIP;
      if (namesDesign) ++holders[world.templates->FindTemplateById(o->Word(0))];
    }
  });
  std::map<std::uint32_t, std::pair<int, int>> miscounted;
  auto check = [&](const CGUnitTemplate* t) {
    if (t != nullptr && t->references != holders[t]) miscounted[t->templateId] = {t->references, holders[t]};
  };
  for (int c = 0; c < kTemplateChapters; ++c) {
    for (const CGUnitTemplate* t : world.templates->fixed[c]) check(t);
    for (std::uint16_t i = 0; i < world.templates->extra[c].count; ++i) check(world.templates->extra[c].GetAt(i));
  }
  return miscounted;
}

// Computer chapters build and refit all the time: a game saved amid that and
// loaded back holds each design as often as before, and goes on doing so.
TEST(SrvComputerGame, AGameLoadedAmidBuildsAndRefitsHoldsEveryDesignAsOftenAsItIsUsed) {
  ComputerGame played(60);
  ASSERT_FALSE(played.game.Ended());
  using Miscounted = std::map<std::uint32_t, std::pair<int, int>>;
  EXPECT_EQ(DesignsMiscounted(played.game.World()), Miscounted{});
  int designOrders = 0;
  played.game.World().ForEachUnit([&](const CGUnit& u) {
    for (std::uint16_t i = 0; i < u.GetOrderCount(); ++i)
      designOrders += u.GetOrder(i)->type == ORDER_BUILD_SHIP || u.GetOrder(i)->type == ORDER_MODIFY_SHIP ? 1 : 0;
  });
  ASSERT_GT(designOrders, 0) << "nothing building when saved";
  const std::string path = played.logFile.dir.path().string() + "/amid.svr";
  ASSERT_TRUE(played.game.Save(path, 31));
  ASSERT_TRUE(played.game.Load(path, 31));
  EXPECT_EQ(DesignsMiscounted(played.game.World()), Miscounted{}) << "as loaded";
  for (int t = 0; t < 30 && !played.game.Ended(); ++t) played.game.EndTurnNow();
  EXPECT_EQ(DesignsMiscounted(played.game.World()), Miscounted{}) << "30 turns on";
}

TEST(SrvComputerGame, TheSameSeedPlaysTheSameGame) {
  std::array<std::uint32_t, kMaxChapters> first{};
  {
    const ComputerGame played(40);
    first = played.game.World().scores;
  }
  const ComputerGame again(40);
  EXPECT_EQ(again.game.World().scores, first);
  EXPECT_NE(first, (std::array<std::uint32_t, kMaxChapters>{}));
}

}  // namespace
