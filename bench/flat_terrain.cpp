// The terrain view over the built installation, each as a ratio to one
// 585 x 367 blit timed in the same run: a full redraw of a size-4 asteroid's
// zones, and one replay step of 100 sprite movers (background put back,
// movers advanced and drawn, labels written); and the heap allocations of
// mover steps once they are warm.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/model/GZone.h"
#include "Game/views/flat/CVTerrain.h"
#include "Game/views/replay/CSpriteMover.h"
#include "bench/against.h"
#include "bench/bench_screen.h"
#include "bench/count_allocations.h"
#include "media/CDDraw.h"
#include "media/CSprite.h"
#include "platform/backend/headless.h"
#include "platform/core/clock.h"
#include "platform/resource/module.h"
#include "platform/user/window.h"

namespace {

using namespace plat;

struct Screen {
  Screen() {
    const std::string build = QUEN_BUILD_DIR;
    setenv("QUENBAR_CONFIG_DIR", (build + "/gamedata/config").c_str(), 1);
    StartHeadlessBackend();
    UseVirtualClock(1000);
    window = bench::OpenMainWindow("BenchTerrainScreen", WS_CLIPCHILDREN);
    g_gameData = new CGameData(9, 8);
    bench::LoadArt(1);
    g_gameData->solarDB.CreateAsteroidArray(1);
    auto a = std::make_unique<CGAsteroid>(0);
    a->sizeClass = 4;
    a->CreateZones();
    for (int z = 0; z < a->GetZoneCount(); ++z) {
      CGZone& zone = *a->GetZone(static_cast<std::uint16_t>(z));
      zone.SetOwner(z % 3 == 0 ? 9 : 254);
      zone.SetAtvCounts(static_cast<std::uint8_t>(z % 4), 1, 0, 2);
      zone.SetMiningValue(static_cast<std::uint8_t>(z % 17));
    }
    g_gameData->solarDB.SetAsteroid(std::move(a));
    view = std::make_unique<CVTerrain>(window, nullptr);
    g_currentView = view.get();
    SuspendScreenFlush(0);
    view->Render(static_cast<std::int32_t>(0xFFFF0000u));
  }
  ~Screen() {
    g_currentView = nullptr;
    view.reset();
    bench::CloseScreen();
    UseRealClock();
  }
  HWND window = nullptr;
  std::unique_ptr<CVTerrain> view;
};

void BM_TerrainFullRedraw(benchmark::State& state) {
  Screen screen;
  bench::ViewportBlit blit;
  Against(
      state, "ratio_to_blit", [&] { screen.view->RedrawAllZones(0); }, [&] { blit.Draw(); });
}
BENCHMARK(BM_TerrainFullRedraw);

// 100 movers (made once the screen is up) on paths across the viewport, half of them in groups of five
// that share their spot (labelled).
struct Movers {
  Movers() : background(g_ddraw, nullptr, kNoColourKey, 585, 367, 0, 0, 0) {
    background.x = 29;
    background.y = 98;
    frame = std::make_unique<CSprite>(g_ddraw, 0, g_gameData->GetGuildModule(1), "comatv.ima", 0, 0, 0);
    for (int i = 0; i < 100; ++i) {
      movers.push_back(std::make_unique<CSpriteMover>(i % 2));
      CSpriteMover& m = *movers.back();
      for (int f = 0; f < 4; ++f) m.AddFrame(frame.get());
    }
    Restart();
  }
  void Restart() {
    list.Clear();
    for (std::size_t i = 0; i < movers.size(); ++i) {
      CSpriteMover& m = *movers[i];
      const int x0 = 40 + static_cast<int>(i * 5) % 500, y0 = 110 + static_cast<int>(i * 3) % 300;
      const int group = static_cast<int>(i / 5);
      m.SetPath(x0, y0, 60 + group * 20, 120 + group * 15, 1000);
      m.ChooseFacing();
      m.Start();
      list.Append(&m);
    }
    list.Run();
  }
  int Step() {
    AdvanceVirtualClock(2);
    if (list.state == CSpriteMoverList::STOPPED) Restart();
    return list.UpdateAndDraw(SharedScreen().screenSprite, &background);
  }
  CSprite background;
  std::unique_ptr<CSprite> frame;
  std::vector<std::unique_ptr<CSpriteMover>> movers;
  CSpriteMoverList list;
};

void BM_ReplayStep100Movers(benchmark::State& state) {
  Screen screen;
  Movers movers;
  bench::ViewportBlit blit;
  Against(
      state, "ratio_to_blit", [&] { movers.Step(); }, [&] { blit.Draw(); });
}
BENCHMARK(BM_ReplayStep100Movers);

void BM_ReplayStepAllocations(benchmark::State& state) {
  Screen screen;
  Movers movers;
  for (int i = 0; i < 10; ++i) movers.Step();  // warm
  const std::size_t before = bench::g_allocations.load();
  for (auto _ : state) movers.Step();
  state.counters["allocations_per_tick"] =
      static_cast<double>(bench::g_allocations.load() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ReplayStepAllocations);

}  // namespace
