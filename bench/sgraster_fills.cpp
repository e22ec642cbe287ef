// Pixel rates of the 16-bpp triangle fills, per family, for large triangles
// (20 000 to 60 000 pixels), medium ones (40 to 60) and small ones (8 to 12),
// beside baselines timed in turn with the fill's own rounds. Each fill
// reports pixels per second; x_base_path and x_wide_path, its rate (on the
// path its family measured faster at its first draw) over the same fill held
// to the base set and to the 256-bit paths, side by side, so that a path
// slower than the base one on this processor shows as x_base_path below 1
// (wide_path_few and wide_path_many are 1 where the family draws triangles
// of fewer than 2,048 pixels, or of more, with its 256-bit path);
// x_memset, its rate over memset's for the same
// triangles' pixel counts (one memset per triangle); and x_plain, its rate
// over a plain scalar loop doing the same pixel work over the triangles' own
// rows (for the flat fill, a fill of each row), set up once outside the
// timing, so that x_plain below 1 is the cost of the fill's set-up and walk
// (the level, like u, steps across each row by the triangle's own gradient:
// held at one level per triangle, the untextured shaded loops' work folds
// into a store of one colour, a flat fill rather than a shaded one);
// and x_naive, its rate over a textbook floating-point loop that sets each
// triangle up from its vertices (edges, rows, and u, v and level
// interpolated across it) and does the same pixel work over the same rows,
// to within rounding: the fill's rate against a loop that also has to find
// its pixels.
//
// The plain loops are scalar as compiled (the base instruction set has no
// gathers, and the compiler leaves their table reads one by one); only the
// flat one becomes vector stores. For triangles of 20,000 to 60,000 pixels
// four fills stay below twice the plain loop's rate: textured 1.29,
// direct 1.68, shaded textured 1.22 and shaded transparent textured 1.43
// (medians of five alternating pinned runs). Measured with the fills cut
// short (rates over the plain loop, minimum / median of three pinned runs
// alternating with the whole fills, which gave the figures in brackets):
//  - each fill's rows with their keys worked out and stored as the pixels,
//    no table read: textured 3.17 / 3.19 (1.29 / 1.29), direct 2.24 / 2.24
//    (1.67 / 1.68), shaded textured 2.41 / 2.41 (1.22 / 1.22), shaded
//    transparent textured 10.1 / 10.1 (1.45 / 1.45);
//  - the shaded textured fills with their texel and split-colour reads but
//    none from the shade rows: 2.30 / 2.31 and 2.42 / 2.43.
// In shares of the plain loop's time, of which twice the rate leaves 0.50:
// the direct fill's walk, row set-up and stores alone take 0.45, and its
// one read a pixel, eight at a time by a gather, 0.15 more, so its plain
// loop, one read and one store a pixel, leaves the rows too little to save.
// The textured fill's walk and stores take 0.31 and its two reads a pixel,
// the texel and then its colour, with their indices and results moved out
// of and into the vector, 0.46. The shaded textured fills read five times a
// pixel as their plain loop does (texel, colour, three shade-row entries):
// the three shade reads and the channels put together take 0.39 (opaque)
// and 0.28 (transparent) on their own. The ways these reads were tried
// otherwise, and what they measured, are beside the operations in
// sg/raster/pixelops16avx2.h.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <random>
#include <vector>

#include "bench/sgraster_scene.h"
#include "sg/raster/fill16.h"
#include "sg/raster/vectorset.h"

namespace {

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
        for (int j = 0; j < (1 << b); ++j) shade[level * 256 + offset + j] = static_cast<uint8_t>(j * level / 255);
        offset += 1 << b;
      }
    }
  }
};

const Tables& Tab() {
  static const Tables tables;
  return tables;
}

