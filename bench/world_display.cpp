// The 3D world over the built installation, each figure a ratio to a baseline
// timed in the same run: 200 unit display objects stepped and drawn against one
// frame whose only object is a textured picture filling the whole viewport
// (under ten is the aim); a star-field strip scroll and a whole sky repaint
// against one blit of the 585 x 367 back buffer; and the heap allocations of a
// warm frame, which must be none.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/base/GInstData.h"
#include "Game/model/GGameData.h"
#include "Game/views/world/CVDispUnt.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/CVStarField.h"
#include "Game/views/world/DisplayList.h"
#include "bench/against.h"
#include "bench/bench_screen.h"
#include "bench/count_allocations.h"
#include "media/CDDraw.h"
#include "media/CSprite.h"
#include "media/ResourceArchive.h"
#include "platform/backend/headless.h"
#include "platform/core/dospath.h"
#include "platform/core/registry.h"
#include "platform/resource/module.h"
#include "platform/user/window.h"
#include "sg/core/datapath.h"
#include "sg/fb/framebuffer.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"
#include "sg/scene/scene.h"

namespace {

using namespace plat;

struct FakeView : IGameView {
  ViewType GetViewType() const override { return VIEW_SOLAR; }
};

// A world with the solar scene and its camera, as the solar view makes them.
struct Stage {
  Stage() {
    bench::UseBuiltInstallation();
    window = bench::OpenMainWindow("BenchWorld");
    screen = new CSprite(g_ddraw, nullptr, kNoColourKey, 800, 600, 0, 0, 0);
    g_gameData = new CGameData(9, 8);
    ArchiveSystemInit(nullptr, 0, 0x10000, 0);
    ArchiveOpen("C:\\QUENBAR\\3DDATA\\3ddata.nob", 0);
    world = new CVSgWorld(nullptr, g_ddraw, screen, 0);
    SGDataPathCreate(world->context, "C:\\QUENBAR\\3DDATA\\", 0, &dataPath);
    world->solarCamera = MakeScene(&world->solarScene);
    world->asteroidCamera = MakeScene(&world->asteroidScene);
    Use(world->solarScene, world->solarCamera);
    world->fogBaseDistance = 400.0;
    list = std::make_unique<DisplayList>(world);
    g_currentView = &view;
  }
  SGInstance* MakeScene(SGScene** out) { return bench::MakeViewScene(world, dataPath, out); }
  void Use(SGScene* scene, SGInstance* camera) {
    world->SetScene(scene);
    world->SetCamera(camera);
    world->SetCameraPosition(1100.0, 1100.0, 1080.0);
    world->SetCameraOrientationXYZ(0, 0, 1, 0, 1, 0);
  }
  ~Stage() {
    g_currentView = nullptr;
    list.reset();
    SGDataPathDestroy(dataPath);
    delete world;
    ArchiveSystemShutdown();
    delete g_gameData;
    delete screen;
    delete g_ddraw;
    g_ddraw = nullptr;
    StopBackend();
  }
  HWND window = nullptr;
  CSprite* screen = nullptr;
  CVSgWorld* world = nullptr;
  SGDataPath* dataPath = nullptr;
  std::unique_ptr<DisplayList> list;
  FakeView view;
};

// 200 units spread over the view, each facing the camera with its picture.
void Populate(Stage& s) {
  for (std::uint32_t i = 0; i < 200; ++i) {
    const std::uint32_t id = ((i % 5) * 8u) << 26 | (i + 1);
    CVDispUnt* u = s.list->CreateUnitFromTemplate(id, "crus", 0);
    const double at[3] = {1088.0 + (i % 20) * 1.2, 1094.0 + (i / 20) * 1.2, 1100.0 + (i % 7)};
    u->SetPosition(at);
    u->heading[0] = static_cast<float>(i % 3) - 1.f;
    u->heading[2] = 1.f;
    u->SelectViewMaterial(255);
  }
}

void BM_TwoHundredUnitsSteppedAndDrawn(benchmark::State& state) {
  Stage s;
  Populate(s);
  // The baseline: one picture filling the viewport, alone in the other scene.
  s.Use(s.world->asteroidScene, s.world->asteroidCamera);
  DisplayList alone(s.world);
  CVDispUnt* big = alone.CreateUnitFromTemplate(1, "batt", 0);
  // Two units in front of the eye (past the near plane), scaled to cover the view.
  const double at[3] = {1100.0, 1100.0, 1082.0};
  big->SetPosition(at);
  big->SelectViewMaterial(255);
  SGInstanceScale(big->instance, 1.7f);
  alone.Update(1, 0, 0);
  Against(
      state, "ratio_to_full_viewport_fill",
      [&] {
        s.Use(s.world->solarScene, s.world->solarCamera);
        g_animElapsedMs = 75;
        s.list->Update(1, 0, 0);
        s.world->RenderFrame();
      },
      [&] {
        s.Use(s.world->asteroidScene, s.world->asteroidCamera);
        s.world->RenderFrame();
      });
}
BENCHMARK(BM_TwoHundredUnitsSteppedAndDrawn)->Unit(benchmark::kMillisecond);

void BM_StarFieldStripScroll(benchmark::State& state) {
  Stage s;
  CVStarField* sky = s.world->starField;
  bool left = false;
  Against(
      state, "ratio_to_viewport_blit",
      [&] {
        sky->ScrollX(left ? -0.01f : 0.01f);
        left = !left;
      },
      [&] { sky->BltToSurface(); });
}
BENCHMARK(BM_StarFieldStripScroll);

void BM_StarFieldRepaint(benchmark::State& state) {
  Stage s;
  CVStarField* sky = s.world->starField;
  Against(
      state, "ratio_to_viewport_blit",
      [&] {
        sky->Clear();
        sky->PaintAll();
      },
      [&] { sky->BltToSurface(); });
}
BENCHMARK(BM_StarFieldRepaint);

void BM_WarmFrameAllocations(benchmark::State& state) {
  Stage s;
  Populate(s);
  for (int i = 0; i < 3; ++i) {
    g_animElapsedMs = 75;
    s.list->Update(1, 0, 0);
    s.world->RenderFrame();
  }
  const std::size_t before = bench::g_allocations.load();
  for (auto _ : state) {
    g_animElapsedMs = 75;
    s.list->Update(1, 0, 0);
    s.world->ScrollStarFieldX(0.01f);
    s.world->redraw = 1;
    s.world->RenderFrame();
  }
  state.counters["allocations_per_frame"] =
      static_cast<double>(bench::g_allocations.load() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_WarmFrameAllocations)->Unit(benchmark::kMillisecond);

}  // namespace
