#pragma once
// A computer-only game played turn by turn as the server plays it (the same
// steps, seeds and C-runtime seeding as SrvGame), with the figures a
// tournament reports: asteroids held, battles without a shot or without harm
// and how long a place stays in them, pools, eliminations and the game's end.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <string>

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GUnit.h"
#include "Game/model/GUnitModules.h"
#include "Game/model/GUnitOrder.h"
#include "Game/rules/GGameVar.h"
#include "Game/rules/GTemplateDB.h"
#include "Game/rules/GUnitTem.h"
#include "platform/core/random.h"
#include "server/ai/SrvAiBudget.h"
#include "server/ai/SrvAiChapter.h"
#include "server/ai/SrvAiLevel.h"
#include "server/ai/SrvAiSubmit.h"
#include "server/ai/SrvChapterState.h"
#include "server/ai/SrvVictoryRules.h"
#include "server/turn/SrvTurnSteps.h"
#include "tools/rulesdata/hulls.h"
#include "tools/rulesdata/modules.h"
#include "tools/rulesdata/text_files.h"

namespace srv_ai_test {

// Levels a tournament game is played at: all chapters at one, or mixed (the
// chapters take easy, average and hard in turn, shifted by one each guild).
constexpr int kMixedLevels = -1;

struct TournamentFigures {
  // Asteroids controlled by all chapters together at turn 100 (-1: the game
  // ended before) and at turn 300 or the end, if sooner.
  int asteroidsAt100 = -1;
  int asteroidsAt300 = -1;
  int eliminated = 0;
  // Asteroids taken from one chapter by another, and home asteroids among them.
  int captures = 0;
  int homesTaken = 0;
  // The turn chapter 0, held by a passive player, lost control of its home
  // asteroid (0: it kept it).
  int passiveHomeLost = 0;
  int endTurn = 0;  // 0: still running at the turn limit
  int condition = 0;
  int battles = 0;
  int battlesWithoutShot = 0;
  // The longest run of consecutive turns one place had a battle without a shot.
  int longestIdleBattle = 0;
  // Battles with shots of which none did damage (every one missed or was
  // held by a shield), and the longest run of turns one place had one.
  int harmlessBattles = 0;
  int longestHarmlessBattle = 0;
  std::uint64_t credits = 0;   // of every chapter in play at the end
  std::uint64_t minerals = 0;  // in every pool at the end
  std::uint64_t creditsAt50 = 0;
  // The credit income of the chapters in play, summed over the turns after 50.
  std::uint64_t incomeAfter50 = 0;
  std::uint64_t mineralsAt50 = 0;
  // In every pool at turns 100, 150 and 200: whether the pools level off.
  std::uint64_t mineralsAt100 = 0, mineralsAt150 = 0, mineralsAt200 = 0;
  // In a mixed game, by level: the asteroids its chapters control and their
  // scores at turns 100 and 300 (or the end, if sooner), its chapters eliminated.
  std::array<int, 3> heldByLevel100{}, heldByLevel{};
  std::array<std::uint64_t, 3> scoreByLevel{};
  std::array<int, 3> eliminatedByLevel{};
  // The most asteroids the chapters of one guild controlled together at any
  // turn's end, and the turn they first did: how near a guild came to an
  // imperator's share.
  int biggestGuild = 0;
  int biggestGuildTurn = 0;
  // The most flag-bearers' homes (slot 0 of each guild) one side held at a
  // turn's end: how near the game came to a capture of the flags.
  int mostFlags = 0;
  // Interregnums begun, from the game's log.
  int interregnums = 0;
  // Asteroids held by every chapter of a level at turn 200 (or the end, if
  // sooner), as heldByLevel100.
  std::array<int, 3> heldByLevel200{};
  // The most times one asteroid changed hands between the same two chapters
  // (either way) in the game: a tug of war.
  int mostFlipBacks = 0;
  // Renegade declarations and withdrawals, imperators proclaimed (from the
  // log), and the most declarations and withdrawals of one chapter.
  int renegadeChanges = 0;
  int mostRenegadeChanges = 0;
  int imperatorChanges = 0;
  // The longest run of turns one asteroid had a battle every turn without a
  // change of control: a siege.
  int longestSiege = 0;
  // The longest run of turns a unit that cannot fire (no attack strength
  // left) stayed with no order where a battle was fought.
  int longestIdleUnderFire = 0;
};

inline std::uint8_t MixedLevelOf(std::uint16_t chapter) {
  return static_cast<std::uint8_t>(((chapter & 7) + (chapter >> 3)) % 3);
}

inline void CountByLevel(const SrvWorld& world, std::array<int, 3>& held, std::array<std::uint64_t, 3>* scores) {
  held = {};
  for (std::uint16_t a = 0; a < CGSolarDB::GetAsteroidCount(); ++a)
    if (const CGAsteroid* as = world.solar.GetAsteroid(a); as != nullptr && as->controller < kMaxChapters)
      ++held[MixedLevelOf(as->controller)];
  if (scores != nullptr) {
    *scores = {};
    for (std::uint16_t c = 0; c < kMaxChapters; ++c)
      if (world.HasChapter(c)) (*scores)[MixedLevelOf(c)] += world.scores[c];
  }
}

// The computer chapters' turn with each chapter at its own level, through
// the intake the server uses; refusals are logged as the server logs them.
inline void PlayMixedLevels(SrvTurnContext& turn) {
  SrvWorld& world = turn.world;
  ResetUnitDetours();
  const bool flagsWin = SrvVictoryRulesOf(turn.setup).Has(kSrvCaptureTheFlag);
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) {
    if (turn.human[c] || !world.HasChapter(c)) continue;
    const std::uint32_t seed = world.seed * 2654435761u ^ (world.turn + 1u) * 40503u ^ (c + 1u) * 2246822519u;
    SrvAiLevel level = SrvAiLevelOf(MixedLevelOf(c));
    level.flagsWin = flagsWin;
    level.interregnums = SrvVictoryRulesOf(turn.setup).Interregnum();
    if (SrvVictoryRulesOf(turn.setup).Imperators())
      level.imperatorTarget = SrvImperatorAsteroidTarget(SrvVictoryRulesOf(turn.setup), CGSolarDB::GetAsteroidCount());
    for (const SrvPacket& order : SrvChooseOrders(world, c, level, seed))
      if (SrvSubmitComputerOrder(turn, c, order) != SrvOrderVerdict::kAccepted)
        turn.log.Line("turn %u: computer chapter %u: order refused", world.turn, c);
  }
}

