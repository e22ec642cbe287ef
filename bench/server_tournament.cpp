// A seeded tournament of computer chapters: default worlds (40 chapters, 150
// asteroids, every victory condition, 300 turns at most) played at each
// level, and with the levels mixed in every guild. Its output is the figures a player would judge the computer by:
// asteroids held at turns 100 and 300, eliminations, the turn and condition
// of each game's end, battles without a shot, and with shots but no damage,
// and how long one place stayed in them, the pools at turns 50, 100, 150, 200 and at the end, and how near a guild came
// to a victory of its own (the most asteroids it held, the most flags one
// side held at once), and the interregnums; how default games at hard end
// within 500 turns (seeds 1-96 in six runs) and their pools every hundred
// turns; where the minerals mined
// after turn 150 come from; and where the combat ATVs that mine stand in
// the long games.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Game/model/GZone.h"
#include "server/ai/SrvAiBudget.h"
#include "tests/server/ai/srv_tournament.h"

namespace {

// The game's log, read back for its battles: named for the process, so that
// runs side by side on one machine keep apart, and removed once read unless
// QUEN_KEEP_GAME_LOGS is set (to look into a game's battles afterwards).
struct GameLog {
  std::string path;
  explicit GameLog(const std::string& name)
      : path((std::filesystem::temp_directory_path() / ("quen_" + name + "_" + std::to_string(::getpid()) + ".log"))
                 .string()) {}
  ~GameLog() {
    if (std::getenv("QUEN_KEEP_GAME_LOGS") != nullptr) return;
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
};

constexpr std::uint32_t kSeeds[] = {11, 23, 37};
constexpr int kTurns = 300;
constexpr std::uint16_t kPerGuild = 8, kAsteroids = 150;

void BM_Tournament(benchmark::State& state) {
  const auto level = static_cast<int>(state.range(0));
  for (auto _ : state) {
    double held100 = 0, held300 = 0, eliminated = 0, ended = 0, idle = 0, battles = 0, longest = 0, biggest = 0,
           harmless = 0, longestHarmless = 0;
    for (std::uint32_t seed : kSeeds) {
      const GameLog log("tournament" + std::to_string(seed));
      const srv_ai_test::TournamentFigures f =
          srv_ai_test::PlayTournamentGame(kPerGuild, kAsteroids, level, seed, kTurns, kTurns, log.path);
      std::printf(
          "level %d seed %u: asteroids %d at 100, %d at 300; %d taken (%d homes); %d eliminated; end turn %d "
          "condition %d; %d battles, %d without a shot (longest run %d), %d with shots but no damage (longest run %d); "
          "credits %llu -> %llu, minerals %llu -> "
          "%llu -> %llu -> %llu -> %llu (turns 50, 100, 150, 200, end); biggest guild %d asteroids (turn %d); most "
          "flags of one side %d; %d interregnums\n",
          level, seed, f.asteroidsAt100, f.asteroidsAt300, f.captures, f.homesTaken, f.eliminated, f.endTurn,
          f.condition, f.battles, f.battlesWithoutShot, f.longestIdleBattle, f.harmlessBattles, f.longestHarmlessBattle,
          static_cast<unsigned long long>(f.creditsAt50), static_cast<unsigned long long>(f.credits),
          static_cast<unsigned long long>(f.mineralsAt50), static_cast<unsigned long long>(f.mineralsAt100),
          static_cast<unsigned long long>(f.mineralsAt150), static_cast<unsigned long long>(f.mineralsAt200),
          static_cast<unsigned long long>(f.minerals), f.biggestGuild, f.biggestGuildTurn, f.mostFlags, f.interregnums);
      if (level == srv_ai_test::kMixedLevels)
        std::printf(
            "  by level (easy, average, hard): asteroids at 100 %d %d %d, at the end %d %d %d; "
            "scores %llu %llu %llu; eliminated %d %d %d\n",
            f.heldByLevel100[0], f.heldByLevel100[1], f.heldByLevel100[2], f.heldByLevel[0], f.heldByLevel[1],
            f.heldByLevel[2], static_cast<unsigned long long>(f.scoreByLevel[0]),
            static_cast<unsigned long long>(f.scoreByLevel[1]), static_cast<unsigned long long>(f.scoreByLevel[2]),
            f.eliminatedByLevel[0], f.eliminatedByLevel[1], f.eliminatedByLevel[2]);
      held100 += f.asteroidsAt100;
      held300 += f.asteroidsAt300;
      eliminated += f.eliminated;
      ended += f.endTurn != 0 && f.condition != 4 ? 1 : 0;  // before the game's length
      idle += f.battlesWithoutShot;
      battles += f.battles;
      longest = std::max<double>(longest, f.longestIdleBattle);
      harmless += f.harmlessBattles;
      longestHarmless = std::max<double>(longestHarmless, f.longestHarmlessBattle);
      biggest += f.biggestGuild;
    }
    const double n = std::size(kSeeds);
    state.counters["held100"] = held100 / n;
    state.counters["held300"] = held300 / n;
    state.counters["eliminated"] = eliminated / n;
    state.counters["ended"] = ended / n;
    state.counters["idle_battle_share"] = battles > 0 ? idle / battles : 0;
    state.counters["longest_idle_run"] = longest;
    state.counters["harmless_battle_share"] = battles > 0 ? harmless / battles : 0;
    state.counters["longest_harmless_run"] = longestHarmless;
    state.counters["biggest_guild"] = biggest / n;
  }
}
// A player who holds chapter 0 and gives no orders, among hard computer
// chapters: the turn its home asteroid is taken.
void BM_PassivePlayer(benchmark::State& state) {
  for (auto _ : state) {
    double lost = 0, kept = 0;
    for (std::uint32_t seed : kSeeds) {
      const GameLog log("tournament_passive" + std::to_string(seed));
      const srv_ai_test::TournamentFigures f =
          srv_ai_test::PlayTournamentGame(kPerGuild, kAsteroids, 2, seed, kTurns, kTurns, log.path, true);
      std::printf("passive player, hard, seed %u: home taken at turn %d (0: kept); end turn %d condition %d\n", seed,
                  f.passiveHomeLost, f.endTurn, f.condition);
      if (f.passiveHomeLost != 0)
        lost += f.passiveHomeLost;
      else
        ++kept;
    }
    const double n = std::size(kSeeds);
    state.counters["home_lost_turn"] = kept < n ? lost / (n - kept) : 0;
    state.counters["homes_kept"] = kept;
  }
}
// How default games end (BM_Endings at hard, BM_AverageEndings at average): the seeds from the first argument to the
// second played up to 500 turns (sixteen a run; the runs go side by side on a
// machine with the cores for them), the turn and condition of each end, and
// how many ended by a victory other than the game's length within 300 and
// within 500 turns, and how fast the pools of the games still going grew
// from turn 200 to 300, in all and mineral by mineral; every hundred turns,
// each mineral's pools, the builders at work, idle, and idle for want of
// each mineral or the credits, and the ships damaged, with a weapon or drive
// destroyed, unable to fire, and damaged with no order.
void PlayEndings(benchmark::State& state, int level) {
  constexpr int kLongest = 500;
  constexpr std::size_t kStops = kLongest / 100 - 1;
  static const char* const kMinerals[] = {"metals", "silicates", "exotics", "reactives"};
  for (auto _ : state) {
    double by300 = 0, by500 = 0, growth200to300 = 0;
    // Each game's growth, for the least and the median: a mean over the few
    // games still going hides whether one of them alone keeps it up.
    std::vector<double> perGame;
    std::array<double, kMineralTypes> growthByKind{};
    int grown = 0;
    // The pools every hundred turns, summed over the games still going then,
    // in all and mineral by mineral, and the builders then.
    std::array<double, kStops> poolSums{};
    std::array<std::array<double, kMineralTypes>, kStops> kindSums{};
    std::array<srv_ai_test::BuilderCensus, kStops> builderSums{};
    std::array<int, kStops> going{};
    std::array<int, 9> byCondition{};
    for (auto seed = static_cast<std::uint32_t>(state.range(0)); seed <= static_cast<std::uint32_t>(state.range(1));
         ++seed) {
      const GameLog log("tournament_endings" + std::to_string(seed));
      // The pools every hundred turns the game lasts, whether they level off
      // (a game that reaches its length ends on turn 499).
      std::array<std::uint64_t, kStops> pools{};
      std::array<std::array<std::uint64_t, kMineralTypes>, kStops> kinds{};
      std::array<srv_ai_test::BuilderCensus, kStops> builders{};
      std::array<srv_ai_test::DamageCensus, kStops> damage{};
      const srv_ai_test::TournamentFigures f =
          srv_ai_test::PlayTournamentGame(kPerGuild, kAsteroids, level, seed, kLongest, kLongest, log.path, false,
                                          1 | 2 | 4 | 8 | 16, [&](const SrvWorld& world) {
                                            if (world.turn % 100 != 1 || world.turn / 100 - 1 >= pools.size()) return;
                                            const std::size_t stop = world.turn / 100 - 1;
                                            pools[stop] = srv_ai_test::MineralsOfAll(world);
                                            kinds[stop] = srv_ai_test::MineralsByKind(world);
                                            builders[stop] = srv_ai_test::CountBuilders(world);
                                            damage[stop] = srv_ai_test::CountDamaged(world);
                                          });
      std::printf(
          "level %d, seed %u, %d turns at most: end turn %d condition %d; %d eliminated; biggest guild %d "
          "asteroids; most flags of one side %d; minerals (k) at turns 100 to 400:",
          level, seed, kLongest, f.endTurn, f.condition, f.eliminated, f.biggestGuild, f.mostFlags);
      for (std::uint64_t p : pools) std::printf(" %llu", static_cast<unsigned long long>(p / 1000));
      std::printf("\n");
      for (std::size_t i = 0; i < pools.size(); ++i) {
        if (pools[i] == 0) continue;
        const srv_ai_test::BuilderCensus& b = builders[i];
        std::printf(
            "  turn %zu: metals, silicates, exotics, reactives (k) %llu %llu %llu %llu; builders at work %d, "
            "elsewhere %d, idle %d, of them lacking for every design metals %d silicates %d exotics %d reactives %d "
            "credits %d "
            "every mineral %d\n",
            100 * (i + 1), static_cast<unsigned long long>(kinds[i][0] / 1000),
            static_cast<unsigned long long>(kinds[i][1] / 1000), static_cast<unsigned long long>(kinds[i][2] / 1000),
            static_cast<unsigned long long>(kinds[i][3] / 1000), b.atWork, b.other, b.idle, b.lacking[0], b.lacking[1],
            b.lacking[2], b.lacking[3], b.lacking[4], b.lackingEveryMineral);
        std::printf(
            "    ships %d, damaged %d, a weapon or drive destroyed %d, warships unable to fire %d, damaged with no "
            "order %d\n",
            damage[i].ships, damage[i].damaged, damage[i].wrecked, damage[i].disarmed, damage[i].idle);
      }
      std::fflush(stdout);
      for (std::size_t i = 0; i < pools.size(); ++i)
        if (pools[i] != 0) {
          poolSums[i] += static_cast<double>(pools[i]);
          for (std::size_t m = 0; m < kMineralTypes; ++m) kindSums[i][m] += static_cast<double>(kinds[i][m]);
          builderSums[i].atWork += builders[i].atWork;
          builderSums[i].idle += builders[i].idle;
          builderSums[i].other += builders[i].other;
          builderSums[i].lackingEveryMineral += builders[i].lackingEveryMineral;
          for (std::size_t r = 0; r < builders[i].lacking.size(); ++r)
            builderSums[i].lacking[r] += builders[i].lacking[r];
          ++going[i];
        }
      if (pools[1] != 0 && pools[2] != 0) {
        growth200to300 += static_cast<double>(pools[2]) - static_cast<double>(pools[1]);
        perGame.push_back((static_cast<double>(pools[2]) - static_cast<double>(pools[1])) / 100);
        for (std::size_t m = 0; m < kMineralTypes; ++m)
          growthByKind[m] += static_cast<double>(kinds[2][m]) - static_cast<double>(kinds[1][m]);
        ++grown;
      }
      if (f.endTurn == 0 || f.condition == 4) continue;
      by500 += 1;
      by300 += f.endTurn < kTurns ? 1 : 0;
      if (f.condition > 0 && f.condition < static_cast<int>(byCondition.size())) ++byCondition[f.condition];
    }
    // Over the games still going at each stop: the mean pools by mineral and
    // the mean builders at work, idle, and idle for want of each mineral.
    for (std::size_t i = 0; i < kStops; ++i) {
      if (going[i] == 0) continue;
      const double n = going[i];
      const srv_ai_test::BuilderCensus& b = builderSums[i];
      std::printf(
          "turn %zu, mean of %d games: metals, silicates, exotics, reactives (k) %.0f %.0f %.0f %.0f; builders "
          "at work %.1f, elsewhere %.1f, idle %.1f, lacking metals %.1f silicates %.1f exotics %.1f reactives %.1f "
          "credits %.1f every mineral %.1f\n",
          100 * (i + 1), going[i], kindSums[i][0] / n / 1000, kindSums[i][1] / n / 1000, kindSums[i][2] / n / 1000,
          kindSums[i][3] / n / 1000, b.atWork / n, b.other / n, b.idle / n, b.lacking[0] / n, b.lacking[1] / n,
          b.lacking[2] / n, b.lacking[3] / n, b.lacking[4] / n, b.lackingEveryMineral / n);
    }
    state.counters["ended_by_300"] = by300;
    state.counters["ended_by_500"] = by500;
    state.counters["last_man_standing"] = byCondition[1];
    state.counters["capture_the_flag"] = byCondition[2];
    state.counters["imperator"] = byCondition[8];
    // Over the games still going at turn 300: how much the pools grew a turn
    // after turn 200, in all and mineral by mineral.
    state.counters["pool_growth_200_300"] = grown > 0 ? growth200to300 / grown / 100 : 0;
    std::sort(perGame.begin(), perGame.end());
    state.counters["pool_growth_200_300_min"] = perGame.empty() ? 0 : perGame.front();
    state.counters["pool_growth_200_300_median"] =
        perGame.empty() ? 0 : (perGame[(perGame.size() - 1) / 2] + perGame[perGame.size() / 2]) / 2;
    for (std::size_t m = 0; m < kMineralTypes; ++m)
      state.counters[std::string("growth_200_300_") + kMinerals[m]] = grown > 0 ? growthByKind[m] / grown / 100 : 0;
    // The mean pools (k) of the games still going at turns 100 to 400.
    for (std::size_t i = 0; i < poolSums.size(); ++i)
      state.counters["pools_" + std::to_string(100 * (i + 1)) + "_k"] =
          going[i] > 0 ? poolSums[i] / going[i] / 1000 : 0;
  }
}

void BM_Endings(benchmark::State& state) { PlayEndings(state, 2); }
// The same at average, the level a new game starts at.
void BM_AverageEndings(benchmark::State& state) { PlayEndings(state, 1); }

// The small hard worlds of the tournament's tests (one chapter a guild on 15
// asteroids) over a range of seeds: how many end by a victory before their
// length, a home taken and a chapter eliminated, with every condition on (300
// turns), and how many the last one standing wins with no other condition
// (500 turns), so that a change that replays them shows in the counts and not
// in one seed alone.
void BM_SmallWorlds(benchmark::State& state) {
  constexpr int kLonger = 500;
  for (auto _ : state) {
    int conquered = 0, lastStanding = 0;
    for (auto seed = static_cast<std::uint32_t>(state.range(0)); seed <= static_cast<std::uint32_t>(state.range(1));
         ++seed) {
      const GameLog log("tournament_small" + std::to_string(seed));
      const srv_ai_test::TournamentFigures all =
          srv_ai_test::PlayTournamentGame(1, 15, 2, seed, kTurns, kTurns, log.path);
      const srv_ai_test::TournamentFigures last =
          srv_ai_test::PlayTournamentGame(1, 15, 2, seed, kLonger, kLonger, log.path, false, kSrvLastManStanding);
      const bool ended =
          all.endTurn > 0 && all.endTurn < kTurns - 1 && all.condition != 4 && all.homesTaken > 0 && all.eliminated > 0;
      const bool stood = last.condition == kSrvLastManStanding && last.endTurn > 0 && last.endTurn < kLonger - 1;
      conquered += ended ? 1 : 0;
      lastStanding += stood ? 1 : 0;
      std::printf(
          "small world, seed %u: every condition: end turn %d condition %d, %d eliminated, %d homes taken%s; "
          "the last one standing alone: end turn %d, %d eliminated%s\n",
          seed, all.endTurn, all.condition, all.eliminated, all.homesTaken, ended ? " (ended)" : "", last.endTurn,
          last.eliminated, stood ? " (won)" : "");
      std::fflush(stdout);
    }
    state.counters["conquered_before_length"] = conquered;
    state.counters["last_one_standing"] = lastStanding;
  }
}

// How often the hard chapters of a mixed game end ahead of the easy ones on
// both asteroids held and score, over a range of seeds: a default world
// (8 chapters a guild, 150 asteroids) or a small one (3 a guild, 60).
void BM_LevelOrder(benchmark::State& state) {
  const auto perGuild = static_cast<std::uint16_t>(state.range(0));
  const auto asteroids = static_cast<std::uint16_t>(state.range(1));
  for (auto _ : state) {
    int ahead = 0, games = 0, withInterregnum = 0, averageAhead = 0, hardAheadOfAverage = 0;
    for (auto seed = static_cast<std::uint32_t>(state.range(2)); seed <= static_cast<std::uint32_t>(state.range(3));
         ++seed) {
      const GameLog log("tournament_levels" + std::to_string(seed));
      const srv_ai_test::TournamentFigures f = srv_ai_test::PlayTournamentGame(
          perGuild, asteroids, srv_ai_test::kMixedLevels, seed, kTurns, kTurns, log.path);
      // Level b ahead of level a on both asteroids held and score.
      auto aheadOf = [&f](int b, int a) {
        return f.scoreByLevel[b] > f.scoreByLevel[a] && f.heldByLevel[b] > f.heldByLevel[a];
      };
      const bool hardAhead = aheadOf(2, 0);
      std::printf(
          "mixed, %u a guild, %u asteroids, seed %u: held easy %d average %d hard %d, score easy %lld "
          "average %lld hard %lld; %d homes taken, %d eliminated, %d interregnums%s%s%s\n",
          perGuild, asteroids, seed, f.heldByLevel[0], f.heldByLevel[1], f.heldByLevel[2],
          static_cast<long long>(f.scoreByLevel[0]), static_cast<long long>(f.scoreByLevel[1]),
          static_cast<long long>(f.scoreByLevel[2]), f.homesTaken, f.eliminated, f.interregnums,
          hardAhead ? "" : "  (hard not ahead)", aheadOf(1, 0) ? "" : "  (average not ahead of easy)",
          aheadOf(2, 1) ? "" : "  (hard not ahead of average)");
      ahead += hardAhead ? 1 : 0;
      averageAhead += aheadOf(1, 0) ? 1 : 0;
      hardAheadOfAverage += aheadOf(2, 1) ? 1 : 0;
      withInterregnum += f.interregnums > 0 ? 1 : 0;
      ++games;
    }
    state.counters["hard_ahead"] = ahead;
    state.counters["average_ahead_of_easy"] = averageAhead;
    state.counters["hard_ahead_of_average"] = hardAheadOfAverage;
    state.counters["with_interregnum"] = withInterregnum;
    state.counters["games"] = games;
  }
}

// Where the minerals mined after turn 150 come from, and where they stay: per
// mineral, the output a turn over turns 151 to the end of the zones on their
// holder's home, on other asteroids it controls and on asteroids others
// control; of all of it, what land not worth mining to its holder yields (and
// of that, what zones only miners hold yield), what combat ATVs mine, and
// what chapters with no builder left mine; then how many minerals the
// chapters in play count plentiful, how many of them have no builder left,
// and the pools at turn 150 and at the end by whether their holder is in play
// with a builder, in play without one, or out of the game.
using Pools = std::array<std::array<std::uint64_t, kMineralTypes>, 3>;

struct MineralSources {
  enum Row { kAll, kHome, kOwn, kOthers, kNotWorth, kLoneMiners, kCombat, kNoBuilder, kRows };
  std::array<std::array<double, kMineralTypes>, kRows> mined{};
  std::array<double, kMineralTypes> plentiful{};
  Pools poolsAt150{}, poolsAtEnd{};
  int turns = 0;
  int chapterTurns = 0;
  int unbuiltAt150 = 0, unbuiltAtEnd = 0;
};

// Also counts the chapters in play with no builder left.
void CountPools(const SrvWorld& world, const std::array<bool, kMaxChapters>& builder, Pools& pools, int& unbuilt) {
  pools = {};
  unbuilt = 0;
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) unbuilt += SrvInPlay(world, c) && !builder[c] ? 1 : 0;
  for (std::uint16_t a = 0; a < CGSolarDB::GetAsteroidCount(); ++a) {
    const std::uint16_t owner = world.solar.GetAsteroid(a)->owner;
    const std::size_t holder = !SrvInPlay(world, owner) ? 2 : builder[owner] ? 0 : 1;
    for (std::uint8_t m = 0; m < kMineralTypes; ++m) pools[holder][m] += world.poolDB.GetMineral(a, m);
  }
}

// The share of the zone's output its combat ATVs mine.
double CombatShare(const CGChapter& holder, const CGZone& zone) {
  double combat = 0, all = 0;
  for (int kind = 0; kind < kAtvKinds; ++kind) {
    const std::uint8_t* tech = holder.GetATVTechStats(kind);
    const double w = zone.atvCounts[kind] * (tech != nullptr ? tech[1] : 0);
    all += w;
    if (kind == ATV_COMBAT) combat = w;
  }
  return all > 0 ? combat / all : 0;
}

bool OnlyMiners(const CGZone& zone) {
  return zone.atvCounts[ATV_MINING] != 0 && zone.facilities == 0 &&
         zone.atvCounts[ATV_COMBAT] + zone.atvCounts[ATV_POWER] + zone.atvCounts[ATV_SEED_BANK] == 0;
}

void ObserveSources(const SrvWorld& world, int coverTurns, MineralSources& s) {
  std::array<bool, kMaxChapters> builder{};
  world.ForEachUnit([&](const CGUnit& u) {
    if (u.IsOperational() && u.GetChapter() < kMaxChapters && u.GetConstructionCapacity() > 0)
      builder[static_cast<std::size_t>(u.GetChapter())] = true;
  });
  if (world.turn == 151) CountPools(world, builder, s.poolsAt150, s.unbuiltAt150);
  CountPools(world, builder, s.poolsAtEnd, s.unbuiltAtEnd);
  if (world.turn <= 151) return;
  ++s.turns;
  std::array<SrvAiPlenty, kMaxChapters> plenty{};
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) {
    if (!SrvInPlay(world, c)) continue;
    plenty[c] = SrvAiPlentifulMinerals(world, c, coverTurns);
    ++s.chapterTurns;
    for (std::size_t m = 0; m < kMineralTypes; ++m) s.plentiful[m] += plenty[c][m] ? 1 : 0;
  }
  for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i) {
    const CGAsteroid* a = world.solar.GetAsteroid(i);
    for (std::uint16_t z = 0; z < a->GetZoneCount(); ++z) {
      const CGZone* zone = a->GetZone(z);
      if (zone == nullptr || zone->owner >= kMaxChapters) continue;
      std::uint16_t out[kMineralTypes] = {};
      zone->GetMiningOutput(&out[0], &out[1], &out[2], &out[3]);
      const CGChapter& holder = *world.Chapter(zone->owner);
      const double combat = CombatShare(holder, *zone);
      const std::size_t where = holder.homeAsteroid == i       ? MineralSources::kHome
                                : a->controller == zone->owner ? MineralSources::kOwn
                                                               : MineralSources::kOthers;
      const bool notWorth = !SrvAiWorthMining(world, plenty[zone->owner], i);
      for (std::size_t m = 0; m < kMineralTypes; ++m) {
        s.mined[MineralSources::kAll][m] += out[m];
        s.mined[where][m] += out[m];
        if (notWorth) s.mined[MineralSources::kNotWorth][m] += out[m];
        if (notWorth && OnlyMiners(*zone)) s.mined[MineralSources::kLoneMiners][m] += out[m];
        s.mined[MineralSources::kCombat][m] += out[m] * combat;
        if (!builder[zone->owner]) s.mined[MineralSources::kNoBuilder][m] += out[m];
      }
    }
  }
}