const Scene& GetScene(int size) {
  static const Scene scenes[kSceneSizes] = {MakeScene<uint16_t>(kSmall, ISGFill16Flat, 255),
                                            MakeScene<uint16_t>(kLarge, ISGFill16Flat, 255),
                                            MakeScene<uint16_t>(kMedium, ISGFill16Flat, 255)};
  return scenes[size];
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

// The family's own 256-bit path, where it has one.
std::optional<ISGWidePath> WidePathOf(Family family) {
  switch (family) {
    case Family::kShaded:
      return ISGWidePath::kShaded;
    case Family::kShadedTransparent:
      return ISGWidePath::kShadedTransparent;
    case Family::kTexture:
      return ISGWidePath::kTexture;
    case Family::kTransparentTexture:
      return ISGWidePath::kTransparentTexture;
    case Family::kShadedTransparentTexture:
      return ISGWidePath::kShadedTransparentTexture;
    case Family::kDirectTexture:
      return ISGWidePath::kDirectTexture;
    case Family::kFlat:
    case Family::kShadedTexture:
      break;
  }
  return std::nullopt;
}

// The channels of a 5-6-5 colour through one shade-table row.
inline uint16_t Shade565(const uint8_t* row, uint32_t c) {
  return static_cast<uint16_t>(row[c >> 11] << 11 | row[32 + ((c >> 5) & 63)] << 5 | row[96 + (c & 31)]);
}

// Each triangle's level across its rows, in 16.16 as the fills
// interpolate it: at the first pixel of each span and its step a column.
struct SceneLevels {
  std::vector<std::vector<uint32_t>> starts;
  std::vector<uint32_t> steps;

  explicit SceneLevels(const Scene& scene) {
    for (size_t i = 0; i < scene.triangles.size(); ++i) {
      const auto& t = scene.triangles[i];
      const double x0 = t[0].x / 32.0, y0 = t[0].y / 32.0, x1 = t[1].x / 32.0, y1 = t[1].y / 32.0;
      const double x2 = t[2].x / 32.0, y2 = t[2].y / 32.0;
      const double area = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0);
      const double q0 = t[0].q * 2048.0, q1 = t[1].q * 2048.0, q2 = t[2].q * 2048.0;
      const double gx = ((q1 - q0) * (y2 - y0) - (q2 - q0) * (y1 - y0)) / area;
      const double gy = ((q2 - q0) * (x1 - x0) - (q1 - q0) * (x2 - x0)) / area;
      std::vector<uint32_t> spanStarts;
      for (const SceneSpan& span : scene.spans[i]) {
        const double x = static_cast<double>(span.offset % kSceneWidth);
        const double y = static_cast<double>(span.offset / kSceneWidth);
        spanStarts.push_back(static_cast<uint32_t>(static_cast<int64_t>(q0 + (x - x0) * gx + (y - y0) * gy)));
      }
      starts.push_back(std::move(spanStarts));
      steps.push_back(static_cast<uint32_t>(static_cast<int64_t>(gx)));
    }
  }
};

const SceneLevels& GetLevels(int size) {
  static const SceneLevels levels[kSceneSizes] = {SceneLevels(GetScene(kSmall)), SceneLevels(GetScene(kLarge)),
                                                  SceneLevels(GetScene(kMedium))};
  return levels[size];
}

// The plain loop: every span of every triangle, u one texel per pixel from
// the span's column, v fixed per row, the level from the span's start by
// the triangle's step, the family's pixel work.
template <class Work>
void PlainScene(const Scene& scene, const SceneLevels& levels, const Work& work) {
  uint16_t* pixels = SceneFrame<uint16_t>().pixels.data();
  for (size_t i = 0; i < scene.spans.size(); ++i) {
    const uint32_t step = levels.steps[i];
    for (size_t s = 0; s < scene.spans[i].size(); ++s) {
      const SceneSpan& span = scene.spans[i][s];
      uint32_t u = static_cast<uint32_t>(span.offset % kSceneWidth) << 16;
      const uint32_t v = static_cast<uint32_t>(span.offset / kSceneWidth) << 16;
      uint32_t level = levels.starts[i][s];
      uint16_t* pixel = pixels + span.offset;
      for (size_t n = 0; n < span.count; ++n, u += 0x10000, level += step) work(pixel[n], u, v, level);
    }
  }
  benchmark::ClobberMemory();
}

inline uint32_t Texel128(uint32_t u, uint32_t v) { return ((v >> 9) & 0x3F80) | ((u >> 16) & 0x7F); }

