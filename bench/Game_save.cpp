// Saving and loading a game (40 chapters, 150 asteroids, 200 or 2,000 units),
// each against one fwrite (for the save) or one fread (for the load) of the
// same bytes measured in the same run, the fastest of 50: counters "x_fwrite"
// and "x_fread" say how many such plain writes or reads the operation costs
// on average, "x_fwrite_least" and "x_fread_least" its fastest time against
// the same baseline (which a neighbour's burst moves least), and "allocs" the
// heap calls each makes. The save goes through its temporary file, forced to
// the disk and renamed into place (the plain write is forced too). A load over
// a running game keeps that game until the file has been read, in case it is
// damaged, and destroys it after; the load from the front end, with no game
// running, shows the load alone. Every load builds a new game root, which
// takes the rules (read from the rules files, or copied from the rules kept
// from them while they are unchanged) and looks for the resource modules:
// "x_fread_root" is that root built alone, timed apart, and
// "x_fread_past_root" and "allocs_past_root" what a load costs past it.
//
// The plain read goes over one buffer round after round, which stays in the
// processor's cache with the file's pages: a load's own read of the same
// bytes into a block of its own, its first step, was timed at 31 against the
// plain read's 14 millionths of a second (2,000 units, from the front end;
// of that load's 239, decoding the game took 163 and the new root 30), its
// block and the pages out of the cache by then. The ratios count that
// difference as the load's.

#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Game/model/GGameData.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GUnitTem.h"
#include "Game/save/GameLoader.h"
#include "Game/save/SaveGame.h"
#include "bench/count_allocations.h"
#include "bench/rules_images.h"
#include "platform/core/dospath.h"
#include "platform/core/files.h"
#include "tests/Game/model/world/world_generator.h"

