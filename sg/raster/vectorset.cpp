#include "sg/raster/vectorset.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <vector>

#include "sg/raster/fill16.h"

namespace {

using isg_detail::kChoices;

bool ProcessorHasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

enum class Mode { kMeasured, kHeldToBase, kHeldToWide };
Mode g_mode = Mode::kMeasured;
// What each family measured for each size; kept while the fills are held to
// one set.
std::uint8_t g_measured[kChoices] = {isg_detail::kNotMeasured, isg_detail::kNotMeasured, isg_detail::kNotMeasured,
                                     isg_detail::kNotMeasured, isg_detail::kNotMeasured, isg_detail::kNotMeasured,
                                     isg_detail::kNotMeasured, isg_detail::kNotMeasured, isg_detail::kNotMeasured,
                                     isg_detail::kNotMeasured, isg_detail::kNotMeasured, isg_detail::kNotMeasured};
static_assert(kChoices == 12);

void Apply() {
  const bool wide = ProcessorHasAvx2();
  for (std::size_t c = 0; c < kChoices; ++c) {
    switch (g_mode) {
      case Mode::kMeasured:
        isg_detail::g_drawWith[c] = g_measured[c];
        break;
      case Mode::kHeldToBase:
        isg_detail::g_drawWith[c] = isg_detail::kDrawBase;
        break;
      case Mode::kHeldToWide:
        isg_detail::g_drawWith[c] = wide ? isg_detail::kDrawWide : isg_detail::kDrawBase;
        break;
    }
  }
}

// Without the wide set there is nothing to measure.
void Start() {
  static const bool started = [] {
    if (!ProcessorHasAvx2()) std::fill(std::begin(g_measured), std::end(g_measured), isg_detail::kDrawBase);
    Apply();
    return true;
  }();
  (void)started;
}

// Triangles of few pixels: squares of 6, 12, 24 and 48 pixels cut in two,
// over one band of 96 x 96 pixels a size, from the short rows where a wide
// path has least to gain to the longest below ISGManyPixels. Triangles of
// many pixels: squares of 96 cut in two (4,608 pixels each), over the same
// area, which the shaded fills draw through their per-triangle tables.
constexpr int kBand = 96;
constexpr int kMargin = 2;
constexpr int kFewSizes[] = {6, 12, 24, 48};
constexpr int kBands = static_cast<int>(std::size(kFewSizes));
constexpr int kFrameWidth = kBand + 2 * kMargin;
constexpr int kFrameHeight = kBands * (kBand + kMargin) + kMargin;

struct Sample {
  std::vector<SGQVert> few, many;  // three corners per triangle
  std::vector<std::uint16_t> pixels = std::vector<std::uint16_t>(std::size_t{kFrameWidth} * kFrameHeight);
  std::vector<std::uint8_t> texels = std::vector<std::uint8_t>(64 * 64);
  std::vector<std::uint16_t> texels16 = std::vector<std::uint16_t>(64 * 64);
  std::vector<std::uint16_t> colours = std::vector<std::uint16_t>(256);
  std::vector<std::uint8_t> shade = std::vector<std::uint8_t>(256 * 256);
  SGRasterFrame frame{};

  Sample() {
    int top = kMargin;
    for (const int size : kFewSizes) {
      AddSquares(few, top, size);
      AddSquares(many, top, kBand);
      top += kBand + kMargin;
    }
    // A fixed scramble: texel 0, transparent, about one time in eight.
    std::uint32_t seed = 12345;
    const auto next = [&seed] {
      seed = seed * 1103515245u + 12345u;
      return seed >> 8;
    };
    for (std::uint8_t& t : texels) t = next() % 8 == 0 ? 0 : static_cast<std::uint8_t>(next());
    for (std::uint16_t& t : texels16) t = static_cast<std::uint16_t>(next());
    for (std::uint16_t& c : colours) c = static_cast<std::uint16_t>(next());
    const int bits[3] = {5, 6, 5};
    for (int level = 0; level < 256; ++level) {
      std::size_t at = std::size_t(level) * 256;
      for (const int b : bits)
        for (int j = 0; j < (1 << b); ++j) shade[at++] = static_cast<std::uint8_t>(j * level / 255);
    }
    frame.fbPixels = pixels.data();
    frame.fbPitch = kFrameWidth * 2;
    frame.fbPixelFormat = {5, 0xF800, 11, 6, 0x07E0, 5, 5, 0x001F, 0};
  }