inline int BiggestGuild(const SrvWorld& world) {
  std::array<int, kGuildCount> held{};
  for (std::uint16_t a = 0; a < CGSolarDB::GetAsteroidCount(); ++a)
    if (const CGAsteroid* as = world.solar.GetAsteroid(a); as != nullptr && as->controller < kMaxChapters)
      ++held[as->controller >> 3];
  return *std::max_element(held.begin(), held.end());
}

inline int MostFlagsOfOneSide(const SrvWorld& world) {
  std::array<std::uint16_t, kGuildCount> holders{};
  for (int g = 0; g < kGuildCount; ++g) {
    const CGChapter* bearer = world.Chapter(static_cast<std::uint16_t>(g * 8));
    holders[g] = bearer != nullptr ? world.solar.GetAsteroid(bearer->homeAsteroid)->controller : kNoChapter;
  }
  int most = 0;
  for (std::uint16_t h : holders) {
    if (!SrvInPlay(world, h)) continue;
    int n = 0;
    for (std::uint16_t other : holders) n += SrvInPlay(world, other) && SrvSameSide(world, h, other) ? 1 : 0;
    most = std::max(most, n);
  }
  return most;
}

inline int ControlledByAll(const SrvWorld& world) {
  int n = 0;
  for (std::uint16_t a = 0; a < CGSolarDB::GetAsteroidCount(); ++a)
    if (const CGAsteroid* as = world.solar.GetAsteroid(a); as != nullptr && as->controller < kMaxChapters) ++n;
  return n;
}

// An eliminated chapter's credits are nobody's to spend: only those of the
// chapters in play count.
inline std::uint64_t CreditsOfAll(const SrvWorld& world) {
  std::uint64_t n = 0;
  for (std::uint16_t c = 0; c < kMaxChapters; ++c)
    if (const CGChapter* ch = world.Chapter(c); SrvInPlay(ch)) n += ch->credits;
  return n;
}

