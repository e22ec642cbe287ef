#pragma once
// A game around the world model for its tests: a scratch installation with
// the test's "gamevar.dat", the rules links (local chapter, turn, packets
// sent) and the world links wired to a solar system, guilds, pools and a
// notification list owned by the fixture.

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "Game/base/GBlockStream.h"
#include "Game/model/GGuild.h"
#include "Game/model/GNotify.h"
#include "Game/model/GPoolDB.h"
#include "Game/model/GSolarSys.h"
#include "Game/model/GViewNotices.h"
#include "Game/model/GWorldLinks.h"
#include "Game/rules/GGameVar.h"
#include "platform/core/random.h"
#include "tests/Game/rules/rules_fixture.h"

namespace world_test {

// The bytes an object's block saves to.
template <class T>
std::vector<std::uint8_t> Saved(const T& object) {
  std::vector<std::uint8_t> bytes;
  BlockWriter w(&bytes);
  EXPECT_TRUE(object.Save(w));
  return bytes;
}

// What loading `bytes` into `object` answers; `object` is loaded in place.
template <class T, class... Extra>
LoadStatus Load(T& object, std::span<const std::uint8_t> bytes, Extra... extra) {
  BlockReader r(bytes);
  return object.Load(r, extra...);
}

class WorldTest : public ::testing::Test {
 protected:
  WorldTest() : savedVars(g_gameVariables) {
    g_rulesLinks.currentTurn = [this] { return turn; };
    g_rulesLinks.chaptersPerGuild = [] { return std::uint8_t{8}; };
    g_worldLinks = WorldLinks{};
    g_worldLinks.allAsteroidsScanned = [] { return true; };
    g_worldLinks.resourceMix = [this](std::uint8_t type, std::uint8_t out[4]) {
      if (type >= 20) return false;
      for (int i = 0; i < 4; ++i) out[i] = mix[type][i];
      return true;
    };
    g_worldLinks.randomEvents = [this] { return randomEvents; };
    RegisterViewNotices(&screen);
    plat::srand(1);
    Wire();
  }
  ~WorldTest() override {
    RegisterViewNotices(nullptr);
    g_worldLinks = WorldLinks{};
    g_gameVariables = savedVars;
  }

  // Reads `text` as the game variables of the test.
  void UseGameVariables(const std::string& text) {
    box.Write("c/gamevar.dat", text);
    g_gameVariables = CGameVariables();
  }

  void Wire() {
    g_worldLinks.solarDB = &solar;
    g_worldLinks.guildList = &guilds;
    g_worldLinks.poolDB = &pools;
    g_worldLinks.notifications = &notes;
  }

  // A new asteroid of a size class in slot `id`, at (x, y, 0) in solar space.
  CGAsteroid* AddAsteroid(std::uint16_t id, std::uint8_t size, std::int16_t x = 0, std::int16_t y = 0) {
    auto a = std::make_unique<CGAsteroid>(id);
    a->sizeClass = size;
    a->CreateZones();
    Location at{g_numAsteroids, x, y, 0};
    a->SetPosition(&at);
    CGAsteroid* raw = a.get();
    EXPECT_EQ(solar.SetAsteroid(std::move(a)), 1);
    return raw;
  }

  CGChapter* Chapter(std::uint16_t number) { return guilds.GetChapter(number); }

  model_test::Sandbox box;
  rules_test::RulesLinksScope rules;
  CGameVariables savedVars;
  std::uint32_t turn = 0;
  bool randomEvents = false;
  std::uint8_t mix[20][4] = {{40, 30, 20, 10}};
  std::vector<std::pair<int, int>> notices;
  // The game screen hears of asteroid collisions.
  struct Screen : IViewNotices {
    std::vector<std::pair<int, int>>& seen;
    explicit Screen(std::vector<std::pair<int, int>>& s) : seen(s) {}
    void AsteroidNotice(CGAsteroid* a, CGAsteroid* b) override { seen.push_back({a->id, b->id}); }
  } screen{notices};
  CGSolarDB solar;
  CGuildList guilds{8};
  CGPoolDB pools;
  CGNotificationList notes;
};

}  // namespace world_test
