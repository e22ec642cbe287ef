// The span rasteriser against the per-fragment one it replaced: random
// triangles in every render state the device passes on, drawn by both into
// equal targets, must leave the same pixels and the same depths.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "platform/d3d/d3draster.h"
#include "reference_raster.h"

namespace d3dtest {
namespace {

using namespace plat;
using namespace plat::d3d_impl;

constexpr DWORD kWidth = 61, kHeight = 47;

struct Target {
  std::vector<WORD> pixels = std::vector<WORD>(kWidth * kHeight);
  std::vector<float> depth = std::vector<float>(kWidth * kHeight);
  RasterTarget View(bool is555, const RECT& clip) {
    RasterTarget t;
    t.bits = reinterpret_cast<BYTE*>(pixels.data());
    t.pitch = static_cast<LONG>(kWidth * 2);
    t.width = kWidth;
    t.height = kHeight;
    t.is555 = is555;
    t.depth = depth.data();
    t.clip = clip;
    return t;
  }
};

struct Texture {
  std::vector<WORD> texels;
  RasterTexture view;
  Texture(std::mt19937& random, DWORD width, DWORD height, bool is555, bool keyed) : texels(width * height) {
    for (WORD& t : texels) t = static_cast<WORD>(random() % 4 == 0 ? 0x1234 : random());
    view.bits = reinterpret_cast<const BYTE*>(texels.data());
    view.pitch = static_cast<LONG>(width * 2);
    view.width = width;
    view.height = height;
    view.is555 = is555;
    view.hasKey = keyed;
    view.key = 0x1234;
  }
};

float Uniform(std::mt19937& random, float lo, float hi) {
  return lo + (hi - lo) * static_cast<float>(random() % 100000) / 100000.f;
}

D3DTLVERTEX Vertex(std::mt19937& random, float reach) {
  D3DTLVERTEX v{};
  v.sx = Uniform(random, -reach, static_cast<float>(kWidth) + reach);
  v.sy = Uniform(random, -reach, static_cast<float>(kHeight) + reach);
  v.sz = Uniform(random, 0.f, 1.f);
  v.rhw = Uniform(random, 0.05f, 2.f);
  v.color = static_cast<D3DCOLOR>(random());
  if (random() % 2 == 0) v.color |= 0xFF000000u;  // opaque, as most of the game's are
  v.specular = static_cast<D3DCOLOR>(random());
  v.tu = Uniform(random, -3.f, 3.f);
  v.tv = Uniform(random, -3.f, 3.f);
  return v;
}

template <class T>
T Pick(std::mt19937& random, std::initializer_list<T> values) {
  return values.begin()[random() % values.size()];
}

// Each drawing test runs with the grouped states shaded four pixels at a
// time and, where the processor has AVX2, eight at a time.
class SpanRaster : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (SetWideLanes(GetParam()) != GetParam()) GTEST_SKIP() << "no AVX2 on this processor";
  }
  void TearDown() override { SetWideLanes(true); }
};

// The usual states of the game's textured, blended faces, both sides drawn.
RasterState BlendedTextured(const Texture& texture) {
  RasterState st;
  st.cull = D3DCULL_NONE;
  st.linear = true;
  st.alphaBlend = true;
  st.srcBlend = D3DBLEND_SRCALPHA;
  st.destBlend = D3DBLEND_INVSRCALPHA;
  st.texture = &texture.view;
  return st;
}

// The triangle list `v` drawn in one call over random old pixels, and each of
// its triangles drawn by the per-fragment rasteriser over the same.
struct DrawnBothWays {
  Target before, spans, fragments;
};
DrawnBothWays DrawListBothWays(std::mt19937& random, const RasterState& st, std::vector<D3DTLVERTEX>& v,
                               const RECT& clip) {
  DrawnBothWays d;
  for (WORD& p : d.before.pixels) p = static_cast<WORD>(random());
  d.spans = d.fragments = d.before;
  DrawPrimitives(d.spans.View(false, clip), st, D3DPT_TRIANGLELIST, v.data(), nullptr, static_cast<DWORD>(v.size()));
  for (std::size_t i = 0; i < v.size(); i += 3)
    ReferenceDrawTriangle(d.fragments.View(false, clip), st, v[i], v[i + 1], v[i + 2]);
  return d;
}

