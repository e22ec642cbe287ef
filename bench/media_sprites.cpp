// Sprite blits as a ratio to memcpy of the same bytes, both timed in the same
// run: a full-screen sprite copied onto another (plain and colour-keyed) and
// shown on the screen, and a full-screen fade.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "media/CDDraw.h"
#include "media/CSprite.h"
#include "platform/backend/headless.h"
#include "platform/user/window.h"

namespace {

using namespace plat;
using Clock = std::chrono::steady_clock;

constexpr DWORD kWidth = 800;
constexpr DWORD kHeight = 600;

struct Scene {
  Scene() {
    StartHeadlessBackend();
    WNDCLASSEX wc;
    wc.lpszClassName = "BenchPlain";
    wc.lpfnWndProc = DefWindowProc;
    RegisterClassEx(&wc);
    HWND w =
        CreateWindowEx(0, "BenchPlain", "", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    ddraw = std::make_unique<CDDraw>(w, 0);
    source = std::make_unique<CSprite>(ddraw.get(), nullptr, kNoColourKey, kWidth, kHeight, 0, 0, 0);
    keyed = std::make_unique<CSprite>(ddraw.get(), nullptr, 0xFF00FF, kWidth, kHeight, 0, 0, 0);
    dest = std::make_unique<CSprite>(ddraw.get(), nullptr, kNoColourKey, kWidth, kHeight, 0, 0, 0);
    source->FillSurface(RGB(10, 200, 30), nullptr);
    keyed->FillSurface(RGB(10, 200, 30), nullptr);
    const RECT hole{100, 100, 700, 500};
    keyed->FillSurface(RGB(255, 0, 255), &hole);
  }
  ~Scene() {
    source.reset();
    keyed.reset();
    dest.reset();
    ddraw.reset();
    StopBackend();
  }
  std::unique_ptr<CDDraw> ddraw;
  std::unique_ptr<CSprite> source, keyed, dest;
};

// Runs `op` and a memcpy of a full screen alternately; the counter is the
// ratio of their times.
template <typename Op>
void AgainstMemcpy(benchmark::State& state, Op op) {
  std::vector<std::uint8_t> a(kWidth * kHeight * 2, 1), b(a.size());
  Clock::duration opTime{}, copyTime{};
  for (auto _ : state) {
    auto t0 = Clock::now();
    op();
    auto t1 = Clock::now();
    std::memcpy(b.data(), a.data(), a.size());
    benchmark::DoNotOptimize(b.data());
    auto t2 = Clock::now();
    opTime += t1 - t0;
    copyTime += t2 - t1;
  }
  state.counters["ratio_to_memcpy"] =
      std::chrono::duration<double>(opTime).count() / std::chrono::duration<double>(copyTime).count();
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(a.size()));
}

void BM_SpriteToSprite(benchmark::State& state) {
  Scene s;
  AgainstMemcpy(state, [&] { s.source->BltToSurface(s.dest.get(), 0, 0, nullptr); });
}
BENCHMARK(BM_SpriteToSprite);

void BM_SpriteToSpriteKeyed(benchmark::State& state) {
  Scene s;
  AgainstMemcpy(state, [&] { s.keyed->BltToSurface(s.dest.get(), 0, 0, nullptr); });
}
BENCHMARK(BM_SpriteToSpriteKeyed);

void BM_SpriteToScreen(benchmark::State& state) {
  Scene s;
  AgainstMemcpy(state, [&] { s.source->BltToPrimary(nullptr, nullptr); });
}
BENCHMARK(BM_SpriteToScreen);

void BM_FadeFullScreen(benchmark::State& state) {
  Scene s;
  AgainstMemcpy(state, [&] { s.source->Fade(10, RGB(0, 0, 0), nullptr); });
}
BENCHMARK(BM_FadeFullScreen);

}  // namespace
