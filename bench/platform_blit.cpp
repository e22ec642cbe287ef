// The blit paths of the display surfaces against a plain memcpy of the same
// bytes, in pixels per second: a full-screen copy (BltFast and Blt onto the
// primary) and colour-keyed sprite blits; and the heap calls of a warm frame
// of blits (cleared first, then copied through a clipper), which should be none.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/count_allocations.h"
#include "platform/backend/headless.h"
#include "platform/ddraw/ddraw.h"
#include "tests/support/plain_window.h"

namespace {

using namespace plat;

constexpr int kWidth = 800;
constexpr int kHeight = 600;

struct Display {
  Display() {
    StartHeadlessBackend();
    DirectDrawCreate(nullptr, &dd, nullptr);
    DDSURFACEDESC d;
    d.dwFlags = DDSD_CAPS;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    dd->CreateSurface(&d, &primary, nullptr);
    back = Surface(kWidth, kHeight);
    sprite = Surface(64, 64);
    // A sprite whose border ring is transparent, as the game's are.
    DDSURFACEDESC s;
    sprite->Lock(nullptr, &s, DDLOCK_WAIT, nullptr);
    for (int y = 0; y < 64; ++y) {
      auto* row = reinterpret_cast<std::uint16_t*>(static_cast<BYTE*>(s.lpSurface) + y * s.lPitch);
      for (int x = 0; x < 64; ++x) row[x] = (x < 8 || y < 8 || x >= 56 || y >= 56) ? 0xF81F : 0x1234;
    }
    sprite->Unlock(nullptr);
    DDCOLORKEY key{0xF81F, 0xF81F};
    sprite->SetColorKey(DDCKEY_SRCBLT, &key);
  }
  ~Display() {
    sprite->Release();
    back->Release();
    primary->Release();
    dd->Release();
    StopBackend();
  }
  IDirectDrawSurface* Surface(DWORD w, DWORD h) {
    DDSURFACEDESC d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.dwWidth = w;
    d.dwHeight = h;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface* s = nullptr;
    dd->CreateSurface(&d, &s, nullptr);
    return s;
  }
  IDirectDraw* dd = nullptr;
  IDirectDrawSurface* primary = nullptr;
  IDirectDrawSurface* back = nullptr;
  IDirectDrawSurface* sprite = nullptr;
};

void BM_MemcpyFullScreen(benchmark::State& state) {
  std::vector<std::uint8_t> a(kWidth * kHeight * 2, 1), b(kWidth * kHeight * 2);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size());
    benchmark::DoNotOptimize(b.data());
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(a.size()));
}
BENCHMARK(BM_MemcpyFullScreen);

void BM_BltFastFullScreen(benchmark::State& state) {
  Display d;
  for (auto _ : state) d.primary->BltFast(0, 0, d.back, nullptr, DDBLTFAST_WAIT);
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 2);
}
BENCHMARK(BM_BltFastFullScreen);

void BM_BltFullScreen(benchmark::State& state) {
  Display d;
  for (auto _ : state) d.primary->Blt(nullptr, d.back, nullptr, DDBLT_WAIT, nullptr);
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 2);
}
BENCHMARK(BM_BltFullScreen);

// The copy a keyed blit replaces: the same 64 x 64 rows by memcpy.
void BM_MemcpySprite(benchmark::State& state) {
  std::vector<std::uint8_t> src(64 * 64 * 2, 1), dst(kWidth * kHeight * 2);
  int x = 0, y = 0;
  for (auto _ : state) {
    for (int row = 0; row < 64; ++row)
      std::memcpy(dst.data() + ((y + row) * kWidth + x) * 2, src.data() + row * 128, 128);
    benchmark::DoNotOptimize(dst.data());
    x = (x + 37) % (kWidth - 64);
    y = (y + 23) % (kHeight - 64);
  }
  state.SetItemsProcessed(state.iterations() * 64 * 64);
}
BENCHMARK(BM_MemcpySprite);

