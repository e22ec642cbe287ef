// Reading one movement phase of a battle replay (40 units, each moving and
// firing three shots with two hits each, one step a shot) against one fread of the same bytes
// measured in the same run: counter "x_fread" says how many such plain reads
// the phase costs, "allocs" the heap calls per phase (the events themselves go
// to a sink that keeps nothing, so this is the reader's own cost).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "Game/net/ReplayFormat.h"
#include "Game/net/ReplayReader.h"
#include "bench/count_allocations.h"
#include "platform/core/dospath.h"
#include "platform/core/files.h"

namespace {

constexpr int kUnits = 40;
constexpr std::uint32_t kFirstId = 9u << 26;

class Sink : public replay::ReplaySink {
 public:
  void AddUnit(const replay::UnitRecord&, bool) override {}
  bool HasUnit(std::uint32_t id) override { return id - kFirstId < kUnits; }
  void MoveUnit(std::uint32_t, const Location& to, std::uint32_t) override { benchmark::DoNotOptimize(to); }
  std::size_t QueueEvent(const replay::EventRecord& event) override {
    benchmark::DoNotOptimize(event.bytes);
    return ++events;
  }
  void WreckUnit(std::uint32_t) override {}
  std::size_t events = 0;
};

std::vector<std::uint8_t> Phase() {
  replay::ReplayBuilder r;
  for (int u = 0; u < kUnits; ++u) {
    const std::uint32_t id = kFirstId + static_cast<std::uint32_t>(u);
    // One move record per step, each with its shot, as the server writes them.
    for (int s = 0; s < 3; ++s) {
      r.Move(id, {4, static_cast<std::int16_t>(u + s), 5, 6}, 12);
      r.Shot(7, kFirstId + static_cast<std::uint32_t>((u + 1) % kUnits)).Hit(40, 3).Hit(1253, 2).End(10);
    }
  }
  r.Code(1);
  return r.bytes();
}

void BM_ReadMovementPhase(benchmark::State& state) {
  const auto dir = std::filesystem::temp_directory_path() / ("quenbench-replay-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  plat::SetDrive('Q', dir);
  const std::vector<std::uint8_t> bytes = Phase();
  if (plat::FILE* out = plat::fopen("Q:\\4.rpl", "wb")) {
    plat::fwrite(bytes.data(), 1, bytes.size(), out);
    plat::fclose(out);
  }
  plat::FILE* in = plat::fopen("Q:\\4.rpl", "rb");
  Sink sink;
  replay::ReplayReader reader(in, sink);
  using Clock = std::chrono::steady_clock;
  std::vector<std::uint8_t> plain(bytes.size());
  double phaseNs = 0, plainNs = 0;
  std::size_t allocations = 0, phases = 0, events = 0;
  for (auto _ : state) {
    plat::rewind(in);
    sink.events = 0;
    const std::size_t before = bench::g_allocations;
    const auto t0 = Clock::now();
    benchmark::DoNotOptimize(reader.ReadMovementPhase());
    const auto t1 = Clock::now();
    allocations += bench::g_allocations - before;
    events += sink.events;
    plat::rewind(in);
    const auto t2 = Clock::now();
    benchmark::DoNotOptimize(plat::fread(plain.data(), 1, plain.size(), in));
    const auto t3 = Clock::now();
    phaseNs += std::chrono::duration<double, std::nano>(t1 - t0).count();
    plainNs += std::chrono::duration<double, std::nano>(t3 - t2).count();
    ++phases;
  }
  plat::fclose(in);
  std::filesystem::remove_all(dir);
  state.counters["x_fread"] = plainNs > 0 ? phaseNs / plainNs : 0.0;
  state.counters["allocs"] = phases != 0 ? static_cast<double>(allocations) / static_cast<double>(phases) : 0.0;
  state.counters["events"] = phases != 0 ? static_cast<double>(events) / static_cast<double>(phases) : 0.0;
}
BENCHMARK(BM_ReadMovementPhase);

}  // namespace
