// The unit computations the order panels run every frame: turns until the
// first order completes and arrival times for 2,000 units with full order
// queues, and the game-piece searches. Each figure is also reported as a
// ratio ("x_scan") to a plain scan over the same units measured in the same
// run, and the searches report the heap allocations they make ("allocs").

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "Game/model/GGamePieceDB.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GTemplateDB.h"
#include "bench/count_allocations.h"
#include "platform/core/bytes.h"
#include "tests/support/small_world.h"
#include "tests/support/test_world.h"

namespace {

constexpr int kUnits = 2000;
constexpr std::uint16_t kAsteroids = 150;

// "hulls.dat": one hull of twenty slots that take any module.
std::vector<std::uint8_t> HullImage() {
  CGHull yard;
  std::strcpy(yard.name, "Yard");
  yard.unitClass = 7;
  yard.attribute = 0;
  yard.mass = 200;
  yard.massLimit = 600;
  yard.available = 1;
  const std::uint16_t costs[] = {100, 50, 20, 10};
  std::copy(std::begin(costs), std::end(costs), yard.costs);
  yard.structurePoints = 200;
  for (HullSlot& slot : yard.slots) slot = HullSlot{10, 10, 1, 1, kSlotAcceptsAny};
  const CGHull* hulls[] = {&yard};
  return WriteHullsImage(hulls);
}

void AppendModule(plat::ByteWriter& w, std::uint8_t type, std::vector<std::uint8_t> typeData) {
  w.Zeros(30);
  w.U8(1);
  w.U8(0);
  w.U8(type);
  for (int i = 0; i < 5; ++i) w.U16(20);
  w.Zeros(10);
  w.U16(0xFFFF);
  w.Zeros(6);
  w.U8(20);
  w.U8(0);
  w.U8(1);
  w.Zeros(6 + 7 + 8 + 2 + 2);
  w.U16(8);
  w.U8(10);
  typeData.resize(kModuleTypeDataSize[type]);
  w.WriteBytes(typeData);
}

// Computer, weapon, drive, power, construction, scout.
std::vector<std::uint8_t> ModuleImage() {
  plat::ByteWriter w;
  AppendModule(w, MODULE_COMPUTER, {2});
  AppendModule(w, MODULE_WEAPON, {2, 10, 20, 0, 10, 0, 3, 70, 40, 0});
  AppendModule(w, MODULE_PROPULSION, {20, 0, 0, 0, 0, 0, 0, 0, 12});
  AppendModule(w, MODULE_POWER, {10, 0, 0x2C, 0x01, 25, 0});
  AppendModule(w, MODULE_CONSTRUCTION, {20});
  AppendModule(w, MODULE_SCOUT, {10});
  return w.Take();
}

// 150 asteroids on a grid 2,500 apart, every pool full.
test_support::SmallWorld::Places Grid() {
  test_support::SmallWorld::Places places;
  for (std::uint16_t a = 0; a < kAsteroids; ++a) {
    places[a] = {kAsteroids, static_cast<std::int16_t>((a % 12) * 2500 - 15000),
                 static_cast<std::int16_t>((a / 12) * 2500 - 15000), 0};
  }
  return places;
}

// 2,000 units spread over 150 asteroids and solar space, each with a queue
// of four orders whose first is one of the kinds the panels show most.
struct Game {
  Game() : hullDB("C:\\nohulls.dat"), moduleDB("C:\\nomodules.dat") {
    const auto hulls = HullImage();
    const auto modules = ModuleImage();
    hullDB.LoadHulls(hulls);
    moduleDB.LoadModules(modules);
    model.hulls = &hullDB;
    model.modules = &moduleDB;
    model.pieces = &pieces;
    model.templates = &templates;
    for (std::uint16_t a = 0; a < kAsteroids; ++a) space.SetPool(a, {1000000, 1000000, 1000000, 1000000});
    CGUnitTemplate design(0, 1);
    design.SetHull(hullDB.GetHull(0, 0));
    for (int s = 0; s < 6; ++s) design.FitModule(s, static_cast<std::uint16_t>(s));
    templates.SetFixedTemplate(design, 0, 0);
    CGUnitTemplate* fixed = templates.GetTemplate(0, 0, 1);
    for (int i = 0; i < kUnits; ++i) {
      const auto asteroid = static_cast<std::uint16_t>(i % (kAsteroids + 1));
      const Location at{asteroid, static_cast<std::int16_t>(1000 + (i / 151) * 350), 600, 0};
      CGUnit* u = pieces.CreateUnit(fixed, &at, 0, static_cast<std::uint32_t>(i + 2));
      u->power = u->GetMaxPower();
      units.push_back(u);
    }
    for (int i = 0; i < kUnits; ++i) {
      CGUnit* u = units[i];
      CGUnit* neighbour = units[(i + 151) % kUnits];
      const Location there{u->location.asteroid, static_cast<std::int16_t>(u->location.x + 2000), -900, 300};
      switch (i % 5) {
        case 0:
          u->OrderToLocation(ORDER_MOVE_TO_LOCATION, &there, kInsertReplace);
          break;
        case 1:
          u->OrderOnAsteroid(ORDER_MOVE_TO_ASTEROID, static_cast<std::uint16_t>((i + 7) % kAsteroids), kInsertReplace);
          break;
        case 2:
          u->IssueOrder(ORDER_ATTACK_UNIT, neighbour->id, kInsertReplace, neighbour, false);
          break;
        case 3:
          u->IssueOrder(ORDER_REPAIR_UNIT, neighbour->id, kInsertReplace, neighbour, false);
          break;
        default:
          u->IssueOrder(ORDER_BUILD_SHIP, fixed->templateId, kInsertReplace, nullptr, false);
          break;
      }
      u->OrderOnAsteroid(ORDER_SCAN_ASTEROID, u->location.asteroid, kInsertAppend);
      u->OrderToLocation(ORDER_MOVE_TO_LOCATION, &there, kInsertAppend);
      u->OrderOnAsteroid(ORDER_RETREAT, 0, kInsertAppend);
    }
  }
  ~Game() {
    model.pieces = nullptr;
    model.templates = nullptr;
    model.hulls = nullptr;
    model.modules = nullptr;
  }

