// The solar view over the built installation with 150 asteroids and 200
// units in solar space, each figure a ratio to a baseline timed in the same
// run (one frame whose only object is a textured picture filling the
// viewport): a full solar frame, and one step of the future view (the orbits
// moved a turn and every asteroid object placed again); and the heap
// allocations of those frames and steps, which must be none.

#include <benchmark/benchmark.h>

#include <memory>

#include "Game/app/AppGlobals.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/views/space/CVSolar.h"
#include "Game/views/world/CVSgWorld.h"
#include "bench/against.h"
#include "bench/bench_fill.h"
#include "bench/bench_screen.h"
#include "bench/count_allocations.h"
#include "media/CDDraw.h"
#include "platform/backend/headless.h"
#include "platform/user/window.h"

namespace {

using namespace plat;

constexpr std::uint16_t kAsteroids = 150;
constexpr std::uint32_t kUnits = 200;

struct FakeView : IGameView {
  ViewType GetViewType() const override { return VIEW_SOLAR; }
};

struct Screen {
  Screen() {
    bench::UseBuiltInstallation();
    window = bench::OpenMainWindow("BenchSolarView");
    g_gameData = new CGameData(9, 8);
    g_gameData->solarDB.CreateAsteroidArray(kAsteroids);
    for (std::uint16_t a = 0; a < kAsteroids; ++a) {
      auto asteroid = std::make_unique<CGAsteroid>(a);
      const Location at{0, static_cast<std::int16_t>((a % 15) * 4000 - 30000),
                        static_cast<std::int16_t>((a / 15) * 6000 - 30000), static_cast<std::int16_t>(a * 300)};
      asteroid->SetPosition(&at);
      asteroid->sizeClass = static_cast<std::uint8_t>(a % 5);
      g_gameData->solarDB.SetAsteroid(std::move(asteroid));
    }
    for (std::uint32_t n = 1; n <= kUnits; ++n) {
      const Location at{kAsteroids, static_cast<std::int16_t>((n % 20) * 3000 - 30000),
                        static_cast<std::int16_t>((n / 20) * 5000 - 25000), 0};
      g_gameData->pieces.CreateUnit(nullptr, &at, 9, (9u << 26) | n);
    }
    // Every asteroid in view: no fog of war.
    g_gameData->SetGuildScanVisibility(0);
    view = std::make_unique<CVSolar>(window, nullptr);
    SuspendScreenFlush(0);
    world = g_sgWorld;
    g_currentView = &fake;
    // Past the start screen, the camera over the whole system.
    view->Render(-1);
    view->LeaveStartScreen();
    view->SetCameraMode(3);
    world->SetCameraPosition(1100.0, 1100.0, 900.0);
    world->SetCameraOrientationXYZ(0, 0, 1, 0, 1, 0);
    view->RefreshObjects(1);
  }
  ~Screen() {
    g_currentView = nullptr;
    view.reset();
    bench::CloseScreen();
  }
  void SolarFrame() {
    world->redraw = 1;
    benchmark::DoNotOptimize(view->DrawFrame());
  }
  HWND window = nullptr;
  std::unique_ptr<CVSolar> view;
  CVSgWorld* world = nullptr;
  FakeView fake;
};

void BM_SolarFrame150Asteroids200Units(benchmark::State& state) {
  Screen s;
  bench::ViewportFill fill(s.world);
  g_animElapsedMs = 0;
  Against(
      state, "ratio_to_full_viewport_fill", [&] { s.SolarFrame(); }, [&] { fill.Draw(); });
}
BENCHMARK(BM_SolarFrame150Asteroids200Units);

void BM_FutureStep150Asteroids(benchmark::State& state) {
  Screen s;
  bench::ViewportFill fill(s.world);
  s.view->ToggleFutureView();
  Against(
      state, "ratio_to_full_viewport_fill", [&] { s.view->FutureStep(0); }, [&] { fill.Draw(); });
}
BENCHMARK(BM_FutureStep150Asteroids);

// A drawn frame and a future step, each counted alone.
void Allocations(benchmark::State& state, bool step) {
  Screen s;
  s.view->ToggleFutureView();
  s.SolarFrame();
  s.view->FutureStep(0);
  g_animElapsedMs = 0;
  const std::size_t before = bench::g_allocations.load();
  for (auto _ : state) {
    if (step)
      s.view->FutureStep(0);
    else
      s.SolarFrame();
  }
  state.counters["allocations_per_call"] =
      static_cast<double>(bench::g_allocations.load() - before) / static_cast<double>(state.iterations());
}
void BM_SolarFrameAllocations(benchmark::State& state) { Allocations(state, false); }
BENCHMARK(BM_SolarFrameAllocations);
void BM_FutureStepAllocations(benchmark::State& state) { Allocations(state, true); }
BENCHMARK(BM_FutureStepAllocations);

}  // namespace
