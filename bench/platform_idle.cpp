// What an idle program costs a frame in the SDL window (the dummy video
// driver): showing an unchanged screen against showing one that changed, as a
// ratio to the changed frame measured in the same run. An idle title screen
// shows the same picture frame after frame; the ratio is what it pays for it.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "bench/thread_time.h"
#include "platform/backend/sdl_backend.h"
#include "platform/display/screen.h"

namespace {

using namespace plat;

void BM_IdleFrameAgainstAChangedFrame(benchmark::State& state) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  BackendOptions options;
  options.kind = BackendKind::Windowed;
  std::unique_ptr<Backend> backend = OpenSdlBackend(options);
  if (!backend) {
    state.SkipWithError("no SDL video");
    return;
  }
  Screen& screen = GetScreen();
  constexpr int kFrames = 60;
  std::vector<double> ratios;
  for (auto _ : state) {
    const double changed = bench_time::Seconds([&] {
      for (int i = 0; i < kFrames; ++i) {
        screen.pixels[static_cast<std::size_t>(i) * 2] ^= 0xFF;
        backend->Present();
      }
    });
    const double idle = bench_time::Seconds([&] {
      for (int i = 0; i < kFrames; ++i) backend->Present();
    });
    ratios.push_back(idle / changed);
  }
  state.counters["idle_to_changed"] = bench_time::Median(ratios);
}
BENCHMARK(BM_IdleFrameAgainstAChangedFrame)->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace
