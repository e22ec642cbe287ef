// What each 16-bpp family does per pixel: texel addressing and wrapping,
// transparency, shading and fog, the direct texels.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "canvas.h"
#include "sg/raster/fill16.h"

namespace {

// Colour table whose entry t is t + 0x100: non-zero, and tells the texel back.
std::vector<uint16_t> TellingColours() {
  std::vector<uint16_t> colours(256);
  for (int t = 0; t < 256; ++t) colours[t] = static_cast<uint16_t>(t + 0x100);
  return colours;
}

// A texture whose texel (column, row) is its own index, modulo 256.
std::vector<uint8_t> IndexTexels(int w, int h) {
  std::vector<uint8_t> texels(static_cast<size_t>(w) * h);
  for (size_t i = 0; i < texels.size(); ++i) texels[i] = static_cast<uint8_t>(i);
  return texels;
}

// Fills the whole canvas, as two triangles, with every vertex at (u, v, q):
// the texel and level are then the same at every pixel.
void FillConstant(ISGTriFill fill, Canvas& canvas, float u, float v, float q, const void* texels, const void* shade,
                  const void* colours) {
  const int32_t w = canvas.Width() * 32 - 32, h = canvas.Height() * 32;
  const SGQVert a = Vert(0, 0, u, v, q), b = Vert(w, 0, u, v, q), c = Vert(w, h, u, v, q), d = Vert(0, h, u, v, q);
  fill(&a, &b, &c, canvas.Frame(), texels, shade, colours);
  fill(&a, &c, &d, canvas.Frame(), texels, shade, colours);
}

TEST(TexturedFill, SixteenSquareTextureMapsPixelsToTexelsAtOneAndAHalfPerPixel) {
  Canvas canvas(16, 16);
  const std::vector<uint8_t> texels = IndexTexels(16, 16);
  const std::vector<uint16_t> colours = TellingColours();
  const SGQVert a = TexVert(0, 0, 0, 0, 16, 16), b = TexVert(10, 0, 1, 0, 16, 16), c = TexVert(0, 10, 0, 1, 16, 16);
  ISGFill16Texture16x16(&a, &b, &c, canvas.Frame(), texels.data(), nullptr, colours.data());
  const int rowZero[] = {0, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15};
  for (int x = 0; x <= 10; ++x) EXPECT_EQ(canvas.At(x, 0) - 0x100, rowZero[x]) << x;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x <= 10 - y; ++x) {
      const int column = static_cast<int>(std::floor(0.5 + 1.5 * x));
      const int row = static_cast<int>(std::floor(0.5 + 1.5 * y));
      EXPECT_EQ(canvas.At(x, y) - 0x100, row * 16 + column) << x << ", " << y;
    }
}

TEST(TexturedFill, TexelAddressWrapsAndReachesTheLastTexel) {
  const std::vector<uint16_t> colours = TellingColours();
  struct Case {
    ISGTriFill fill;
    int w, h;
  };
  const Case cases[] = {{ISGFill16Texture16x16, 16, 16},
                        {ISGFill16Texture64x32, 64, 32},
                        {ISGFill16Texture512x512, 512, 512},
                        {ISGFill16Texture128x32, 128, 32},
                        {ISGFill16Texture256x64, 256, 64}};
  for (const Case& k : cases) {
    std::vector<uint8_t> texels(static_cast<size_t>(k.w) * k.h, 0);
    texels[static_cast<size_t>(k.w) * k.h - 1] = 201;    // (w - 1, h - 1)
    texels[k.w - 1] = 202;                               // (w - 1, 0)
    texels[static_cast<size_t>(k.w) * (k.h - 1)] = 203;  // (0, h - 1)
    Canvas canvas(4, 4);
    // u = -1.0 reads column w - 1; v = h + 0.5 reads row 0.
    FillConstant(k.fill, canvas, -32.0f, (k.h + 0.5f) * 32, 16, texels.data(), nullptr, colours.data());
    EXPECT_EQ(canvas.At(1, 1), 202 + 0x100) << k.w << "x" << k.h;
    FillConstant(k.fill, canvas, (k.w - 0.5f) * 32, (k.h - 0.5f) * 32, 16, texels.data(), nullptr, colours.data());
    EXPECT_EQ(canvas.At(1, 1), 201 + 0x100) << k.w << "x" << k.h;
    FillConstant(k.fill, canvas, (2 * k.w + 0.5f) * 32, -0.5f * 32, 16, texels.data(), nullptr, colours.data());
    EXPECT_EQ(canvas.At(1, 1), 203 + 0x100) << k.w << "x" << k.h;
  }
}

