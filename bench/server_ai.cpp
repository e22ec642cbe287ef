// The computer chapters' choice of orders for a 40-chapter, 150-asteroid game
// whose chapters have played 20 turns (every chapter computer-held), as a
// ratio to the same turn's order resolution, measured in the same run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "server/ai/SrvAiChapter.h"
#include "server/orders/SrvOrders.h"
#include "server/turn/SrvTurnSteps.h"
#include "tests/server/srv_test_rules.h"

namespace {

constexpr int kWarmUpTurns = 20;
constexpr int kBaselineTurns = 20;

void PlayTurn(SrvWorld& world, const SrvSetup& setup) {
  SrvLog log;
  SrvRandom random(world.turn);
  SrvTurnContext turn{world, setup, log, random};
  SrvPlayComputerChapters(turn);
  SrvResolveOrders(turn);
  SrvResolvePolitics(turn);
  world.AdvanceTurn();
}

double ResolutionNs(SrvWorld& world, const SrvSetup& setup) {
  SrvLog log;
  SrvRandom random(1);
  const auto begin = std::chrono::steady_clock::now();
  for (int i = 0; i < kBaselineTurns; ++i) {
    SrvTurnContext turn{world, setup, log, random};
    SrvResolveOrders(turn);
  }
  return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - begin).count() / kBaselineTurns;
}

void BM_ComputerChaptersChoose(benchmark::State& state) {
  SrvSetup setup;
  setup.config.SetU16(14, 8);
  setup.config.SetU16(16, 150);
  setup.settings.SetU16(12, 2);
  const auto rules = SrvTestRules();
  auto world = std::make_unique<SrvWorld>();
  world->UseRules(rules.first, rules.second);
  world->Generate(setup, 11, nullptr);
  for (int t = 0; t < kWarmUpTurns; ++t) PlayTurn(*world, setup);
  const double baseline = ResolutionNs(*world, setup);
  const SrvAiLevel level = SrvAiLevelOf(2);
  std::size_t orders = 0;
  const auto begin = std::chrono::steady_clock::now();
  for (auto _ : state)
    for (std::uint16_t c = 0; c < kMaxChapters; ++c) orders += SrvChooseOrders(*world, c, level, c).size();
  const double each = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - begin).count() /
                      static_cast<double>(state.iterations());
  state.counters["orders"] = static_cast<double>(orders) / static_cast<double>(state.iterations());
  state.counters["x_resolution"] = each / baseline;
  for (std::uint16_t at = 0; at <= CGSolarDB::GetAsteroidCount(); ++at) world->pieces->DeleteUnitsAt(at);
}
BENCHMARK(BM_ComputerChaptersChoose)->Unit(benchmark::kMillisecond);

}  // namespace