  // The band from row `top` tiled with squares of `size`, each cut into two
  // clockwise triangles; texture and level vary across the band.
  static void AddSquares(std::vector<SGQVert>& out, int top, int size) {
    const auto corner = [](int x, int y) {
      SGQVert v{};
      v.x = x * 32;
      v.y = y * 32;
      v.u = static_cast<float>(x * 48);
      v.v = static_cast<float>(y * 40);
      v.q = static_cast<float>((40 + (x + y) % 180) * 32 + 16);
      return v;
    };
    for (int y = top; y + size <= top + kBand; y += size)
      for (int x = kMargin; x + size <= kMargin + kBand; x += size) {
        const SGQVert a = corner(x, y), b = corner(x + size, y), c = corner(x + size, y + size),
                      d = corner(x, y + size);
        out.insert(out.end(), {a, b, c, a, c, d});
      }
  }

  void Draw(const std::vector<SGQVert>& corners, ISGTriFill fill, const void* texelBlock) {
    for (std::size_t i = 0; i + 2 < corners.size(); i += 3)
      fill(&corners[i], &corners[i + 1], &corners[i + 2], &frame, texelBlock, shade.data(), colours.data());
  }
};

ISGTriFill SampleFill(ISGWidePath path) {
  switch (path) {
    case ISGWidePath::kShaded:
      return ISGFill16Shaded;
    case ISGWidePath::kShadedTransparent:
      return ISGFill16ShadedTransparent;
    case ISGWidePath::kTexture:
      return ISGFill16Texture64x64;
    case ISGWidePath::kTransparentTexture:
      return ISGFill16TransparentTexture64x64;
    case ISGWidePath::kShadedTransparentTexture:
      return ISGFill16ShadedTransparentTexture64x64;
    case ISGWidePath::kDirectTexture:
    case ISGWidePath::kCount:
      break;
  }
  return ISGFill16DirectTexture64x64;
}

// The shortest of several rounds: another program taking the processor
// lengthens some rounds, never shortens one.
constexpr int kRounds = 7;

}  // namespace

namespace isg_detail {

// Every choice unmeasured until the first draw that needs it, before any
// other static object of the program is made.
std::uint8_t g_drawWith[kChoices] = {kNotMeasured, kNotMeasured, kNotMeasured, kNotMeasured,
                                     kNotMeasured, kNotMeasured, kNotMeasured, kNotMeasured,
                                     kNotMeasured, kNotMeasured, kNotMeasured, kNotMeasured};

bool MeasureWidePath(ISGWidePath path, bool manyPixels) {
  Start();
  const std::size_t c = static_cast<std::size_t>(path) * 2 + (manyPixels ? 1 : 0);
  if (g_measured[c] == kNotMeasured) {
    static Sample sample;
    const ISGTriFill fill = SampleFill(path);
    const void* texels = path == ISGWidePath::kDirectTexture ? static_cast<const void*>(sample.texels16.data())
                                                             : static_cast<const void*>(sample.texels.data());
    const std::vector<SGQVert>& corners = manyPixels ? sample.many : sample.few;
    const auto timed = [&](std::uint8_t with) {
      g_drawWith[c] = with;
      const auto begin = std::chrono::steady_clock::now();
      sample.Draw(corners, fill, texels);
      return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    };
    timed(kDrawBase);
    timed(kDrawWide);
    const auto series = [&] {
      double base[kRounds], wide[kRounds];
      for (int round = 0; round < kRounds; ++round) {
        base[round] = timed(kDrawBase);
        wide[round] = timed(kDrawWide);
      }
      return ISGWideWinsClearly(base, wide, kRounds);
    };
    // A second series confirms a win: one noisy series never makes the
    // program draw for its life with a path slower than the base one.
    g_measured[c] = series() && series() ? kDrawWide : kDrawBase;
  }
  Apply();
  return g_drawWith[c] == kDrawWide;
}

}  // namespace isg_detail

bool ISGWideWinsClearly(const double* base, const double* wide, std::size_t rounds) {
  if (rounds == 0) return false;
  const double bestBase = *std::min_element(base, base + rounds);
  const double bestWide = *std::min_element(wide, wide + rounds);
  std::size_t wins = 0;
  for (std::size_t i = 0; i < rounds; ++i) wins += wide[i] < base[i] ? 1 : 0;
  return bestWide <= kISGWideMargin * bestBase && 2 * wins > rounds;
}

ISGVectorSet ISGVectorSetInUse() {
  Start();
  return g_mode != Mode::kHeldToBase && ProcessorHasAvx2() ? ISGVectorSet::kAvx2 : ISGVectorSet::kBase;
}

void ISGLimitVectorSet(ISGVectorSet set) {
  Start();
  g_mode = set == ISGVectorSet::kAvx2 ? Mode::kHeldToWide : Mode::kHeldToBase;
  Apply();
}

void ISGUseMeasuredVectorPaths() {
  Start();
  g_mode = Mode::kMeasured;
  Apply();
}

bool ISGWidePathMeasuredFaster(ISGWidePath path, bool manyPixels) {
  isg_detail::MeasureWidePath(path, manyPixels);
  return g_measured[static_cast<std::size_t>(path) * 2 + (manyPixels ? 1 : 0)] == isg_detail::kDrawWide;
}