// Where the combat ATVs that mine stand in a long game at hard (seeds that
// reach turn 300): at turns 200 and 300, the combat ATVs on zones and what
// they mine a turn, on their holder's home, on other land it controls where
// an enemy also holds zones, on other land it controls alone, and on land
// others control; and the miners in the same four places. Combat ATVs mine a
// third as much as a miner, but every invasion lands a hold of them.
void BM_CombatAtvs(benchmark::State& state) {
  const auto seed = static_cast<std::uint32_t>(state.range(0));
  static const char* const kPlaces[] = {"home", "own, shared with an enemy", "own, alone", "others' land"};
  for (auto _ : state) {
    const GameLog log("combat" + std::to_string(seed));
    double minedAt300 = 0;
    srv_ai_test::PlayTournamentGame(
        kPerGuild, kAsteroids, 2, seed, kTurns + 1, kTurns + 200, log.path, false, 1 | 2 | 4 | 8 | 16,
        [&](const SrvWorld& world) {
          if (world.turn != 201 && world.turn != 301) return;
          std::array<double, 4> combat{}, mined{}, miners{};
          for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i) {
            const CGAsteroid* a = world.solar.GetAsteroid(i);
            for (std::uint16_t z = 0; z < a->GetZoneCount(); ++z) {
              const CGZone* zone = a->GetZone(z);
              if (zone == nullptr || zone->owner >= kMaxChapters) continue;
              const CGChapter& holder = *world.Chapter(zone->owner);
              bool shared = false;
              for (std::uint16_t y = 0; y < a->GetZoneCount(); ++y)
                if (const CGZone* other = a->GetZone(y);
                    other != nullptr && other->owner < kMaxChapters && !SrvSameSide(world, zone->owner, other->owner))
                  shared = true;
              const std::size_t where = holder.homeAsteroid == i       ? 0
                                        : a->controller != zone->owner ? 3
                                        : shared                       ? 1
                                                                       : 2;
              std::uint16_t out[kMineralTypes] = {};
              zone->GetMiningOutput(&out[0], &out[1], &out[2], &out[3]);
              combat[where] += zone->atvCounts[ATV_COMBAT];
              miners[where] += zone->atvCounts[ATV_MINING];
              mined[where] += (out[0] + out[1] + out[2] + out[3]) * CombatShare(holder, *zone);
            }
          }
          std::printf("hard, seed %u, turn %u: combat ATVs (mined a turn), miners:", seed, world.turn - 1);
          for (std::size_t w = 0; w < 4; ++w)
            std::printf("%s %s %.0f (%.0f), %.0f", w == 0 ? "" : ";", kPlaces[w], combat[w], mined[w], miners[w]);
          std::printf("\n");
          std::fflush(stdout);
          if (world.turn == 301) minedAt300 = mined[0] + mined[1] + mined[2] + mined[3];
        });
    state.counters["combat_mined_at_300"] = minedAt300;
  }
}

