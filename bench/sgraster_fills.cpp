// Pixel rates of the 16-bpp triangle fills, per family, for large triangles
// (20 000 to 60 000 pixels), medium ones (40 to 60) and small ones (8 to 12),
// beside two
// baselines of the same run. Each fill reports pixels per second; x_memset,
// its rate over memset's for the same triangles' pixel counts (one memset per
// triangle); and x_plain, its rate over a plain scalar loop doing the same
// pixel work over the triangles' own rows (for the flat fill, one memset per
// row), set up once outside the timing, so that x_plain below 1 is the cost
// of the fill's set-up and walk.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "sg/raster/fill16.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr SGPixelFormat kFormat565 = {5, 0xF800, 11, 6, 0x07E0, 5, 5, 0x001F, 0};

struct Target {
  std::vector<uint16_t> pixels = std::vector<uint16_t>(kWidth * kHeight, 0);
  SGRasterFrame frame{pixels.data(), kWidth * 2, kFormat565};
};

Target& Frame() {
  static Target target;
  return target;
}

struct Tables {
  std::vector<uint8_t> texels = std::vector<uint8_t>(128 * 128);
  std::vector<uint16_t> texels16 = std::vector<uint16_t>(128 * 128);
  std::vector<uint16_t> colours = std::vector<uint16_t>(256);
  std::vector<uint8_t> shade = std::vector<uint8_t>(65536);
  uint16_t colour = 0xC618;

  Tables() {
    std::mt19937 random(9);
    for (size_t i = 0; i < texels.size(); ++i) {
      texels[i] = random() % 8 == 0 ? 0 : static_cast<uint8_t>(random());
      texels16[i] = static_cast<uint16_t>(random());
    }
    for (uint16_t& c : colours) c = static_cast<uint16_t>(random());
    const int bits[3] = {5, 6, 5};
    for (int level = 0; level < 256; ++level) {
      int offset = 0;
      for (int b : bits) {
        for (int j = 0; j < (1 << b); ++j)
          shade[level * 256 + offset + j] = static_cast<uint8_t>(j * level / 255);
        offset += 1 << b;
      }
    }
  }
};

const Tables& Tab() {
  static const Tables tables;
  return tables;
}

struct Span {
  size_t offset;  // first pixel
  size_t count;
};

struct Scene {
  std::vector<std::array<SGQVert, 3>> triangles;
  std::vector<std::vector<Span>> spans;  // each triangle's rows
  std::vector<size_t> counts;   // pixels of each triangle
  std::vector<size_t> offsets;  // where memset writes the same count
  int64_t pixels = 0;
};

// Draws the triangle alone and counts (and clears) its pixels within its
// bounding rows, recording each row's span.
size_t CountPixels(const std::array<SGQVert, 3>& t, std::vector<Span>& spans) {
  Target& target = Frame();
  const uint16_t ink = 1;
  ISGFill16Flat(&t[0], &t[1], &t[2], &target.frame, nullptr, nullptr, &ink);
  const size_t top = static_cast<size_t>(std::min({t[0].y, t[1].y, t[2].y}) / 32);
  const size_t bottom = static_cast<size_t>(std::max({t[0].y, t[1].y, t[2].y}) / 32) + 1;
  size_t n = 0;
  for (size_t row = top; row < std::min(bottom, size_t{kHeight}); ++row) {
    Span span{0, 0};
    for (size_t i = row * kWidth; i < (row + 1) * kWidth; ++i) {
      if (target.pixels[i] != 0 && span.count++ == 0) span.offset = i;
      target.pixels[i] = 0;
    }
    if (span.count != 0) spans.push_back(span);
    n += span.count;
  }
  return n;
}

SGQVert Vertex(std::mt19937& random, double x, double y) {
  const float level = static_cast<float>(random() % 8160 + 16);
  return SGQVert{static_cast<int32_t>(x * 32),
                 static_cast<int32_t>(y * 32),
                 1.0f,
                 static_cast<float>(x * 32),
                 static_cast<float>(y * 32),
                 level,
                 0.0f};
}

