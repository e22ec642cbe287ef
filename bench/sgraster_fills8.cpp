// Pixel rates of the 8-bpp triangle fills for large triangles (20 000 to
// 60 000 pixels) and small ones (8 to 12 pixels), each beside memset of the
// same pixel counts in the same run: x_memset is the fill's rate over
// memset's rate (one memset per triangle).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "sg/raster/fill8.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

struct Target {
  std::vector<uint8_t> pixels = std::vector<uint8_t>(kWidth * kHeight, 0);
  SGRasterFrame frame{pixels.data(), kWidth, {}};
};

Target& Frame() {
  static Target target;
  return target;
}

struct Tables {
  std::vector<uint8_t> texels = std::vector<uint8_t>(128 * 128);
  std::vector<uint8_t> shade = std::vector<uint8_t>(16 * 256);
  uint8_t ink = 0x5A;

  Tables() {
    std::mt19937 random(9);
    for (uint8_t& t : texels) t = random() % 8 == 0 ? 0 : static_cast<uint8_t>(random());
    for (uint8_t& s : shade) s = static_cast<uint8_t>(random());
  }
};

const Tables& Tab() {
  static const Tables tables;
  return tables;
}

struct Scene {
  std::vector<std::array<SGQVert, 3>> triangles;
  std::vector<size_t> counts;
  std::vector<size_t> offsets;
  int64_t pixels = 0;
};

size_t CountPixels(const std::array<SGQVert, 3>& t) {
  Target& target = Frame();
  const uint8_t ink = 1;
  ISGFill8Flat(&t[0], &t[1], &t[2], &target.frame, nullptr, nullptr, &ink);
  size_t n = 0;
  for (uint8_t& p : target.pixels) {
    n += p;
    p = 0;
  }
  return n;
}

// Texture coordinates at one texel per pixel; levels 0 to 15.
SGQVert Vertex(std::mt19937& random, double x, double y) {
  return SGQVert{static_cast<int32_t>(x * 32), static_cast<int32_t>(y * 32), 1.0f, static_cast<float>(x * 32),
                 static_cast<float>(y * 32), static_cast<float>(random() % 480 + 16), 0.0f};
}

Scene MakeScene(bool large) {
  Scene scene;
  std::mt19937 random(large ? 1 : 2);
  std::uniform_real_distribution<double> across(0, kWidth - 1), down(0, kHeight - 1), near(-6, 6);
  const size_t wanted = large ? 64 : 8192;
  const size_t low = large ? 20000 : 8, high = large ? 60000 : 12;
  while (scene.triangles.size() < wanted) {
    std::array<SGQVert, 3> t;
    const double x = across(random), y = down(random);
    t[0] = Vertex(random, x, y);
    for (int i = 1; i < 3; ++i)
      t[i] = Vertex(random, large ? across(random) : std::clamp(x + near(random), 0.0, kWidth - 1.0),
                    large ? down(random) : std::clamp(y + near(random), 0.0, kHeight - 1.0));
    const int64_t cross = static_cast<int64_t>(t[1].x - t[0].x) * (t[2].y - t[0].y) -
                          static_cast<int64_t>(t[1].y - t[0].y) * (t[2].x - t[0].x);
    if (cross < 0) std::swap(t[1], t[2]);
    const size_t n = CountPixels(t);
    if (n < low || n > high) continue;
    scene.triangles.push_back(t);
    scene.counts.push_back(n);
    const size_t row = static_cast<size_t>(std::min({t[0].y, t[1].y, t[2].y}) / 32);
    scene.offsets.push_back(std::min(row * kWidth, static_cast<size_t>(kWidth * kHeight) - n));
    scene.pixels += static_cast<int64_t>(n);
  }
  return scene;
}

const Scene& GetScene(bool large) {
  static const Scene largeScene = MakeScene(true);
  static const Scene smallScene = MakeScene(false);
  return large ? largeScene : smallScene;
}

void MemsetScene(const Scene& scene) {
  uint8_t* pixels = Frame().pixels.data();
  for (size_t i = 0; i < scene.counts.size(); ++i) std::memset(pixels + scene.offsets[i], 0x5A, scene.counts[i]);
  benchmark::ClobberMemory();
}

double MemsetRate(bool large) {
  static double rates[2] = {0, 0};
  double& rate = rates[large ? 1 : 0];
  if (rate == 0) {
    const Scene& scene = GetScene(large);
    const auto start = std::chrono::steady_clock::now();
    int64_t rounds = 0;
    std::chrono::duration<double> elapsed{};
    do {
      MemsetScene(scene);
      ++rounds;
      elapsed = std::chrono::steady_clock::now() - start;
    } while (elapsed.count() < 0.25);
    rate = static_cast<double>(scene.pixels) * rounds / elapsed.count();
  }
  return rate;
}

void SetRates(benchmark::State& state, const Scene& scene, double seconds, bool large) {
  const double pixels = static_cast<double>(scene.pixels) * static_cast<double>(state.iterations());
  state.counters["pixels"] = benchmark::Counter(pixels, benchmark::Counter::kIsRate);
  state.counters["x_memset"] = pixels / seconds / MemsetRate(large);
}

void BM_Fill8(benchmark::State& state, ISGTriFill fill, bool large) {
  const Scene& scene = GetScene(large);
  MemsetRate(large);
  const Tables& tables = Tab();
  const SGRasterFrame* frame = &Frame().frame;
  // The ramp fills read the first 16 entries as their ramp.
  const void* table = tables.shade.data();
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    for (const auto& t : scene.triangles) fill(&t[0], &t[1], &t[2], frame, tables.texels.data(), table, &tables.ink);
    benchmark::ClobberMemory();
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  SetRates(state, scene, elapsed.count(), large);
}

void BM_Memset8(benchmark::State& state, bool large) {
  const Scene& scene = GetScene(large);
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) MemsetScene(scene);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  SetRates(state, scene, elapsed.count(), large);
}

}  // namespace

#define FILLS8(size, large)                                                                                  \
  BENCHMARK_CAPTURE(BM_Memset8, size, large);                                                               \
  BENCHMARK_CAPTURE(BM_Fill8, flat_##size, ISGFill8Flat, large);                                     \
  BENCHMARK_CAPTURE(BM_Fill8, ramp_##size, ISGFill8Shaded, large);                                    \
  BENCHMARK_CAPTURE(BM_Fill8, ramp_transparent_##size, ISGFill8ShadedTransparent, large);             \
  BENCHMARK_CAPTURE(BM_Fill8, texture_##size, ISGFill8Texture128x128, large);                        \
  BENCHMARK_CAPTURE(BM_Fill8, shaded_texture_##size, ISGFill8ShadedTexture128x128, large);           \
  BENCHMARK_CAPTURE(BM_Fill8, transparent_texture_##size, ISGFill8TransparentTexture128x128, large); \
  BENCHMARK_CAPTURE(BM_Fill8, shaded_transparent_texture_##size, ISGFill8ShadedTransparentTexture128x128, \
                    large);                                                                          \
  BENCHMARK_CAPTURE(BM_Fill8, dithered_texture_##size, ISGFill8DitheredTexture128x128, large)

FILLS8(large, true);
FILLS8(small, false);
