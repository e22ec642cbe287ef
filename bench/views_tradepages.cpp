// The trade screen's five pages, the research page and the asteroid list over
// 150 asteroids with pools and full boards, each drawing as a ratio to a
// whole-screen flush timed in the same run; and the heap allocations of a
// hover that changes nothing on each of them.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/net/GuildPackets.h"
#include "Game/panels/CInfoPanel.h"
#include "Game/rules/GModuleDB.h"
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

class BenchView : public CVGeneric {
 public:
  BenchView(HWND window, HINSTANCE instance) : CVGeneric(window, instance) {}
  ViewType GetViewType() const override { return VIEW_SOLAR; }
};

constexpr std::uint16_t kAsteroids = 150;

struct Screen {
  Screen() {
    const std::string config = std::string(QUEN_BUILD_DIR) + "/gamedata/config";
    setenv("QUENBAR_CONFIG_DIR", config.c_str(), 1);
    SetProgramModulePath(std::string(QUEN_BUILD_DIR) + "/Game/quenbar.dll");
    StartHeadlessBackend();
    window = bench::OpenMainWindow("BenchTradePages", WS_CLIPCHILDREN);
    g_gameData = new CGameData(9, 8);
    CGameData& g = *g_gameData;
    bench::LoadArt(1);
    Populate(g);
    view = std::make_unique<BenchView>(window, nullptr);
    g_currentView = view.get();
    SuspendScreenFlush(0);
    view->SetInfoPanelVisible(1);
    FlushScreen();
  }
  ~Screen() {
    SharedScreen().infoPanelVisible = 0;
    g_currentView = nullptr;
    view.reset();
    bench::CloseScreen();
    SetProgramModulePath("");
  }
  static void Populate(CGameData& g) {
    g.solarDB.CreateAsteroidArray(kAsteroids);
    CGuild* guild = g.GetLocalGuild();
    for (std::uint16_t i = 0; i < kAsteroids; ++i) {
      auto a = std::make_unique<CGAsteroid>(i);
      char name[32];
      std::snprintf(name, sizeof name, "Rock %03u", i);
      a->SetName(name);
      a->sizeClass = 2;
      a->CreateZones();
      a->detected = 1;
      a->owner = static_cast<std::uint16_t>(i % 3 == 0 ? 9 : i % 3 == 1 ? 12 : 0xFFFF);
      a->AddEvent({static_cast<std::uint8_t>(i % 4), 100u + i, 20u + i % 5, static_cast<std::uint8_t>(i % 3)});
      g.solarDB.SetAsteroid(std::move(a));
      g.poolDB.SetStorageFacilities(i, 1);
      const std::uint32_t stocks[4] = {i * 500u, 1000u, 60000u, 7u};
      g.poolDB.SetMinerals(i, stocks);
      MineralOfferPacket offer;
      offer.seller = static_cast<std::uint8_t>(8 + i % 8);
      offer.asteroid = static_cast<std::uint8_t>(i);
      offer.mineral = static_cast<std::uint8_t>(i % 4);
      offer.amount = static_cast<std::uint16_t>(10 + i);
      offer.price[1] = 3;
      guild->PostMineralOffer(offer.Build().bytes);
    }
    g.moduleDB->count = 0;
    for (int i = 0; i < 30; ++i) {
      ModuleRecord m{};
      std::snprintf(m.name, sizeof m.name, "Shield %02d", i);
      m.guildMask = 2;
      m.type = 0;
      const ModuleRecord records[] = {m};
      g.moduleDB->LoadModules(WriteModulesImage(records));
      g.moduleDB->GetRecord(g.moduleDB->GetCount() - 1)->researchPoints = static_cast<std::uint16_t>(i * 400 + 1);
    }
  }
  HWND window = nullptr;
  std::unique_ptr<BenchView> view;
};

void FlushWhole() {
  AddDirtyRect({0, 0, 800, 600});
  FlushScreen();
}

// The page of `type` (the trade screen on `tradePage`) drawn alone.
void BM_PageDraw(benchmark::State& state) {
  Screen s;
  const auto type = static_cast<std::uint8_t>(state.range(0));
  SharedScreen().infoPanel->SetType(type);
  if (type == 1) SharedScreen().infoPanel->trade.page = static_cast<std::uint8_t>(state.range(1));
  Against(
      state, "ratio_to_whole_flush", [] { SharedScreen().infoPanel->Draw(); }, FlushWhole);
}
BENCHMARK(BM_PageDraw)
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({1, 2})
    ->Args({1, 3})
    ->Args({1, 4})
    ->Args({3, 0})
    ->Args({4, 0});

// The mouse moves within one row of each page: nothing changes, nothing is allocated.
void BM_HoverWithoutChange(benchmark::State& state) {
  Screen s;
  const auto type = static_cast<std::uint8_t>(state.range(0));
  SharedScreen().infoPanel->SetType(type);
  SharedScreen().infoPanel->Draw();
  const int y = type == 1 ? 98 + 60 : type == 3 ? 98 + 32 : 98 + 66;
  SharedScreen().infoPanel->OnMouseMove(200, y);
  const std::size_t before = bench::g_allocations.load();
  for (auto _ : state) {
    SharedScreen().infoPanel->OnMouseMove(200, y);
    SharedScreen().infoPanel->OnMouseMove(230, y + 2);
  }
  state.counters["allocations_per_move"] =
      static_cast<double>(bench::g_allocations.load() - before) / static_cast<double>(2 * state.iterations());
}
BENCHMARK(BM_HoverWithoutChange)->Arg(1)->Arg(3)->Arg(4);

}  // namespace