TEST(TexturedFill, SliverTakesTheTopVertexTexelThroughout) {
  Canvas canvas(24, 4);
  const std::vector<uint8_t> texels = IndexTexels(32, 32);
  const std::vector<uint16_t> colours = TellingColours();
  // Doubled area 10 square pixels, below the x extent of 20 pixels.
  const SGQVert a = TexVert(0, 0, 0.1, 0.2, 32, 32), b = TexVert(20, 2, 0.9, 0.7, 32, 32),
                c = TexVert(10, 1.5, 0.5, 0.9, 32, 32);
  ISGFill16Texture32x32(&a, &b, &c, canvas.Frame(), texels.data(), nullptr, colours.data());
  const int top = static_cast<int>(0.2 * 31 + 0.5) * 32 + static_cast<int>(0.1 * 31 + 0.5);
  int drawn = 0;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 24; ++x)
      if (canvas.At(x, y) != 0) {
        EXPECT_EQ(canvas.At(x, y) - 0x100, top) << x << ", " << y;
        ++drawn;
      }
  EXPECT_GT(drawn, 0);
}

// Draws the same random textured triangles with the opaque and the
// transparent member: a transparent pixel keeps the old value exactly where
// the opaque one shows texel 0, and equals it elsewhere.
TEST(TransparentFill, SkipsTexelZeroAndStepsPastItUnchanged) {
  std::mt19937 random(11);
  std::vector<uint8_t> texels(64 * 64);
  for (uint8_t& t : texels) t = random() % 3 == 0 ? 0 : static_cast<uint8_t>(random());
  const std::vector<uint16_t> colours = TellingColours();
  std::vector<uint8_t> shade = ShadeTable(kFormat565);
  struct Pair {
    ISGTriFill opaque, transparent;
  };
  const Pair pairs[] = {{ISGFill16Texture64x64, ISGFill16TransparentTexture64x64},
                        {ISGFill16ShadedTexture64x64, ISGFill16ShadedTransparentTexture64x64}};
  for (const Pair& pair : pairs)
    for (int n = 0; n < 40; ++n) {
      SGQVert v[3];
      for (SGQVert& p : v)
        p = Vert(random() % (39 * 32), random() % (39 * 32), static_cast<float>(random() % 8000) - 4000,
                 static_cast<float>(random() % 8000) - 4000, static_cast<float>(random() % 8160 + 16));
      MakeClockwise(v[0], v[1], v[2]);
      Canvas texelCanvas(40, 40), opaque(40, 40), transparent(40, 40);
      opaque.Clear(0x7777);
      transparent.Clear(0x7777);
      ISGFill16Texture64x64(&v[0], &v[1], &v[2], texelCanvas.Frame(), texels.data(), nullptr, colours.data());
      pair.opaque(&v[0], &v[1], &v[2], opaque.Frame(), texels.data(), shade.data(), colours.data());
      pair.transparent(&v[0], &v[1], &v[2], transparent.Frame(), texels.data(), shade.data(), colours.data());
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
          const bool clear = texelCanvas.At(x, y) == 0x100;
          ASSERT_EQ(transparent.At(x, y), clear ? 0x7777 : opaque.At(x, y)) << x << ", " << y;
        }
    }
}