  test_support::TestWorld model;
  test_support::SmallWorld space{model, kAsteroids, Grid()};
  CGHullDB hullDB;
  CGModuleDB moduleDB;
  CGTemplateDB templates;
  CGGamePieceDB pieces;
  std::vector<CGUnit*> units;
};

Game& TheGame() {
  static Game game;
  return game;
}

// The baseline: one pass over the same units reading their place and first
// order; the fastest of several batches, so that a busy moment does not move it.
double ScanSeconds() {
  Game& g = TheGame();
  constexpr int kRounds = 200;
  double best = 1.0;
  for (int batch = 0; batch < 10; ++batch) {
    const auto start = std::chrono::steady_clock::now();
    for (int r = 0; r < kRounds; ++r) {
      std::uint64_t sum = 0;
      for (const CGUnit* u : g.units) {
        const UnitOrder* first = u->GetOrder(0);
        sum += static_cast<std::uint64_t>(u->location.x) + (first != nullptr ? first->type : 0);
      }
      benchmark::DoNotOptimize(sum);
    }
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / kRounds);
  }
  return best;
}

template <class F>
void Measure(benchmark::State& state, F&& body, bool countAllocations) {
  Game& g = TheGame();
  const double scan = ScanSeconds();
  std::size_t allocations = 0;
  double seconds = 0.0;
  std::int64_t passes = 0;
  for (auto _ : state) {
    const std::size_t before = bench::g_allocations.load();
    const auto start = std::chrono::steady_clock::now();
    body(g);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    allocations += bench::g_allocations.load() - before;
    ++passes;
  }
  state.SetItemsProcessed(passes * kUnits);
  state.counters["x_scan"] = passes != 0 ? seconds / passes / scan : 0.0;
  if (countAllocations) state.counters["allocs"] = static_cast<double>(allocations) / static_cast<double>(passes);
}

void BM_PlainScan(benchmark::State& state) {
  Measure(
      state,
      [](Game& g) {
        std::uint64_t sum = 0;
        for (const CGUnit* u : g.units) sum += static_cast<std::uint64_t>(u->location.x);
        benchmark::DoNotOptimize(sum);
      },
      true);
}

void BM_TurnsUntilOrderCompletion(benchmark::State& state) {
  Measure(
      state,
      [](Game& g) {
        for (CGUnit* u : g.units) {
          std::int16_t change = 0;
          benchmark::DoNotOptimize(u->GetNumTurnsUntilOrderCompletion(&change));
        }
      },
      false);
}

void BM_ETA(benchmark::State& state) {
  Measure(
      state,
      [](Game& g) {
        for (CGUnit* u : g.units) benchmark::DoNotOptimize(u->GetETA());
      },
      false);
}

void BM_FindUnit(benchmark::State& state) {
  Measure(
      state,
      [](Game& g) {
        for (const CGUnit* u : g.units) benchmark::DoNotOptimize(g.pieces.FindUnit(u->id, nullptr));
      },
      true);
}

void BM_FindUnitAt(benchmark::State& state) {
  Measure(
      state,
      [](Game& g) {
        for (const CGUnit* u : g.units) benchmark::DoNotOptimize(g.pieces.FindUnitAt(u->location.asteroid, u->id));
      },
      true);
}

void BM_FindNearestUnitAndEnemy(benchmark::State& state) {
  Measure(
      state,
      [](Game& g) {
        std::uint32_t d = 0;
        for (const CGUnit* u : g.units) {
          benchmark::DoNotOptimize(g.pieces.FindNearestUnit(&u->location, u->id, &d, 0));
          benchmark::DoNotOptimize(g.pieces.FindNearestEnemyUnit(&u->location, u->id, &d));
        }
      },
      true);
}

void BM_CountUnits(benchmark::State& state) {
  Measure(
      state,
      [](Game& g) {
        std::uint32_t sum = 0;
        for (const CGUnit* u : g.units) sum += g.pieces.CountOperationalUnits(u->location.asteroid, -1);
        benchmark::DoNotOptimize(sum);
      },
      true);
}

BENCHMARK(BM_PlainScan);
BENCHMARK(BM_TurnsUntilOrderCompletion)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ETA)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindUnit)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindUnitAt)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindNearestUnitAndEnemy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CountUnits)->Unit(benchmark::kMicrosecond);

}  // namespace
