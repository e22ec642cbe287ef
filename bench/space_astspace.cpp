// The asteroid-space view over the built installation, each figure a ratio to
// one frame whose only object is a textured picture filling the viewport,
// timed in the same run: a whole frame of 200 units around an asteroid with
// the grid and the star field (the target is under ten such fills), the
// labels of those 200 units (under one), and the heap allocations of a warm
// frame and of a warm label pass (none).

#include <benchmark/benchmark.h>

#include <memory>

#include "Game/app/AppGlobals.h"
#include "Game/model/GGameData.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GUnitClass.h"
#include "Game/rules/GUnitTem.h"
#include "Game/views/space/CVAstSpace.h"
#include "Game/views/world/CVSgWorld.h"
#include "bench/against.h"
#include "bench/bench_fill.h"
#include "bench/bench_screen.h"
#include "bench/count_allocations.h"
#include "media/CDDraw.h"
#include "platform/backend/headless.h"
#include "platform/core/random.h"
#include "platform/user/window.h"

namespace {

using namespace plat;

constexpr std::uint16_t kAsteroid = 0;
constexpr std::uint8_t kLocal = 9;

struct FakeView : IGameView {
  ViewType GetViewType() const override { return VIEW_ASTEROID_SPACE; }
};

struct Screen {
  Screen() {
    bench::UseBuiltInstallation();
    window = bench::OpenMainWindow("BenchAstSpace");
    bench::MakeOneAsteroidGame(kLocal, kAsteroid);
    plat::srand(7);
    view = std::make_unique<CVAstSpace>(window, nullptr);
    SuspendScreenFlush(0);
    world = g_sgWorld;
    g_currentView = &fake;
  }
  ~Screen() {
    g_currentView = nullptr;
    view.reset();
    bench::CloseScreen();
  }
  // Two hundred of the local chapter's units spread around the asteroid, the
  // asteroid shown with the grid in the free camera.
  void Populate() {
    design.unitClass = GetUnitClassFromAbbreviation("batt");
    for (std::uint32_t n = 1; n <= 200; ++n) {
      // In front of the home camera, spread over the viewport.
      const Location at{kAsteroid, static_cast<std::int16_t>((static_cast<int>(n / 10) % 20 - 10) * 500),
                        static_cast<std::int16_t>((static_cast<int>(n % 7) - 3) * 500),
                        static_cast<std::int16_t>(3000 + static_cast<int>(n % 10) * 1500)};
      CGUnit* unit =
          g_gameData->pieces.CreateUnit(&design, &at, kLocal, (static_cast<std::uint32_t>(kLocal) << 26) | n);
      if (unit) unit->unoperational = 0;
    }
    view->Render(static_cast<std::int32_t>(0xFFFF0000u | kAsteroid));
    view->RebuildGrid();
    view->RefreshObjects(1);
  }
  // Labels on for every unit: all pass the filter, whose marks the labels replace.
  void LabelsOn() {
    view->ToggleFilter(5);
    view->ToggleUnitHalos();
  }
  // A whole frame, drawn even though nothing moved.
  void WholeFrame() {
    world->redraw = 1;
    benchmark::DoNotOptimize(view->DrawFrame());
  }
  HWND window = nullptr;
  // Every unit of one class, so each shows that class's model.
  CGUnitTemplate design{kLocal, 1};
  std::unique_ptr<CVAstSpace> view;
  CVSgWorld* world = nullptr;
  FakeView fake;
};

void BM_AsteroidSpaceFrameOf200Units(benchmark::State& state) {
  Screen s;
  s.Populate();
  bench::ViewportFill fill(s.world);
  g_animElapsedMs = 0;
  s.WholeFrame();
  Against(
      state, "ratio_to_full_viewport_fill", [&] { s.WholeFrame(); }, [&] { fill.Draw(); });
}
BENCHMARK(BM_AsteroidSpaceFrameOf200Units);

void BM_LabelsOf200Units(benchmark::State& state) {
  Screen s;
  s.Populate();
  bench::ViewportFill fill(s.world);
  s.LabelsOn();
  g_animElapsedMs = 0;
  s.WholeFrame();
  Against(
      state, "ratio_to_full_viewport_fill", [&] { s.view->DrawUnitLabels(); }, [&] { fill.Draw(); });
  s.view->ToggleUnitHalos();
}
BENCHMARK(BM_LabelsOf200Units);

void BM_AsteroidSpaceFrameAllocations(benchmark::State& state) {
  Screen s;
  s.Populate();
  s.LabelsOn();
  g_animElapsedMs = 0;
  s.WholeFrame();
  s.view->DrawUnitLabels();
  std::size_t frames = 0, labels = 0;
  for (auto _ : state) {
    std::size_t before = bench::g_allocations.load();
    s.WholeFrame();
    frames += bench::g_allocations.load() - before;
    before = bench::g_allocations.load();
    s.view->DrawUnitLabels();
    labels += bench::g_allocations.load() - before;
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["allocations_per_frame"] = static_cast<double>(frames) / n;
  state.counters["allocations_per_label_pass"] = static_cast<double>(labels) / n;
  s.view->ToggleUnitHalos();
}
BENCHMARK(BM_AsteroidSpaceFrameAllocations);

}  // namespace
