// A load over a running game keeps that game whole until the file has been
// read: a damaged file gives the very same game back, and a good one replaces
// it, the old game's units letting go of their own designs and cells (not of
// the new game's, which has other asteroids but the same design numbers).
#include <gtest/gtest.h>

#include "Game/model/GameWorld.h"
#include "Game/save/GameLoader.h"
#include "Game/save/SaveGame.h"
#include "tests/Game/save/save_fixture.h"

namespace save_test {
namespace {

class LoadOverGame : public SaveFixture {
 protected:
  // A game of 20 asteroids and `units` units, saved as "small.clt"; its
  // model's bytes.
  std::vector<std::uint8_t> SaveSmallGame(int units) {
    delete g_gameData;
    g_gameData = new CGameData(9, 8);
    world_test::GenerateSolarSystem(g_gameData->solarDB, kSmallAsteroids, 3);
    world_test::GenerateChapters(*g_gameData->guildList, 3);
    for (int i = 0; i < units; ++i) {
      const auto chapter = static_cast<std::uint8_t>(i % kMaxChapters);
      AddUnit(chapter, (std::uint32_t{chapter} << 26) | static_cast<std::uint32_t>(i + 1),
              static_cast<std::uint16_t>(i % (kSmallAsteroids + 1)));
    }
    EXPECT_TRUE(SaveOwn("small"));
    return ModelBytes("small-model.bin");
  }

  static void ExpectLinksOf(const CGameData& game) {
    EXPECT_EQ(World().solar, &game.solarDB);
    EXPECT_EQ(World().guilds, game.guildList.get());
    EXPECT_EQ(World().pieces, &game.pieces);
    EXPECT_EQ(World().templates, &game.templates);
    EXPECT_EQ(World().modules, game.moduleDB.get());
    EXPECT_EQ(World().hulls, game.hullDB.get());
  }

  // How many units hold the design: its reference count.
  static std::uint16_t References(CGUnitTemplate* design) {
    design->AddRef();
    return design->Release();
  }

  static constexpr std::uint16_t kSmallAsteroids = 20;
};

TEST_F(LoadOverGame, AGoodFileReplacesTheRunningGameWithEveryLinkAndCount) {
  const auto small = SaveSmallGame(45);
  // A larger game, with units on asteroids the loaded game does not have.
  StartGame(300);
  ASSERT_EQ(g_numAsteroids, kMaxAsteroids);

  ASSERT_TRUE(CGameLoader::ForRequest("small.clt", LoadPlace::SaveDirectory).Load());
  ASSERT_NE(g_gameData, nullptr);
  EXPECT_EQ(g_numAsteroids, kSmallAsteroids);
  ExpectLinksOf(*g_gameData);
  EXPECT_EQ(ModelBytes("loaded.bin"), small);
  // Every loaded unit still holds its design once: the old game's units,
  // whose designs bear the same numbers, released their own.
  std::uint16_t at = 0;
  const CGUnit* unit = g_gameData->pieces.FindUnit((3u << 26) | 4u, &at);
  ASSERT_NE(unit, nullptr);
  ASSERT_NE(unit->GetTemplate(), nullptr);
  EXPECT_EQ(References(unit->GetTemplate()), 1);
}

// The views of the running game release what they hold in it (a terrain
// replay's movers): they go while that game is still the game of record, and
// only once the new game's model stands, so a damaged file keeps them.
TEST_F(LoadOverGame, TheRunningGamesScreenGoesWhileThatGameIsCurrent) {
  const auto small = SaveSmallGame(4);
  const std::string whole = box.Read("small.clt");
  StartGame(60);
  const CGameData* running = g_gameData;
  const std::uint16_t runningAsteroids = g_numAsteroids;
  int released = 0;
  shell.releaseGameScreen = [&] {
    ++released;
    EXPECT_EQ(g_gameData, running);
    EXPECT_EQ(g_numAsteroids, runningAsteroids);
    ExpectLinksOf(*running);
  };
  box.Write("bad.clt", whole.substr(0, whole.size() - whole.size() / 8));
  EXPECT_FALSE(CGameLoader::ForRequest("bad.clt", LoadPlace::SaveDirectory).Load());
  EXPECT_EQ(released, 0);

  ASSERT_TRUE(CGameLoader::ForRequest("small.clt", LoadPlace::SaveDirectory).Load());
  EXPECT_EQ(released, 1);
  EXPECT_EQ(g_numAsteroids, kSmallAsteroids);
  ExpectLinksOf(*g_gameData);
}

TEST_F(LoadOverGame, ADamagedFileGivesBackTheSameGameWithItsLinksAndCount) {
  const auto small = SaveSmallGame(45);
  const std::string whole = box.Read("small.clt");
  StartGame(60);
  const CGameData* running = g_gameData;
  const auto before = ModelBytes();
  // Cut inside the unit records: the solar system of 20 asteroids has been read.
  box.Write("bad.clt", whole.substr(0, whole.size() - whole.size() / 8));
  EXPECT_FALSE(CGameLoader::ForRequest("bad.clt", LoadPlace::SaveDirectory).Load());
  EXPECT_EQ(g_gameData, running);
  EXPECT_EQ(g_numAsteroids, kMaxAsteroids);
  ExpectLinksOf(*g_gameData);
  EXPECT_EQ(ModelBytes("after.bin"), before);
}

TEST_F(LoadOverGame, ADamagedFileFromTheFrontEndLeavesNoGame) {
  SaveSmallGame(10);
  const std::string whole = box.Read("small.clt");
  delete g_gameData;
  g_gameData = nullptr;
  box.Write("bad.clt", whole.substr(0, whole.size() / 2));
  EXPECT_FALSE(CGameLoader::ForRequest("bad.clt", LoadPlace::SaveDirectory).Load());
  EXPECT_EQ(g_gameData, nullptr);
  EXPECT_EQ(World().solar, nullptr);
  ASSERT_TRUE(CGameLoader::ForRequest("small.clt", LoadPlace::SaveDirectory).Load());
  ASSERT_NE(g_gameData, nullptr);
  ExpectLinksOf(*g_gameData);
}

}  // namespace
}  // namespace save_test
