#pragma once
// A game around the world model for its tests: a scratch installation with
// the test's "gamevar.dat", the rules links (packets sent) and the game's
// world (local chapter, turn, settings) over a solar system, guilds, pools and
// a notification list owned by the fixture.

#include <gtest/gtest.h>

#include <algorithm>
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
    rules.allAsteroidsScanned = true;
    rules.mixTypes = 20;
    const std::uint8_t firstMix[4] = {40, 30, 20, 10};
    std::copy_n(firstMix, 4, rules.mix[0]);
    RegisterViewNotices(&screen);
    plat::srand(1);
    Wire();
  }
  ~WorldTest() override {
    RegisterViewNotices(nullptr);
    // The databases go before the world that names them.
    rules.solar = nullptr;
    rules.guilds = nullptr;
    rules.pools = nullptr;
    rules.notifications = nullptr;
    g_gameVariables = savedVars;
  }

  // Reads `text` as the game variables of the test.
  void UseGameVariables(const std::string& text) {
    box.Write("c/gamevar.dat", text);
    g_gameVariables = CGameVariables();
  }

  void Wire() {
    rules.solar = &solar;
    rules.guilds = &guilds;
    rules.pools = &pools;
    rules.notifications = &notes;
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