// Scene sizes: 0 small, 1 large, 2 medium.
Scene MakeScene(int size) {
  Scene scene;
  const bool large = size == 1;
  std::mt19937 random(size == 0 ? 2 : size == 1 ? 1 : 3);
  const double spread = size == 2 ? 14 : 6;
  std::uniform_real_distribution<double> across(0, kWidth - 1), down(0, kHeight - 1), near(-spread, spread);
  const size_t wanted = size == 0 ? 8192 : size == 1 ? 64 : 2048;
  const size_t low = size == 0 ? 8 : size == 1 ? 20000 : 40, high = size == 0 ? 12 : size == 1 ? 60000 : 60;
  while (scene.triangles.size() < wanted) {
    std::array<SGQVert, 3> t;
    const double x = across(random), y = down(random);
    t[0] = Vertex(random, x, y);
    for (int i = 1; i < 3; ++i) {
      const double vx = large ? across(random) : std::clamp(x + near(random), 0.0, kWidth - 1.0);
      const double vy = large ? down(random) : std::clamp(y + near(random), 0.0, kHeight - 1.0);
      t[i] = Vertex(random, vx, vy);
    }
    const int64_t cross = static_cast<int64_t>(t[1].x - t[0].x) * (t[2].y - t[0].y) -
                          static_cast<int64_t>(t[1].y - t[0].y) * (t[2].x - t[0].x);
    if (cross < 0) std::swap(t[1], t[2]);
    std::vector<Span> spans;
    const size_t n = CountPixels(t, spans);
    if (n < low || n > high) continue;
    scene.triangles.push_back(t);
    scene.spans.push_back(std::move(spans));
    scene.counts.push_back(n);
    const size_t row = static_cast<size_t>(std::min({t[0].y, t[1].y, t[2].y}) / 32);
    scene.offsets.push_back(std::min(row * kWidth, static_cast<size_t>(kWidth * kHeight) - n));
    scene.pixels += static_cast<int64_t>(n);
  }
  return scene;
}

const Scene& GetScene(int size) {
  static const Scene scenes[3] = {MakeScene(0), MakeScene(1), MakeScene(2)};
  return scenes[size];
}

void MemsetScene(const Scene& scene) {
  uint16_t* pixels = Frame().pixels.data();
  for (size_t i = 0; i < scene.counts.size(); ++i)
    std::memset(pixels + scene.offsets[i], 0x5A, scene.counts[i] * 2);
  benchmark::ClobberMemory();
}