void BM_MineralSources(benchmark::State& state) {
  const auto level = static_cast<int>(state.range(0));
  const auto seed = static_cast<std::uint32_t>(state.range(1));
  static const char* const kRowNames[] = {"all",       "holder's home",        "other own land", "others' land",
                                          "not worth", "  of it only miners'", "combat ATVs",    "no builder"};
  static const char* const kHolders[] = {"in play, builder", "in play, no builder", "out of play"};
  for (auto _ : state) {
    MineralSources s;
    const GameLog log("sources" + std::to_string(seed));
    const int cover = SrvAiLevelOf(static_cast<std::uint8_t>(level)).mineralCoverTurns;
    const srv_ai_test::TournamentFigures f = srv_ai_test::PlayTournamentGame(
        kPerGuild, kAsteroids, level, seed, kTurns, kTurns, log.path, false, 1 | 2 | 4 | 8 | 16,
        [&](const SrvWorld& world) { ObserveSources(world, cover, s); });
    const double turns = std::max(s.turns, 1), chapters = std::max(s.chapterTurns, 1);
    std::printf("level %d seed %u, end turn %d: mined a turn after turn 150 (metals, silicates, exotics, reactives)\n",
                level, seed, f.endTurn);
    for (std::size_t r = 0; r < MineralSources::kRows; ++r)
      std::printf("  %-20s %6.0f %6.0f %6.0f %6.0f\n", kRowNames[r], s.mined[r][0] / turns, s.mined[r][1] / turns,
                  s.mined[r][2] / turns, s.mined[r][3] / turns);
    std::printf("  plentiful to %3.0f%% %3.0f%% %3.0f%% %3.0f%% of the chapters in play\n",
                100 * s.plentiful[0] / chapters, 100 * s.plentiful[1] / chapters, 100 * s.plentiful[2] / chapters,
                100 * s.plentiful[3] / chapters);
    std::printf("  chapters in play with no builder: %d at 150, %d at the end\n", s.unbuiltAt150, s.unbuiltAtEnd);
    for (std::size_t h = 0; h < 3; ++h) {
      const auto k = [&](const Pools& p, std::size_t m) { return static_cast<unsigned long long>(p[h][m] / 1000); };
      std::printf("  pools (k), %-20s at 150 %4llu %4llu %4llu %4llu, at the end %4llu %4llu %4llu %4llu\n",
                  kHolders[h], k(s.poolsAt150, 0), k(s.poolsAt150, 1), k(s.poolsAt150, 2), k(s.poolsAt150, 3),
                  k(s.poolsAtEnd, 0), k(s.poolsAtEnd, 1), k(s.poolsAtEnd, 2), k(s.poolsAtEnd, 3));
    }
    double all = 0;
    for (double m : s.mined[MineralSources::kAll]) all += m;
    state.counters["mined_a_turn"] = all / turns;
  }
}
// Games with the settings a new game has (the configuration screen's start
// values: victory by the last one standing or an imperator, 1,000 turns),
// computer-only at one level (0-2), with the levels mixed (-1) or with a
// passive player holding chapter 0 among hard chapters (3), seeds from the
// second argument to the third: how many end by a victory within 300 turns
// (600 at easy), the turn of each end, the tug of war (the most times one
// asteroid changed hands between the same two chapters), renegade flags and
// imperators changing, the longest siege, the longest battle of held shots
// and the longest a unit unable to fire sat idle in a battle, the asteroids
// the chapters hold at turns 100 and 200 and, mixed, each level ahead of the
// one below.
void BM_DefaultGames(benchmark::State& state) {
  const auto kind = static_cast<int>(state.range(0));
  const bool passive = kind == 3;
  const int level = passive ? 2 : kind;
  const int turns = level == 0 ? 600 : 300;
  constexpr std::uint16_t kVictoryWord = 1 | 8, kDefaultLength = 1000;
  for (auto _ : state) {
    double games = 0, ended = 0, flips = 0, mostFlips = 0, renegade = 0, mostRenegade = 0, imperators = 0, siege = 0,
           harmless = 0, idleUnderFire = 0, held100 = 0, held200 = 0, taken = 0, ordered = 0;
    std::vector<int> ends;
    for (auto seed = static_cast<std::uint32_t>(state.range(1)); seed <= static_cast<std::uint32_t>(state.range(2));
         ++seed) {
      const GameLog log("default_games" + std::to_string(seed));
      const srv_ai_test::TournamentFigures f = srv_ai_test::PlayTournamentGame(
          kPerGuild, kAsteroids, level, seed, turns, kDefaultLength, log.path, passive, kVictoryWord);
      // Before the game's length: by a victory, or, with a passive player,
      // by its elimination, which ends the game for everyone.
      const bool won = f.endTurn != 0 && f.endTurn + 1 < kDefaultLength;
      // Each level ahead of the one below on asteroids and score.
      auto aheadOf = [&f](int b, int a) {
        return f.scoreByLevel[b] > f.scoreByLevel[a] && f.heldByLevel[b] > f.heldByLevel[a];
      };
      const bool inOrder = aheadOf(2, 1) && aheadOf(1, 0);
      std::printf(
          "default game, %s, seed %u: end turn %d condition %d; flip-backs %d; renegade changes %d (one "
          "chapter %d); imperators %d; longest siege %d; longest held-shot battle %d; longest idle under "
          "fire %d; held at 100 %d, at 200 %d; %d taken (%d homes); biggest guild %d asteroids (turn %d)",
          passive                              ? "passive player"
          : level == srv_ai_test::kMixedLevels ? "mixed"
          : level == 0                         ? "easy"
          : level == 1                         ? "average"
                                               : "hard",
          seed, f.endTurn, f.condition, f.mostFlipBacks, f.renegadeChanges, f.mostRenegadeChanges, f.imperatorChanges,
          f.longestSiege, f.longestHarmlessBattle, f.longestIdleUnderFire, f.asteroidsAt100,
          f.heldByLevel200[0] + f.heldByLevel200[1] + f.heldByLevel200[2], f.captures, f.homesTaken, f.biggestGuild,
          f.biggestGuildTurn);
      if (level == srv_ai_test::kMixedLevels)
        std::printf("; by level held %d %d %d, scores %llu %llu %llu%s", f.heldByLevel[0], f.heldByLevel[1],
                    f.heldByLevel[2], static_cast<unsigned long long>(f.scoreByLevel[0]),
                    static_cast<unsigned long long>(f.scoreByLevel[1]),
                    static_cast<unsigned long long>(f.scoreByLevel[2]), inOrder ? "" : " (out of order)");
      std::printf("\n");
      ++games;
      ended += won ? 1 : 0;
      if (won) ends.push_back(f.endTurn);
      flips += f.mostFlipBacks > 5 ? 1 : 0;
      mostFlips = std::max<double>(mostFlips, f.mostFlipBacks);
      renegade += f.renegadeChanges;
      mostRenegade = std::max<double>(mostRenegade, f.mostRenegadeChanges);
      imperators += f.imperatorChanges;
      siege = std::max<double>(siege, f.longestSiege);
      harmless = std::max<double>(harmless, f.longestHarmlessBattle);
      idleUnderFire = std::max<double>(idleUnderFire, f.longestIdleUnderFire);
      held100 += f.asteroidsAt100;
      held200 += f.heldByLevel200[0] + f.heldByLevel200[1] + f.heldByLevel200[2];
      taken += f.captures;
      ordered += inOrder ? 1 : 0;
    }
    std::sort(ends.begin(), ends.end());
    state.counters["ended_share"] = ended / games;
    state.counters["median_end_of_ended"] = ends.empty() ? 0 : ends[ends.size() / 2];
    state.counters["games_over_5_flips"] = flips;
    state.counters["most_flip_backs"] = mostFlips;
    state.counters["renegade_changes"] = renegade / games;
    state.counters["most_renegade_changes"] = mostRenegade;
    state.counters["imperators"] = imperators / games;
    state.counters["longest_siege"] = siege;
    state.counters["longest_held_shots"] = harmless;
    state.counters["longest_idle_under_fire"] = idleUnderFire;
    state.counters["held100"] = held100 / games;
    state.counters["held200"] = held200 / games;
    state.counters["captures"] = taken / games;
    if (level == srv_ai_test::kMixedLevels) state.counters["levels_in_order"] = ordered / games;
  }
}

