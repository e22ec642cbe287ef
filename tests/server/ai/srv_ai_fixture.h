#pragma once
// A generated world with a turn context over it, for the politics, victory
// and computer-chapter tests; packets queued for the chapters are read back
// by type.

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/rules/GGameVar.h"
#include "Game/rules/GTemplateDB.h"
#include "server/ai/SrvAiChapter.h"
#include "server/ai/SrvAiLevel.h"
#include "server/turn/SrvTurnSteps.h"
#include "tests/server/srv_packets.h"
#include "tests/support/temp_dir.h"
#include "tools/rulesdata/hulls.h"
#include "tools/rulesdata/modules.h"
#include "tools/rulesdata/text_files.h"

namespace srv_ai_test {

struct WorldGame {
  SrvSetup setup;
  SrvLog log;
  SrvWorld world;
  SrvRandom random{99};

  // `conditions` the configuration's victory bits.
  WorldGame(std::uint16_t perGuild, std::uint16_t asteroids, std::uint16_t conditions) {
    setup.config.SetU16(14, perGuild);
    setup.config.SetU16(16, asteroids);
    setup.config.SetU16(20, conditions);
    world.Generate(setup, 4321, nullptr);
  }

  SrvTurnContext Turn() { return SrvTurnContext{world, setup, log, random}; }
  // A turn whose politics are resolved, as the turn runs them.
  SrvTurnContext Politics() {
    SrvTurnContext turn = Turn();
    SrvResolvePolitics(turn);
    return turn;
  }

  CGChapter& Chapter(std::uint16_t c) { return *world.Chapter(c); }
  // The chapter takes every zone of the asteroid, its ownership and its
  // control (kNoChapter: nobody holds any of it).
  void Control(std::uint16_t asteroid, std::uint16_t chapter) {
    CGAsteroid* a = world.solar.GetAsteroid(asteroid);
    for (std::uint16_t z = 0; z < a->GetZoneCount(); ++z)
      a->GetZone(z)->SetOwner(chapter < kMaxChapters ? static_cast<std::uint8_t>(chapter) : kZoneNobody);
    a->SetOwner(chapter);
    a->SetController(chapter);
  }
  // Hands the next `n` asteroids nobody controls to the chapter.
  void GiveAsteroids(std::uint16_t chapter, int n) {
    for (std::uint16_t i = 0; n > 0 && i < CGSolarDB::GetAsteroidCount(); ++i)
      if (world.solar.GetAsteroid(i)->controller == kNoChapter) {
        Control(i, chapter);
        --n;
      }
  }
  // Takes every asteroid and unit from the chapter.
  void Strip(std::uint16_t chapter) {
    for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i)
      if (world.solar.GetAsteroid(i)->controller == chapter) Control(i, kNoChapter);
    for (std::uint16_t at = 0; at <= CGSolarDB::GetAsteroidCount(); ++at)
      while (CGUnit* u = world.pieces->GetOperationalUnitAt(at, chapter, 0)) world.pieces->MarkUnitUnoperational(u);
  }
};

// A game's log in a folder of its own, removed with everything in it: runs
// side by side never share a file, and none is left behind.
struct GameLogFile {
  quentest::TempDir dir{"quen_game_log"};
  std::string path = (dir.path() / "game.log").string();
};

inline std::string SourceText(const std::string& relative) {
  std::ifstream in(std::string(QUEN_SOURCE_DIR) + "/" + relative, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The game's own variables (ATV costs, mining technology) while it lives.
struct GameVariablesScope {
  CGameVariables before = g_gameVariables;
  GameVariablesScope() {
    g_gameVariables = CGameVariables(rulesdata::CompileGameVar(SourceText("data/rules/gamevar.txt")).text);
  }
  ~GameVariablesScope() { g_gameVariables = before; }
};

// A world of the game's own rules and variables (compiled from data/rules),
// every chapter with its starting designs and units.
struct RulesGame : GameVariablesScope, WorldGame {
  RulesGame(std::uint16_t perGuild, std::uint16_t asteroids, std::uint16_t conditions, std::uint16_t difficulty)
      : WorldGame(perGuild, asteroids, conditions) {
    setup.settings.SetU16(12, difficulty);
    const auto hulls = rulesdata::CompileHulls(SourceText("data/rules/hulls.txt"));
    const auto modules = rulesdata::CompileModules(SourceText("data/rules/modules.txt"));
    EXPECT_TRUE(world.UseRules(hulls.bytes, modules.bytes));
    world.Generate(setup, 4321, nullptr);
  }
  // The units go while the databases they release their designs to still stand.
  ~RulesGame() {
    for (std::uint16_t at = 0; at <= CGSolarDB::GetAsteroidCount(); ++at) world.pieces->DeleteUnitsAt(at);
  }
};

using ::OfType;

// The order type the chapter gives the unit this turn at a level (-1: none),
// the order itself in `packet`.
inline std::int64_t OrderFor(RulesGame& game, std::uint16_t chapter, const CGUnit& unit, std::uint8_t level,
                             SrvPacket* packet = nullptr) {
  for (SrvPacket& p : SrvChooseOrders(game.world, chapter, SrvAiLevelOf(level), 5))
    if (ReadU16(p, 0) == PKT_ORDER && ReadU32(p, 8) == unit.id) {
      if (packet != nullptr) *packet = p;
      return ReadU32(p, 12);
    }
  return -1;
}

// An armed design of the chapter that neither builds nor carries ATVs.
inline CGUnitTemplate* WarshipOf(RulesGame& game, std::uint16_t chapter) {
  for (int slot = 0; slot < kFixedTemplateSlots; ++slot) {
    CGUnitTemplate* d = game.world.templates->GetTemplate(chapter, slot, 1);
    if (d != nullptr && d->hull != nullptr && d->attack > 0 && d->deepThrust > 0 && d->construction == 0 &&
        d->atvCapacity == 0)
      return d;
  }
  return nullptr;
}

// The notification codes queued for a chapter, in order.
inline std::vector<std::uint16_t> NoticeCodes(const SrvTurnContext& turn, std::uint16_t chapter) {
  std::vector<std::uint16_t> codes;
  for (const SrvPacket& p : OfType(turn, chapter, 1500)) codes.push_back(ReadU16(p, 10));
  return codes;
}

}  // namespace srv_ai_test