TEST(TransparentFill, AllZeroTexelsLeaveTheFrameAlone) {
  const std::vector<uint8_t> texels(32 * 32, 0);
  std::vector<uint16_t> colours = TellingColours();
  colours[0] = 0xBEEF;
  const std::vector<uint8_t> shade = ShadeTable(kFormat565);
  for (ISGTriFill fill : {ISGFill16TransparentTexture32x32, ISGFill16ShadedTransparentTexture32x32}) {
    Canvas canvas(8, 8);
    canvas.Clear(0x4321);
    for (float q : {16.0f, 8176.0f}) FillConstant(fill, canvas, 40, 40, q, texels.data(), shade.data(), colours.data());
    EXPECT_EQ(canvas.Count(0x4321), 64);
  }
  // The opaque members draw texel 0 like any other.
  Canvas canvas(8, 8);
  FillConstant(ISGFill16Texture32x32, canvas, 40, 40, 16, texels.data(), nullptr, colours.data());
  EXPECT_EQ(canvas.Count(0xBEEF), 64);
}

uint16_t Pack565(int r, int g, int b) { return static_cast<uint16_t>((r << 11) | (g << 5) | b); }

TEST(ShadedFill, LevelsScaleEachChannelThroughTheirRow) {
  const std::vector<uint8_t> shade = ShadeTable(kFormat565);
  const int fog[3] = {3, 40, 29};
  const std::vector<uint8_t> fogTable = FogTable(kFormat565, fog);
  const std::vector<uint8_t> texels(16 * 16, 7);
  std::vector<uint16_t> colours(256, 0);
  colours[7] = Pack565(31, 20, 9);
  const uint16_t colour = colours[7];
  struct Case {
    const std::vector<uint8_t>* table;
    float level;
    uint16_t expected;
  };
  const Case cases[] = {
      {&shade, 255, colour},
      {&shade, 0, 0},
      {&shade, 128, Pack565(31 * 128 / 255, 20 * 128 / 255, 9 * 128 / 255)},
      {&shade, 256, 0},  // levels wrap modulo 256
      {&fogTable, 0, colour},
      {&fogTable, 255, Pack565(3, 40, 29)},
  };
  for (const Case& k : cases) {
    const float q = k.level * 32 + 16;
    Canvas textured(6, 6), gouraud(6, 6);
    FillConstant(ISGFill16ShadedTexture16x16, textured, 40, 40, q, texels.data(), k.table->data(), colours.data());
    FillConstant(ISGFill16Shaded, gouraud, 0, 0, q, nullptr, k.table->data(), &colour);
    EXPECT_EQ(textured.At(2, 2), k.expected) << k.level;
    EXPECT_EQ(gouraud.At(2, 2), k.expected) << k.level;
  }
}

TEST(ShadedFill, ColourBitsOutsideTheChannelMasksComeOutZero) {
  Canvas canvas(6, 6, 8, PitchKind::kPositive, kFormat555);
  const std::vector<uint8_t> shade = ShadeTable(kFormat555);
  const uint16_t colour = 0xFFFF;
  FillConstant(ISGFill16Shaded, canvas, 0, 0, 255 * 32 + 16, nullptr, shade.data(), &colour);
  EXPECT_EQ(canvas.At(2, 2), 0x7FFF);
}

TEST(ShadedFill, GouraudInterpolatesTheLevelAlongARow) {
  // Level 0 at x = 0 rising to 255 at x = 15: each pixel's red is
  // 31 x level / 255 with the level rising by 17 per pixel.
  Canvas canvas(16, 4);
  const std::vector<uint8_t> shade = ShadeTable(kFormat565);
  const uint16_t white = 0xFFFF;
  const SGQVert a = TexVert(0, 0, 0, 0, 2, 2, 0), b = TexVert(15, 0, 0, 0, 2, 2, 255),
                c = TexVert(15, 3, 0, 0, 2, 2, 255), d = TexVert(0, 3, 0, 0, 2, 2, 0);
  ISGFill16Shaded(&a, &b, &c, canvas.Frame(), nullptr, shade.data(), &white);
  ISGFill16Shaded(&a, &c, &d, canvas.Frame(), nullptr, shade.data(), &white);
  for (int x = 0; x < 16; ++x) EXPECT_EQ(canvas.At(x, 1) >> 11, 31 * (17 * x) / 255) << x;
}

