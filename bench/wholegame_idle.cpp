// A still game screen: the solar view, and the home asteroid's space, over
// the whole-game run's game (kept in tests/e2e/wholegame/data) left alone on
// the real clock, its suns flaring or its rocks turning and its frame
// animating, with the main loop's idle passes: no message waits, the frame
// timer ticks the view and each pass ends with the main loop's own wait. The
// display shows the screen as the window does, at most every 16 ms and only
// when it changed. Reported: cpu_share, the game thread's processor time over
// the real time (the share of a core the still screen takes); the same for
// passes that each sleep 1 ms, as the loop once did (cpu_share_polling), and
// the ratio of the two (x_polling); the passes and the frames shown a second;
// and the heap calls of each frame-timer tick that animated the view
// (heap_calls_per_tick, and ticks_with_heap_calls, the share of those ticks
// that made any) and of the rest of the passes (heap_calls_per_pass, the
// tick's left out), after a minute of the screen on the virtual clock in which
// the suns flared and the frame animated. Alternating rounds of each, so that
// both see the same load from the rest of the machine.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/app/CFrameTimer.h"
#include "Game/app/IdleWait.h"
#include "Game/base/GBlockStream.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/views/space/CVAstSpace.h"
#include "Game/views/space/CVSolar.h"
#include "Game/views/world/CVSgWorld.h"
#include "bench/bench_screen.h"
#include "bench/count_heap_calls.h"
#include "bench/thread_time.h"
#include "bench/wholegame_data.h"
#include "platform/backend/headless.h"
#include "platform/core/clock.h"
#include "platform/display/screen.h"
#include "platform/user/queue.h"

namespace {

using namespace plat;
using Clock = std::chrono::steady_clock;

constexpr double kRoundSeconds = 1.5;
constexpr int kRounds = 2;

// The window's way of showing the screen: at most every 16 ms, and only a
// screen that differs from the one shown.
class ShowingBackend : public HeadlessBackend {
 public:
  void Service() override {
    HeadlessBackend::Service();
    const auto now = Clock::now();
    if (now - lastLook_ < std::chrono::milliseconds(16)) return;
    lastLook_ = now;
    const Screen& s = GetScreen();
    if (s.pixels == shown_) return;
    shown_ = s.pixels;
    ++shownFrames;
  }
  long shownFrames = 0;

