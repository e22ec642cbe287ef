// The 3D view base over the built installation, each figure a ratio to a
// baseline timed in the same run: a frame step with nothing changed, and the
// reconciliation of 200 units with their display objects, against one frame
// whose only object is a textured picture filling the viewport; and the heap
// allocations of unchanged frames, which must be none.

#include <benchmark/benchmark.h>

#include <memory>

#include "Game/app/AppGlobals.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/views/space/CVB3DView.h"
#include "Game/views/world/CVDispUnt.h"
#include "Game/views/world/CVSgWorld.h"
#include "bench/against.h"
#include "bench/bench_fill.h"
#include "bench/bench_screen.h"
#include "bench/count_allocations.h"
#include "media/CDDraw.h"
#include "platform/backend/headless.h"
#include "platform/user/window.h"
#include "sg/core/datapath.h"

namespace {

using namespace plat;

class BenchView : public CVB3DView {
 public:
  BenchView(HWND window, HINSTANCE instance) : CVB3DView(window, instance) {}
  ViewType GetViewType() const override { return VIEW_ASTEROID_SPACE; }
  std::uint16_t GetCurrentAsteroidId() override { return 0; }
  void HandleObjectPick(CVDispObj*) override {}
  int GetCameraMode() override { return 1; }
  void LocationToWorld(const Location& l, double out[3]) override {
    out[0] = 1000 + (l.x + 32767) * 0.0030518;
    out[1] = 1000 + (l.y + 32767) * 0.0030518;
    out[2] = 1000 + (l.z + 32767) * 0.0030518;
  }
  void PositionObject(const Location& l, CVDispObj* object) override {
    double at[3];
    LocationToWorld(l, at);
    object->SetPosition(at);
  }
  void UpdateCamera(int) override {}
  void CycleCameraMode(int) override {}
};

struct FakeView : IGameView {
  ViewType GetViewType() const override { return VIEW_ASTEROID_SPACE; }
};

struct Screen {
  Screen() {
    bench::UseBuiltInstallation();
    window = bench::OpenMainWindow("BenchSpaceView");
    g_gameData = new CGameData(9, 8);
    g_gameData->solarDB.CreateAsteroidArray(1);
    g_gameData->solarDB.SetAsteroid(std::make_unique<CGAsteroid>(0));
    view = std::make_unique<BenchView>(window, nullptr);
    SuspendScreenFlush(0);
    world = g_sgWorld;
    SGDataPathCreate(world->context, "C:\\QUENBAR\\3DDATA\\", 0, &dataPath);
    world->asteroidCamera = bench::MakeViewScene(world, dataPath, &world->asteroidScene);
    world->fogBaseDistance = 400.0;
    world->SetScene(world->asteroidScene);
    world->SetCamera(world->asteroidCamera);
    world->SetCameraPosition(1100.0, 1100.0, 1080.0);
    world->SetCameraOrientationXYZ(0, 0, 1, 0, 1, 0);
    g_currentView = &fake;
  }
  ~Screen() {
    g_currentView = nullptr;
    SGDataPathDestroy(dataPath);
    view.reset();
    bench::CloseScreen();
  }
  HWND window = nullptr;
  std::unique_ptr<BenchView> view;
  CVSgWorld* world = nullptr;
  SGDataPath* dataPath = nullptr;
  FakeView fake;
};

// Two hundred units of the local chapter at asteroid 0, with their objects.
void Populate(Screen& s) {
  for (std::uint32_t n = 1; n <= 200; ++n) {
    const Location at{0, static_cast<std::int16_t>((n % 20) * 200 - 2000), static_cast<std::int16_t>((n / 20) * 200),
                      0};
    g_gameData->pieces.CreateUnit(nullptr, &at, 9, (9u << 26) | n);
  }
  s.view->UpdateUnitObjects();
}

// The baseline's frame; the view's own camera did not move, so nothing of its
// picture is stale after.
void FullFill(Screen& s, bench::ViewportFill& fill) {
  fill.Draw();
  s.world->redraw = s.world->orientationDirty = s.world->positionDirty = 0;
}

void BM_UnchangedFrame(benchmark::State& state) {
  Screen s;
  Populate(s);
  bench::ViewportFill fill(s.world);
  s.world->redraw = 1;
  s.view->DrawFrame();
  g_animElapsedMs = 0;
  Against(
      state, "ratio_to_full_viewport_fill", [&] { benchmark::DoNotOptimize(s.view->DrawFrame()); },
      [&] { FullFill(s, fill); });
}
BENCHMARK(BM_UnchangedFrame);

void BM_UpdateUnitObjectsFor200Units(benchmark::State& state) {
  Screen s;
  Populate(s);
  bench::ViewportFill fill(s.world);
  Against(
      state, "ratio_to_full_viewport_fill", [&] { s.view->UpdateUnitObjects(); }, [&] { FullFill(s, fill); });
}
BENCHMARK(BM_UpdateUnitObjectsFor200Units);

void BM_UnchangedFrameAllocations(benchmark::State& state) {
  Screen s;
  Populate(s);
  s.world->redraw = 1;
  s.view->DrawFrame();
  g_animElapsedMs = 0;
  const std::size_t before = bench::g_allocations.load();
  for (auto _ : state) benchmark::DoNotOptimize(s.view->DrawFrame());
  state.counters["allocations_per_frame"] =
      static_cast<double>(bench::g_allocations.load() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_UnchangedFrameAllocations);

}  // namespace
