// The data panel's read-outs over the built installation, each as a ratio to a
// whole-screen flush timed in the same run; the load and release of the
// asteroid pictures' module against an asteroid read-out (the panel keeps the
// module open, as this load would otherwise dominate); and the heap
// allocations of showing the same module a second time (the rows are written
// anew, the picture is not drawn again; callers skip a repeated hover).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/base/GInstData.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/model/GUnit.h"
#include "Game/panels/CVData.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GUnitTem.h"
#include "Game/views/frame/CVGeneric.h"
#include "bench/against.h"
#include "bench/bench_screen.h"
#include "bench/count_allocations.h"
#include "media/CDDraw.h"
#include "platform/backend/headless.h"
#include "platform/resource/module.h"
#include "platform/user/window.h"

namespace {

using namespace plat;

// The installation settings open the registry while the program starts: its
// place is given before them.
struct UseBuiltInstallation {
  UseBuiltInstallation() {
    setenv("QUENBAR_CONFIG_DIR", (std::string(QUEN_BUILD_DIR) + "/gamedata/config").c_str(), 1);
  }
};
__attribute__((init_priority(150))) UseBuiltInstallation g_useBuiltInstallation;

class BenchView : public CVGeneric {
 public:
  BenchView(HWND window, HINSTANCE instance) : CVGeneric(window, instance) {}
  ViewType GetViewType() const override { return VIEW_SOLAR; }
};

// A game's screen over the installation the build made, with an asteroid and a unit.
struct Screen {
  Screen() {
    StartHeadlessBackend();
    WNDCLASSEX wc;
    wc.lpszClassName = "BenchDataPanel";
    wc.lpfnWndProc = DefWindowProc;
    RegisterClassEx(&wc);
    window = CreateWindowEx(0, "BenchDataPanel", "", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr, nullptr,
                            nullptr);
    g_ddraw = new CDDraw(window, 1);
    g_gameData = new CGameData(9, 8);
    if (!g_gameData->RulesLoaded() || !g_gameData->ResourcesComplete()) std::abort();  // no installation built
    g_gameData->solarDB.CreateStarArray(1);
    g_gameData->solarDB.CreateStars();
    g_gameData->solarDB.CreateAsteroidArray(4);
    for (std::uint16_t i = 0; i < 4; ++i) {
      auto a = std::make_unique<CGAsteroid>(i);
      a->SetName("Bench");
      a->sizeClass = 2;
      a->CreateZones();
      g_gameData->solarDB.SetAsteroid(std::move(a));
    }
    auto* design = new CGUnitTemplate(9, static_cast<std::int32_t>((9u << 26) | 0x100));
    design->SetName("Bench");
    if (g_gameData->hullDB) design->SetHull(g_gameData->hullDB->GetHull(1, 0));
    g_gameData->templates.AddTemplate(design, 9);
    const Location at{1, 0, 0, 0};
    unit = g_gameData->pieces.CreateUnit(design, &at, 9, (9u << 26) | 1);
    view = std::make_unique<BenchView>(window, nullptr);
    SuspendScreenFlush(0);
    FlushScreen();
  }
  ~Screen() {
    view.reset();
    bench::CloseScreen();
  }
  HWND window = nullptr;
  CGUnit* unit = nullptr;
  std::unique_ptr<BenchView> view;
};

void FlushWhole() {
  AddDirtyRect({0, 0, 800, 600});
  FlushScreen();
}

void BM_UnitReadOut(benchmark::State& state) {
  Screen s;
  Against(
      state, "ratio_to_whole_flush", [&] { SharedScreen().dataPanel->ShowUnitData(s.unit, 1, 0); }, FlushWhole);
}
BENCHMARK(BM_UnitReadOut);

void BM_ModuleReadOut(benchmark::State& state) {
  Screen s;
  Against(
      state, "ratio_to_whole_flush", [&] { SharedScreen().dataPanel->ShowModuleData(0, 0, 1); }, FlushWhole);
}
BENCHMARK(BM_ModuleReadOut);

void BM_HullReadOut(benchmark::State& state) {
  Screen s;
  const CGHull* hull = g_gameData->hullDB ? g_gameData->hullDB->GetHull(1, 0) : nullptr;
  Against(
      state, "ratio_to_whole_flush", [&] { SharedScreen().dataPanel->ShowHullCosts(hull); }, FlushWhole);
}
BENCHMARK(BM_HullReadOut);

void BM_AsteroidReadOut(benchmark::State& state) {
  Screen s;
  Against(
      state, "ratio_to_whole_flush", [&] { SharedScreen().dataPanel->ShowAsteroidData(1, 0); }, FlushWhole);
}
BENCHMARK(BM_AsteroidReadOut);

// What an asteroid read-out would spend on opening and letting go of its picture module.
void BM_AsteroidModuleLoad(benchmark::State& state) {
  Screen s;
  char path[260];
  g_instData.BuildPath(path, "asneex.dll", INSTPATH_ART);
  Against(
      state, "ratio_to_asteroid_read_out",
      [&] {
        HMODULE m = LoadLibrary(path);
        benchmark::DoNotOptimize(m);
        if (m) FreeLibrary(m);
      },
      [&] { SharedScreen().dataPanel->ShowAsteroidData(1, 0); });
}
BENCHMARK(BM_AsteroidModuleLoad);

void BM_ZoneReadOut(benchmark::State& state) {
  Screen s;
  CGAsteroid* a = g_gameData->solarDB.GetAsteroid(1);
  CSprite* icons[4] = {};
  Against(
      state, "ratio_to_whole_flush", [&] { SharedScreen().dataPanel->ShowZoneInfo(3, 3, a, s.unit, icons, 1); },
      FlushWhole);
}
BENCHMARK(BM_ZoneReadOut);

void BM_StarReadOut(benchmark::State& state) {
  Screen s;
  Against(
      state, "ratio_to_whole_flush", [&] { SharedScreen().dataPanel->ShowStarData(0); }, FlushWhole);
}
BENCHMARK(BM_StarReadOut);

void BM_TemplateList(benchmark::State& state) {
  Screen s;
  Against(
      state, "ratio_to_whole_flush", [&] { SharedScreen().dataPanel->ShowTemplateList(s.unit, 0, nullptr); },
      FlushWhole);
}
BENCHMARK(BM_TemplateList);

void BM_GuildList(benchmark::State& state) {
  Screen s;
  Against(
      state, "ratio_to_whole_flush", [&] { SharedScreen().dataPanel->ShowGuildList(); }, FlushWhole);
}
BENCHMARK(BM_GuildList);

// The same module shown again: rows are drawn anew, the picture is not.
void BM_SameModuleAgain(benchmark::State& state) {
  Screen s;
  SharedScreen().dataPanel->ShowModuleData(0, 0, 1);
  const std::size_t before = bench::g_allocations.load();
  for (auto _ : state) SharedScreen().dataPanel->ShowModuleData(0, 0, 1);
  state.counters["allocations_per_show"] =
      static_cast<double>(bench::g_allocations.load() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_SameModuleAgain);

}  // namespace
