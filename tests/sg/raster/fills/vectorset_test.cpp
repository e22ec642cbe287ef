// The fills with the processor's widest vector paths against the same fills
// held to the base set, pixel for pixel, on random triangles large enough
// for the large-triangle paths and their long rows.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "canvas.h"
#include "members.h"
#include "reference.h"
#include "sg/raster/fill16.h"
#include "sg/raster/vectorset.h"
#include "tables.h"
#include "triangles.h"

namespace {

// Puts the measured paths back however the test ends.
struct MeasuredPathsAfter {
  ~MeasuredPathsAfter() { ISGUseMeasuredVectorPaths(); }
};

constexpr SGPixelFormat kFormatBgr565 = {5, 0x001F, 0, 6, 0x07E0, 5, 5, 0xF800, 11};

TEST(FillVectorSets, WidePathsDrawWhatTheBasePathsDraw) {
  MeasuredPathsAfter restore;
  ISGLimitVectorSet(ISGVectorSet::kAvx2);
  if (ISGVectorSetInUse() != ISGVectorSet::kAvx2) GTEST_SKIP() << "the processor has no AVX2";
  ISGLimitVectorSet(ISGVectorSet::kBase);
  ASSERT_EQ(ISGVectorSetInUse(), ISGVectorSet::kBase);

  unsigned seed = 4242;
  for (const FillMember& member : kFill16Members) {
    for (const SGPixelFormat& format : {kFormat565, kFormat555, kFormatBgr565}) {
      const int w = 180 + static_cast<int>(seed % 37), h = 120 + static_cast<int>(seed % 23);
      TriangleSource source(seed++, w, h);
      FillTables tables(member, source, 255, 5);
      std::vector<uint16_t>& colours = tables.colours;
      const void* texels = tables.texels;
      const std::vector<uint8_t>& shade = tables.shade;
      const PitchKind pitch = seed % 2 == 0 ? PitchKind::kPositive : PitchKind::kNegative;
      Canvas base(w, h, 8, pitch, format), wide(w, h, 8, pitch, format);
      for (int n = 0; n < 40; ++n) {
        SGQVert v[3];
        source.Next(v);
        if (n % 2 == 0) {
          // Texture and level gradients of every size, not only the source's.
          for (SGQVert& vertex : v) {
            vertex.u = static_cast<float>(vertex.x * source.Pick(-3, 3) + source.Pick(-4096, 4096));
            vertex.v = static_cast<float>(vertex.y * source.Pick(-3, 3) + source.Pick(-4096, 4096));
            vertex.q = static_cast<float>(source.Pick(16, 8176));
          }
        }
        colours[0] = static_cast<uint16_t>(source.Pick(0, 65535));
        ISGLimitVectorSet(ISGVectorSet::kBase);
        member.fill(&v[0], &v[1], &v[2], base.Frame(), texels, shade.data(), colours.data());
        ISGLimitVectorSet(ISGVectorSet::kAvx2);
        member.fill(&v[0], &v[1], &v[2], wide.Frame(), texels, shade.data(), colours.data());
        ASSERT_EQ(wide.Memory(), base.Memory())
            << member.name << " triangle " << n << ": (" << v[0].x << "," << v[0].y << ") (" << v[1].x << "," << v[1].y
            << ") (" << v[2].x << "," << v[2].y << ")";
      }
      EXPECT_TRUE(wide.GuardIntact()) << member.name;
      EXPECT_LT(wide.Count(0), w * h * 9 / 10) << member.name << ": too few pixels drawn to tell the paths apart";
    }
  }
}

// Long rows of the textured fills one texel a pixel, texel 0 falling on
// each lane of the eight-pixel groups in turn, over old pixels: on the wide
// paths, which pack eight pixels into one store, each lane takes its own
// texel, or keeps its own old pixel, as in the reference; at one level and
// at levels varying along the rows.
TEST(FillVectorSets, WideRowsPutEachLaneItsOwnTexelOrOldPixel) {
  MeasuredPathsAfter restore;
  ISGLimitVectorSet(ISGVectorSet::kAvx2);
  if (ISGVectorSetInUse() != ISGVectorSet::kAvx2) GTEST_SKIP() << "the processor has no AVX2";
  const FillMember members[] = {
      {"ISGFill16Texture64x64", ISGFill16Texture64x64, RefMode::kTexture, 64, 64},
      {"ISGFill16TransparentTexture64x64", ISGFill16TransparentTexture64x64, RefMode::kTransparentTexture, 64, 64},
      {"ISGFill16ShadedTransparentTexture64x64", ISGFill16ShadedTransparentTexture64x64,
       RefMode::kShadedTransparentTexture, 64, 64},
      {"ISGFill16ShadedTexture64x64", ISGFill16ShadedTexture64x64, RefMode::kShadedTexture, 64, 64},
  };
  constexpr int kW = 150, kH = 64;
  // Zero where column and row agree modulo 9, so that the zeros move one
  // lane along from row to row.
  std::vector<uint8_t> texels(64 * 64);
  for (int r = 0; r < 64; ++r)
    for (int c = 0; c < 64; ++c)
      texels[r * 64 + c] = c % 9 == r % 9 ? 0 : static_cast<uint8_t>(1 + (c * 7 + r * 13) % 255);
  std::vector<uint16_t> colours(256);
  for (int i = 0; i < 256; ++i) colours[i] = static_cast<uint16_t>(i * 0x0101 + 0x1234);
  std::vector<uint8_t> shade(65536);
  for (size_t i = 0; i < shade.size(); ++i) shade[i] = static_cast<uint8_t>((i * 7 + (i >> 8) * 3) & 31);
  for (const FillMember& member : members) {
    for (const float farLevel : {100.5f * 32, 250.5f * 32}) {
      Canvas expected(kW, kH), actual(kW, kH);
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) expected.At(x, y) = actual.At(x, y) = static_cast<uint16_t>(x * 97 + y);
      const auto at = [&](int x, int y, float q) {
        return Vert(x * 32, y * 32, static_cast<float>(x * 32 + 16), static_cast<float>(y * 32 + 16), q);
      };
      const float nearLevel = 100.5f * 32;
      const SGQVert quad[4] = {at(1, 1, nearLevel), at(kW - 2, 1, farLevel), at(kW - 2, kH - 2, farLevel),
                               at(1, kH - 2, nearLevel)};
      for (const auto& t : {std::array<int, 3>{0, 1, 2}, std::array<int, 3>{0, 2, 3}}) {
        RefFill16(member.mode, 64, 64, &quad[t[0]], &quad[t[1]], &quad[t[2]], expected.Frame(), texels.data(),
                  shade.data(), colours.data());
        member.fill(&quad[t[0]], &quad[t[1]], &quad[t[2]], actual.Frame(), texels.data(), shade.data(), colours.data());
      }
      int kept = 0;
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
          ASSERT_EQ(actual.At(x, y), expected.At(x, y)) << member.name << " at " << x << ", " << y;
          kept += actual.At(x, y) == static_cast<uint16_t>(x * 97 + y);
        }
      // About one pixel in nine keeps its old value on the transparent fills.
      if (member.mode == RefMode::kTransparentTexture || member.mode == RefMode::kShadedTransparentTexture) {
        EXPECT_GT(kept, kW * kH / 12) << member.name;
      }
    }
  }
}

