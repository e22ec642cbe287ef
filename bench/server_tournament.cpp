// A seeded tournament of computer chapters: default worlds (40 chapters, 150
// asteroids, every victory condition, 300 turns at most) played at each
// level, and with the levels mixed in every guild. Its output is the figures a player would judge the computer by:
// asteroids held at turns 100 and 300, eliminations, the turn and condition
// of each game's end, battles without a shot and how long one place stayed
// in them, the pools at turns 50, 100, 150, 200 and at the end, and how near a guild came
// to a victory of its own (the most asteroids it held, the most flags one
// side held at once), and the interregnums; and how sixteen default games at
// hard end within 500 turns.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/server/ai/srv_tournament.h"

namespace {

// The game's log, read back for its battles: named for the process, so that
// runs side by side on one machine keep apart, and removed once read.
struct GameLog {
  std::string path;
  explicit GameLog(const std::string& name)
      : path((std::filesystem::temp_directory_path() /
              ("quen_" + name + "_" + std::to_string(::getpid()) + ".log"))
                 .string()) {}
  ~GameLog() {
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
    double held100 = 0, held300 = 0, eliminated = 0, ended = 0, idle = 0, battles = 0, longest = 0, biggest = 0;
    for (std::uint32_t seed : kSeeds) {
      const GameLog log("tournament" + std::to_string(seed));
      const srv_ai_test::TournamentFigures f =
          srv_ai_test::PlayTournamentGame(kPerGuild, kAsteroids, level, seed, kTurns, kTurns, log.path);
      std::printf("level %d seed %u: asteroids %d at 100, %d at 300; %d taken (%d homes); %d eliminated; end turn %d "
                  "condition %d; %d battles, %d without a shot (longest run %d); credits %llu -> %llu, minerals %llu -> "
                  "%llu -> %llu -> %llu -> %llu (turns 50, 100, 150, 200, end); biggest guild %d asteroids (turn %d); most flags of one side %d; %d interregnums\n",
                  level, seed, f.asteroidsAt100, f.asteroidsAt300, f.captures, f.homesTaken, f.eliminated, f.endTurn,
                  f.condition, f.battles,
                  f.battlesWithoutShot, f.longestIdleBattle, static_cast<unsigned long long>(f.creditsAt50),
                  static_cast<unsigned long long>(f.credits), static_cast<unsigned long long>(f.mineralsAt50),
                  static_cast<unsigned long long>(f.mineralsAt100),
                  static_cast<unsigned long long>(f.mineralsAt150), static_cast<unsigned long long>(f.mineralsAt200),
                  static_cast<unsigned long long>(f.minerals), f.biggestGuild, f.biggestGuildTurn, f.mostFlags,
                  f.interregnums);
      if (level == srv_ai_test::kMixedLevels)
        std::printf("  by level (easy, average, hard): asteroids at 100 %d %d %d, at the end %d %d %d; "
                    "scores %llu %llu %llu; eliminated %d %d %d\n",
                    f.heldByLevel100[0], f.heldByLevel100[1], f.heldByLevel100[2], f.heldByLevel[0], f.heldByLevel[1],
                    f.heldByLevel[2], static_cast<unsigned long long>(f.scoreByLevel[0]),
                    static_cast<unsigned long long>(f.scoreByLevel[1]),
                    static_cast<unsigned long long>(f.scoreByLevel[2]), f.eliminatedByLevel[0],
                    f.eliminatedByLevel[1], f.eliminatedByLevel[2]);
      held100 += f.asteroidsAt100;
      held300 += f.asteroidsAt300;
      eliminated += f.eliminated;
      ended += f.endTurn != 0 && f.condition != 4 ? 1 : 0;  // before the game's length
      idle += f.battlesWithoutShot;
      battles += f.battles;
      longest = std::max<double>(longest, f.longestIdleBattle);
      biggest += f.biggestGuild;
    }
    const double n = std::size(kSeeds);
    state.counters["held100"] = held100 / n;
    state.counters["held300"] = held300 / n;
    state.counters["eliminated"] = eliminated / n;
    state.counters["ended"] = ended / n;
    state.counters["idle_battle_share"] = battles > 0 ? idle / battles : 0;
    state.counters["longest_idle_run"] = longest;
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
// How default games at hard end: sixteen seeds played up to 500 turns, the
// turn and condition of each end, and how many ended by a victory other than
// the game's length within 300 and within 500 turns.
void BM_Endings(benchmark::State& state) {
  constexpr int kLongest = 500;
  for (auto _ : state) {
    double by300 = 0, by500 = 0;
    std::array<int, 9> byCondition{};
    for (std::uint32_t seed = 1; seed <= 16; ++seed) {
      const GameLog log("tournament_endings" + std::to_string(seed));
      const srv_ai_test::TournamentFigures f =
          srv_ai_test::PlayTournamentGame(kPerGuild, kAsteroids, 2, seed, kLongest, kLongest, log.path);
      std::printf("hard, seed %u, %d turns at most: end turn %d condition %d; %d eliminated; biggest guild %d "
                  "asteroids; most flags of one side %d\n",
                  seed, kLongest, f.endTurn, f.condition, f.eliminated, f.biggestGuild, f.mostFlags);
      if (f.endTurn == 0 || f.condition == 4) continue;
      by500 += 1;
      by300 += f.endTurn < kTurns ? 1 : 0;
      if (f.condition > 0 && f.condition < static_cast<int>(byCondition.size())) ++byCondition[f.condition];
    }
    state.counters["ended_by_300"] = by300;
    state.counters["ended_by_500"] = by500;
    state.counters["last_man_standing"] = byCondition[1];
    state.counters["capture_the_flag"] = byCondition[2];
    state.counters["imperator"] = byCondition[8];
  }
}
BENCHMARK(BM_Endings)->Iterations(1)->Unit(benchmark::kSecond);

BENCHMARK(BM_PassivePlayer)->Iterations(1)->Unit(benchmark::kSecond);

BENCHMARK(BM_Tournament)->Arg(0)->Arg(1)->Arg(2)->Arg(srv_ai_test::kMixedLevels)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
