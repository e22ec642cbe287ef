// The world model's per-turn work and its saved form, each against a memcpy
// of the world's saved bytes measured in the same run (counter "x_memcpy":
// how many such copies the operation costs): every orbit advanced one turn
// with the power and mining of every asteroid's owner; the whole world model
// saved to memory; and loaded back. The turn must not allocate: its heap
// allocations per turn are counted ("allocs") and a nonzero count fails it.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Game/base/GBlockStream.h"
#include "Game/model/GGuild.h"
#include "Game/model/GNotify.h"
#include "Game/model/GPoolDB.h"
#include "Game/model/GSolarSys.h"
#include "bench/count_allocations.h"
#include "tests/Game/model/world/world_generator.h"
#include "tests/support/test_world.h"

namespace {

struct BenchWorld {
  test_support::TestWorld model;
  CGSolarDB solar;
  CGuildList guilds{8};
  CGPoolDB pools;
  CGNotificationList notes;
  BenchWorld() {
    model.solar = &solar;
    model.guilds = &guilds;
    model.pools = &pools;
    model.notifications = &notes;
    model.mixTypes = 20;
    for (int type = 0; type < 20; ++type)
      for (int i = 0; i < 4; ++i) model.mix[type][i] = static_cast<std::uint8_t>(10 + (type + i) % 4 * 10);
    world_test::GenerateSolarSystem(solar, kMaxAsteroids, 7);
    world_test::GenerateChapters(guilds, 8);
    for (int i = 0; i < 30; ++i) notes.Add(3, 4, 414, "Rock", nullptr, 3, static_cast<std::uint32_t>(i), 0);
  }
  void Save(std::vector<std::uint8_t>& bytes) const {
    bytes.clear();
    BlockWriter w(&bytes);
    solar.Save(w);
    guilds.Save(w);
    pools.Save(w);
    notes.Save(w);
  }
  bool Load(const std::vector<std::uint8_t>& bytes) {
    BlockReader r(bytes);
    return solar.Load(r) == LoadStatus::kOk && guilds.Load(r) == LoadStatus::kOk && pools.Load(r) == LoadStatus::kOk &&
           notes.Load(r) == LoadStatus::kOk;
  }
};

BenchWorld& TheWorld() {
  static BenchWorld world;
  return world;
}

const std::vector<std::uint8_t>& WorldBytes() {
  static const std::vector<std::uint8_t> bytes = [] {
    std::vector<std::uint8_t> b;
    TheWorld().Save(b);
    return b;
  }();
  return bytes;
}

using Clock = std::chrono::steady_clock;

// Nanoseconds one memcpy of the world's saved bytes takes, measured now.
double MemcpyNanoseconds() {
  const std::vector<std::uint8_t>& src = WorldBytes();
  std::vector<std::uint8_t> dst(src.size());
  constexpr int kRounds = 2000;
  const auto start = Clock::now();
  for (int i = 0; i < kRounds; ++i) {
    std::memcpy(dst.data(), src.data(), src.size());
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  return std::chrono::duration<double, std::nano>(Clock::now() - start).count() / kRounds;
}

// Runs `body` as the benchmark's loop and reports its cost in memcpys.
template <class Body>
void AgainstMemcpy(benchmark::State& state, Body body) {
  const double copy = MemcpyNanoseconds();
  const auto start = Clock::now();
  for (auto _ : state) body();
  const double each =
      std::chrono::duration<double, std::nano>(Clock::now() - start).count() / static_cast<double>(state.iterations());
  state.counters["x_memcpy"] = each / copy;
  state.counters["bytes"] = static_cast<double>(WorldBytes().size());
}

void BM_MemcpyWorldBytes(benchmark::State& state) {
  const std::vector<std::uint8_t>& src = WorldBytes();
  std::vector<std::uint8_t> dst(src.size());
  AgainstMemcpy(state, [&] {
    std::memcpy(dst.data(), src.data(), src.size());
    benchmark::DoNotOptimize(dst.data());
  });
}
BENCHMARK(BM_MemcpyWorldBytes);

void BM_OrbitPowerMiningTurn(benchmark::State& state) {
  BenchWorld& world = TheWorld();
  std::uint32_t power = 0;
  std::uint16_t mined[4];
  std::size_t allocations = 0;
  AgainstMemcpy(state, [&] {
    const std::size_t before = bench::g_allocations.load(std::memory_order_relaxed);
    world.solar.AdvanceTurn();
    for (std::uint16_t i = 0; i < g_numAsteroids; ++i) {
      const CGAsteroid* a = world.solar.GetAsteroid(i);
      power += a->GetChapterPowerOutput(a->owner);
      a->GetChapterMiningOutput(a->owner, &mined[0], &mined[1], &mined[2], &mined[3]);
      benchmark::DoNotOptimize(mined);
    }
    allocations += bench::g_allocations.load(std::memory_order_relaxed) - before;
  });
  benchmark::DoNotOptimize(power);
  state.counters["allocs"] = static_cast<double>(allocations);
  if (allocations != 0) state.SkipWithError("the turn's orbit step allocated");
  state.SetItemsProcessed(state.iterations() * kMaxAsteroids);
}
BENCHMARK(BM_OrbitPowerMiningTurn);

void BM_SaveWorldToMemory(benchmark::State& state) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(WorldBytes().size());
  AgainstMemcpy(state, [&] {
    TheWorld().Save(bytes);
    benchmark::DoNotOptimize(bytes.data());
  });
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(WorldBytes().size()));
}
BENCHMARK(BM_SaveWorldToMemory);

void BM_LoadWorldFromMemory(benchmark::State& state) {
  const std::vector<std::uint8_t>& bytes = WorldBytes();
  BenchWorld& world = TheWorld();
  bool ok = true;
  AgainstMemcpy(state, [&] { ok = world.Load(bytes) && ok; });
  if (!ok) state.SkipWithError("the saved world did not load");
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_LoadWorldFromMemory);

}  // namespace