// What the chapters in play earn in a turn: the game variables' credits for
// every asteroid they own.
inline std::uint64_t IncomeOfAll(const SrvWorld& world) {
  std::uint64_t n = 0;
  for (std::uint16_t a = 0; a < CGSolarDB::GetAsteroidCount(); ++a)
    if (const CGAsteroid* asteroid = world.solar.GetAsteroid(a);
        asteroid != nullptr && SrvInPlay(world.Chapter(asteroid->owner)))
      n += g_gameVariables.creditsPerAsteroid;
  return n;
}

inline std::uint64_t MineralsOfAll(const SrvWorld& world) {
  std::uint64_t n = 0;
  for (std::uint16_t a = 0; a < CGSolarDB::GetAsteroidCount(); ++a)
    for (std::uint8_t m = 0; m < kMineralTypes; ++m) n += world.poolDB.GetMineral(a, m);
  return n;
}

// The pools of every asteroid, mineral by mineral: which of them grow.
inline std::array<std::uint64_t, kMineralTypes> MineralsByKind(const SrvWorld& world) {
  std::array<std::uint64_t, kMineralTypes> n{};
  for (std::uint16_t a = 0; a < CGSolarDB::GetAsteroidCount(); ++a)
    for (std::uint8_t m = 0; m < kMineralTypes; ++m) n[m] += world.poolDB.GetMineral(a, m);
  return n;
}

// The builders (operational units with construction) of the chapters in
// play: those at work on a build, a refit or a repair, those idle with no
// order on an asteroid their chapter owns (where they could build from its
// pool), the rest (under way, or with other orders), and, of the idle ones,
// how many lack each mineral, and the credits (last), for every design their
// chapter has, and how many lack every mineral (a pool nearly empty): what
// holds them back.
struct BuilderCensus {
  int atWork = 0;
  int idle = 0;
  int other = 0;
  std::array<int, kMineralTypes + 1> lacking{};
  int lackingEveryMineral = 0;
};

inline bool BuildsOrMends(const CGUnit& unit) {
  const UnitOrder* first = unit.GetOrderCount() != 0 ? unit.GetOrder(0) : nullptr;
  if (first == nullptr) return false;
  switch (first->type) {
    case ORDER_BUILD_ATVS:
    case ORDER_BUILD_SHIP:
    case ORDER_MODIFY_SHIP:
    case ORDER_BUILD_OR_REPAIR_SHIP:
    case ORDER_REPAIR:
    case ORDER_REPAIR_UNIT:
    case ORDER_REBUILD_UNIT:
      return true;
    default:
      return false;
  }
}

inline BuilderCensus CountBuilders(const SrvWorld& world) {
  BuilderCensus census;
  world.ForEachUnit([&](const CGUnit& u) {
    const std::uint16_t chapter = u.GetChapter();
    if (!u.IsOperational() || u.GetConstructionCapacity() == 0 || !SrvInPlay(world, chapter)) return;
    if (BuildsOrMends(u)) {
      ++census.atWork;
      return;
    }
    // Deep space counts as the asteroid past the last.
    const CGAsteroid* at =
        u.location.asteroid < CGSolarDB::GetAsteroidCount() ? world.solar.GetAsteroid(u.location.asteroid) : nullptr;
    if (u.GetOrderCount() != 0 || at == nullptr || at->owner != chapter) {
      ++census.other;
      return;
    }
    ++census.idle;
    std::array<std::uint32_t, kMineralTypes + 1> held{};
    world.poolDB.GetMinerals(u.location.asteroid, held.data());
    held[kMineralTypes] = world.Chapter(chapter)->credits;
    std::array<bool, kMineralTypes + 1> lacks;
    lacks.fill(true);
    bool anyDesign = false;
    for (int slot = 0; slot < kFixedTemplateSlots; ++slot) {
      const CGUnitTemplate* d = world.templates->GetTemplate(chapter, slot, 1);
      if (d == nullptr || d->hull == nullptr) continue;
      anyDesign = true;
      const SrvAiCost cost = SrvAiDesignCost(*d);
      for (std::size_t r = 0; r < lacks.size(); ++r) lacks[r] = lacks[r] && held[r] < cost[r];
    }
    if (!anyDesign) return;
    for (std::size_t r = 0; r < lacks.size(); ++r) census.lacking[r] += lacks[r] ? 1 : 0;
    census.lackingEveryMineral +=
        std::all_of(lacks.begin(), lacks.begin() + kMineralTypes, [](bool l) { return l; }) ? 1 : 0;
  });
  return census;
}