// The textbook loop: each triangle sorted by y, its edges and gradients in
// float, the rows from the top y rounded up to before the bottom y rounded
// up, in each the columns from the left edge rounded up to the right edge
// rounded down; u, v and the level (16.16, as the plain loop's) start each
// row from the gradients and step by the x gradients.
template <class Work>
void NaiveScene(const Scene& scene, const Work& work) {
  uint16_t* pixels = SceneFrame<uint16_t>().pixels.data();
  for (const auto& t : scene.triangles) {
    const SGQVert *a = &t[0], *b = &t[1], *c = &t[2];
    if (b->y < a->y) std::swap(a, b);
    if (c->y < a->y) std::swap(a, c);
    if (c->y < b->y) std::swap(b, c);
    const float x0 = a->x / 32.0f, y0 = a->y / 32.0f, x1 = b->x / 32.0f, y1 = b->y / 32.0f;
    const float x2 = c->x / 32.0f, y2 = c->y / 32.0f;
    const float area = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0);
    if (area == 0 || y2 == y0) continue;
    const float perArea = 2048.0f / area;  // 16.16 from values x 32
    const auto gradients = [&](float v0, float v1, float v2) {
      return std::array<float, 2>{((v1 - v0) * (y2 - y0) - (v2 - v0) * (y1 - y0)) * perArea,
                                  ((v2 - v0) * (x1 - x0) - (v1 - v0) * (x2 - x0)) * perArea};
    };
    const auto gu = gradients(a->u, b->u, c->u), gv = gradients(a->v, b->v, c->v), gq = gradients(a->q, b->q, c->q);
    const float longSlope = (x2 - x0) / (y2 - y0);
    const float upperSlope = y1 > y0 ? (x1 - x0) / (y1 - y0) : 0.0f;
    const float lowerSlope = y2 > y1 ? (x2 - x1) / (y2 - y1) : 0.0f;
    const uint32_t du = static_cast<uint32_t>(static_cast<int32_t>(gu[0]));
    const uint32_t dv = static_cast<uint32_t>(static_cast<int32_t>(gv[0]));
    const uint32_t dq = static_cast<uint32_t>(static_cast<int32_t>(gq[0]));
    for (int row = static_cast<int>(std::ceil(y0)); row < static_cast<int>(std::ceil(y2)); ++row) {
      const float y = static_cast<float>(row);
      const float longX = x0 + (y - y0) * longSlope;
      const float shortX = y < y1 ? x0 + (y - y0) * upperSlope : x1 + (y - y1) * lowerSlope;
      const int left = static_cast<int>(std::ceil(std::min(longX, shortX)));
      const int right = static_cast<int>(std::floor(std::max(longX, shortX)));
      const float dx = static_cast<float>(left) - x0, dy = y - y0;
      uint32_t u = static_cast<uint32_t>(static_cast<int32_t>(a->u * 2048.0f + dx * gu[0] + dy * gu[1]));
      uint32_t v = static_cast<uint32_t>(static_cast<int32_t>(a->v * 2048.0f + dx * gv[0] + dy * gv[1]));
      uint32_t q = static_cast<uint32_t>(static_cast<int32_t>(a->q * 2048.0f + dx * gq[0] + dy * gq[1]));
      uint16_t* pixel = pixels + static_cast<ptrdiff_t>(row) * kSceneWidth;
      for (int x = left; x <= right; ++x, u += du, v += dv, q += dq) work(pixel[x], u, v, q);
    }
  }
  benchmark::ClobberMemory();
}

// The pixel work of each family on one pixel, from its u, v and level in
// 16.16; kFlat's is a store of the colour.
template <class Round>
void FamilyWork(Family family, const Round& round) {
  const Tables& t = Tab();
  const uint8_t* texels = t.texels.data();
  const uint16_t* texels16 = t.texels16.data();
  const uint16_t* colours = t.colours.data();
  const uint8_t* shade = t.shade.data();
  const uint16_t colour = t.colour;
  switch (family) {
    case Family::kFlat:
      return round([&](uint16_t& p, uint32_t, uint32_t, uint32_t) { p = colour; });
    case Family::kShaded:
      return round(
          [&](uint16_t& p, uint32_t, uint32_t, uint32_t q) { p = Shade565(shade + ((q >> 8) & 0xFF00), colour); });
    case Family::kShadedTransparent:
      return round([&](uint16_t& p, uint32_t, uint32_t, uint32_t q) {
        const uint8_t* row = shade + ((q >> 8) & 0xFF00);
        if ((row[31] | row[32 + 63] | row[96 + 31]) != 0) p = Shade565(row, colour);
      });
    case Family::kTexture:
      return round([&](uint16_t& p, uint32_t u, uint32_t v, uint32_t) { p = colours[texels[Texel128(u, v)]]; });
    case Family::kShadedTexture:
      return round([&](uint16_t& p, uint32_t u, uint32_t v, uint32_t q) {
        p = Shade565(shade + ((q >> 8) & 0xFF00), colours[texels[Texel128(u, v)]]);
      });
    case Family::kTransparentTexture:
      return round([&](uint16_t& p, uint32_t u, uint32_t v, uint32_t) {
        const uint8_t texel = texels[Texel128(u, v)];
        if (texel != 0) p = colours[texel];
      });
    case Family::kShadedTransparentTexture:
      return round([&](uint16_t& p, uint32_t u, uint32_t v, uint32_t q) {
        const uint8_t texel = texels[Texel128(u, v)];
        if (texel != 0) p = Shade565(shade + ((q >> 8) & 0xFF00), colours[texel]);
      });
    case Family::kDirectTexture:
      return round([&](uint16_t& p, uint32_t u, uint32_t v, uint32_t) { p = texels16[Texel128(u, v)]; });
  }
}