BENCHMARK(BM_MineralSources)->Args({2, 11})->Args({2, 23})->Args({1, 11})->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_CombatAtvs)->Arg(1)->Arg(4)->Arg(9)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_LevelOrder)
    ->Args({kPerGuild, kAsteroids, 1, 16})
    ->Args({3, 60, 1, 16})
    ->Args({3, 60, 1, 48})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_SmallWorlds)->Args({1, 100})->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_Endings)
    ->Args({1, 16})
    ->Args({17, 32})
    ->Args({33, 48})
    ->Args({49, 64})
    ->Args({65, 80})
    ->Args({81, 96})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_AverageEndings)->Args({1, 16})->Args({17, 32})->Args({33, 48})->Iterations(1)->Unit(benchmark::kSecond);

BENCHMARK(BM_PassivePlayer)->Iterations(1)->Unit(benchmark::kSecond);

// The seeds of a quick look (1-4), then the goals' figures, seeds 1-48 of
// each kind in three runs of sixteen that can go side by side.
void DefaultGameSeeds(benchmark::internal::Benchmark* b) {
  constexpr int kKinds[] = {0, 1, 2, 3, srv_ai_test::kMixedLevels};
  for (int kind : kKinds) b->Args({kind, 1, 4});
  for (int kind : kKinds)
    for (int first = 1; first <= 33; first += 16) b->Args({kind, first, first + 15});
}
BENCHMARK(BM_DefaultGames)->Apply(DefaultGameSeeds)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_Tournament)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Arg(srv_ai_test::kMixedLevels)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