// Long rows read by gathers of eight lanes, over old pixels, against the
// reference: a direct texture whose last texel (read as the high half of
// the word before it, so that nothing past the texture is read) falls on
// each lane in turn, the rows sheared across the texture; the same for an
// 8-bit texture whose last three texels (read from the texture's last word)
// are transparent, opaque, transparent; and the shaded
// fills with a level a pixel along the rows and every third level
// blackening, so that the transparent one keeps old pixels in every lane.
TEST(FillVectorSets, GatheredRowsMatchTheReference) {
  MeasuredPathsAfter restore;
  ISGLimitVectorSet(ISGVectorSet::kAvx2);
  if (ISGVectorSetInUse() != ISGVectorSet::kAvx2) GTEST_SKIP() << "the processor has no AVX2";
  constexpr int kW = 150, kH = 64;
  std::vector<uint16_t> texels(16 * 16);
  for (size_t i = 0; i < texels.size(); ++i) texels[i] = static_cast<uint16_t>(i * 0x0101 + 0x0F0F);
  std::vector<uint8_t> shade(65536);
  for (size_t i = 0; i < shade.size(); ++i) shade[i] = (i >> 8) % 3 == 0 ? 0 : static_cast<uint8_t>(i * 5 + 1);
  const uint16_t colour = 0x7BEF;
  std::vector<uint8_t> texels8(16 * 16);
  for (size_t i = 0; i < texels8.size(); ++i) texels8[i] = i % 7 == 0 ? 0 : static_cast<uint8_t>(i);
  texels8[253] = 0;
  texels8[254] = 9;
  texels8[255] = 0;
  std::vector<uint16_t> colours(256);
  for (size_t i = 0; i < colours.size(); ++i) colours[i] = static_cast<uint16_t>(i * 0x0123 + 0x4567);
  const FillMember members[] = {
      {"ISGFill16DirectTexture16x16", ISGFill16DirectTexture16x16, RefMode::kDirectTexture, 16, 16},
      {"ISGFill16Shaded", ISGFill16Shaded, RefMode::kShaded, 1, 1},
      {"ISGFill16ShadedTransparent", ISGFill16ShadedTransparent, RefMode::kShadedTransparent, 1, 1},
      {"ISGFill16ShadedTransparentTexture16x16", ISGFill16ShadedTransparentTexture16x16,
       RefMode::kShadedTransparentTexture, 16, 16},
  };
  for (const FillMember& member : members) {
    Canvas expected(kW, kH), actual(kW, kH);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) expected.At(x, y) = actual.At(x, y) = static_cast<uint16_t>(x * 97 + y);
    // u one texel a pixel plus a third of the row, v one texel a row; the
    // level one a pixel from 40 at the left.
    const auto at = [&](int x, int y) {
      return Vert(x * 32, y * 32, static_cast<float>(x * 32 + y * 32 / 3 + 16), static_cast<float>(y * 32 + 16),
                  static_cast<float>((40 + x) * 32 + 16));
    };
    const SGQVert quad[4] = {at(1, 1), at(kW - 2, 1), at(kW - 2, kH - 2), at(1, kH - 2)};
    const bool direct = member.mode == RefMode::kDirectTexture;
    const bool textured = member.mode == RefMode::kShadedTransparentTexture;
    const void* tex = direct     ? static_cast<const void*>(texels.data())
                      : textured ? static_cast<const void*>(texels8.data())
                                 : nullptr;
    const void* table = textured ? static_cast<const void*>(colours.data()) : &colour;
    for (const auto& t : {std::array<int, 3>{0, 1, 2}, std::array<int, 3>{0, 2, 3}}) {
      RefFill16(member.mode, member.w, member.h, &quad[t[0]], &quad[t[1]], &quad[t[2]], expected.Frame(), tex,
                shade.data(), table);
      member.fill(&quad[t[0]], &quad[t[1]], &quad[t[2]], actual.Frame(), tex, shade.data(), table);
    }
    int kept = 0, lastTexel = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        ASSERT_EQ(actual.At(x, y), expected.At(x, y)) << member.name << " at " << x << ", " << y;
        kept += actual.At(x, y) == static_cast<uint16_t>(x * 97 + y);
        lastTexel += actual.At(x, y) == texels.back();
      }
    if (member.mode == RefMode::kDirectTexture) {
      EXPECT_GE(lastTexel, 12) << member.name;
    }
    if (member.mode == RefMode::kShadedTransparent) {
      EXPECT_GT(kept, kW * kH / 4) << member.name;
    }
    if (textured) {
      EXPECT_GT(kept, kW * kH / 10) << member.name;
    }
  }
}