INSTANTIATE_TEST_SUITE_P(Lanes, SpanRaster, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Eight" : "Four"; });

TEST_P(SpanRaster, DrawsWhatThePerFragmentRasteriserDrew) {
  std::mt19937 random(20240);
  Texture textures[] = {Texture(random, 16, 16, false, true), Texture(random, 64, 32, false, false),
                        Texture(random, 12, 10, true, true), Texture(random, 8, 64, true, false)};
  int drawnPixels = 0;
  for (int round = 0; round < 3000; ++round) {
    const bool is555 = random() % 4 == 0;
    RasterState st;
    st.shade = Pick(random, {DWORD{D3DSHADE_GOURAUD}, DWORD{D3DSHADE_FLAT}});
    st.fill =
        random() % 10 == 0 ? Pick(random, {DWORD{D3DFILL_WIREFRAME}, DWORD{D3DFILL_POINT}}) : DWORD{D3DFILL_SOLID};
    st.cull = Pick(random, {DWORD{D3DCULL_NONE}, DWORD{D3DCULL_CW}, DWORD{D3DCULL_CCW}});
    st.perspective = random() % 2 == 0;
    st.linear = random() % 5 == 0;
    st.clampUV = random() % 5 == 0;
    st.mapBlend = Pick(random, {DWORD{D3DTBLEND_MODULATE}, DWORD{D3DTBLEND_MODULATE}, DWORD{D3DTBLEND_DECAL},
                                DWORD{D3DTBLEND_DECALALPHA}, DWORD{D3DTBLEND_MODULATEALPHA}});
    st.alphaBlend = random() % 2 == 0;
    st.srcBlend = random() % 2 == 0 ? DWORD{D3DBLEND_SRCALPHA} : static_cast<DWORD>(1 + random() % 10);
    st.destBlend = random() % 2 == 0 ? DWORD{D3DBLEND_INVSRCALPHA} : static_cast<DWORD>(1 + random() % 10);
    st.zEnable = random() % 2 == 0;
    st.zWrite = random() % 2 == 0;
    st.zFunc = static_cast<DWORD>(1 + random() % 8);
    st.fog = random() % 2 == 0;
    st.fogColour = static_cast<D3DCOLOR>(random());
    st.specular = random() % 3 == 0;
    st.colourKey = random() % 2 == 0;
    Texture& texture = textures[random() % 4];
    texture.view.is555 = is555;
    st.texture = random() % 5 == 0 ? nullptr : &texture.view;
    const RECT clip = random() % 3 == 0 ? RECT{3, 2, 50, 40} : RECT{0, 0, LONG{kWidth}, LONG{kHeight}};

    Target before;
    for (WORD& p : before.pixels) p = static_cast<WORD>(random());
    for (float& d : before.depth) d = Uniform(random, 0.f, 1.f);
    Target spans = before, fragments = before;
    const float reach = random() % 4 == 0 ? 200.f : 10.f;
    for (int t = 0; t < 4; ++t) {
      const D3DTLVERTEX a = Vertex(random, reach), b = Vertex(random, reach), c = Vertex(random, reach);
      DrawTriangle(spans.View(is555, clip), st, a, b, c);
      ReferenceDrawTriangle(fragments.View(is555, clip), st, a, b, c);
    }
    ASSERT_EQ(spans.pixels, fragments.pixels) << "round " << round;
    ASSERT_EQ(spans.depth, fragments.depth) << "round " << round;
    for (std::size_t i = 0; i < before.pixels.size(); ++i) drawnPixels += spans.pixels[i] != before.pixels[i];
  }
  EXPECT_GT(drawnPixels, 300000);  // the rounds drew, rather than agreeing on nothing
}

// The game's usual states (a filtered, wrapped, modulated texture without
// depth, fog or specular) take a path of their own that shades several
// pixels at once: from specks to triangles larger than the target, with
// texture coordinates that overflow, vanish or are not numbers at all.
TEST_P(SpanRaster, TheGamesUsualStatesDrawWhatThePerFragmentRasteriserDrew) {
  std::mt19937 random(777);
  Texture textures[] = {Texture(random, 64, 64, false, false), Texture(random, 16, 8, false, false),
                        Texture(random, 1, 32, false, false)};
  int drawnPixels = 0;
  for (int round = 0; round < 2000; ++round) {
    const bool is555 = random() % 4 == 0;
    RasterState st;
    st.shade = Pick(random, {DWORD{D3DSHADE_GOURAUD}, DWORD{D3DSHADE_FLAT}});
    st.cull = D3DCULL_NONE;
    st.perspective = random() % 4 != 0;
    st.linear = true;
    st.mapBlend = Pick(random, {DWORD{D3DTBLEND_MODULATE}, DWORD{D3DTBLEND_MODULATEALPHA}});
    st.alphaBlend = random() % 3 != 0;
    st.srcBlend = random() % 4 != 0 ? DWORD{D3DBLEND_SRCALPHA} : static_cast<DWORD>(1 + random() % 10);
    st.destBlend = random() % 4 != 0 ? DWORD{D3DBLEND_INVSRCALPHA} : static_cast<DWORD>(1 + random() % 10);
    st.colourKey = random() % 2 == 0;  // the textures have no key: it changes nothing
    Texture& texture = textures[random() % 3];
    texture.view.is555 = is555;
    st.texture = &texture.view;
    const RECT clip = random() % 3 == 0 ? RECT{3, 2, 50, 40} : RECT{0, 0, LONG{kWidth}, LONG{kHeight}};

    Target before;
    for (WORD& p : before.pixels) p = static_cast<WORD>(random());
    Target spans = before, fragments = before;
    // One call of overlapping triangles: the queue of pixels runs on from
    // one to the next, and what blends must still see what came before.
    const float size = Pick(random, {0.7f, 3.f, 12.f, 80.f});
    const float x = Uniform(random, -5.f, static_cast<float>(kWidth) + 5.f);
    const float y = Uniform(random, -5.f, static_cast<float>(kHeight) + 5.f);
    D3DTLVERTEX v[9];
    for (D3DTLVERTEX& corner : v) {
      corner = Vertex(random, 0.f);
      corner.sx = x + Uniform(random, -size, size);
      corner.sy = y + Uniform(random, -size, size);
      if (random() % 2 == 0) corner.color |= 0xFF000000u;
      switch (random() % 40) {
        case 0:
          corner.tu = 3e9f;
          break;
        case 1:
          corner.tv = -std::numeric_limits<float>::infinity();
          break;
        case 2:
          corner.tu = std::numeric_limits<float>::quiet_NaN();
          break;
        case 3:
          corner.rhw = 0.f;
          break;
        case 4:
          corner.rhw = 1e-30f;
          break;
        default:
          break;
      }
    }
    const D3DPRIMITIVETYPE type = Pick(random, {D3DPT_TRIANGLELIST, D3DPT_TRIANGLESTRIP, D3DPT_TRIANGLEFAN});
    const WORD backwards[9] = {8, 7, 6, 5, 4, 3, 2, 1, 0};
    const WORD* indices = random() % 2 == 0 ? backwards : nullptr;
    DrawPrimitives(spans.View(is555, clip), st, type, v, indices, 9);
    const auto at = [&](int i) -> const D3DTLVERTEX& { return v[indices != nullptr ? indices[i] : i]; };
    for (int i = 0; i < 7; ++i) {
      const RasterTarget view = fragments.View(is555, clip);
      if (type == D3DPT_TRIANGLELIST) {
        if (i % 3 == 0) ReferenceDrawTriangle(view, st, at(i), at(i + 1), at(i + 2));
      } else if (type == D3DPT_TRIANGLEFAN) {
        ReferenceDrawTriangle(view, st, at(0), at(i + 1), at(i + 2));
      } else if (i % 2 == 0) {
        ReferenceDrawTriangle(view, st, at(i), at(i + 1), at(i + 2));
      } else {
        ReferenceDrawTriangle(view, st, at(i + 1), at(i), at(i + 2));
      }
    }
    ASSERT_EQ(spans.pixels, fragments.pixels) << "round " << round;
    for (std::size_t i = 0; i < before.pixels.size(); ++i) drawnPixels += spans.pixels[i] != before.pixels[i];
  }
  EXPECT_GT(drawnPixels, 200000);
}

// Each edge's crossing is walked from row to row by a quotient and a
// remainder: fans of long slivers reaching far outside the target, their
// edges shared, half of them on a grid where edges pass exactly through
// samples, must cover the samples the per-fragment rasteriser covered.
TEST_P(SpanRaster, SliversFromFarAwayCoverTheSameSamples) {
  std::mt19937 random(4242);
  for (int round = 0; round < 1500; ++round) {
    RasterState st;
    st.cull = D3DCULL_NONE;
    st.shade = D3DSHADE_FLAT;
    st.alphaBlend = random() % 2 == 0;
    st.srcBlend = D3DBLEND_ONE;
    st.destBlend = D3DBLEND_ONE;  // overlaps add up, so a sample drawn twice shows
    const float far = Pick(random, {12.f, 50.f, 5000.f, 400000.f});
    D3DTLVERTEX v[6];
    for (D3DTLVERTEX& corner : v) {
      corner = Vertex(random, 0.f);
      corner.color = 0xFF081018u;
    }
    // A hub inside the target and a rim of points far off in every direction.
    v[0].sx = Uniform(random, 0.f, static_cast<float>(kWidth));
    v[0].sy = Uniform(random, 0.f, static_cast<float>(kHeight));
    for (int i = 1; i < 6; ++i) {
      const float angle = Uniform(random, 0.f, 6.2831853f);
      v[i].sx = v[0].sx + far * std::cos(angle);
      v[i].sy = v[0].sy + far * std::sin(angle);
    }
    if (round % 2 == 0) {
      // On a coarse grid, edges pass exactly through samples, row after row.
      for (D3DTLVERTEX& corner : v) {
        corner.sx = std::round(corner.sx) + 0.5f;
        corner.sy = std::round(corner.sy) + 0.5f;
      }
    }
    Target spans, fragments;
    DrawPrimitives(spans.View(false, RECT{0, 0, LONG{kWidth}, LONG{kHeight}}), st, D3DPT_TRIANGLEFAN, v, nullptr, 6);
    for (int i = 1; i + 1 < 6; ++i) {
      ReferenceDrawTriangle(fragments.View(false, RECT{0, 0, LONG{kWidth}, LONG{kHeight}}), st, v[0], v[i], v[i + 1]);
    }
    ASSERT_EQ(spans.pixels, fragments.pixels) << "round " << round;
  }
}

// A level edge keeps whole rows or none and the slanted ones bound each row
// on one side: triangles with a level top or bottom, a plumb side, or both,
// their corners on sample centres, half-way between them or just off, must
// cover the samples the per-fragment rasteriser covered, in the usual states
// and in plain ones.
TEST_P(SpanRaster, LevelAndPlumbEdgesCoverTheSameSamples) {
  std::mt19937 random(9090);
  Texture texture(random, 32, 32, false, false);
  const float offsets[] = {0.f, 0.5f, 0.49999997f, 0.50000006f, 0.25f};
  for (int round = 0; round < 3000; ++round) {
    RasterState st;
    st.cull = D3DCULL_NONE;
    st.shade = D3DSHADE_FLAT;
    st.alphaBlend = true;
    st.srcBlend = D3DBLEND_ONE;
    st.destBlend = D3DBLEND_ONE;  // a sample drawn twice shows
    st.linear = true;
    st.texture = random() % 2 == 0 ? &texture.view : nullptr;
    D3DTLVERTEX v[4];
    for (D3DTLVERTEX& corner : v) {
      corner = Vertex(random, 0.f);
      corner.color = 0xFF081018u;
    }
    const auto at = [&](float lo, float hi) { return std::floor(Uniform(random, lo, hi)) + offsets[random() % 5]; };
    // A quad of level top and bottom, with plumb or slanted sides, drawn as
    // a fan of two triangles, each with a level edge.
    const float top = at(-3.f, 30.f), bottom = top + at(0.f, 20.f);
    const float left = at(-3.f, 40.f), right = left + at(0.f, 25.f);
    const float slant = random() % 2 == 0 ? 0.f : at(-6.f, 6.f);
    v[0].sx = left;
    v[0].sy = top;
    v[1].sx = right;
    v[1].sy = top;
    v[2].sx = right + slant;
    v[2].sy = bottom;
    v[3].sx = left - slant * (random() % 2 == 0 ? 1.f : 0.f);
    v[3].sy = bottom;
    Target spans, fragments;
    DrawPrimitives(spans.View(false, RECT{0, 0, LONG{kWidth}, LONG{kHeight}}), st, D3DPT_TRIANGLEFAN, v, nullptr, 4);
    for (int i = 1; i + 1 < 4; ++i) {
      ReferenceDrawTriangle(fragments.View(false, RECT{0, 0, LONG{kWidth}, LONG{kHeight}}), st, v[0], v[i], v[i + 1]);
    }
    ASSERT_EQ(spans.pixels, fragments.pixels) << "round " << round;
  }
}

// The eight-lane path reads texels as whole words from the aligned word
// before them, and neighbours in a row as one word: textures starting at
// any byte, with rows padded past their texels (padding the reference never
// reads, so a texel taken from it shows), wrapping in every lane when one
// texel wide, must sample what the per-fragment rasteriser sampled.
TEST_P(SpanRaster, TexturesAtAnyAddressAndPitchSampleTheSameTexels) {
  std::mt19937 random(31337);
  int drawnPixels = 0;
  for (int round = 0; round < 800; ++round) {
    const DWORD width = Pick(random, {1u, 2u, 4u, 64u}), height = Pick(random, {1u, 2u, 8u});
    const DWORD padding = Pick(random, {0u, 2u, 6u});
    const std::size_t start = random() % 4;
    const LONG pitch = static_cast<LONG>(2 * width + padding);
    std::vector<BYTE> storage(start + static_cast<std::size_t>(pitch) * height);
    for (BYTE& b : storage) b = static_cast<BYTE>(random());
    RasterTexture texture;
    texture.bits = storage.data() + start;
    texture.pitch = pitch;
    texture.width = width;
    texture.height = height;
    texture.is555 = random() % 4 == 0;
    RasterState st;
    st.cull = D3DCULL_NONE;
    st.linear = true;
    st.perspective = random() % 2 == 0;
    st.texture = &texture;
    Target before;
    for (WORD& p : before.pixels) p = static_cast<WORD>(random());
    Target spans = before, fragments = before;
    D3DTLVERTEX v[3];
    for (D3DTLVERTEX& corner : v) {
      corner = Vertex(random, 5.f);
      corner.color |= 0xFF000000u;
    }
    DrawPrimitives(spans.View(false, RECT{0, 0, LONG{kWidth}, LONG{kHeight}}), st, D3DPT_TRIANGLELIST, v, nullptr, 3);
    ReferenceDrawTriangle(fragments.View(false, RECT{0, 0, LONG{kWidth}, LONG{kHeight}}), st, v[0], v[1], v[2]);
    ASSERT_EQ(spans.pixels, fragments.pixels)
        << "round " << round << ", " << width << " x " << height << " from " << start << ", pitch " << pitch;
    for (std::size_t i = 0; i < before.pixels.size(); ++i) drawnPixels += spans.pixels[i] != before.pixels[i];
  }
  EXPECT_GT(drawnPixels, 100000);
}

// Two neighbouring texels of a row are unpacked together: every 16-bit
// value of either format, to the left and to the right of its neighbour and
// at the wrap from a row's last texel to its first, weighted unevenly with
// the texels below, must shade as the per-fragment rasteriser shades it.
TEST_P(SpanRaster, EveryTexelValueUnpacksAsBeforeBesideItsNeighbour) {
  std::vector<WORD> texels(256 * 256);
  for (std::size_t i = 0; i < texels.size(); ++i) texels[i] = static_cast<WORD>(i * 40503u);  // odd: all values
  RasterTexture texture;
  texture.bits = reinterpret_cast<const BYTE*>(texels.data());
  texture.pitch = 2 * 256;
  texture.width = texture.height = 256;
  RasterState st;
  st.cull = D3DCULL_NONE;
  st.linear = true;
  st.texture = &texture;
  const RECT clip{0, 0, LONG{kWidth}, LONG{kHeight}};
  // Each pixel two texels on from the last, a third of the way to the
  // next column and two thirds to the next row.
  for (const bool is555 : {false, true}) {
    texture.is555 = is555;
    for (int top = 0; top < 256; top += 2 * kHeight) {
      for (int left = 0; left < 256; left += 2 * kWidth) {
        const auto corner = [&](float x, float y) {
          D3DTLVERTEX v{};
          v.sx = x;
          v.sy = y;
          v.rhw = 1.f;
          v.color = 0xFFFFFFFFu;
          v.tu = (static_cast<float>(left) + 2.f * x - 1.f / 6.f) / 256.f;
          v.tv = (static_cast<float>(top) + 2.f * y + 1.f / 6.f) / 256.f;
          return v;
        };
        const float w = static_cast<float>(kWidth), h = static_cast<float>(kHeight);
        D3DTLVERTEX v[6] = {corner(0, 0), corner(w, 0), corner(0, h), corner(w, 0), corner(w, h), corner(0, h)};
        Target spans, fragments;
        DrawPrimitives(spans.View(is555, clip), st, D3DPT_TRIANGLELIST, v, nullptr, 6);
        ReferenceDrawTriangle(fragments.View(is555, clip), st, v[0], v[1], v[2]);
        ReferenceDrawTriangle(fragments.View(is555, clip), st, v[3], v[4], v[5]);
        ASSERT_EQ(spans.pixels, fragments.pixels) << (is555 ? "5-5-5" : "5-6-5") << " from " << left << ", " << top;
        EXPECT_LT(std::count(spans.pixels.begin(), spans.pixels.end(), WORD{0}), 50);  // all drawn
      }
    }
  }
}

// Corners are tested for range and snapped to 1/256 pixel in vector lanes:
// positions at the million-pixel limit and one step past it, infinities and
// NaN in each of a corner's four position values, and x and y half-way
// between two snapping steps (rounded away from zero) on either side of 0,
// must draw, or not, as the per-fragment rasteriser does.
TEST_P(SpanRaster, CornersAtTheEdgesOfTheirRangeDrawAsBefore) {
  std::mt19937 random(2718);
  const float limit = 1e6f, past = std::nextafter(1e6f, 2e6f);
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  Texture texture(random, 16, 16, false, false);
  int drawn = 0;
  for (int round = 0; round < 3000; ++round) {
    RasterState st;
    st.cull = D3DCULL_NONE;
    st.linear = random() % 2 == 0;
    st.texture = random() % 3 == 0 ? nullptr : &texture.view;
    D3DTLVERTEX v[3];
    for (D3DTLVERTEX& corner : v) {
      corner = Vertex(random, 3.f);
      corner.color |= 0xFF000000u;
      float* position[4] = {&corner.sx, &corner.sy, &corner.sz, &corner.rhw};
      switch (random() % 12) {
        case 0:
          *position[random() % 2] = Pick(random, {limit, -limit, past, -past});
          break;
        case 1:
          *position[random() % 4] = Pick(random, {inf, -inf, nan});
          break;
        case 2:
        case 3:
        case 4: {
          // Half-way between two snapping steps, near 0 or further in.
          const float steps = static_cast<float>(static_cast<int>(random() % 64) - 32) + 0.5f;
          *position[random() % 2] = Pick(random, {0.f, 20.f}) + steps / 256.f;
          break;
        }
        default:
          break;
      }
    }
    Target spans, fragments;
    DrawPrimitives(spans.View(false, RECT{0, 0, LONG{kWidth}, LONG{kHeight}}), st, D3DPT_TRIANGLELIST, v, nullptr, 3);
    ReferenceDrawTriangle(fragments.View(false, RECT{0, 0, LONG{kWidth}, LONG{kHeight}}), st, v[0], v[1], v[2]);
    ASSERT_EQ(spans.pixels, fragments.pixels) << "round " << round;
    drawn += spans.pixels != Target().pixels;
  }
  EXPECT_GT(drawn, 1000);
}

// A call's corners are worked out once for all its vertices where they are
// few enough, else triangle by triangle: index lists into arrays below and
// above that bound, reaching their last vertices, sharing corners between
// triangles that take them first or later (flat shading reads the first),
// with vertices out of range that some triangles use and others do not,
// must draw what the per-fragment rasteriser draws triangle by triangle.
TEST_P(SpanRaster, IndexedCallsOfAnySizeDrawEachTriangleAsBefore) {
  std::mt19937 random(5150);
  Texture texture(random, 32, 16, false, false);
  int drawnPixels = 0;
  for (int round = 0; round < 400; ++round) {
    RasterState st;
    st.cull = D3DCULL_NONE;
    st.shade = Pick(random, {DWORD{D3DSHADE_GOURAUD}, DWORD{D3DSHADE_FLAT}});
    st.perspective = random() % 2 == 0;
    st.linear = random() % 3 != 0;
    st.zEnable = st.zWrite = random() % 4 == 0;
    st.fog = random() % 4 == 0;
    st.specular = random() % 4 == 0;
    st.texture = random() % 5 == 0 ? nullptr : &texture.view;
    const std::size_t size =
        Pick(random, {std::size_t{6}, std::size_t{1023}, std::size_t{1024}, std::size_t{1025}, std::size_t{3000}});
    std::vector<D3DTLVERTEX> v(size);
    for (D3DTLVERTEX& corner : v) {
      corner = Vertex(random, 8.f);
      if (random() % 30 == 0) corner.sy = std::numeric_limits<float>::quiet_NaN();
    }
    std::vector<WORD> indices(3 * (1 + random() % 12));
    for (WORD& i : indices) {
      // Half the corners among the last few vertices, so that triangles share them.
      const std::size_t lo = random() % 2 == 0 ? size - std::min<std::size_t>(size, 5) : 0;
      i = static_cast<WORD>(lo + random() % (size - lo));
    }
    Target before;
    for (WORD& p : before.pixels) p = static_cast<WORD>(random());
    for (float& d : before.depth) d = Uniform(random, 0.f, 1.f);
    Target spans = before, fragments = before;
    const RECT all{0, 0, LONG{kWidth}, LONG{kHeight}};
    DrawPrimitives(spans.View(false, all), st, D3DPT_TRIANGLELIST, v.data(), indices.data(),
                   static_cast<DWORD>(indices.size()));
    for (std::size_t i = 0; i < indices.size(); i += 3) {
      ReferenceDrawTriangle(fragments.View(false, all), st, v[indices[i]], v[indices[i + 1]], v[indices[i + 2]]);
    }
    ASSERT_EQ(spans.pixels, fragments.pixels) << "round " << round << ", " << size << " vertices";
    ASSERT_EQ(spans.depth, fragments.depth) << "round " << round;
    for (std::size_t i = 0; i < before.pixels.size(); ++i) drawnPixels += spans.pixels[i] != before.pixels[i];
  }
  EXPECT_GT(drawnPixels, 50000);
}

// Texels are unpacked by adding what their high byte and their low byte give
// apart; that holds for every 16-bit value of both formats only while the
// repeated low bits of each channel come from one byte.
TEST(TexelUnpacking, APixelsChannelsAreThoseOfItsHighAndLowBytesAdded) {
  for (const bool is555 : {false, true}) {
    for (int w = 0; w < 0x10000; ++w) {
      int r, g, b, rh, gh, bh, rl, gl, bl;
      UnpackPixel(is555, static_cast<WORD>(w), &r, &g, &b);
      UnpackPixel(is555, static_cast<WORD>(w & 0xFF00), &rh, &gh, &bh);
      UnpackPixel(is555, static_cast<WORD>(w & 0x00FF), &rl, &gl, &bl);
      ASSERT_EQ(r, rh + rl) << w;
      ASSERT_EQ(g, gh + gl) << w;
      ASSERT_EQ(b, bh + bl) << w;
    }
  }
}

// Narrow triangles, at most eight samples wide and up to the target's height,
// many to a call: their rows' runs pile up in the shader's queue, which is
// drawn part-way through a triangle as often as not. Blended in the usual
// states, so that a pixel drawn twice, skipped or out of order shows.
TEST_P(SpanRaster, ManyNarrowTrianglesInOneCallDrawWhatTheyDrewOneByOne) {
  std::mt19937 random(5150);
  Texture texture(random, 32, 32, false, false);
  for (int round = 0; round < 200; ++round) {
    const RasterState st = BlendedTextured(texture);
    std::vector<D3DTLVERTEX> v;
    for (int t = 0; t < 60; ++t) {
      const float x = Uniform(random, -4.f, static_cast<float>(kWidth));
      const float y = Uniform(random, -10.f, static_cast<float>(kHeight));
      const float width = Uniform(random, 0.f, 8.f), height = Uniform(random, 0.f, 60.f);
      for (int k = 0; k < 3; ++k) {
        D3DTLVERTEX corner = Vertex(random, 0.f);
        corner.sx = x + (k == 1 ? width : Uniform(random, 0.f, width));
        corner.sy = y + (k == 2 ? height : Uniform(random, 0.f, height));
        v.push_back(corner);
      }
    }
    const RECT clip = round % 2 == 0 ? RECT{0, 0, LONG{kWidth}, LONG{kHeight}} : RECT{5, 3, 41, 44};
    const DrawnBothWays d = DrawListBothWays(random, st, v, clip);
    ASSERT_EQ(d.spans.pixels, d.fragments.pixels) << "round " << round;
  }
}

// A short narrow triangle's rows are all tested before its planes, up to
// eight rows of up to eight samples: the two halves of boxes that size or
// just under, their corners on sample centres or a little off them, cover
// their first and last rows' and columns' samples as the per-fragment
// rasteriser does, each pixel once.
TEST_P(SpanRaster, HalvesOfBoxesUpToEightSamplesSquareCoverTheSameSamples) {
  std::mt19937 random(7170);
  Texture texture(random, 32, 32, false, false);
  for (int round = 0; round < 200; ++round) {
    const RasterState st = BlendedTextured(texture);
    std::vector<D3DTLVERTEX> v;
    for (int t = 0; t < 20; ++t) {
      const float x = std::round(Uniform(random, -4.f, static_cast<float>(kWidth))) + 0.5f;
      const float y = std::round(Uniform(random, -4.f, static_cast<float>(kHeight))) + 0.5f;
      const float width = Pick(random, {7.f, 7.99f, 6.5f}), height = Pick(random, {7.f, 7.99f, 5.f, 0.5f});
      const float jitter = round % 2 == 0 ? 0.f : Uniform(random, -0.01f, 0.01f);
      const float xs[4] = {x + jitter, x + width, x + width, x};
      const float ys[4] = {y, y + jitter, y + height, y + height};
      for (const int k : {0, 1, 2, 0, 2, 3}) {
        D3DTLVERTEX corner = Vertex(random, 0.f);
        corner.sx = xs[k];
        corner.sy = ys[k];
        v.push_back(corner);
      }
    }
    const DrawnBothWays d = DrawListBothWays(random, st, v, RECT{0, 0, LONG{kWidth}, LONG{kHeight}});
    ASSERT_EQ(d.spans.pixels, d.fragments.pixels) << "round " << round;
  }
}

// A narrow triangle's rows are tested in 32-bit lanes while its edge
// functions fit them, in 64-bit ones beyond: narrow slivers reaching from
// inside the target to hundreds or hundreds of thousands of pixels above or
// below it, either side of that bound, their corners on sample centres half
// the time, must cover the samples the per-fragment rasteriser covered.
TEST_P(SpanRaster, NarrowSliversFromFarAboveAndBelowCoverTheSameSamples) {
  std::mt19937 random(6160);
  Texture texture(random, 32, 32, false, false);
  for (int round = 0; round < 400; ++round) {
    const RasterState st = BlendedTextured(texture);
    std::vector<D3DTLVERTEX> v;
    for (int t = 0; t < 20; ++t) {
      const float reach = Pick(random, {300.f, 900.f, 1400.f, 4000.f, 400000.f});
      const float x = Uniform(random, -4.f, static_cast<float>(kWidth));
      const float y = Uniform(random, 0.f, static_cast<float>(kHeight));
      const float width = Uniform(random, 0.f, 8.f);
      const float far = random() % 2 == 0 ? y - reach : y + reach;
      for (int k = 0; k < 3; ++k) {
        D3DTLVERTEX corner = Vertex(random, 0.f);
        corner.sx = x + (k == 1 ? width : Uniform(random, 0.f, width));
        corner.sy = k == 2 ? far : y + Uniform(random, -2.f, 2.f);
        if (round % 2 == 0) {
          corner.sx = std::round(corner.sx) + 0.5f;
          corner.sy = std::round(corner.sy) + 0.5f;
        }
        v.push_back(corner);
      }
    }
    const DrawnBothWays d = DrawListBothWays(random, st, v, RECT{0, 0, LONG{kWidth}, LONG{kHeight}});
    ASSERT_EQ(d.spans.pixels, d.fragments.pixels) << "round " << round;
  }
}

// The queue is shaded in runs of four groups, then two, then one, the last
// part-filled: calls of every pixel count from one to past two flushes'
// worth, each pixel once, in the usual states, opaque and then half of them
// blended over what the call drew before them, leave what the triangles left
// drawn one by one.
TEST_P(SpanRaster, QueuesOfEveryLengthDrawWhatTheyDrewOneByOne) {
  std::mt19937 random(6007);
  Texture texture(random, 64, 64, false, false);
  for (int count = 1; count <= 2 * static_cast<int>(kWidth) * 5 + 7; ++count) {
    RasterState st;
    st.cull = D3DCULL_NONE;
    st.linear = true;
    st.alphaBlend = count % 2 == 0;
    st.srcBlend = D3DBLEND_SRCALPHA;
    st.destBlend = D3DBLEND_INVSRCALPHA;
    st.texture = &texture.view;
    // Whole rows from the top and a part row under them, as two quads of
    // two triangles each: `count` pixels in all.
    const float rows = static_cast<float>(count / static_cast<int>(kWidth));
    const float rest = static_cast<float>(count % static_cast<int>(kWidth));
    const float quads[2][4] = {{0.f, 0.f, static_cast<float>(kWidth), rows}, {0.f, rows, rest, rows + 1.f}};
    std::vector<D3DTLVERTEX> v;
    for (const auto& q : quads) {
      D3DTLVERTEX c[4];
      for (D3DTLVERTEX& corner : c) {
        corner = Vertex(random, 0.f);
        if (!st.alphaBlend || random() % 2 == 0) corner.color |= 0xFF000000u;
      }
      c[0].sx = c[3].sx = q[0];
      c[1].sx = c[2].sx = q[2];
      c[0].sy = c[1].sy = q[1];
      c[2].sy = c[3].sy = q[3];
      for (const int k : {0, 1, 2, 0, 2, 3}) v.push_back(c[k]);
    }
    const RECT all{0, 0, LONG{kWidth}, LONG{kHeight}};
    const DrawnBothWays d = DrawListBothWays(random, st, v, all);
    ASSERT_EQ(d.spans.pixels, d.fragments.pixels) << count << " pixels";
    int drawn = 0;
    for (std::size_t i = 0; i < d.before.pixels.size(); ++i) drawn += d.spans.pixels[i] != d.before.pixels[i];
    ASSERT_GE(drawn, count * 9 / 10) << count << " pixels";
  }
}

}  // namespace
}  // namespace d3dtest
