// The design chamber over the built installation, each as a ratio to one
// 585 x 367 blit timed in the same run: a full redraw of the design area with
// the slots of the guild's roomiest hull fitted (up to its twenty), and
// building the module list of every module with its pictures; and the heap
// allocations of a warm redraw.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/base/GInstData.h"
#include "Game/model/GGameData.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GUnitTem.h"
#include "Game/views/flat/CVDesign.h"
#include "bench/against.h"
#include "bench/bench_screen.h"
#include "bench/count_allocations.h"
#include "media/CDDraw.h"
#include "platform/backend/headless.h"
#include "platform/core/clock.h"
#include "platform/core/dospath.h"
#include "platform/core/registry.h"
#include "platform/resource/module.h"
#include "platform/user/window.h"

namespace {

using namespace plat;

struct Chamber {
  Chamber() {
    const std::string build = QUEN_BUILD_DIR;
    setenv("QUENBAR_CONFIG_DIR", (build + "/gamedata/config").c_str(), 1);
    // The rules come from the built installation's drive and settings.
    SetDrive('C', std::filesystem::path(build) / "gamedata/c");
    SetRegistryFile(std::filesystem::path(build) / "gamedata/config/registry.reg");
    g_instData.~CInstData();
    new (&g_instData) CInstData();
    StartHeadlessBackend();
    UseVirtualClock(1000);
    window = bench::OpenMainWindow("BenchDesignChamber", WS_CLIPCHILDREN);
    g_gameData = new CGameData(9, 8);
    bench::LoadArt(1);
    view = std::make_unique<CDesignView>(window, nullptr);
    g_currentView = view.get();
    SuspendScreenFlush(0);
    view->Render(-1);
    FitRoomiestHull();
  }
  ~Chamber() {
    g_currentView = nullptr;
    view.reset();
    bench::CloseScreen();
    UseRealClock();
  }
  // The guild's hull with the most slots, each slot fitted with the first
  // listed module it takes.
  void FitRoomiestHull() {
    const int guild = g_gameData->GetLocalGuildIndex();
    CGHull* roomiest = nullptr;
    for (int i = 0; i < g_gameData->hullDB->GetHullCount(guild); ++i) {
      CGHull* hull = g_gameData->hullDB->GetHull(guild, i);
      if (!roomiest || hull->GetSlotCount() > roomiest->GetSlotCount()) roomiest = hull;
    }
    if (!roomiest) return;
    const_cast<CGUnitTemplate*>(view->Design())->SetHull(roomiest);
    for (int slot = 0; slot < roomiest->GetSlotCount() && slot < kTemplateSlots; ++slot)
      for (int i = 0; i < view->ListCount(); ++i) {
        const ModuleRecord* record = g_gameData->moduleDB->GetRecord(view->ListEntry(i).module);
        if (record && roomiest->SlotAcceptsModuleType(slot, record->type) &&
            view->PlaceModule(view->ListEntry(i), slot)) {
          ++fitted;
          break;
        }
      }
  }
  HWND window = nullptr;
  std::unique_ptr<CDesignView> view;
  int fitted = 0;
};

void BM_DesignAreaRedraw(benchmark::State& state) {
  Chamber chamber;
  bench::ViewportBlit blit;
  Against(
      state, "ratio_to_blit", [&] { chamber.view->Redraw(0); }, [&] { blit.Draw(); });
  state.counters["slots_fitted"] = chamber.fitted;
}
BENCHMARK(BM_DesignAreaRedraw);

void BM_DesignModuleList(benchmark::State& state) {
  Chamber chamber;
  bench::ViewportBlit blit;
  Against(
      state, "ratio_to_blit", [&] { chamber.view->BuildModuleList(); }, [&] { blit.Draw(); });
  state.counters["entries"] = chamber.view->ListCount();
}
BENCHMARK(BM_DesignModuleList);

void BM_DesignAreaRedrawAllocations(benchmark::State& state) {
  Chamber chamber;
  for (int i = 0; i < 3; ++i) chamber.view->Redraw(0);  // warm
  const std::size_t before = bench::g_allocations.load();
  for (auto _ : state) chamber.view->Redraw(0);
  state.counters["allocations_per_redraw"] =
      static_cast<double>(bench::g_allocations.load() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_DesignAreaRedrawAllocations);

}  // namespace