void PlainFamily(const Scene& scene, const SceneLevels& levels, Family family) {
  if (family == Family::kFlat) {
    const uint16_t colour = Tab().colour;
    uint16_t* pixels = SceneFrame<uint16_t>().pixels.data();
    for (const auto& spans : scene.spans)
      for (const SceneSpan& span : spans) std::fill_n(pixels + span.offset, span.count, colour);
    benchmark::ClobberMemory();
    return;
  }
  FamilyWork(family, [&](const auto& work) { PlainScene(scene, levels, work); });
}

void NaiveFamily(const Scene& scene, Family family) {
  FamilyWork(family, [&](const auto& work) { NaiveScene(scene, work); });
}

void BM_Fill(benchmark::State& state, Family family, int size) {
  const Scene& scene = GetScene(size);
  const SceneLevels& levels = GetLevels(size);
  const Tables& tables = Tab();
  const SGRasterFrame* frame = &SceneFrame<uint16_t>().frame;
  const ISGTriFill fill = FillOf(family);
  const void* texels = family == Family::kDirectTexture ? static_cast<const void*>(tables.texels16.data())
                                                        : static_cast<const void*>(tables.texels.data());
  const void* colours = family == Family::kFlat || family == Family::kShaded || family == Family::kShadedTransparent
                            ? static_cast<const void*>(&tables.colour)
                            : static_cast<const void*>(tables.colours.data());
  // The same fill held to each vector set in turn: the path the fill took
  // against each path it could take.
  const auto heldTo = [&](ISGVectorSet set) {
    ISGLimitVectorSet(set);
    for (const auto& t : scene.triangles) fill(&t[0], &t[1], &t[2], frame, texels, tables.shade.data(), colours);
    benchmark::ClobberMemory();
    ISGUseMeasuredVectorPaths();
  };
  RunFillScene(state, scene, fill, frame, texels, tables.shade.data(), colours,
               {{"x_base_path", [&] { heldTo(ISGVectorSet::kBase); }},
                {"x_wide_path", [&] { heldTo(ISGVectorSet::kAvx2); }},
                {"x_memset", [&] { MemsetScene<uint16_t>(scene); }},
                {"x_plain", [&] { PlainFamily(scene, levels, family); }},
                {"x_naive", [&] { NaiveFamily(scene, family); }}});
  if (const auto path = WidePathOf(family)) {
    // The shaded families draw only triangles of many pixels on a wide path.
    if (family == Family::kTexture || family == Family::kTransparentTexture || family == Family::kDirectTexture)
      state.counters["wide_path_few"] = ISGWidePathMeasuredFaster(*path, false);
    state.counters["wide_path_many"] = ISGWidePathMeasuredFaster(*path, true);
  }
}

void BM_Memset(benchmark::State& state, int size) {
  const Scene& scene = GetScene(size);
  for (auto _ : state) MemsetScene<uint16_t>(scene);
  state.counters["pixels"] = benchmark::Counter(
      static_cast<double>(scene.pixels) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

#define FILLS(size, kind)                                                                                     \
  BENCHMARK_CAPTURE(BM_Memset, size, kind);                                                                   \
  BENCHMARK_CAPTURE(BM_Fill, flat_##size, Family::kFlat, kind)->UseManualTime();                              \
  BENCHMARK_CAPTURE(BM_Fill, shaded_##size, Family::kShaded, kind)->UseManualTime();                          \
  BENCHMARK_CAPTURE(BM_Fill, shaded_transparent_##size, Family::kShadedTransparent, kind)->UseManualTime();   \
  BENCHMARK_CAPTURE(BM_Fill, texture_##size, Family::kTexture, kind)->UseManualTime();                        \
  BENCHMARK_CAPTURE(BM_Fill, shaded_texture_##size, Family::kShadedTexture, kind)->UseManualTime();           \
  BENCHMARK_CAPTURE(BM_Fill, transparent_texture_##size, Family::kTransparentTexture, kind)->UseManualTime(); \
  BENCHMARK_CAPTURE(BM_Fill, shaded_transparent_texture_##size, Family::kShadedTransparentTexture, kind)      \
      ->UseManualTime();                                                                                      \
  BENCHMARK_CAPTURE(BM_Fill, direct_texture_##size, Family::kDirectTexture, kind)->UseManualTime()

FILLS(large, kLarge);
FILLS(small, kSmall);
FILLS(medium, kMedium);