// The skip test depends on the level alone: with white every skipped pixel is
// one the plain Gouraud fill paints black, while a dark colour is painted
// black at levels that are not skipped.
TEST(ShadedTransparentFill, SkipsLevelsThatBlackenEveryChannel) {
  const std::vector<uint8_t> shade = ShadeTable(kFormat565);
  for (uint16_t colour : {uint16_t{0xFFFF}, Pack565(1, 2, 1)}) {
    Canvas plain(64, 8), skipping(64, 8);
    plain.Clear(0x5555);
    skipping.Clear(0x5555);
    // Level 0 at the left rising to 31.5 at the right.
    const SGQVert a = TexVert(0, 0, 0, 0, 2, 2, 0), b = TexVert(63, 0, 0, 0, 2, 2, 31.5),
                  c = TexVert(63, 7, 0, 0, 2, 2, 31.5), d = TexVert(0, 7, 0, 0, 2, 2, 0);
    for (Canvas* canvas : {&plain, &skipping}) {
      const ISGTriFill fill = canvas == &plain ? ISGFill16Shaded : ISGFill16ShadedTransparent;
      fill(&a, &b, &c, canvas->Frame(), nullptr, shade.data(), &colour);
      fill(&a, &c, &d, canvas->Frame(), nullptr, shade.data(), &colour);
    }
    int skipped = 0, writtenBlack = 0;
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 64; ++x) {
        const int level = static_cast<int>((x * 31.5 / 63 * 32 + 16) / 32);
        const bool blackens = level <= 4;  // 31 x 4 / 255 and 63 x 4 / 255 are both 0
        if (skipping.At(x, y) == 0x5555) {
          ++skipped;
          EXPECT_EQ(plain.At(x, y), 0) << x;
        } else {
          EXPECT_EQ(skipping.At(x, y), plain.At(x, y)) << x;
          writtenBlack += plain.At(x, y) == 0;
        }
        if (std::abs(x * 31.5 / 63 - 4.5) > 0.6) {  // away from the rounding boundary
          EXPECT_EQ(skipping.At(x, y) == 0x5555, blackens) << x;
        }
      }
    EXPECT_GT(skipped, 0);
    if (colour != 0xFFFF) {
      EXPECT_GT(writtenBlack, 0);
    }
  }
}

TEST(DirectFill, StoresTexelsUnchangedWhereTheTexturedFillMapsThem) {
  std::mt19937 random(5);
  std::vector<uint8_t> texels8(128 * 64);
  for (uint8_t& t : texels8) t = static_cast<uint8_t>(random());
  std::vector<uint16_t> colours(256);
  for (uint16_t& c : colours) c = static_cast<uint16_t>(random());
  colours[0] = 0;  // texel value 0 is stored like any other
  std::vector<uint16_t> texels16(texels8.size());
  for (size_t i = 0; i < texels8.size(); ++i) texels16[i] = colours[texels8[i]];
  for (PitchKind pitch : {PitchKind::kPositive, PitchKind::kNegative}) {
    Canvas viaTable(48, 48, 8, pitch), direct(48, 48, 8, pitch);
    viaTable.Clear(0x1111);
    direct.Clear(0x1111);
    for (int n = 0; n < 30; ++n) {
      SGQVert v[3];
      for (SGQVert& p : v)
        p = Vert(random() % (47 * 32), random() % (47 * 32), static_cast<float>(random() % 20000) - 10000,
                 static_cast<float>(random() % 20000) - 10000);
      MakeClockwise(v[0], v[1], v[2]);
      ISGFill16Texture128x64(&v[0], &v[1], &v[2], viaTable.Frame(), texels8.data(), nullptr, colours.data());
      ISGFill16DirectTexture128x64(&v[0], &v[1], &v[2], direct.Frame(), texels16.data(), nullptr, nullptr);
    }
    EXPECT_EQ(direct.Memory(), viaTable.Memory());
    EXPECT_TRUE(direct.GuardIntact());
  }
}

}  // namespace
