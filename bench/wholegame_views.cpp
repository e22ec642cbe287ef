// The views of the whole-game run over that run's own game: the game data's
// block its script writes just before the game is saved at turn 10 (kept in
// tests/e2e/wholegame/data, written again with the run's goldens). Each view's
// frame is timed against one frame whose only object is a textured picture
// filling the viewport, in the same run: the counter is the frame's time as a
// ratio to that fill, and frames_per_second the view's own rate on this
// machine. The views: the solar system, the home asteroid's space and
// surface, and the design chamber. Measured here rather than by the run
// itself: the run's clock is virtual and its machine shared with the server
// it plays against, while here the same game's frames are drawn with nothing
// else running and no timing code in the program. heap_calls_per_frame counts
// the heap calls of a warm frame of each view (steady play makes none).

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "bench/count_heap_calls.h"

#include "Game/app/AppGlobals.h"
#include "Game/base/GBlockStream.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/views/flat/CVDesign.h"
#include "Game/views/flat/CVTerrain.h"
#include "Game/views/space/CVAstSpace.h"
#include "Game/views/space/CVSolar.h"
#include "Game/views/world/CVSgWorld.h"
#include "bench/bench_fill.h"
#include "bench/bench_screen.h"
#include "bench/wholegame_data.h"
#include "media/CDDraw.h"
#include "platform/backend/headless.h"
#include "platform/resource/module.h"
#include "platform/user/window.h"

namespace {

using namespace plat;

constexpr const char* kCounter = "ratio_to_full_viewport_fill";

struct FakeView : IGameView {
  ViewType GetViewType() const override { return VIEW_SOLAR; }
};

// The run's game on the screen: the solar view made first (it makes the 3D
// world the fill is drawn in), the view measured over it.
struct Screen {
  Screen() {
    bench::UseBuiltInstallation();
    window = bench::OpenMainWindow("BenchWholeGame", WS_CLIPCHILDREN);
    failure = bench::LoadWholeGameData();
    if (!failure.empty()) return;
    bench::LoadArt(g_gameData->GetLocalGuildIndex());
    const CGChapter* local = g_gameData->guildList->GetChapter(g_gameData->localChapterId);
    home = local ? local->homeAsteroid : 0;
    solar = std::make_unique<CVSolar>(window, nullptr);
    SuspendScreenFlush(0);
    world = g_sgWorld;
    g_currentView = &fake;
    // Past the start screen, the camera over the whole system as the loaded
    // game shows it.
    solar->Render(-1);
    solar->LeaveStartScreen();
    solar->SetCameraMode(3);
    world->SetCameraPosition(1100.0, 1100.0, 900.0);
    world->SetCameraOrientationXYZ(0, 0, 1, 0, 1, 0);
    solar->RefreshObjects(1);
    fill = std::make_unique<bench::ViewportFill>(world);
  }
  ~Screen() {
    g_currentView = nullptr;
    fill.reset();
    space.reset();
    terrain.reset();
    design.reset();
    solar.reset();
    bench::CloseScreen();
  }
  void Frame(CVB3DView& view) {
    world->redraw = 1;
    benchmark::DoNotOptimize(view.DrawFrame());
  }
  HWND window = nullptr;
  std::string failure;
  std::uint16_t home = 0;
  std::unique_ptr<CVSolar> solar;
  std::unique_ptr<CVAstSpace> space;
  std::unique_ptr<CVTerrain> terrain;
  std::unique_ptr<CDesignView> design;
  CVSgWorld* world = nullptr;
  std::unique_ptr<bench::ViewportFill> fill;
  FakeView fake;
};

// The counter, the frames a second of the view and of the fill, and the
// view's heap calls a frame once warm.
template <typename Frame>
void Measure(benchmark::State& state, Screen& s, Frame frame) {
  using Clock = std::chrono::steady_clock;
  frame();
  Clock::duration frameTime{}, fillTime{};
  std::size_t heapCalls = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    const std::size_t before = bench::g_heapCalls.load(std::memory_order_relaxed);
    frame();
    heapCalls += bench::g_heapCalls.load(std::memory_order_relaxed) - before;
    const auto t1 = Clock::now();
    s.fill->Draw();
    fillTime += Clock::now() - t1;
    frameTime += t1 - t0;
  }
  const double frames = std::chrono::duration<double>(frameTime).count();
  const double fills = std::chrono::duration<double>(fillTime).count();
  const auto n = static_cast<double>(state.iterations());
  state.counters[kCounter] = frames / fills;
  state.counters["frames_per_second"] = n / frames;
  state.counters["fills_per_second"] = n / fills;
  if (bench::kCountsHeapCalls) state.counters["heap_calls_per_frame"] = static_cast<double>(heapCalls) / n;
}

void BM_WholeGameSolarView(benchmark::State& state) {
  Screen s;
  if (!s.failure.empty()) return state.SkipWithError(s.failure.c_str());
  g_animElapsedMs = 0;
  Measure(state, s, [&] { s.Frame(*s.solar); });
}
BENCHMARK(BM_WholeGameSolarView);

void BM_WholeGameAsteroidSpace(benchmark::State& state) {
  Screen s;
  if (!s.failure.empty()) return state.SkipWithError(s.failure.c_str());
  s.space = std::make_unique<CVAstSpace>(s.window, nullptr);
  s.space->Render(static_cast<std::int32_t>(0xFFFF0000u | s.home));
  s.space->RefreshObjects(1);
  g_animElapsedMs = 0;
  Measure(state, s, [&] { s.Frame(*s.space); });
}
BENCHMARK(BM_WholeGameAsteroidSpace);

void BM_WholeGameSurface(benchmark::State& state) {
  Screen s;
  if (!s.failure.empty()) return state.SkipWithError(s.failure.c_str());
  s.terrain = std::make_unique<CVTerrain>(s.window, nullptr);
  g_currentView = s.terrain.get();
  s.terrain->Render(static_cast<std::int32_t>(0xFFFF0000u | s.home));
  Measure(state, s, [&] { s.terrain->RedrawAllZones(0); });
}
BENCHMARK(BM_WholeGameSurface);

void BM_WholeGameDesignChamber(benchmark::State& state) {
  Screen s;
  if (!s.failure.empty()) return state.SkipWithError(s.failure.c_str());
  s.design = std::make_unique<CDesignView>(s.window, nullptr);
  g_currentView = s.design.get();
  s.design->Render(-1);
  Measure(state, s, [&] { s.design->Redraw(0); });
}
BENCHMARK(BM_WholeGameDesignChamber);

}  // namespace