// memset's pixel rate over a scene, measured once per scene for at least a
// quarter of a second.
double MemsetRate(int size) {
  static double rates[3] = {};
  double& rate = rates[size];
  if (rate == 0) {
    const Scene& scene = GetScene(size);
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

enum class Family {
  kFlat,
  kShaded,
  kShadedTransparent,
  kTexture,
  kShadedTexture,
  kTransparentTexture,
  kShadedTransparentTexture,
  kDirectTexture
};

ISGTriFill FillOf(Family family) {
  switch (family) {
    case Family::kFlat:
      return ISGFill16Flat;
    case Family::kShaded:
      return ISGFill16Shaded;
    case Family::kShadedTransparent:
      return ISGFill16ShadedTransparent;
    case Family::kTexture:
      return ISGFill16Texture128x128;
    case Family::kShadedTexture:
      return ISGFill16ShadedTexture128x128;
    case Family::kTransparentTexture:
      return ISGFill16TransparentTexture128x128;
    case Family::kShadedTransparentTexture:
      return ISGFill16ShadedTransparentTexture128x128;
    case Family::kDirectTexture:
      return ISGFill16DirectTexture128x128;
  }
  return nullptr;
}

void SetRates(benchmark::State& state, const Scene& scene, double seconds, int size) {
  const double pixels = static_cast<double>(scene.pixels) * static_cast<double>(state.iterations());
  state.counters["pixels"] = benchmark::Counter(pixels, benchmark::Counter::kIsRate);
  state.counters["x_memset"] = pixels / seconds / MemsetRate(size);
}

// The channels of a 5-6-5 colour through one shade-table row.
inline uint16_t Shade565(const uint8_t* row, uint32_t c) {
  return static_cast<uint16_t>(row[c >> 11] << 11 | row[32 + ((c >> 5) & 63)] << 5 | row[96 + (c & 31)]);
}

// The plain loop: every span of every triangle, u one texel per pixel from
// the span's column, v and the level fixed per row, the family's pixel work.
template <class Work>
void PlainScene(const Scene& scene, const Work& work) {
  uint16_t* pixels = Frame().pixels.data();
  for (size_t i = 0; i < scene.spans.size(); ++i) {
    const uint32_t level = static_cast<uint32_t>(scene.triangles[i][0].q) << 11;
    for (const Span& span : scene.spans[i]) {
      uint32_t u = static_cast<uint32_t>(span.offset % kWidth) << 16;
      const uint32_t v = static_cast<uint32_t>(span.offset / kWidth) << 16;
      uint16_t* pixel = pixels + span.offset;
      for (size_t n = 0; n < span.count; ++n, u += 0x10000) work(pixel[n], u, v, level);
    }
  }
  benchmark::ClobberMemory();
}

inline uint32_t Texel128(uint32_t u, uint32_t v) { return ((v >> 9) & 0x3F80) | ((u >> 16) & 0x7F); }

void PlainFamily(const Scene& scene, Family family) {
  const Tables& t = Tab();
  const uint8_t* texels = t.texels.data();
  const uint16_t* texels16 = t.texels16.data();
  const uint16_t* colours = t.colours.data();
  const uint8_t* shade = t.shade.data();
  const uint16_t colour = t.colour;
  switch (family) {
    case Family::kFlat: {
      uint16_t* pixels = Frame().pixels.data();
      for (const auto& spans : scene.spans)
        for (const Span& span : spans) std::fill_n(pixels + span.offset, span.count, colour);
      benchmark::ClobberMemory();
      return;
    }
    case Family::kShaded:
      return PlainScene(scene, [&](uint16_t& p, uint32_t, uint32_t, uint32_t q) {
        p = Shade565(shade + ((q >> 8) & 0xFF00), colour);
      });
    case Family::kShadedTransparent:
      return PlainScene(scene, [&](uint16_t& p, uint32_t, uint32_t, uint32_t q) {
        const uint8_t* row = shade + ((q >> 8) & 0xFF00);
        if ((row[31] | row[32 + 63] | row[96 + 31]) != 0) p = Shade565(row, colour);
      });
    case Family::kTexture:
      return PlainScene(scene, [&](uint16_t& p, uint32_t u, uint32_t v, uint32_t) {
        p = colours[texels[Texel128(u, v)]];
      });
    case Family::kShadedTexture:
      return PlainScene(scene, [&](uint16_t& p, uint32_t u, uint32_t v, uint32_t q) {
        p = Shade565(shade + ((q >> 8) & 0xFF00), colours[texels[Texel128(u, v)]]);
      });
    case Family::kTransparentTexture:
      return PlainScene(scene, [&](uint16_t& p, uint32_t u, uint32_t v, uint32_t) {
        const uint8_t texel = texels[Texel128(u, v)];
        if (texel != 0) p = colours[texel];
      });
    case Family::kShadedTransparentTexture:
      return PlainScene(scene, [&](uint16_t& p, uint32_t u, uint32_t v, uint32_t q) {
        const uint8_t texel = texels[Texel128(u, v)];
        if (texel != 0) p = Shade565(shade + ((q >> 8) & 0xFF00), colours[texel]);
      });
    case Family::kDirectTexture:
      return PlainScene(scene, [&](uint16_t& p, uint32_t u, uint32_t v, uint32_t) {
        p = texels16[Texel128(u, v)];
      });
  }
}

// The plain loop's pixel rate per family and scene, measured once for at
// least a quarter of a second.
double PlainRate(Family family, int size) {
  static double rates[8][3] = {};
  double& rate = rates[static_cast<int>(family)][size];
  if (rate == 0) {
    const Scene& scene = GetScene(size);
    const auto start = std::chrono::steady_clock::now();
    int64_t rounds = 0;
    std::chrono::duration<double> elapsed{};
    do {
      PlainFamily(scene, family);
      ++rounds;
      elapsed = std::chrono::steady_clock::now() - start;
    } while (elapsed.count() < 0.25);
    rate = static_cast<double>(scene.pixels) * rounds / elapsed.count();
  }
  return rate;
}

void BM_Fill(benchmark::State& state, Family family, int size) {
  const Scene& scene = GetScene(size);
  MemsetRate(size);
  PlainRate(family, size);
  const Tables& tables = Tab();
  const SGRasterFrame* frame = &Frame().frame;
  const ISGTriFill fill = FillOf(family);
  const void* texels = family == Family::kDirectTexture ? static_cast<const void*>(tables.texels16.data())
                                                        : static_cast<const void*>(tables.texels.data());
  const void* colours =
      family == Family::kFlat || family == Family::kShaded || family == Family::kShadedTransparent
          ? static_cast<const void*>(&tables.colour)
          : static_cast<const void*>(tables.colours.data());
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    for (const auto& t : scene.triangles)
      fill(&t[0], &t[1], &t[2], frame, texels, tables.shade.data(), colours);
    benchmark::ClobberMemory();
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  SetRates(state, scene, elapsed.count(), size);
  state.counters["x_plain"] = static_cast<double>(scene.pixels) * static_cast<double>(state.iterations()) /
                              elapsed.count() / PlainRate(family, size);
}

void BM_Memset(benchmark::State& state, int size) {
  const Scene& scene = GetScene(size);
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) MemsetScene(scene);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  SetRates(state, scene, elapsed.count(), size);
}

}  // namespace

