// The info panel's pages over the built installation, each as a ratio to a
// whole-screen flush timed in the same run: building and sorting the ship
// list of 2,000 units, the modules-in-use count over them against one plain
// pass over the units, and the draw of each page; with the heap allocations
// of a redraw in which nothing changed.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/base/GIDString.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GNotify.h"
#include "Game/model/GUnit.h"
#include "Game/net/GuildPackets.h"
#include "Game/panels/CInfoPanel.h"
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

constexpr std::uint16_t kLocal = 9;
constexpr int kUnits = 2000;

class BenchView : public CVGeneric {
 public:
  BenchView(HWND window, HINSTANCE instance) : CVGeneric(window, instance) {}
  ViewType GetViewType() const override { return VIEW_SOLAR; }
};

// A game of 20 asteroids with 2,000 units of the local chapter, 100 designs,
// 30 battles, chat messages and notes.
struct Screen {
  Screen() {
    const std::string config = std::string(QUEN_BUILD_DIR) + "/gamedata/config";
    setenv("QUENBAR_CONFIG_DIR", config.c_str(), 1);
    SetProgramModulePath(std::string(QUEN_BUILD_DIR) + "/Game/quenbar.dll");
    StartHeadlessBackend();
    window = bench::OpenMainWindow("BenchInfoPages", WS_CLIPCHILDREN);
    g_gameData = new CGameData(kLocal, 8);
    CGameData& g = *g_gameData;
    g.textIndex = std::make_unique<CIDString>();
    g.solarDB.CreateAsteroidArray(20);
    for (std::uint16_t a = 0; a < 20; ++a) {
      auto rock = std::make_unique<CGAsteroid>(a);
      rock->SetName(("Rock " + std::to_string(a)).c_str());
      g.solarDB.SetAsteroid(std::move(rock));
    }
    for (int d = 0; d < 100; ++d) {
      auto* t = new CGUnitTemplate(kLocal, static_cast<std::int32_t>((std::uint32_t{kLocal} << 26) | 0x1000 | d));
      t->unitClass = static_cast<std::uint8_t>(d % 11);
      t->name = "Design " + std::to_string(d);
      t->creationTurnHigh = 3;
      t->slots[d % 20] = {static_cast<std::uint16_t>(d % 7), 2};
      g.templates.AddTemplate(t, kLocal);
      designs[d] = t;
    }
    for (int u = 0; u < kUnits; ++u) {
      const Location at{static_cast<std::uint16_t>(u % 21), 0, 0, 0};
      CGUnit* unit = g.pieces.CreateUnit(designs[u % 100], &at, kLocal, (std::uint32_t{kLocal} << 26) | (u + 1));
      unit->SetName(("Unit " + std::to_string((u * 7919) % kUnits)).c_str());
      unit->hullDamage = static_cast<std::uint8_t>(u % 90);
    }
    for (int b = 0; b < 30; ++b) g.notifications->Add(kLocal, 4, 401, "", "", 1, b % 20, 0);
    CGChapter* local = g.GetLocalChapter();
    for (int i = 0; i < 20; ++i) local->AddNote(("A note about the plan " + std::to_string(i)).c_str());
    // Chat to all, to the guild and between two chapters, one intercepted.
    for (int i = 0; i < 6; ++i) {
      ChatPacket chat;
      chat.sender = static_cast<std::uint8_t>(i % 2 ? kLocal : 17);
      chat.target = static_cast<std::uint8_t>(i % 3 == 0 ? kChatToAll : i % 3 == 1 ? kChatToGuild : 20);
      chat.intercepted = i == 2;
      chat.text = "Meet at the belt before turn " + std::to_string(10 + i) + ", with every frigate we have left";
      local->AddChatMessage(chat.Build());
    }
    view = std::make_unique<BenchView>(window, nullptr);
    g_currentView = view.get();
    SuspendScreenFlush(0);
    InstallPanelFrame(true);
    FlushScreen();
  }
  ~Screen() {
    InstallPanelFrame(false);
    g_currentView = nullptr;
    view.reset();
    bench::CloseScreen();
  }
  HWND window = nullptr;
  std::unique_ptr<BenchView> view;
  CGUnitTemplate* designs[100] = {};
};

void FlushWhole() {
  AddDirtyRect({0, 0, 800, 600});
  FlushScreen();
}

void BM_ShipListBuildAndSort2000(benchmark::State& state) {
  Screen s;
  SharedScreen().infoPanel->SetType(2);
  Against(
      state, "ratio_to_whole_flush",
      [] {
        SharedScreen().infoPanel->BuildShipList();
        SharedScreen().infoPanel->shipSortKey =
            static_cast<std::uint8_t>((SharedScreen().infoPanel->shipSortKey + 1) % 5);
      },
      FlushWhole);
}
BENCHMARK(BM_ShipListBuildAndSort2000);

// One pass over the local chapter's units as the count walks them.
std::uint32_t PlainPass() {
  std::uint32_t seen = 0;
  for (std::uint16_t a = 0; a < g_numAsteroids; ++a) {
    const std::uint32_t n = g_gameData->pieces.CountOperationalUnits(a, kLocal);
    for (std::uint32_t k = 0; k < n; ++k) seen += g_gameData->pieces.GetOperationalUnitAt(a, kLocal, k) != nullptr;
  }
  return seen;
}

void BM_ModulesInUse2000(benchmark::State& state) {
  Screen s;
  Against(
      state, "ratio_to_one_pass", [] { SharedScreen().infoPanel->CountModulesInUse(); },
      [] { benchmark::DoNotOptimize(PlainPass()); });
}
BENCHMARK(BM_ModulesInUse2000);

// The draw of page type state.range(0), then the allocations of one more
// draw with nothing changed.
void BM_DrawPage(benchmark::State& state) {
  Screen s;
  const auto type = static_cast<std::uint8_t>(state.range(0));
  SharedScreen().infoPanel->SetType(type);
  SharedScreen().infoPanel->Draw();
  Against(
      state, "ratio_to_whole_flush", [] { SharedScreen().infoPanel->Draw(); }, FlushWhole);
  const std::size_t before = bench::g_allocations.load();
  SharedScreen().infoPanel->Draw();
  state.counters["allocations_per_redraw"] = static_cast<double>(bench::g_allocations.load() - before);
}
// What one text of the screen's drawing costs in allocations, to read the
// pages' figures against.
void BM_OneScreenText(benchmark::State& state) {
  Screen s;
  for (auto _ : state) DrawScreenText("Order of Harmony", 10, 10, 150, 0xFFFFFF, 0, 0, 0);
  const std::size_t before = bench::g_allocations.load();
  DrawScreenText("Order of Harmony", 10, 10, 150, 0xFFFFFF, 0, 0, 0);
  state.counters["allocations_per_text"] = static_cast<double>(bench::g_allocations.load() - before);
}
BENCHMARK(BM_OneScreenText);

BENCHMARK(BM_DrawPage)->Arg(0)->Arg(2)->Arg(5)->Arg(6)->Arg(7)->Arg(8)->Arg(9)->Arg(10)->Arg(11);

}  // namespace