 private:
  Clock::time_point lastLook_{};
  std::vector<BYTE> shown_;
};

struct Totals {
  double cpu = 0, wall = 0;
  long passes = 0, shown = 0, ticks = 0, ticksWithHeapCalls = 0;
  std::size_t tickHeapCalls = 0, heapCalls = 0;
};

// Leaves the view `open` makes (past its start screen) still, as above.
template <typename OpenView>
void MeasureStillScreen(benchmark::State& state, OpenView open) {
  bench::UseBuiltInstallation();
  auto owned = std::make_unique<ShowingBackend>();
  ShowingBackend* display = owned.get();
  InstallBackend(std::move(owned));
  const HWND window = bench::OpenMainWindow("BenchStillScreen", WS_CLIPCHILDREN);
  if (const std::string failure = bench::LoadWholeGameData(); !failure.empty()) {
    bench::CloseScreen();
    return state.SkipWithError(failure.c_str());
  }
  bench::LoadArt(g_gameData->GetLocalGuildIndex());
  auto solar = std::make_unique<CVSolar>(window, nullptr);
  SuspendScreenFlush(0);
  g_currentView = solar.get();
  solar->Render(-1);
  solar->LeaveStartScreen();
  solar->Render(-1);
  std::unique_ptr<IGameView> other = open(window);
  IGameView* const view = other ? other.get() : solar.get();
  g_currentView = view;
  // A minute of the screen on the virtual clock first: the suns have flared
  // and their frames are in the material cache, as after a while of play.
  CFrameTimer timer;
  for (int tick = 0; tick < 60000 / static_cast<int>(kFramePeriodMs); ++tick) {
    AdvanceVirtualClock(kFramePeriodMs);
    timer.Tick(view, true);
  }
  UseRealClock();
  timer = CFrameTimer();

  // Idle passes of the main loop for a round, each ended by `wait`.
  const auto round = [&](Totals& totals, auto wait) {
    const long shownBefore = display->shownFrames;
    const std::size_t heapBefore = bench::g_heapCalls.load(std::memory_order_relaxed);
    const double cpu0 = bench_time::ThreadSeconds();
    const auto start = Clock::now();
    while (std::chrono::duration<double>(Clock::now() - start).count() < kRoundSeconds) {
      MSG msg;
      if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
        continue;
      }
      const bool due = timer.MsUntilDue() == 0;
      const std::size_t tickBefore = bench::g_heapCalls.load(std::memory_order_relaxed);
      timer.Tick(view, true);
      if (due) {
        const std::size_t calls = bench::g_heapCalls.load(std::memory_order_relaxed) - tickBefore;
        ++totals.ticks;
        totals.tickHeapCalls += calls;
        if (calls != 0) ++totals.ticksWithHeapCalls;
      }
      wait();
      ++totals.passes;
    }
    totals.cpu += bench_time::ThreadSeconds() - cpu0;
    totals.wall += std::chrono::duration<double>(Clock::now() - start).count();
    totals.shown += display->shownFrames - shownBefore;
    totals.heapCalls += bench::g_heapCalls.load(std::memory_order_relaxed) - heapBefore;
  };
  Totals waiting, polling;
  for (auto _ : state) {
    for (int r = 0; r < kRounds; ++r) {
      round(waiting, [&] { WaitAfterIdlePass(false, &timer); });
      round(polling, [] { Sleep(1); });
    }
  }
  state.counters["cpu_share"] = waiting.cpu / waiting.wall;
  state.counters["cpu_share_polling"] = polling.cpu / polling.wall;
  state.counters["x_polling"] = (waiting.cpu / waiting.wall) / (polling.cpu / polling.wall);
  state.counters["passes_per_second"] = static_cast<double>(waiting.passes) / waiting.wall;
  state.counters["passes_per_second_polling"] = static_cast<double>(polling.passes) / polling.wall;
  state.counters["frames_shown_per_second"] = static_cast<double>(waiting.shown) / waiting.wall;
  if (bench::kCountsHeapCalls) {
    state.counters["heap_calls_per_tick"] =
        static_cast<double>(waiting.tickHeapCalls) / static_cast<double>(waiting.ticks);
    state.counters["ticks_with_heap_calls"] =
        static_cast<double>(waiting.ticksWithHeapCalls) / static_cast<double>(waiting.ticks);
    state.counters["heap_calls_per_pass"] =
        static_cast<double>(waiting.heapCalls - waiting.tickHeapCalls) / static_cast<double>(waiting.passes);
  }

  g_currentView = nullptr;
  other.reset();
  solar.reset();
  bench::CloseScreen();
}

void BM_StillSolarScreen(benchmark::State& state) {
  MeasureStillScreen(state, [](HWND) { return std::unique_ptr<IGameView>(); });
}
BENCHMARK(BM_StillSolarScreen)->Iterations(1)->Unit(benchmark::kSecond);

// The home asteroid's space, made over the solar view as the game makes it.
void BM_StillAsteroidSpace(benchmark::State& state) {
  MeasureStillScreen(state, [](HWND window) {
    const CGChapter* local = g_gameData->guildList->GetChapter(g_gameData->localChapterId);
    auto space = std::make_unique<CVAstSpace>(window, nullptr);
    space->Render(static_cast<std::int32_t>(0xFFFF0000u | (local ? local->homeAsteroid : 0)));
    return std::unique_ptr<IGameView>(std::move(space));
  });
}
BENCHMARK(BM_StillAsteroidSpace)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