// The ships of the chapters in play, the damaged ones among them, those
// with a weapon or drive destroyed, the warships of those that can no longer
// fire, and how many of the damaged ones have no order.
struct DamageCensus {
  int ships = 0;
  int damaged = 0;
  int wrecked = 0;
  int disarmed = 0;
  int idle = 0;
};

inline DamageCensus CountDamaged(const SrvWorld& world) {
  DamageCensus census;
  world.ForEachUnit([&](const CGUnit& u) {
    if (!u.IsOperational() || u.design == nullptr || !SrvInPlay(world, u.GetChapter())) return;
    ++census.ships;
    if (u.GetRepairPoints() == 0) return;
    ++census.damaged;
    census.idle += u.GetOrderCount() == 0 ? 1 : 0;
    bool wrecked = false;
    for (int s = 0; s < kUnitSlots; ++s) {
      const ModuleRecord* m = SlotModule(u.design, s);
      wrecked = wrecked || (m != nullptr && (m->type == MODULE_WEAPON || m->type == MODULE_PROPULSION) &&
                            u.GetSlotDamagePercent(s) >= 100);
    }
    census.wrecked += wrecked ? 1 : 0;
    census.disarmed += u.design->attack > 0 && u.GetAttackStrength() <= 0 ? 1 : 0;
  });
  return census;
}

