// Lookup tables at their corners and against their formulas, on a renderer
// and frame buffer records made by hand.

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "sg/core/malloc.h"
#include "sg/fb/framebuffer.h"
#include "sg/fb/lut.h"
#include "sg/material/material.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"

namespace {

constexpr SGPixelFormat kRgb565{5, 0xF800, 11, 6, 0x07E0, 5, 5, 0x001F, 0};
constexpr SGPixelFormat kRgb555{5, 0x7C00, 10, 5, 0x03E0, 5, 5, 0x001F, 0};

std::uint32_t Word(int r, int g, int b, int index = 0) {
  return (std::uint32_t(r) << 24) | (std::uint32_t(g) << 16) | (std::uint32_t(b) << 8) | std::uint32_t(index);
}

class Lut : public testing::Test {
 protected:
  void SetUp() override {
    rend_.renFrameBuffer = &fb_;
    fb_.fbMode = SG_FB_MODE_QUASI_RGB;
    fb_.fbBPP = 16;
    fb_.fbPixelFormat = kRgb565;
  }
  void TearDown() override {
    SGFree(rend_.renFogLUT);
    SGFree(rend_.renShadeLUT);
    SGFree(rend_.renHorizon.hzGroundRamp);
    SGFree(rend_.renHorizon.hzFadeRamp);
    SGFree(rend_.renAlphaIndex);
    SGFree(rend_.renAlphaLUT);
  }
  // An indexed frame buffer over `colours`.
  void Indexed(std::vector<SGPalEntry> colours) {
    palette_ = std::move(colours);
    const std::size_t count = palette_.size();
    palette_.resize(256);
    fb_.fbMode = SG_FB_MODE_IDX;
    fb_.fbBPP = 8;
    fb_.fbColours = palette_.data();
    fb_.fbColourCount = static_cast<std::uint32_t>(count);
  }
  SGRenderer rend_{};
  SGFrameBuffer fb_{};
  std::vector<SGPalEntry> palette_;
};

const std::vector<SGPalEntry> kGreys = {{0, 0, 0, 0},       {64, 64, 64, 0},    {128, 128, 128, 0},
                                        {255, 255, 255, 0}, {128, 128, 128, 0}, {200, 0, 0, 0}};

TEST(Nearest, FirstExactOrLowestOfEqualDistances) {
  const SGPalEntry palette[] = {{10, 10, 10, 0}, {20, 20, 20, 0}, {0, 0, 0, 0}, {20, 20, 20, 0}};
  std::uint32_t colour = Word(20, 20, 20, 0xAB);
  SGPaletteFindNearest(palette, 4, &colour);
  EXPECT_EQ(colour, Word(20, 20, 20, 1));
  colour = Word(15, 15, 15);  // as far from 10 as from 20
  SGPaletteFindNearest(palette, 4, &colour);
  EXPECT_EQ(colour & 0xFF, 0u);
  colour = Word(0, 0, 0);
  SGPaletteFindNearest(palette, 2, &colour);  // only the first two are searched
  EXPECT_EQ(colour & 0xFF, 0u);
}

TEST_F(Lut, BlendTowardBlackAtEveryCorner) {
  ASSERT_EQ(SGRendererBuildFogLUT(&rend_, 0, Word(0, 0, 0), &rend_.renFogLUT), SG_ERROR_NONE);
  const std::uint8_t* t = rend_.renFogLUT;
  for (std::uint32_t j = 0; j < 32; ++j) {
    EXPECT_EQ(t[j], j);               // row 0: red unchanged
    EXPECT_EQ(t[32 + 2 * j], 2 * j);  // green
    EXPECT_EQ(t[96 + j], j);          // blue
    EXPECT_EQ(t[255 * 256 + j], 0);   // row 255: black
  }
  EXPECT_EQ(t[128], 0);  // 32 + 64 + 32 bytes of a row are used
  for (std::uint32_t i : {1u, 100u, 254u}) {
    const float a = i / 255.f;
    EXPECT_EQ(t[i * 256 + 31], static_cast<std::uint8_t>((1.f - a) * 31.f)) << i;
  }
}

TEST_F(Lut, BlendTowardAColourInFiveFiveFive) {
  fb_.fbPixelFormat = kRgb555;
  ASSERT_EQ(ISGLutBuildBlendRGB(&rend_, &rend_.renFogLUT, Word(255, 128, 8)), SG_ERROR_NONE);
  const std::uint8_t* row = rend_.renFogLUT + 255 * 256;
  EXPECT_EQ(row[0], 31);   // red
  EXPECT_EQ(row[32], 16);  // green
  EXPECT_EQ(row[64], 1);   // blue
  EXPECT_EQ(row[96], 0);   // 96 bytes used
  rend_.renFrameBuffer = nullptr;
  EXPECT_EQ(ISGLutBuildBlendRGB(&rend_, &rend_.renFogLUT, 0), SG_ERROR_NO_FRAME_BUFFER);
}

TEST_F(Lut, IndexedFogLevels) {
  Indexed(kGreys);
  std::uint8_t* table = nullptr;
  ASSERT_EQ(SGRendererBuildFogLUT(&rend_, 0, Word(0, 0, 0, 3), &table), SG_ERROR_NONE);  // toward white
  EXPECT_EQ(table[4], 2);  // level 0: the first entry of its own colour
  EXPECT_EQ(std::make_tuple(table[15 * 256 + 0], table[15 * 256 + 5]), std::make_tuple(3, 3));
  EXPECT_EQ(table[8 * 256 + 0], 2);   // half way: 0 + trunc(255 x 8 / 15 + 0.5) = 136, nearest 128
  EXPECT_EQ(table[15 * 256 + 6], 0);  // past the palette count: untouched
  // Nearest entries from another palette.
  std::vector<SGPalEntry> other(256, SGPalEntry{1, 1, 1, 0});
  other[4] = {255, 255, 255, 0};
  ASSERT_EQ(SGRendererBuildFogLUTPal(&rend_, 0, other.data(), Word(0, 0, 0, 3), &table), SG_ERROR_NONE);
  EXPECT_EQ(table[15 * 256 + 1], 4);
  SGFree(table);
}

TEST_F(Lut, FogFailures) {
  Indexed(kGreys);
  SGMallocFailAt(1);
  EXPECT_EQ(SGRendererBuildFogLUT(&rend_, 0, 0, &rend_.renFogLUT), SG_ERROR_NO_MEMORY);
  SGMallocFailAt(0);
  fb_.fbColours = nullptr;
  EXPECT_EQ(SGRendererBuildFogLUT(&rend_, 0, 0, &rend_.renFogLUT), SG_ERROR_NO_LUT);
  rend_.renD3D = reinterpret_cast<SGD3DDevice*>(&fb_);  // any device: the tables are its business
  EXPECT_EQ(SGRendererBuildFogLUT(&rend_, 0, 0, &rend_.renFogLUT), SG_ERROR_NONE);
  EXPECT_EQ(rend_.renFogLUT, nullptr);
  rend_.renD3D = nullptr;
}

TEST_F(Lut, IndexedShadeBrightensByTheSceneFactor) {
  Indexed(kGreys);
  SGScene scene{};
  EXPECT_EQ(SGRendererBuildShadeLUT(&rend_, &scene), SG_ERROR_NONE);  // factor 0: nothing
  EXPECT_EQ(rend_.renShadeLUT, nullptr);
  EXPECT_FALSE(rend_.renFlags & 0x10);
  scene.scnTerrTexU = 0.5f;
  ASSERT_EQ(SGRendererBuildShadeLUT(&rend_, &scene), SG_ERROR_NONE);
  EXPECT_EQ(rend_.renShadeLUT[0 * 256 + 2], 2);   // level 0: unchanged
  EXPECT_EQ(rend_.renShadeLUT[15 * 256 + 1], 1);  // 64 x 1.5 = 96: as near 64 as 128, the first wins
  EXPECT_EQ(rend_.renShadeLUT[15 * 256 + 2], 3);  // 192 is nearer white than 128
  EXPECT_TRUE(rend_.renFlags & 0x10);
}

TEST_F(Lut, QuasiRgbShadeScalesEachChannel) {
  SGScene scene{};
  ASSERT_EQ(SGRendererBuildShadeLUT(&rend_, &scene), SG_ERROR_NONE);
  const std::uint8_t* t = rend_.renShadeLUT;
  EXPECT_EQ(t[31], 0);               // row 0: all dark
  EXPECT_EQ(t[255 * 256 + 31], 31);  // row 255: unchanged
  EXPECT_EQ(std::make_tuple(t[255 * 256 + 32 + 63], t[255 * 256 + 96 + 31]), std::make_tuple(63, 31));
  EXPECT_EQ(t[128 * 256 + 32 + 63], static_cast<std::uint8_t>(63.f * static_cast<float>(128 / 255.0)));
  EXPECT_TRUE(rend_.renFlags & 0x10);
}

TEST_F(Lut, AlphaTablesOfAnIndexedFrameBuffer) {
  EXPECT_EQ(SGRendererBuildInverseLUT(&rend_), SG_ERROR_NO_LUT);
  Indexed(kGreys);
  ASSERT_EQ(SGRendererBuildInverseLUT(&rend_), SG_ERROR_NONE);
  EXPECT_EQ(rend_.renAlphaIndex[0x0000], 0);  // black
  EXPECT_EQ(rend_.renAlphaIndex[0xFFFF], 3);  // (248, 252, 248): white
  EXPECT_EQ(rend_.renAlphaIndex[0xF800], 5);  // (248, 0, 0): the red
  std::vector<std::uint8_t> block(4 + 65536, 9);
  block[4] = 1;
  ASSERT_EQ(SGRendererSetInverseLUT(&rend_, block.data()), SG_ERROR_NONE);
  EXPECT_EQ(std::make_tuple(rend_.renAlphaIndex[0], rend_.renAlphaIndex[65535]), std::make_tuple(1, 9));

  ASSERT_EQ(SGRendererBuildPaletteShadeLUT(&rend_), SG_ERROR_NONE);
  auto at = [&](std::uint32_t level, std::uint32_t k) {
    std::uint16_t v;
    std::memcpy(&v, rend_.renAlphaLUT + 2 * (level * 256 + k), 2);
    return v;
  };
  EXPECT_EQ(at(255, 3), 0xFFFF);  // the colour itself
  EXPECT_EQ(at(255, 5), 0xC800);
  EXPECT_EQ(at(0, 3), 0);
  EXPECT_EQ(at(128, 3), ((255 * 128) & 0xF800) | ((255 * 128) & 0xFC00) >> 5 | (255 * 128) >> 11);
}

TEST_F(Lut, SetRampsCopyAndRepeatTheLast) {
  const std::uint8_t bytes[] = {5, 6, 7};
  ASSERT_EQ(SGRendererSetHorizonRamp1(&rend_, bytes, 3), SG_ERROR_NONE);
  EXPECT_EQ(rend_.renHorizon.hzGroundRampCount, 3u);
  EXPECT_EQ(std::vector<std::uint8_t>(rend_.renHorizon.hzGroundRamp, rend_.renHorizon.hzGroundRamp + 4),
            (std::vector<std::uint8_t>{5, 6, 7, 7}));
  SGMallocFailAt(1);
  EXPECT_EQ(SGRendererSetHorizonRamp2(&rend_, bytes, 3), SG_ERROR_NO_MEMORY);
  SGMallocFailAt(0);
  EXPECT_EQ(rend_.renHorizon.hzFadeRampCount, 0u);
  EXPECT_EQ(SGRendererSetHorizonRamp1(&rend_, bytes, 0), SG_ERROR_NONE);
  EXPECT_EQ(rend_.renHorizon.hzGroundRamp, nullptr);
}

TEST_F(Lut, HorizonRampsFromTheirColours) {
  Indexed(kGreys);
  SGHorizon& hz = rend_.renHorizon;
  hz.hzGroundColour = Word(0, 0, 0, 0);
  hz.hzSkyColour = Word(255, 255, 255, 3);
  ASSERT_EQ(ISGRendererBuildHorizonRamp1(&rend_, 0), SG_ERROR_NONE);
  ASSERT_EQ(hz.hzGroundRampCount, 16u);
  EXPECT_EQ(hz.hzGroundRamp[0], 0);
  EXPECT_EQ(hz.hzGroundRamp[4], 1);  // 0 + trunc(255 x 4 / 15 + 0.5) = 68
  EXPECT_EQ(std::make_tuple(hz.hzGroundRamp[15], hz.hzGroundRamp[16]), std::make_tuple(3, 3));

  SGMaterial ground{};
  ground.matColour = Word(200, 0, 0, 5);
  hz.hzGroundMaterial = &ground;
  hz.hzGroundD3DColour = static_cast<std::int32_t>(Word(60, 60, 60));
  ASSERT_EQ(ISGRendererBuildHorizonRamp2(&rend_, 0), SG_ERROR_NONE);
  EXPECT_EQ(hz.hzFadeRamp[0], 5);
  EXPECT_EQ(hz.hzFadeRamp[16], 1);  // the looked-up end

  fb_.fbMode = SG_FB_MODE_QUASI_RGB;
  fb_.fbPixelFormat = kRgb565;
  ASSERT_EQ(ISGRendererBuildHorizonRamp1(&rend_, 0), SG_ERROR_NONE);
  EXPECT_EQ(hz.hzGroundRampCount, 65536u);
  EXPECT_EQ(hz.hzGroundRamp[255 * 256 + 31], 0);  // toward the black ground
  fb_.fbMode = SG_FB_MODE_RGB;
  EXPECT_EQ(ISGRendererBuildHorizonRamp1(&rend_, 0), SG_ERROR_NONE);
  EXPECT_EQ(hz.hzGroundRampCount, 65536u);  // left as it was
}

}  // namespace