BENCHMARK_CAPTURE(BM_Memset, large, 1);
BENCHMARK_CAPTURE(BM_Fill, flat_large, Family::kFlat, 1);
BENCHMARK_CAPTURE(BM_Fill, shaded_large, Family::kShaded, 1);
BENCHMARK_CAPTURE(BM_Fill, shaded_transparent_large, Family::kShadedTransparent, 1);
BENCHMARK_CAPTURE(BM_Fill, texture_large, Family::kTexture, 1);
BENCHMARK_CAPTURE(BM_Fill, shaded_texture_large, Family::kShadedTexture, 1);
BENCHMARK_CAPTURE(BM_Fill, transparent_texture_large, Family::kTransparentTexture, 1);
BENCHMARK_CAPTURE(BM_Fill, shaded_transparent_texture_large, Family::kShadedTransparentTexture, 1);
BENCHMARK_CAPTURE(BM_Fill, direct_texture_large, Family::kDirectTexture, 1);
BENCHMARK_CAPTURE(BM_Memset, small, 0);
BENCHMARK_CAPTURE(BM_Fill, flat_small, Family::kFlat, 0);
BENCHMARK_CAPTURE(BM_Fill, shaded_small, Family::kShaded, 0);
BENCHMARK_CAPTURE(BM_Fill, shaded_transparent_small, Family::kShadedTransparent, 0);
BENCHMARK_CAPTURE(BM_Fill, texture_small, Family::kTexture, 0);
BENCHMARK_CAPTURE(BM_Fill, shaded_texture_small, Family::kShadedTexture, 0);
BENCHMARK_CAPTURE(BM_Fill, transparent_texture_small, Family::kTransparentTexture, 0);
BENCHMARK_CAPTURE(BM_Fill, shaded_transparent_texture_small, Family::kShadedTransparentTexture, 0);
BENCHMARK_CAPTURE(BM_Fill, direct_texture_small, Family::kDirectTexture, 0);
BENCHMARK_CAPTURE(BM_Memset, medium, 2);
BENCHMARK_CAPTURE(BM_Fill, flat_medium, Family::kFlat, 2);
BENCHMARK_CAPTURE(BM_Fill, shaded_medium, Family::kShaded, 2);
BENCHMARK_CAPTURE(BM_Fill, shaded_transparent_medium, Family::kShadedTransparent, 2);
BENCHMARK_CAPTURE(BM_Fill, texture_medium, Family::kTexture, 2);
BENCHMARK_CAPTURE(BM_Fill, shaded_texture_medium, Family::kShadedTexture, 2);
BENCHMARK_CAPTURE(BM_Fill, transparent_texture_medium, Family::kTransparentTexture, 2);
BENCHMARK_CAPTURE(BM_Fill, shaded_transparent_texture_medium, Family::kShadedTransparentTexture, 2);
BENCHMARK_CAPTURE(BM_Fill, direct_texture_medium, Family::kDirectTexture, 2);
