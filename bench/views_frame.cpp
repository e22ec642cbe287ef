// The game screen's flush and goto bar over the built installation, each as a
// ratio to a baseline timed in the same run: a whole-screen flush and a
// 100 x 20 flush against memcpy of the same bytes; a goto-bar draw, and the
// load and release of its asteroid module alone, against a whole flush; and
// the heap allocations of a frame in which nothing changes; a frame-animation
// step and a lamp row against a whole flush, and frames whose animation step
// is not due, which must not allocate.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/base/GInstData.h"
#include "Game/model/GGameData.h"
#include "Game/views/frame/CVFrameEffects.h"
#include "Game/views/frame/CVGeneric.h"
#include "bench/against.h"
#include "bench/bench_screen.h"
#include "bench/count_allocations.h"
#include "media/CDDraw.h"
#include "media/CSprite.h"
#include "platform/backend/headless.h"
#include "platform/resource/module.h"
#include "platform/user/messages.h"
#include "platform/user/window.h"

namespace {

using namespace plat;

class BenchView : public CVGeneric {
 public:
  BenchView(HWND window, HINSTANCE instance) : CVGeneric(window, instance) {}
  ViewType GetViewType() const override { return VIEW_SOLAR; }
};

// A game's screen over the installation the build made.
struct Screen {
  Screen() {
    const std::string config = std::string(QUEN_BUILD_DIR) + "/gamedata/config";
    setenv("QUENBAR_CONFIG_DIR", config.c_str(), 1);
    StartHeadlessBackend();
    window = bench::OpenMainWindow("BenchGameScreen", WS_CLIPCHILDREN);
    g_gameData = new CGameData(9, 8);
    view = std::make_unique<BenchView>(window, nullptr);
    SuspendScreenFlush(0);
    FlushScreen();
  }
  ~Screen() {
    view.reset();
    bench::CloseScreen();
  }
  HWND window = nullptr;
  std::unique_ptr<BenchView> view;
};

// Runs `op` and `baseline` alternately; the counter is the ratio of their times.
template <typename Op>
void AgainstMemcpy(benchmark::State& state, std::size_t bytes, Op op) {
  std::vector<std::uint8_t> a(bytes, 1), b(bytes);
  Against(state, "ratio_to_memcpy", op, [&] {
    std::memcpy(b.data(), a.data(), a.size());
    benchmark::DoNotOptimize(b.data());
  });
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}

void FlushWhole() {
  AddDirtyRect({0, 0, 800, 600});
  FlushScreen();
}

void BM_FlushWholeScreen(benchmark::State& state) {
  Screen s;
  AgainstMemcpy(state, 800 * 600 * 2, FlushWhole);
}
BENCHMARK(BM_FlushWholeScreen);

void BM_FlushSmallRect(benchmark::State& state) {
  Screen s;
  AgainstMemcpy(state, 100 * 20 * 2, [] {
    AddDirtyRect({300, 200, 400, 220});
    FlushScreen();
  });
}
BENCHMARK(BM_FlushSmallRect);

void BM_GotoBarDraw(benchmark::State& state) {
  Screen s;
  Against(
      state, "ratio_to_whole_flush", [&] { s.view->DrawGotoBar(); }, FlushWhole);
}
BENCHMARK(BM_GotoBarDraw);

// What each goto-bar draw spends on loading and freeing the asteroid module.
void BM_GotoBarModuleLoad(benchmark::State& state) {
  Screen s;
  char path[260];
  g_instData.BuildPath(path, "asneex.dll", INSTPATH_ART);
  Against(
      state, "ratio_to_goto_bar_draw",
      [&] {
        HMODULE m = LoadLibrary(path);
        benchmark::DoNotOptimize(m);
        if (m) FreeLibrary(m);
      },
      [&] { s.view->DrawGotoBar(); });
}
BENCHMARK(BM_GotoBarModuleLoad);

// A frame with no change: the mouse rests over the viewport and over the
// goto bar, no animation is due and nothing is dirty. It must not touch the heap.
void BM_FrameWithoutChange(benchmark::State& state) {
  Screen s;
  SharedScreen().frameAnimation.idle = kFrameAnimationsOff;
  const std::size_t before = bench::g_allocations.load();
  for (auto _ : state) {
    s.view->OnMouseMove(0, MAKELPARAM(300, 250));
    s.view->OnMouseMove(0, MAKELPARAM(300, 30));
    s.view->PlayFrameAnimation(35);
  }
  state.counters["allocations_per_frame"] =
      static_cast<double>(bench::g_allocations.load() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_FrameWithoutChange);

// One frame-animation step (its picture looked up, drawn and flushed; where the
// bench's installation lacks the guild module the lookup finds nothing) and a
// whole lamp row, against a whole flush.
void BM_FrameAnimationStep(benchmark::State& state) {
  Screen s;
  FrameAnimation& a = SharedScreen().frameAnimation;
  a = FrameAnimation{};
  Against(
      state, "ratio_to_whole_flush",
      [&] {
        while (a.kind == kNoFrameAnimation) {
          a.quota = 0;
          a.idle = 1000;
          s.view->AnimateFrame(0);
        }
        s.view->AnimateFrame(61);
      },
      FlushWhole);
  StopFrameAnimation();
}
BENCHMARK(BM_FrameAnimationStep);

void BM_TurnLampRow(benchmark::State& state) {
  Screen s;
  // Lamps of their size in place of pictures the bench's installation may not reach.
  for (CSprite** lamp : {&SharedScreen().turnLampOnSprite, &SharedScreen().turnLampOffSprite}) {
    delete *lamp;
    *lamp = new CSprite(g_ddraw, nullptr, kNoColourKey, 6, 6, 0, 0, 0);
  }
  Against(
      state, "ratio_to_whole_flush", [&] { s.view->SetTurnLampCount(17); }, FlushWhole);
}
BENCHMARK(BM_TurnLampRow);

// Frames while an animation plays but its next step is not yet due.
void BM_FramesWithoutADueStep(benchmark::State& state) {
  Screen s;
  FrameAnimation& a = SharedScreen().frameAnimation;
  a = FrameAnimation{};
  while (a.kind == kNoFrameAnimation) {
    a.quota = 0;
    a.idle = 1000;
    s.view->AnimateFrame(0);
  }
  const std::size_t before = bench::g_allocations.load();
  for (auto _ : state) {
    a.timer = 0;
    s.view->AnimateFrame(35);
  }
  state.counters["allocations_per_frame"] =
      static_cast<double>(bench::g_allocations.load() - before) / static_cast<double>(state.iterations());
  StopFrameAnimation();
}
BENCHMARK(BM_FramesWithoutADueStep);

// The same with the viewport shown again: what a copy to the display costs the heap.
void BM_ViewportFlushAllocations(benchmark::State& state) {
  Screen s;
  const std::size_t before = bench::g_allocations.load();
  for (auto _ : state) FlushViewport();
  state.counters["allocations_per_flush"] =
      static_cast<double>(bench::g_allocations.load() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ViewportFlushAllocations);

}  // namespace
