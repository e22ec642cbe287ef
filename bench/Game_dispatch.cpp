// Dispatching a whole turn's results (terrain battles, zones, pools, every
// unit's move and power, standings, scores) for a game of 40 chapters, 150
// asteroids and 2,000 units. Reported as a ratio ("x_read") to reading the
// same bytes from memory, measured in the same run, and with the heap
// allocations made per packet once the model is built ("allocs_per_packet").

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "Game/model/GGameData.h"
#include "Game/net/NetDispatcher.h"
#include "bench/count_allocations.h"
#include "tests/Game/net/handlers/game_streams.h"

namespace {

const game_streams::Shape kShape{150, 8, 2000};

std::size_t StreamBytes(const std::vector<std::vector<std::uint8_t>>& stream) {
  std::size_t n = 0;
  for (const auto& p : stream) n += p.size();
  return n;
}

// The baseline: every byte of the stream read once.
double ReadSeconds(const std::vector<std::vector<std::uint8_t>>& stream, int rounds) {
  const auto start = std::chrono::steady_clock::now();
  std::uint32_t sum = 0;
  for (int r = 0; r < rounds; ++r)
    for (const auto& p : stream)
      for (std::uint8_t b : p) sum += b;
  benchmark::DoNotOptimize(sum);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_DispatchTurnResults(benchmark::State& state) {
  auto game = std::make_unique<CGameData>(9, kShape.chaptersPerGuild);
  g_gameData = game.get();
  for (const auto& p : game_streams::StartOfGame(kShape)) HandlePacket(nullptr, p, 0);
  const auto turn = game_streams::TurnResults(kShape, 1);
  for (const auto& p : turn) HandlePacket(nullptr, p, 0);  // every cell and list at its size

  std::size_t allocations = 0, packets = 0;
  double dispatchSeconds = 0;
  for (auto _ : state) {
    const std::size_t before = bench::g_allocations.load();
    const auto start = std::chrono::steady_clock::now();
    for (const auto& p : turn) HandlePacket(nullptr, p, 0);
    dispatchSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    allocations += bench::g_allocations.load() - before;
    packets += turn.size();
  }
  const double readSeconds = ReadSeconds(turn, static_cast<int>(state.iterations()));
  state.counters["x_read"] = readSeconds > 0 ? dispatchSeconds / readSeconds : 0;
  state.counters["allocs_per_packet"] = packets != 0 ? static_cast<double>(allocations) / packets : 0;
  state.counters["packets"] = static_cast<double>(turn.size());
  state.SetBytesProcessed(static_cast<std::int64_t>(StreamBytes(turn) * state.iterations()));
  g_gameData = nullptr;
  game.reset();
}
BENCHMARK(BM_DispatchTurnResults)->Unit(benchmark::kMillisecond);

}  // namespace