namespace {

// The rules files as the data build makes them (5 x 40 hulls, 600 modules),
// where an installation that names no folders keeps them: the current one.
void WriteRulesFiles() {
  const auto [hulls, modules] = BenchRulesImages();
  const auto write = [](const char* dosPath, const std::vector<std::uint8_t>& bytes) {
    plat::FILE* fp = plat::fopen(dosPath, "wb");
    if (fp == nullptr || plat::fwrite(bytes.data(), 1, bytes.size(), fp) != bytes.size()) std::abort();
    plat::fclose(fp);
  };
  write("Q:\\hulls.dat", hulls);
  write("Q:\\modules.dat", modules);
}

// Drive Q in a private folder, the current directory: the save directory of
// an installation that names none, holding its rules files. It has no
// resource modules: each root looks for them and goes on without.
class BenchDrive {
 public:
  BenchDrive() : m_dir(std::filesystem::temp_directory_path() / ("quenbench-save-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(m_dir);
    plat::SetDrive('Q', m_dir);
    plat::SetCurrentDosDirectory("Q:\\");
    WriteRulesFiles();
  }
  ~BenchDrive() {
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
  }

 private:
  std::filesystem::path m_dir;
};

void MakeGame(int units) {
  delete g_gameData;
  g_gameData = new CGameData(9, 8);
  world_test::GenerateSolarSystem(g_gameData->solarDB, kMaxAsteroids, 7);
  world_test::GenerateChapters(*g_gameData->guildList, 7);
  CGUnitTemplate* designs[kMaxChapters];
  for (std::uint8_t c = 0; c < kMaxChapters; ++c) {
    designs[c] = new CGUnitTemplate(c, static_cast<std::int32_t>((std::uint32_t{c} << 26) | 0x1000));
    g_gameData->templates.AddTemplate(designs[c], c);
  }
  for (int i = 0; i < units; ++i) {
    const auto c = static_cast<std::uint8_t>(i % kMaxChapters);
    const Location at{static_cast<std::uint16_t>(i % kMaxAsteroids), static_cast<std::int16_t>(i), 0, 0};
    g_gameData->pieces.CreateUnit(designs[c], &at, c, (std::uint32_t{c} << 26) | static_cast<std::uint32_t>(i + 1));
  }
  g_gameData->turn = 40;
}

// The game of `units` units, saved once as Q:\game<units>.clt.
struct Fixture {
  BenchDrive drive;
  std::string name;
  std::vector<std::uint8_t> bytes;
  explicit Fixture(int units) : name("game" + std::to_string(units) + ".clt") {
    MakeGame(units);
    if (!WriteSaveFileAs("", name.c_str(), 1, 0, false)) std::abort();
    bytes = *plat::ReadWholeFile("Q:\\" + name);
  }
};

// The game of `units` units is the running one from here on.
Fixture& Game(int units) {
  static std::map<int, std::unique_ptr<Fixture>> games;
  auto& game = games[units];
  if (!game) game = std::make_unique<Fixture>(units);
  static int running = 0;
  if (running != units || g_gameData == nullptr) {
    MakeGame(units);
    running = units;
  }
  return *game;
}

using Clock = std::chrono::steady_clock;

// The fastest of some rounds of `body`: the plain read or write the
// operations are measured against, as the machine gives it at its least
// disturbed, so that a neighbour's burst during the baseline does not move
// every ratio of the run.
template <class Body>
double FastestNanoseconds(Body body) {
  constexpr int kRounds = 50;
  double fastest = 0;
  for (int i = 0; i < kRounds; ++i) {
    const auto start = Clock::now();
    body();
    const double each = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    if (i == 0 || each < fastest) fastest = each;
  }
  return fastest;
}

double PlainWriteNanoseconds(const Fixture& game) {
  const auto& bytes = game.bytes;
  return FastestNanoseconds([&] {
    plat::FILE* fp = plat::fopen("Q:\\plain.bin", "wbc");
    plat::fwrite(bytes.data(), 1, bytes.size(), fp);
    plat::fclose(fp);
  });
}

double PlainReadNanoseconds(const Fixture& game) {
  std::vector<std::uint8_t> into(game.bytes.size());
  const std::string path = "Q:\\" + game.name;
  return FastestNanoseconds([&] {
    plat::FILE* fp = plat::fopen(path.c_str(), "rb");
    benchmark::DoNotOptimize(plat::fread(into.data(), 1, into.size(), fp));
    plat::fclose(fp);
  });
}

// Times `body` after `prepare`, which is not timed.
template <class Body, class Prepare = void (*)()>
void Against(
    benchmark::State& state, const Fixture& game, const char* counter, double baseline, Body body,
    Prepare prepare = [] {}) {
  double nanoseconds = 0;
  double least = 0;
  std::size_t allocations = 0;
  for (auto _ : state) {
    prepare();
    const std::size_t before = bench::g_allocations.load(std::memory_order_relaxed);
    const auto start = Clock::now();
    body();
    const double each = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    allocations += bench::g_allocations.load(std::memory_order_relaxed) - before;
    nanoseconds += each;
    if (least == 0 || each < least) least = each;
    state.SetIterationTime(each * 1e-9);
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters[counter] = nanoseconds / n / baseline;
  state.counters[std::string(counter) + "_least"] = least / baseline;
  state.counters["allocs"] = static_cast<double>(allocations) / n;
  state.counters["bytes"] = static_cast<double>(game.bytes.size());
}

void BM_SaveGame(benchmark::State& state) {
  const Fixture& game = Game(static_cast<int>(state.range(0)));
  bool ok = true;
  Against(state, game, "x_fwrite", PlainWriteNanoseconds(game),
          [&] { ok = WriteSaveFileAs("", "bench.clt", 2, 0, false) && ok; });
  if (!ok) state.SkipWithError("the save failed");
}
BENCHMARK(BM_SaveGame)->Arg(200)->Arg(2000)->UseManualTime()->Unit(benchmark::kMillisecond);

// A new game root alone, built and dropped with no game running: the rules
// files read and the resource modules looked for, as every load does before
// it reads the game. Its time and heap calls, each a mean of some rounds.
struct RootCost {
  double nanoseconds = 0;
  double allocations = 0;
};

// A player loads a game saved a while before: the save folder's listing,
// which the path look-ups keep only for a folder left alone for two seconds,
// is not made again at every look-up as it is just after a save.
void LetSaveFolderSettle() {
  struct stat st {};
  const auto folder = plat::ResolveDosPath("Q:\\");
  if (!folder || ::stat(folder->c_str(), &st) != 0) return;
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const auto age =
      std::chrono::seconds(now.tv_sec - st.st_mtim.tv_sec) + std::chrono::nanoseconds(now.tv_nsec - st.st_mtim.tv_nsec);
  const auto settled = std::chrono::milliseconds(2100);
  if (age < settled) std::this_thread::sleep_for(settled - age);
}

RootCost NewRootCost() {
  LetSaveFolderSettle();
  constexpr int kRounds = 50;
  RootCost cost;
  for (int i = 0; i < kRounds; ++i) {
    const std::size_t before = bench::g_allocations.load(std::memory_order_relaxed);
    const auto start = Clock::now();
    auto* root = new CGameData(9, 8);
    cost.nanoseconds += std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    cost.allocations += static_cast<double>(bench::g_allocations.load(std::memory_order_relaxed) - before);
    delete root;
  }
  cost.nanoseconds /= kRounds;
  cost.allocations /= kRounds;
  return cost;
}

// The counters of a load past building its new game root.
void CountPastRoot(benchmark::State& state, const RootCost& root, double baseline) {
  state.counters["x_fread_past_root"] = state.counters["x_fread"] - root.nanoseconds / baseline;
  state.counters["x_fread_root"] = root.nanoseconds / baseline;
  state.counters["allocs_past_root"] = state.counters["allocs"] - root.allocations;
}

void BM_LoadGameOverRunningGame(benchmark::State& state) {
  const Fixture& game = Game(static_cast<int>(state.range(0)));
  const RootCost root = NewRootCost();
  const double baseline = PlainReadNanoseconds(game);
  bool ok = true;
  Against(state, game, "x_fread", baseline,
          [&] { ok = CGameLoader::ForRequest(game.name.c_str(), LoadPlace::SaveDirectory).Load() && ok; });
  CountPastRoot(state, root, baseline);
  if (!ok) state.SkipWithError("the load failed");
}
BENCHMARK(BM_LoadGameOverRunningGame)->Arg(200)->Arg(2000)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_LoadGameFromFrontEnd(benchmark::State& state) {
  const Fixture& game = Game(static_cast<int>(state.range(0)));
  delete g_gameData;
  g_gameData = nullptr;
  const RootCost root = NewRootCost();
  const double baseline = PlainReadNanoseconds(game);
  bool ok = true;
  Against(
      state, game, "x_fread", baseline,
      [&] { ok = CGameLoader::ForRequest(game.name.c_str(), LoadPlace::SaveDirectory).Load() && ok; },
      [] {
        // Leaving the running game is not part of the load.
        delete g_gameData;
        g_gameData = nullptr;
      });
  CountPastRoot(state, root, baseline);
  if (!ok) state.SkipWithError("the load failed");
}
BENCHMARK(BM_LoadGameFromFrontEnd)->Arg(200)->Arg(2000)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
