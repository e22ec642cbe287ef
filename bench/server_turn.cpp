// One turn of the server's order resolution and orbits in a 40-chapter,
// 150-asteroid game of 2,000 units (a third of them on their way somewhere,
// a unit whose trip ended given a new one), as a ratio to the same turn of
// the same world without units, measured in the same run; and the heap the
// units' world holds. And a whole turn of a computer-only default game at
// each level (the chapters' choices, orders, battles, politics, orbits),
// with the units' nearest-asteroid question answered by the solar system's
// index against a search of every asteroid, the same game played twice in
// the same run.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Game/model/GChapter.h"
#include "Game/model/GUnit.h"
#include "Game/model/GameWorld.h"
#include "bench/thread_time.h"
#include "server/orders/SrvOrders.h"
#include "server/turn/SrvTurnSteps.h"
#include "tests/server/ai/srv_tournament.h"
#include "tests/server/srv_test_rules.h"

namespace {

constexpr int kUnits = 2000;
constexpr int kBaselineTurns = 50;

SrvSetup BigSetup() {
  SrvSetup setup;
  setup.config.SetU16(14, 8);
  setup.config.SetU16(16, 150);
  return setup;
}

std::vector<std::uint32_t> FillWithUnits(SrvWorld& world) {
  std::vector<std::uint32_t> ids;
  for (int k = 0; ids.size() < static_cast<std::size_t>(kUnits); ++k) {
    const auto chapter = static_cast<std::uint16_t>(k % kMaxChapters);
    CGChapter* c = world.Chapter(chapter);
    CGUnitTemplate* design = world.templates->GetTemplate(chapter, 0, 1);
    if (c == nullptr || design == nullptr) return ids;
    const Location at{c->homeAsteroid, static_cast<std::int16_t>(1000 + 40 * (k / kMaxChapters)), 600, 0};
    if (CGUnit* u = world.CreateUnit(chapter, design, at)) ids.push_back(u->id);
  }
  return ids;
}

// Every third unit without an order sets off for another asteroid.
void GiveOrders(SrvWorld& world, const std::vector<std::uint32_t>& ids, std::uint32_t turn) {
  for (std::size_t i = 0; i < ids.size(); i += 3) {
    std::uint16_t at = 0;
    const CGUnit* u = world.pieces->FindUnit(ids[i], &at);
    if (u == nullptr || u->GetOrderCount() != 0) continue;
    UnitOrder move;
    move.type = ORDER_MOVE_TO_ASTEROID;
    move.SetWord(0, static_cast<std::uint32_t>((u->location.asteroid + 1 + (i + turn) % 7) % 150));
    SrvSubmitOrder(world, static_cast<std::uint16_t>(u->GetChapter()),
                   BuildOrderPacket(u->id, move, kInsertReplace).bytes);
  }
}

void ResolveTurn(SrvWorld& world, const SrvSetup& setup) {
  SrvLog log;
  SrvRandom random(world.turn);
  SrvTurnContext turn{world, setup, log, random};
  SrvResolveOrders(turn);
  world.AdvanceTurn();
}

double EmptyTurnNs(const SrvSetup& setup) {
  SrvWorld world;
  world.Generate(setup, 7, nullptr);
  const auto begin = std::chrono::steady_clock::now();
  for (int i = 0; i < kBaselineTurns; ++i) ResolveTurn(world, setup);
  return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - begin).count() / kBaselineTurns;
}

void BM_ServerTurn(benchmark::State& state) {
  const SrvSetup setup = BigSetup();
  const double empty = EmptyTurnNs(setup);
  const auto rules = SrvTestRules();
  const std::size_t before = mallinfo2().uordblks;
  auto world = std::make_unique<SrvWorld>();
  world->UseRules(rules.first, rules.second);
  world->Generate(setup, 7, nullptr);
  const std::vector<std::uint32_t> ids = FillWithUnits(*world);
  const std::size_t held = mallinfo2().uordblks - before;
  const auto begin = std::chrono::steady_clock::now();
  for (auto _ : state) {
    GiveOrders(*world, ids, world->turn);
    ResolveTurn(*world, setup);
  }
  const double each = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - begin).count() /
                      static_cast<double>(state.iterations());
  state.counters["units"] = static_cast<double>(ids.size());
  state.counters["x_empty_world"] = each / empty;
  state.counters["world_bytes"] = static_cast<double>(held);
}
BENCHMARK(BM_ServerTurn)->Unit(benchmark::kMillisecond);

constexpr int kGameTurns = 120;

// The thread time of a game's turns, and its figures: with `searchAll`, from
// the second turn on (the game's world is made in the first) every
// nearest-asteroid question searches all asteroids.
std::pair<double, srv_ai_test::TournamentFigures> TimedGame(int level, bool searchAll) {
  srv_ai_test::TournamentFigures f;
  const std::string log =
      (std::filesystem::temp_directory_path() / ("quen_computer_turn_" + std::to_string(::getpid()) + ".log")).string();
  const double seconds = bench_time::Seconds([&] {
    f = srv_ai_test::PlayTournamentGame(8, 150, level, 23, kGameTurns, kGameTurns, log, false, 1 | 8,
                                        [&](const SrvWorld& /*world*/) {
                                          // The game's world is the registered one.
                                          World().searchEveryAsteroid = searchAll;
                                        });
  });
  std::filesystem::remove(log);
  return {seconds / kGameTurns, f};
}

void BM_ComputerTurn(benchmark::State& state) {
  const auto level = static_cast<int>(state.range(0));
  for (auto _ : state) {
    const auto [searched, before] = TimedGame(level, true);
    const auto [indexed, after] = TimedGame(level, false);
    state.counters["ms_searching_all"] = searched * 1e3;
    state.counters["ms_indexed"] = indexed * 1e3;
    state.counters["x_searching_all"] = indexed / searched;
    state.counters["same_game"] = before.captures == after.captures && before.asteroidsAt300 == after.asteroidsAt300 &&
                                          before.battles == after.battles && before.minerals == after.minerals &&
                                          before.credits == after.credits
                                      ? 1
                                      : 0;
  }
}
BENCHMARK(BM_ComputerTurn)->Arg(0)->Arg(1)->Arg(2)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
