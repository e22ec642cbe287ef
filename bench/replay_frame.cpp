// One frame of the space-battle replay over the built installation: 40 units
// around the battle's asteroid, 20 projectiles in flight and 10 explosions
// on units, drawn by the view as in play. Counter "x_ten_fills" is the
// frame's time as a ratio to ten frames whose only object is a textured
// picture filling the viewport, timed in the same run (the target is under
// one); "allocations_per_frame" counts the heap calls of a frame (none: a
// frame allocates only for the events it reads, and this one reads none).

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/base/GInstData.h"
#include "Game/model/GGameData.h"
#include "Game/views/replay/CVSReplay.h"
#include "Game/views/world/CDispModel.h"
#include "Game/views/world/CVDispUnt.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/DisplayList.h"
#include "bench/bench_fill.h"
#include "bench/bench_screen.h"
#include "bench/count_allocations.h"
#include "media/CDDraw.h"
#include "platform/backend/headless.h"
#include "platform/core/random.h"

namespace {

using namespace plat;

constexpr std::uint16_t kAsteroid = 0;
constexpr std::uint8_t kLocal = 9;
constexpr std::uint8_t kOther = 17;
constexpr int kUnits = 40;
constexpr int kProjectiles = 20;
constexpr int kExplosions = 10;
constexpr int kFills = 10;

struct Screen {
  Screen() {
    bench::UseBuiltInstallation();
    window = bench::OpenMainWindow("BenchReplayFrame");
    bench::MakeOneAsteroidGame(kLocal, kAsteroid);
    plat::srand(7);
    view = std::make_unique<CVSReplay>(window, nullptr);
    SuspendScreenFlush(0);
    world = g_sgWorld;
    g_currentView = view.get();
  }
  ~Screen() {
    g_currentView = nullptr;
    view.reset();
    bench::CloseScreen();
  }
  // The asteroid ahead of the replay's start camera, two fleets on either
  // side of it, shots crossing between them and explosions on the first ten.
  void Populate() {
    CVDispObj* asteroid = view->CreateAsteroidObject(g_gameData->solarDB.GetAsteroid(kAsteroid));
    const double centre[3] = {1100.0, 1100.0, 1100.0};
    if (asteroid) asteroid->SetPosition(centre);
    const std::uint8_t abbreviation[] = {'b', 'a', 't', 't'};
    for (int n = 0; n < kUnits; ++n) {
      const bool mine = n % 2 == 0;
      const std::uint32_t id =
          (static_cast<std::uint32_t>(mine ? kLocal : kOther) << 26) | static_cast<std::uint32_t>(n + 1);
      const double at[3] = {1100.0 + (mine ? -1.0 : 1.0) * (3.0 + (n % 5) * 1.5), 1094.0 + (n % 8) * 1.5,
                            1090.0 + (n / 8) * 3.0};
      if (CVDispUnt* u = view->CreateReplayObject(id, abbreviation, at)) {
        u->UpdateMaterials(0);
        units.push_back(u);
      }
    }
    for (int n = 0; n < kProjectiles && n + 1 < static_cast<int>(units.size()); ++n) {
      CDispModel* shot = view->displayList->CreateModel(0, 0, 0, units[n]->key.id + 1);
      if (!shot) continue;
      shots.push_back(shot);
      pairs.push_back({units[n], units[n + 1]});
    }
    char dir[300];
    std::snprintf(dir, sizeof dir, "%sexplode\\", g_instData.Get3DPath());
    for (int n = 0; n < kExplosions && n < static_cast<int>(units.size()); ++n)
      view->CreateExplosionObject(0, "exp100", dir, units[n], 0, 0);
    Relaunch();
  }
  // Every projectile back at its firer, on its way to its target; misses
  // stray the same way in every run.
  void Relaunch() {
    std::minstd_rand scatter;
    for (std::size_t i = 0; i < shots.size(); ++i) {
      double from[3], to[3];
      pairs[i].first->GetPosition(from);
      pairs[i].second->GetPosition(to);
      shots[i]->SetPosition(from);
      shots[i]->Launch(to, scatter);
    }
  }
  // One step of the animation clock: the explosions show their first picture.
  void WarmUp() {
    g_animElapsedMs = DisplayList::kStepMs;
    world->redraw = 1;
    view->DrawFrame();
  }
  // A whole frame of the view, drawn even if nothing moved; the explosions
  // hold their picture (the animation clock never reaches a step).
  void Frame() {
    g_animElapsedMs = 0;
    world->redraw = 1;
    benchmark::DoNotOptimize(view->DrawFrame());
  }
  HWND window = nullptr;
  std::unique_ptr<CVSReplay> view;
  CVSgWorld* world = nullptr;
  std::vector<CVDispUnt*> units;
  std::vector<CDispModel*> shots;
  std::vector<std::pair<CVDispUnt*, CVDispUnt*>> pairs;
};

void BM_ReplayFrame(benchmark::State& state) {
  Screen s;
  s.Populate();
  bench::ViewportFill fill(s.world);
  s.WarmUp();
  s.Frame();
  using Clock = std::chrono::steady_clock;
  Clock::duration frameTime{}, fillTime{};
  std::size_t allocations = 0;
  for (auto _ : state) {
    // Out of the timing: the shots start over, so every frame has all twenty in flight.
    s.Relaunch();
    const std::size_t before = bench::g_allocations.load();
    const auto t0 = Clock::now();
    s.Frame();
    const auto t1 = Clock::now();
    allocations += bench::g_allocations.load() - before;
    for (int i = 0; i < kFills; ++i) fill.Draw();
    fillTime += Clock::now() - t1;
    frameTime += t1 - t0;
  }
  state.counters["x_ten_fills"] =
      std::chrono::duration<double>(frameTime).count() / std::chrono::duration<double>(fillTime).count();
  state.counters["allocations_per_frame"] = static_cast<double>(allocations) / static_cast<double>(state.iterations());
  state.counters["units"] = static_cast<double>(s.units.size());
  state.counters["projectiles"] = static_cast<double>(s.shots.size());
}
BENCHMARK(BM_ReplayFrame);

}  // namespace
