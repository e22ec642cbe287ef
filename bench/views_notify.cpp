// The notification panel and the info panel's flush over the built
// installation, each as a ratio to a whole-screen flush timed in the same
// run: a refresh of the panel with 10,000 entries scrolled to its end, a
// whole flush with the info panel shown; and the heap allocations of frames
// in which the mouse rests over the panel and nothing changes.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/model/GGameData.h"
#include "Game/model/GNotify.h"
#include "Game/panels/CVNotify.h"
#include "Game/views/frame/CVGeneric.h"
#include "bench/against.h"
#include "bench/bench_screen.h"
#include "bench/count_allocations.h"
#include "media/CDDraw.h"
#include "platform/backend/headless.h"
#include "platform/user/messages.h"
#include "platform/user/window.h"

namespace {

using namespace plat;

class BenchView : public CVGeneric {
 public:
  BenchView(HWND window, HINSTANCE instance) : CVGeneric(window, instance) {}
  ViewType GetViewType() const override { return VIEW_SOLAR; }
};

struct Screen {
  Screen() {
    const std::string config = std::string(QUEN_BUILD_DIR) + "/gamedata/config";
    setenv("QUENBAR_CONFIG_DIR", config.c_str(), 1);
    StartHeadlessBackend();
    window = bench::OpenMainWindow("BenchNotifyScreen", WS_CLIPCHILDREN);
    g_gameData = new CGameData(9, 8);
    view = std::make_unique<BenchView>(window, nullptr);
    g_currentView = view.get();
    SuspendScreenFlush(0);
    FlushScreen();
  }
  ~Screen() {
    g_currentView = nullptr;
    view.reset();
    bench::CloseScreen();
  }
  HWND window = nullptr;
  std::unique_ptr<BenchView> view;
};

void FlushWhole() {
  AddDirtyRect({0, 0, 800, 600});
  FlushScreen();
}

// 10,000 lines of the local chapter (unit, trade and game events in turn),
// the panel at its last six.
void FillList() {
  CGNotificationList& list = *g_gameData->notifications;
  list.Clear(kAllChapters);
  for (int i = 0; i < 10000; ++i) {
    static constexpr std::uint16_t kCodes[] = {114, 217, 403};
    const std::uint16_t code = kCodes[i % 3];
    list.Add(9, static_cast<std::uint16_t>(code / 100), code, nullptr, nullptr, 0, 0, 0xFFFFFFFFu);
  }
  SharedScreen().notifyPanel->scrollOffset = 10000 - kNotifyLines;
}

void BM_NotifyRefresh10000(benchmark::State& state) {
  Screen s;
  FillList();
  Against(
      state, "ratio_to_whole_flush", [] { SharedScreen().notifyPanel->Refresh(); }, FlushWhole);
}
BENCHMARK(BM_NotifyRefresh10000);

void BM_FlushWithInfoPanel(benchmark::State& state) {
  Screen s;
  s.view->SetInfoPanelVisible(1);
  Against(
      state, "ratio_to_whole_flush",
      [] {
        SharedScreen().infoPanelVisible = 1;
        FlushWhole();
      },
      [] {
        SharedScreen().infoPanelVisible = 0;
        FlushWhole();
      });
  SharedScreen().infoPanelVisible = 0;
}
BENCHMARK(BM_FlushWithInfoPanel);

// The mouse rests over the notification lines and wheels nothing: no allocation.
void BM_NotifyFrameWithoutChange(benchmark::State& state) {
  Screen s;
  FillList();
  SharedScreen().notifyPanel->Refresh();
  const std::size_t before = bench::g_allocations.load();
  for (auto _ : state) {
    s.view->OnMouseMove(0, MAKELPARAM(300, 530));
    s.view->OnMouseMove(0, MAKELPARAM(300, 580));
  }
  state.counters["allocations_per_frame"] =
      static_cast<double>(bench::g_allocations.load() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_NotifyFrameWithoutChange);

}  // namespace