// Plays up to `turns` turns of a computer-only game of `perGuild` chapters a
// guild on `asteroids` asteroids at `difficulty`, with every victory
// condition (or only those of `conditions`, the set-up's bits) and the given
// game length; the log goes to `logPath`. With `passive`, a player holds
// chapter 0 and gives it no orders. `observe`, when given, sees the world at
// the end of each turn resolved (its number already advanced).
inline TournamentFigures PlayTournamentGame(std::uint16_t perGuild, std::uint16_t asteroids, int difficulty,
                                            std::uint32_t seed, int turns, std::uint16_t length,
                                            const std::string& logPath, bool passive = false,
                                            std::uint16_t conditions = 1 | 2 | 4 | 8 | 16,
                                            const std::function<void(const SrvWorld&)>& observe = {}) {
  std::remove(logPath.c_str());
  auto source = [](const char* relative) {
    std::ifstream in(std::string(QUEN_SOURCE_DIR) + "/" + relative, std::ios::binary);
    return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  };
  const CGameVariables variablesBefore = g_gameVariables;
  g_gameVariables = CGameVariables(rulesdata::CompileGameVar(source("data/rules/gamevar.txt")).text);
  struct Game {
    SrvSetup setup;
    SrvLog log;
    SrvWorld world;
    ~Game() {
      for (std::uint16_t at = 0; at <= CGSolarDB::GetAsteroidCount(); ++at) world.pieces->DeleteUnitsAt(at);
    }
  } game;
  game.setup.config.SetU16(14, perGuild);
  game.setup.config.SetU16(16, asteroids);
  game.setup.config.SetU16(20, conditions);
  game.setup.config.SetU16(22, length);
  game.setup.settings.SetU16(12, static_cast<std::uint16_t>(difficulty < 0 ? 1 : difficulty));
  game.world.UseRules(rulesdata::CompileHulls(source("data/rules/hulls.txt")).bytes,
                      rulesdata::CompileModules(source("data/rules/modules.txt")).bytes);
  game.world.Generate(game.setup, seed, nullptr);
  game.log.Open(logPath);
  TournamentFigures f;
  std::vector<std::uint16_t> controllers(asteroids, kNoChapter);
  // Changes of hands by asteroid and pair of chapters; by turn, the asteroids
  // that changed control and, place by place, the units unable to fire that
  // sat there with no order.
  std::vector<std::array<std::uint16_t, kMaxChapters * kMaxChapters>> flips(asteroids);
  std::vector<std::vector<std::uint16_t>> changedByTurn;
  std::vector<std::vector<std::pair<std::uint16_t, std::uint32_t>>> idleByTurn;
  std::array<std::uint32_t, kMaxChapters> renegadeWas{};
  std::array<int, kMaxChapters> renegadeChanges{};
  for (int t = 0; t < turns; ++t) {
    SrvWorld& world = game.world;
    SrvRandom random(world.seed ^ (world.turn * 0x9E3779B9u));
    plat::srand(world.seed ^ (world.turn * 0x85EBCA6Bu));
    SrvTurnContext turn{world, game.setup, game.log, random};
    turn.human[0] = passive;
    if (difficulty == kMixedLevels)
      PlayMixedLevels(turn);
    else
      SrvPlayComputerChapters(turn);
    SrvResolveOrders(turn);
    SrvResolveBattles(turn);
    SrvResolvePolitics(turn);
    for (std::uint16_t a = 0; a < CGSolarDB::GetAsteroidCount() && a < controllers.size(); ++a) {
      const std::uint16_t now = world.solar.GetAsteroid(a)->controller;
      if (controllers[a] < kMaxChapters && now < kMaxChapters && now != controllers[a]) {
        ++f.captures;
        if (world.Chapter(controllers[a])->homeAsteroid == a) ++f.homesTaken;
        const std::size_t pair = std::min(now, controllers[a]) * kMaxChapters + std::max(now, controllers[a]);
        f.mostFlipBacks = std::max<int>(f.mostFlipBacks, ++flips[a][pair]);
      }
      if (now != controllers[a]) {
        changedByTurn.resize(static_cast<std::size_t>(t) + 1);
        changedByTurn[static_cast<std::size_t>(t)].push_back(a);
      }
      controllers[a] = now;
    }
    for (std::uint16_t c = 0; c < kMaxChapters; ++c)
      if (const CGChapter* ch = world.Chapter(c); ch != nullptr && ch->renegade != renegadeWas[c]) {
        renegadeWas[c] = ch->renegade;
        ++f.renegadeChanges;
        f.mostRenegadeChanges = std::max(f.mostRenegadeChanges, ++renegadeChanges[c]);
      }
    idleByTurn.emplace_back();
    world.ForEachUnit([&](const CGUnit& u) {
      if (u.IsOperational() && u.GetOrderCount() == 0 && u.GetAttackStrength() <= 0)
        idleByTurn.back().emplace_back(u.location.asteroid, u.id);
    });
    if (passive && f.passiveHomeLost == 0 && world.solar.GetAsteroid(world.Chapter(0)->homeAsteroid)->controller != 0)
      f.passiveHomeLost = static_cast<int>(world.turn);
    if (const int biggest = BiggestGuild(world); biggest > f.biggestGuild) {
      f.biggestGuild = biggest;
      f.biggestGuildTurn = static_cast<int>(world.turn);
    }
    f.mostFlags = std::max(f.mostFlags, MostFlagsOfOneSide(world));
    const std::optional<SrvGameEnd> end = SrvCheckGameEnd(turn);
    world.AdvanceTurn();
    game.log.Line("turn resolved");
    if (observe) observe(world);
    if (world.turn == 51) {
      f.creditsAt50 = CreditsOfAll(world);
      f.mineralsAt50 = MineralsOfAll(world);
    }
    if (world.turn > 51) f.incomeAfter50 += IncomeOfAll(world);
    if (world.turn == 101) f.mineralsAt100 = MineralsOfAll(world);
    if (world.turn == 151) f.mineralsAt150 = MineralsOfAll(world);
    if (world.turn == 201) f.mineralsAt200 = MineralsOfAll(world);
    if (world.turn == 101) {
      f.asteroidsAt100 = ControlledByAll(world);
      CountByLevel(world, f.heldByLevel100, nullptr);
    }
    if (world.turn <= 201) CountByLevel(world, f.heldByLevel200, nullptr);
    if (world.turn == 301 || end || t + 1 == turns) {
      f.asteroidsAt300 = ControlledByAll(world);
      CountByLevel(world, f.heldByLevel, &f.scoreByLevel);
    }
    if (end) {
      f.endTurn = static_cast<int>(world.turn - 1);
      f.condition = end->condition;
      break;
    }
  }
  for (std::uint16_t c = 0; c < kMaxChapters; ++c)
    if (game.world.HasChapter(c) && !SrvInPlay(game.world, c)) {
      ++f.eliminated;
      ++f.eliminatedByLevel[MixedLevelOf(c)];
    }
  f.credits = CreditsOfAll(game.world);
  f.minerals = MineralsOfAll(game.world);

  // The battles from the log: a line per battle, a line per turn.
  std::ifstream in(logPath);
  std::string line;
  // Runs of turns by place: without a shot, and with shots that did nothing;
  // of battles with no change of control; by unit, idle where one was fought.
  std::vector<int> run(asteroids + 1, 0), seen(asteroids + 1, 0);
  std::vector<int> siegeRun(asteroids + 1, 0), battleSeen(asteroids + 1, 0);
  std::map<std::uint32_t, int> idleRun;
  std::vector<int> battleAt(asteroids + 1, 0);
  std::size_t turnRead = 0;
  std::vector<int> harmlessRun(asteroids + 1, 0), harmlessSeen(asteroids + 1, 0);
  const auto endRuns = [](std::vector<int>& runs, std::vector<int>& seenNow) {
    for (std::size_t i = 0; i < runs.size(); ++i)
      if (!seenNow[i]) runs[i] = 0;
    std::fill(seenNow.begin(), seenNow.end(), 0);
  };
  while (std::getline(in, line)) {
    if (line.find("turn resolved") != std::string::npos) {
      endRuns(run, seen);
      endRuns(harmlessRun, harmlessSeen);
      if (turnRead < changedByTurn.size())
        for (std::uint16_t a : changedByTurn[turnRead]) siegeRun[a] = 0;
      for (std::size_t p = 0; p < siegeRun.size(); ++p)
        if (battleSeen[p]) f.longestSiege = std::max(f.longestSiege, ++siegeRun[p]);
      endRuns(siegeRun, battleSeen);
      std::map<std::uint32_t, int> stillIdle;
      if (turnRead < idleByTurn.size())
        for (const auto& [place, id] : idleByTurn[turnRead])
          if (place < battleAt.size() && battleAt[place]) {
            const int n = idleRun[id] + 1;
            stillIdle[id] = n;
            f.longestIdleUnderFire = std::max(f.longestIdleUnderFire, n);
          }
      idleRun.swap(stillIdle);
      std::fill(battleAt.begin(), battleAt.end(), 0);
      ++turnRead;
      continue;
    }
    if (line.find("in interregnum around") != std::string::npos) ++f.interregnums;
    if (line.find(" imperator of guild ") != std::string::npos) ++f.imperatorChanges;
    const std::size_t at = line.find("battle at ");
    if (at == std::string::npos) continue;
    int place = 0;
    unsigned units = 0, shots = 0, destroyed = 0, retreated = 0, damaging = 0;
    const int read =
        std::sscanf(line.c_str() + at, "battle at %d: %u units, %u shots, %u destroyed, %u retreated, %u damaging",
                    &place, &units, &shots, &destroyed, &retreated, &damaging);
    if (read < 3) continue;
    ++f.battles;
    if (place < 0 || static_cast<std::size_t>(place) >= run.size()) continue;
    const auto p = static_cast<std::size_t>(place);
    battleAt[p] = 1;
    if (p < static_cast<std::size_t>(asteroids)) battleSeen[p] = 1;
    if (shots == 0) {
      ++f.battlesWithoutShot;
      seen[p] = 1;
      f.longestIdleBattle = std::max(f.longestIdleBattle, ++run[p]);
    } else if (read == 6 && damaging == 0 && destroyed == 0) {
      ++f.harmlessBattles;
      harmlessSeen[p] = 1;
      f.longestHarmlessBattle = std::max(f.longestHarmlessBattle, ++harmlessRun[p]);
    }
  }
  g_gameVariables = variablesBefore;
  return f;
}

}  // namespace srv_ai_test
