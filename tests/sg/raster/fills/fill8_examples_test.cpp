// The 8-bpp fills on hand-made cases: coverage, ramp levels, the span list's
// records, flags and row bound, the dithering classes and the alpha weights.

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "canvas.h"
#include "sg/raster/fill8.h"
#include "sg/raster/span8.h"

namespace {

const uint8_t kRamp[16] = {0, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25};

TEST(Fill8Flat, RightTriangleCoversItsRowsAndOnlyWhenClockwise) {
  Canvas8 canvas(16, 16);
  const uint8_t ink = 7;
  SGQVert a = Vert(0, 0), b = Vert(320, 0), c = Vert(0, 320);
  ISGFill8Flat(&a, &b, &c, canvas.Frame(), nullptr, nullptr, &ink);
  EXPECT_EQ(canvas.Count(ink), 65);  // rows 0 to 9 of 11 - y pixels
  for (int y = 0; y < 10; ++y) {
    EXPECT_EQ(canvas.At(10 - y, y), ink) << y;
    EXPECT_EQ(canvas.At(11 - y, y), 0) << y;
  }
  canvas.Clear(0);
  ISGFill8Flat(&c, &b, &a, canvas.Frame(), nullptr, nullptr, &ink);
  EXPECT_EQ(canvas.Count(ink), 0);
  EXPECT_TRUE(canvas.GuardIntact());
}

TEST(Fill8Ramp, LevelsPickRampEntriesModulo16AndZeroEntriesAreSkipped) {
  Canvas8 canvas(16, 16);
  // Level 19 wraps to 3.
  SGQVert a = Vert(0, 0, 0.5f, 0.5f, 19 * 32 + 16), b = Vert(320, 0, 0.5f, 0.5f, 19 * 32 + 16),
          c = Vert(0, 320, 0.5f, 0.5f, 19 * 32 + 16);
  ISGFill8Shaded(&a, &b, &c, canvas.Frame(), nullptr, kRamp, nullptr);
  EXPECT_EQ(canvas.Count(kRamp[3]), 65);

  for (SGQVert* v : {&a, &b, &c}) v->q = 16;  // level 0: ramp entry 0
  canvas.Clear(99);
  ISGFill8ShadedTransparent(&a, &b, &c, canvas.Frame(), nullptr, kRamp, nullptr);
  EXPECT_EQ(canvas.Count(99), 256);
  ISGFill8Shaded(&a, &b, &c, canvas.Frame(), nullptr, kRamp, nullptr);
  EXPECT_EQ(canvas.Count(0), 65);
}

// One row of about 60 pixels whose doubled area (600) is below the x extent
// (3840) and below the 8-bpp textured threshold 3840^2 / 16384 = 900.
void Sliver(SGQVert v[3]) {
  v[0] = Vert(0, 30, 3.5f * 32, 2.5f * 32, 2 * 32 + 16);
  v[1] = Vert(120 * 32, 34, 9.5f * 32, 7.5f * 32, 9 * 32 + 16);
  v[2] = Vert(0, 35, 1.5f * 32, 11.5f * 32, 9 * 32 + 16);
}

TEST(Fill8Ramp, SliverTakesTheTopLevel) {
  Canvas8 canvas(128, 4);
  SGQVert v[3];
  Sliver(v);
  ISGFill8Shaded(&v[0], &v[1], &v[2], canvas.Frame(), nullptr, kRamp, nullptr);
  EXPECT_GT(canvas.Count(kRamp[2]), 50);
  EXPECT_EQ(canvas.Count(kRamp[2]) + canvas.Count(0), 128 * 4);
}

// A triangle 'height' rows tall, clockwise, with a middle vertex on the left
// or right of its long edge.
void Tall(SGQVert v[3], int height, bool middleLeft) {
  v[0] = Vert(32, 0, 16, 16);
  v[1] = middleLeft ? Vert(32 + 256, height * 32, 16, 16) : Vert(32, height * 32, 16, 16);
  v[2] = middleLeft ? Vert(32, height * 16, 16, 16) : Vert(32 + 256, height * 16, 16, 16);
  if (!middleLeft) std::swap(v[1], v[2]);
}

TEST(SpanList, FlagsRecordsAndRowBound) {
  std::vector<uint8_t> pixels(16 * 1000);
  const SGRasterFrame frame{pixels.data(), 16, {}};
  SGSpanList list;
  SGQVert v[3];

  Tall(v, 10, true);
  EXPECT_EQ(ISGWalkTexture8(&v[0], &v[2], &v[1], &frame, &list), 0u);  // counter-clockwise
  const uint32_t flags = ISGWalkTexture8(&v[0], &v[1], &v[2], &frame, &list);
  EXPECT_EQ(flags, SG_FILL_RIGHT_TO_LEFT);
  EXPECT_EQ(list.slFirstRow, 0);
  EXPECT_EQ(list.slLastRow, 9);

  // Flat top: records for the lower half only, the last one the last row
  // drawn; the long edge runs from (10, 2) down to (0, 12) on the right.
  SGQVert t[3] = {Vert(0, 64), Vert(320, 64), Vert(0, 384)};
  EXPECT_EQ(ISGWalkTexture8(&t[0], &t[1], &t[2], &frame, &list), SG_FILL_RIGHT_TO_LEFT);
  EXPECT_EQ(list.slFirstRow, 2);
  EXPECT_EQ(list.slLastRow, 11);
  EXPECT_EQ(list.slSpans[0].spLong, reinterpret_cast<uintptr_t>(pixels.data()) + 2 * 16 + 10);
  EXPECT_EQ(list.slSpans[0].spShort, reinterpret_cast<uintptr_t>(pixels.data()) + 2 * 16);

  // 799 rows fill the list exactly; an 800-row triangle would run past its
  // end and is refused instead.
  Tall(v, kSGSpanRows, false);
  EXPECT_EQ(ISGWalkShadedTexture8(&v[0], &v[1], &v[2], &frame, &list), SG_FILL_LEFT_TO_RIGHT);
  EXPECT_EQ(list.slLastRow - list.slFirstRow + 1, kSGSpanRows);
  Tall(v, kSGSpanRows + 1, false);
  EXPECT_EQ(ISGWalkShadedTexture8(&v[0], &v[1], &v[2], &frame, &list), 0u);
  Canvas8 canvas(300, 8);
  const std::vector<uint8_t> texels(16 * 16, 5);
  ISGFill8Texture16x16(&v[0], &v[1], &v[2], canvas.Frame(), texels.data(), nullptr, nullptr);
  EXPECT_TRUE(canvas.GuardIntact());
}

TEST(Fill8Texture, ThinTriangleShowsTheTopTexelAndZeroTexelsAreSkipped) {
  Canvas8 canvas(128, 4);
  std::vector<uint8_t> texels(16 * 16);
  for (size_t i = 0; i < texels.size(); ++i) texels[i] = static_cast<uint8_t>(i);
  SGQVert v[3];
  Sliver(v);
  SGQVert &a = v[0], &b = v[1], &c = v[2];
  ISGFill8Texture16x16(&a, &b, &c, canvas.Frame(), texels.data(), nullptr, nullptr);
  EXPECT_GT(canvas.Count(2 * 16 + 3), 50);
  EXPECT_EQ(canvas.Count(2 * 16 + 3) + canvas.Count(0), 128 * 4);

  std::fill(texels.begin(), texels.end(), 0);
  canvas.Clear(42);
  ISGFill8TransparentTexture16x16(&a, &b, &c, canvas.Frame(), texels.data(), nullptr, nullptr);
  ISGFill8ShadedTransparentTexture16x16(&a, &b, &c, canvas.Frame(), texels.data(), nullptr, nullptr);
  EXPECT_EQ(canvas.Count(42), 128 * 4);
}

// A 64 x 64 pixel right triangle over texelsAcross texels in u and v.
uint32_t DitherClass(double uTexels, double vTexels) {
  std::vector<uint8_t> pixels(80 * 80);
  const SGRasterFrame frame{pixels.data(), 80, {}};
  SGQVert a = Vert(0, 0, 16, 16), b = Vert(64 * 32, 0, static_cast<float>(16 + uTexels * 32), 16),
          c = Vert(0, 64 * 32, 16, static_cast<float>(16 + vTexels * 32));
  SGSpanList list;
  return ISGWalkDitheredTexture8(&a, &b, &c, &frame, &list) & (SG_FILL_DITHER2 | SG_FILL_DITHER4);
}

TEST(Fill8Dithered, MagnificationPicksThePatternWithStrictBounds) {
  EXPECT_EQ(DitherClass(8, 8), SG_FILL_DITHER4);  // 8 pixels per texel
  EXPECT_EQ(DitherClass(64 / 3.0, 64 / 3.0), SG_FILL_DITHER2);
  EXPECT_EQ(DitherClass(64, 64), 0u);
  EXPECT_EQ(DitherClass(16, 16), SG_FILL_DITHER2);  // exactly 1/4 texel per pixel
  EXPECT_EQ(DitherClass(32, 32), 0u);               // exactly 1/2
  EXPECT_EQ(DitherClass(640, 8), SG_FILL_DITHER4);  // classed by the shorter step
}

TEST(Fill8Dithered, UniformTextureLooksTheSameDitheredAndPlain) {
  Canvas8 dithered(40, 40), plain(40, 40);
  const std::vector<uint8_t> texels(32 * 32, 9);
  SGQVert a = Vert(0, 0, 16, 16), b = Vert(39 * 32, 32, 80, 16), c = Vert(16, 39 * 32, 16, 80);
  ISGFill8DitheredTexture32x32(&a, &b, &c, dithered.Frame(), texels.data(), nullptr, nullptr);
  ISGFill8Texture32x32(&a, &b, &c, plain.Frame(), texels.data(), nullptr, nullptr);
  EXPECT_EQ(dithered.Memory(), plain.Memory());
  EXPECT_GT(dithered.Count(9), 600);
}

// Blend tables that expose the weights: texel 7 scaled by k is k << 8, any
// other colour k; the index table returns the high byte (k1) or, with
// lowByte, the low byte (k2).
struct WeightTables {
  std::vector<uint16_t> scale = std::vector<uint16_t>(65536);
  std::vector<uint8_t> index = std::vector<uint8_t>(65536);
  explicit WeightTables(bool lowByte) {
    for (int k = 0; k < 256; ++k)
      for (int c = 0; c < 256; ++c) scale[k * 256 + c] = static_cast<uint16_t>(c == 7 ? k << 8 : k);
    for (int i = 0; i < 65536; ++i) index[i] = static_cast<uint8_t>(lowByte ? i & 0xFF : i >> 8);
  }
};

// Blends one 66-pixel triangle of texel 7 at the given alpha and level and
// returns the index written at (1, 1).
int AlphaResult(ISGTriFill fill, float alpha, float level, bool lowByte, float u = 16) {
  const WeightTables tables(lowByte);
  std::vector<uint8_t> texels(16 * 16, 7);
  Canvas8 canvas(16, 16);
  SGQVert a = Vert(0, 0, u, 16, level * 32 + 16), b = Vert(320, 0, u, 16, level * 32 + 16),
          c = Vert(0, 320, u, 16, level * 32 + 16);
  for (SGQVert* v : {&a, &b, &c}) v->col = alpha * 32;
  fill(&a, &b, &c, canvas.Frame(), texels.data(), tables.scale.data(), tables.index.data());
  return canvas.At(1, 1);
}

TEST(Fill8Alpha, WeightsFollowAlphaAndLevel) {
  EXPECT_EQ(AlphaResult(ISGFill8AlphaTexture16x16, 255, 15.5f - 0.5f, false), 247);
  EXPECT_EQ(AlphaResult(ISGFill8AlphaTexture16x16, 255, 15, true), 0);
  EXPECT_EQ(AlphaResult(ISGFill8AlphaTexture16x16, 0, 15, false), 0);
  EXPECT_EQ(AlphaResult(ISGFill8AlphaTexture16x16, 0, 15, true), 255);
  EXPECT_EQ(AlphaResult(ISGFill8AlphaStrip, 100, 3, false), 100);
  EXPECT_EQ(AlphaResult(ISGFill8AlphaStrip, 100, 3, true), 155);
  // Past 16 levels k1 + k2 would pass 255 and carry between channels: k1
  // (128 x 20.5 / 16 = 164) is held to 255 - k2 = 128.
  EXPECT_EQ(AlphaResult(ISGFill8AlphaTexture16x16, 128, 20, false), 128);
}

TEST(Fill8Alpha, ZeroTexelsKeepThePixelAndTheStripReadsFourTexelsAlongU) {
  const WeightTables tables(false);
  std::vector<uint8_t> texels(16 * 16, 0);
  texels[3] = 7;
  Canvas8 canvas(128, 4);
  canvas.Clear(42);
  // A sliver has no gradients, so no dithering: every pixel takes u = 120.0
  // (3.75 texels, texel 3) taken as 92.0 (2.875 texels, texel 2, transparent).
  SGQVert v[3];
  Sliver(v);
  for (SGQVert& vertex : v) vertex.u = 120, vertex.col = 200 * 32;
  ISGFill8AlphaStrip(&v[0], &v[1], &v[2], canvas.Frame(), texels.data(), tables.scale.data(), tables.index.data());
  EXPECT_EQ(canvas.Count(42), 128 * 4);
  EXPECT_EQ(v[0].u, 120.0f);
  // u = 1.5 texels picks texel 1 of the first row whatever v is.
  texels[1] = 7;
  for (SGQVert& vertex : v) vertex.u = 1.5f * 32;
  ISGFill8AlphaStrip(&v[0], &v[1], &v[2], canvas.Frame(), texels.data(), tables.scale.data(), tables.index.data());
  EXPECT_GT(canvas.Count(200), 50);
  EXPECT_EQ(canvas.Count(200) + canvas.Count(42), 128 * 4);
}

}  // namespace