// The chooser's rule on made-up timings: the wide path only for a clear win
// that holds over most rounds, never for a near tie, a loss, or one lucky
// round (times in arbitrary units; base[i] and wide[i] drawn in turn).
TEST(FillVectorSets, TheWidePathIsChosenOnlyForAClearWinOverMostRounds) {
  struct Case {
    const char* what;
    std::vector<double> base, wide;
    bool chosen;
  };
  const Case cases[] = {
      {"a clear win", {10, 10, 11, 10, 12, 10, 10}, {8, 8, 8, 9, 8, 8, 8}, true},
      {"at the margin", {10, 11, 10, 10, 10, 10, 10}, {9, 9, 9, 9, 9, 9, 9}, true},
      {"a near tie", {10, 10, 10, 10, 10, 10, 10}, {9.5, 9.5, 9.5, 9.5, 9.5, 9.5, 9.5}, false},
      {"a loss", {10, 10, 10, 10, 10, 10, 10}, {12, 12, 11, 13, 12, 12, 12}, false},
      {"one lucky round", {10, 10, 10, 10, 10, 10, 10}, {5, 12, 12, 12, 12, 12, 12}, false},
      {"best far ahead, faster in half the rounds", {10, 10, 10, 10}, {5, 5, 11, 11}, false},
      {"faster in most rounds, best behind the margin", {10, 10, 10}, {9.5, 9.5, 12}, false},
      {"a base round slowed by the machine", {10, 30, 10, 10, 10}, {8, 8, 8, 8, 8}, true},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(c.base.size(), c.wide.size()) << c.what;
    EXPECT_EQ(ISGWideWinsClearly(c.base.data(), c.wide.data(), c.base.size()), c.chosen) << c.what;
  }
  EXPECT_FALSE(ISGWideWinsClearly(nullptr, nullptr, 0)) << "no rounds";
}

// The measured choice: each family draws triangles of each size with the
// path it measured faster, the measure is made once, holding the fills to
// one set overrides it and giving the hold up brings it back; without the
// wide set nothing is wide.
TEST(FillVectorSets, EachFamilyKeepsThePathItMeasuredFaster) {
  MeasuredPathsAfter restore;
  ISGUseMeasuredVectorPaths();
  const bool processorHasWide = ISGVectorSetInUse() == ISGVectorSet::kAvx2;
  for (std::size_t p = 0; p < static_cast<std::size_t>(ISGWidePath::kCount); ++p) {
    for (const bool many : {false, true}) {
      const auto path = static_cast<ISGWidePath>(p);
      const bool faster = ISGWidePathMeasuredFaster(path, many);
      SCOPED_TRACE(testing::Message() << "family " << p << (many ? ", many pixels" : ", few pixels"));
      if (!processorHasWide) {
        EXPECT_FALSE(faster);
      }
      EXPECT_EQ(ISGUseAvx2(path, many), faster);
      EXPECT_EQ(ISGWidePathMeasuredFaster(path, many), faster) << "measured again";
      ISGLimitVectorSet(ISGVectorSet::kBase);
      EXPECT_FALSE(ISGUseAvx2(path, many));
      ISGLimitVectorSet(ISGVectorSet::kAvx2);
      EXPECT_EQ(ISGUseAvx2(path, many), processorHasWide);
      ISGUseMeasuredVectorPaths();
      EXPECT_EQ(ISGUseAvx2(path, many), faster);
    }
  }
}

}  // namespace
