// The frame buffer's per-frame work in the game's configuration (a 585 x 367
// 16-bit surface): a full-frame region clear against memset of the same bytes,
// and a full-frame texture blit (the game's background) against memcpy of the
// same bytes. The counters x_memset and x_memcpy are the ratios of the pixel
// rates, both measured in the same run.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "sg/core/malloc.h"
#include "sg/fb/framebuffer.h"
#include "sg/material/material.h"
#include "tests/support/game_frame_buffer.h"

namespace {

using namespace plat;

constexpr DWORD kWidth = quentest::kGameFrameWidth;
constexpr DWORD kHeight = quentest::kGameFrameHeight;
constexpr std::size_t kBytes = std::size_t{kWidth} * kHeight * 2;

struct GameFrame : quentest::GameFrameBuffer {
  GameFrame() : GameFrameBuffer("BenchFrame") {
    std::vector<SGPalEntry> colours(256);
    for (int i = 0; i < 256; ++i) {
      colours[i] = SGPalEntry{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                              static_cast<std::uint8_t>(i * 7), 0};
    }
    SGFrameBufferInstallPalette(fb, colours.data(), 256);
    // The background: a texture of the frame's size, 8-bit indices.
    texture = static_cast<SGTextureMap*>(SGCalloc(1, sizeof(SGTextureMap)));
    texture->txmInfo = static_cast<SGTextureInfo*>(SGCalloc(1, sizeof(SGTextureInfo)));
    texture->txmInfo->tpiTexels = static_cast<std::uint8_t*>(SGMalloc(std::size_t{kWidth} * kHeight));
    for (std::size_t i = 0; i < std::size_t{kWidth} * kHeight; ++i) {
      texture->txmInfo->tpiTexels[i] = static_cast<std::uint8_t>(i * 13);
    }
    texture->txmSize = SGVec2u{{kWidth, kHeight}};
    texture->txmPitch = kWidth;
    texture->txmRefCnt = 1;
  }
  ~GameFrame() { SGTextureMapRelease(texture); }
  SGTextureMap* texture = nullptr;
};

// Bytes per second of a baseline over the frame's bytes, measured once for at
// least a quarter of a second.
template <class Copy>
double BaselineRate(Copy copy) {
  const auto start = std::chrono::steady_clock::now();
  std::int64_t rounds = 0;
  std::chrono::duration<double> elapsed{};
  do {
    copy();
    ++rounds;
    elapsed = std::chrono::steady_clock::now() - start;
  } while (elapsed.count() < 0.25);
  return static_cast<double>(kBytes) * static_cast<double>(rounds) / elapsed.count();
}

double MemsetRate() {
  static std::vector<std::uint8_t> frame(kBytes);
  static const double rate = BaselineRate([] {
    std::memset(frame.data(), 0x5A, frame.size());
    benchmark::DoNotOptimize(frame.data());
  });
  return rate;
}

double MemcpyRate() {
  static std::vector<std::uint8_t> from(kBytes, 1);
  static std::vector<std::uint8_t> to(kBytes);
  static const double rate = BaselineRate([] {
    std::memcpy(to.data(), from.data(), to.size());
    benchmark::DoNotOptimize(to.data());
  });
  return rate;
}

void Report(benchmark::State& state, double seconds, const char* ratio, double baseline) {
  const double bytes = static_cast<double>(kBytes) * static_cast<double>(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kBytes));
  state.counters[ratio] = bytes / seconds / baseline;
}

void BM_ClearFullFrame(benchmark::State& state) {
  GameFrame frame;
  const double baseline = MemsetRate();
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    SGFrameBufferClearRegion(frame.fb, 0, 0, kWidth, kHeight, 0x10203000);
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  Report(state, elapsed.count(), "x_memset", baseline);
}
BENCHMARK(BM_ClearFullFrame);

void BM_BlitTextureFullFrame(benchmark::State& state) {
  GameFrame frame;
  const double baseline = MemcpyRate();
  SGFrameBufferBlitTextureRegion(frame.fb, 0, 0, kWidth, kHeight, frame.texture);  // makes its surface
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    SGFrameBufferBlitTextureRegion(frame.fb, 0, 0, kWidth, kHeight, frame.texture);
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  Report(state, elapsed.count(), "x_memcpy", baseline);
}
BENCHMARK(BM_BlitTextureFullFrame);

}  // namespace