// The baseline a keyed blit is measured against: the same 64 x 64 sprite
// copied by a plain loop that skips the key colour, pixel by pixel.
void BM_PlainKeyedLoop(benchmark::State& state) {
  std::vector<std::uint16_t> src(64 * 64), dst(kWidth * kHeight);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) src[y * 64 + x] = (x < 8 || y < 8 || x >= 56 || y >= 56) ? 0xF81F : 0x1234;
  volatile std::uint16_t keyHolder = 0xF81F;
  const std::uint16_t key = keyHolder;
  int x = 0, y = 0;
  for (auto _ : state) {
    for (int row = 0; row < 64; ++row) {
      const std::uint16_t* s = src.data() + row * 64;
      std::uint16_t* d = dst.data() + (y + row) * kWidth + x;
      for (int i = 0; i < 64; ++i)
        if (s[i] != key) d[i] = s[i];
    }
    benchmark::DoNotOptimize(dst.data());
    x = (x + 37) % (kWidth - 64);
    y = (y + 23) % (kHeight - 64);
  }
  state.SetItemsProcessed(state.iterations() * 64 * 64);
}
BENCHMARK(BM_PlainKeyedLoop);

void BM_KeyedSpriteBltFast(benchmark::State& state) {
  Display d;
  DWORD x = 0, y = 0;
  for (auto _ : state) {
    d.primary->BltFast(x, y, d.sprite, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    x = (x + 37) % (kWidth - 64);
    y = (y + 23) % (kHeight - 64);
  }
  state.SetItemsProcessed(state.iterations() * 64 * 64);
}
BENCHMARK(BM_KeyedSpriteBltFast);

void BM_KeyedSpriteStretch(benchmark::State& state) {
  Display d;
  LONG x = 0, y = 0;
  for (auto _ : state) {
    RECT dst{x, y, x + 96, y + 96};
    d.primary->Blt(&dst, d.sprite, nullptr, DDBLT_KEYSRC | DDBLT_WAIT, nullptr);
    x = (x + 37) % (kWidth - 96);
    y = (y + 23) % (kHeight - 96);
  }
  state.SetItemsProcessed(state.iterations() * 96 * 96);
}
BENCHMARK(BM_KeyedSpriteStretch);

// A frame as a screen draws it: the back buffer cleared, sprites put on it
// (keyed, stretched, moved within the buffer), and the whole buffer blitted to
// the primary through a clipper bound to a window with a child it leaves alone.
void BM_WarmFrameHeapCalls(benchmark::State& state) {
  Display d;
  HWND window = quentest::PlainWindow("BenchFrame", 0, 0, kWidth, kHeight, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
  quentest::PlainWindow("BenchChild", 100, 100, 200, 50, WS_CHILD | WS_VISIBLE, window);
  IDirectDrawClipper* clipper = nullptr;
  d.dd->CreateClipper(0, &clipper, nullptr);
  clipper->SetHWnd(0, window);
  d.primary->SetClipper(clipper);
  DDBLTFX clear{};
  clear.dwSize = sizeof clear;
  clear.dwFillColor = 0x0841;
  auto frame = [&] {
    d.back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &clear);
    for (LONG i = 0; i < 8; ++i) {
      RECT at{i * 90, i * 60, i * 90 + 96, i * 60 + 96};
      d.back->Blt(&at, d.sprite, nullptr, DDBLT_KEYSRC | DDBLT_WAIT, nullptr);
    }
    RECT from{0, 0, 200, 200}, to{50, 50, 250, 250};
    d.back->Blt(&to, d.back, &from, DDBLT_WAIT, nullptr);
    d.primary->Blt(nullptr, d.back, nullptr, DDBLT_WAIT, nullptr);
  };
  frame();
  std::size_t allocations = 0;
  for (auto _ : state) {
    const std::size_t before = bench::g_allocations.load(std::memory_order_relaxed);
    frame();
    allocations += bench::g_allocations.load(std::memory_order_relaxed) - before;
  }
  state.counters["allocs_per_frame"] = static_cast<double>(allocations) / static_cast<double>(state.iterations());
  d.primary->SetClipper(nullptr);
  clipper->Release();
  DestroyWindow(window);
}
BENCHMARK(BM_WarmFrameHeapCalls);

}  // namespace
