#pragma once
// What the fill benchmarks share: a 640 x 480 frame of 8-bit or 16-bit
// pixels, scenes of clockwise random triangles by size with each triangle's
// rows, and the timing of a fill beside its baselines.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <vector>

#include "sg/raster/fill.h"

inline constexpr int kSceneWidth = 640;
inline constexpr int kSceneHeight = 480;

template <class Pixel>
struct SceneTarget {
  std::vector<Pixel> pixels = std::vector<Pixel>(kSceneWidth * kSceneHeight, 0);
  SGRasterFrame frame{
      pixels.data(), kSceneWidth* static_cast<int32_t>(sizeof(Pixel)), {5, 0xF800, 11, 6, 0x07E0, 5, 5, 0x001F, 0}};
};

template <class Pixel>
SceneTarget<Pixel>& SceneFrame() {
  static SceneTarget<Pixel> target;
  return target;
}

struct SceneSpan {
  size_t offset;  // first pixel
  size_t count;
};

struct Scene {
  std::vector<std::array<SGQVert, 3>> triangles;
  std::vector<std::vector<SceneSpan>> spans;  // each triangle's rows
  std::vector<size_t> counts;                 // pixels of each triangle
  std::vector<size_t> offsets;                // where memset writes the same count
  int64_t pixels = 0;
};

// Scene sizes: small (8 to 12 pixels), large (20 000 to 60 000), medium (40 to 60).
enum SceneSize { kSmall, kLarge, kMedium, kSceneSizes };

// Draws the triangle alone with the flat fill and counts (and clears) its
// pixels, recording each row's span.
template <class Pixel>
size_t SceneCount(const std::array<SGQVert, 3>& t, ISGTriFill flat, std::vector<SceneSpan>& spans) {
  SceneTarget<Pixel>& target = SceneFrame<Pixel>();
  const uint16_t ink = 0x0101;
  flat(&t[0], &t[1], &t[2], &target.frame, nullptr, nullptr, &ink);
  const size_t top = static_cast<size_t>(std::min({t[0].y, t[1].y, t[2].y}) / 32);
  const size_t bottom = static_cast<size_t>(std::max({t[0].y, t[1].y, t[2].y}) / 32) + 1;
  size_t n = 0;
  for (size_t row = top; row < std::min(bottom, size_t{kSceneHeight}); ++row) {
    SceneSpan span{0, 0};
    for (size_t i = row * kSceneWidth; i < (row + 1) * kSceneWidth; ++i) {
      if (target.pixels[i] != 0 && span.count++ == 0) span.offset = i;
      target.pixels[i] = 0;
    }
    if (span.count != 0) spans.push_back(span);
    n += span.count;
  }
  return n;
}

// Texture coordinates at one texel per pixel, levels 0 to levels - 1.
template <class Pixel>
Scene MakeScene(SceneSize size, ISGTriFill flat, uint32_t levels) {
  Scene scene;
  const bool large = size == kLarge;
  std::mt19937 random(size == kSmall ? 2 : size == kLarge ? 1 : 3);
  const double spread = size == kMedium ? 14 : 6;
  std::uniform_real_distribution<double> across(0, kSceneWidth - 1), down(0, kSceneHeight - 1), near(-spread, spread);
  const size_t wanted = size == kSmall ? 8192 : size == kLarge ? 64 : 2048;
  const size_t low = size == kSmall ? 8 : size == kLarge ? 20000 : 40;
  const size_t high = size == kSmall ? 12 : size == kLarge ? 60000 : 60;
  auto vertex = [&](double x, double y) {
    return SGQVert{static_cast<int32_t>(x * 32),
                   static_cast<int32_t>(y * 32),
                   1.0f,
                   static_cast<float>(x * 32),
                   static_cast<float>(y * 32),
                   static_cast<float>(random() % (levels * 32) + 16),
                   0.0f};
  };
  while (scene.triangles.size() < wanted) {
    std::array<SGQVert, 3> t;
    const double x = across(random), y = down(random);
    t[0] = vertex(x, y);
    for (int i = 1; i < 3; ++i) {
      const double vx = large ? across(random) : std::clamp(x + near(random), 0.0, kSceneWidth - 1.0);
      const double vy = large ? down(random) : std::clamp(y + near(random), 0.0, kSceneHeight - 1.0);
      t[i] = vertex(vx, vy);
    }
    const int64_t cross = static_cast<int64_t>(t[1].x - t[0].x) * (t[2].y - t[0].y) -
                          static_cast<int64_t>(t[1].y - t[0].y) * (t[2].x - t[0].x);
    if (cross < 0) std::swap(t[1], t[2]);
    std::vector<SceneSpan> spans;
    const size_t n = SceneCount<Pixel>(t, flat, spans);
    if (n < low || n > high) continue;
    scene.triangles.push_back(t);
    scene.spans.push_back(std::move(spans));
    scene.counts.push_back(n);
    const size_t row = static_cast<size_t>(std::min({t[0].y, t[1].y, t[2].y}) / 32);
    scene.offsets.push_back(std::min(row * kSceneWidth, static_cast<size_t>(kSceneWidth * kSceneHeight) - n));
    scene.pixels += static_cast<int64_t>(n);
  }
  return scene;
}

// One memset per triangle of its pixel count.
template <class Pixel>
void MemsetScene(const Scene& scene) {
  Pixel* pixels = SceneFrame<Pixel>().pixels.data();
  for (size_t i = 0; i < scene.counts.size(); ++i)
    std::memset(pixels + scene.offsets[i], 0x5A, scene.counts[i] * sizeof(Pixel));
  benchmark::ClobberMemory();
}

// A baseline drawn beside a fill: its counter's name and one round of it
// over the scene.
struct SceneBaseline {
  const char* counter;
  std::function<void()> round;
};

// Times rounds of fill over every triangle of the scene (the benchmark's
// manual time), each followed by one round of every baseline, so that load
// from elsewhere on the machine falls on fill and baselines alike. Reports
// pixels, the best round's pixels per second, and per baseline the ratio of
// its best round's time to the fill's: the fill's rate over the baseline's.
inline void RunFillScene(benchmark::State& state, const Scene& scene, ISGTriFill fill, const SGRasterFrame* frame,
                         const void* texels, const void* table, const void* colour,
                         const std::vector<SceneBaseline>& baselines) {
  using Clock = std::chrono::steady_clock;
  double bestFill = std::numeric_limits<double>::infinity();
  std::vector<double> bestBaseline(baselines.size(), std::numeric_limits<double>::infinity());
  for (auto _ : state) {
    const auto start = Clock::now();
    for (const auto& t : scene.triangles) fill(&t[0], &t[1], &t[2], frame, texels, table, colour);
    benchmark::ClobberMemory();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(seconds);
    bestFill = std::min(bestFill, seconds);
    for (size_t i = 0; i < baselines.size(); ++i) {
      const auto baselineStart = Clock::now();
      baselines[i].round();
      bestBaseline[i] = std::min(bestBaseline[i], std::chrono::duration<double>(Clock::now() - baselineStart).count());
    }
  }
  state.counters["pixels"] = static_cast<double>(scene.pixels) / bestFill;
  for (size_t i = 0; i < baselines.size(); ++i) state.counters[baselines[i].counter] = bestBaseline[i] / bestFill;
}
