// The 8-bpp fills against the step-by-step reference over seeded random
// triangles on framed buffers whose guard bands must stay untouched.

#include <gtest/gtest.h>

#include <vector>

#include "canvas.h"
#include "members.h"
#include "reference.h"
#include "sg/raster/fill8.h"
#include "triangles.h"

namespace {

// The eleven sizes and 256 x 32.
#define SIZES8(prefix, mode) \
  FILL_SIZES(prefix, mode), { #prefix "256x32", prefix##256x32, mode, 256, 32 }

const FillMember kMembers8[] = {
    {"ISGFill8Flat", ISGFill8Flat, RefMode::kFlat, 1, 1},
    {"ISGFill8Shaded", ISGFill8Shaded, RefMode::kShaded, 1, 1},
    {"ISGFill8ShadedTransparent", ISGFill8ShadedTransparent, RefMode::kShadedTransparent, 1, 1},
    SIZES8(ISGFill8Texture, RefMode::kTexture),
    SIZES8(ISGFill8ShadedTexture, RefMode::kShadedTexture),
    SIZES8(ISGFill8TransparentTexture, RefMode::kTransparentTexture),
    SIZES8(ISGFill8ShadedTransparentTexture, RefMode::kShadedTransparentTexture),
    {"ISGFill8DitheredTexture32x32", ISGFill8DitheredTexture32x32, RefMode::kDitheredTexture, 32, 32},
    {"ISGFill8DitheredTexture128x128", ISGFill8DitheredTexture128x128, RefMode::kDitheredTexture, 128, 128},
    {"ISGFill8DitheredTexture512x512", ISGFill8DitheredTexture512x512, RefMode::kDitheredTexture, 512, 512},
    SIZES8(ISGFill8AlphaTexture, RefMode::kAlphaTexture),
    {"ISGFill8AlphaStrip", ISGFill8AlphaStrip, RefMode::kAlphaStrip, 16, 16},
};

// The renderer's blend tables for a random palette: each palette colour
// scaled by k/256 in 5-6-5, and a nearest-index table (any index will do
// for comparing fills, so a hash of the value).
struct BlendTables {
  std::vector<uint16_t> scale = std::vector<uint16_t>(65536);
  std::vector<uint8_t> index = std::vector<uint8_t>(65536);

  explicit BlendTables(TriangleSource& source) {
    for (int c = 0; c < 256; ++c) {
      const int r = source.Pick(0, 255), g = source.Pick(0, 255), b = source.Pick(0, 255);
      for (int k = 0; k < 256; ++k)
        scale[k * 256 + c] = static_cast<uint16_t>(((r * k) >> 11) << 11 | ((g * k) >> 10) << 5 | (b * k) >> 11);
    }
    for (size_t i = 0; i < index.size(); ++i) index[i] = static_cast<uint8_t>((i * 2654435761u) >> 24);
  }
};

#undef SIZES8

TEST(Fill8Differential, EveryMemberMatchesTheReferenceAndStaysInsideTheFrame) {
  unsigned seed = 101;
  for (const FillMember& member : kMembers8) {
    for (PitchKind pitch : {PitchKind::kPositive, PitchKind::kNegative, PitchKind::kOdd}) {
      const int w = 40 + static_cast<int>(seed % 29), h = 30 + static_cast<int>(seed % 17);
      TriangleSource source(seed++, w, h);
      std::vector<uint8_t> texels(static_cast<size_t>(member.w) * member.h);
      for (uint8_t& t : texels) t = source.Pick(0, 3) == 0 ? 0 : static_cast<uint8_t>(source.Pick(1, 255));
      std::vector<uint8_t> shade(16 * 256);
      for (uint8_t& s : shade) s = static_cast<uint8_t>(source.Pick(0, 7) == 0 ? 0 : source.Pick(1, 255));
      const bool alpha = member.mode == RefMode::kAlphaTexture || member.mode == RefMode::kAlphaStrip;
      const BlendTables blend(source);
      const void* table = alpha ? static_cast<const void*>(blend.scale.data()) : shade.data();

      Canvas8 expected(w, h, 8, pitch), actual(w, h, 8, pitch);
      for (int n = 0; n < 150; ++n) {
        SGQVert v[3];
        source.Next(v);
        // Magnified textures too, so that every dithering class is met.
        if (n % 2 == 1)
          for (SGQVert& vertex : v) {
            vertex.u = static_cast<float>(source.Pick(0, 32 * 24));
            vertex.v = static_cast<float>(source.Pick(0, 32 * 24));
          }
        // Alpha mostly within 0..255 and levels within 0..15, sometimes past both.
        for (SGQVert& vertex : v) {
          vertex.col = static_cast<float>(source.Pick(0, n % 5 == 0 ? 400 * 32 : 255 * 32));
          if (alpha) vertex.q = static_cast<float>(source.Pick(16, n % 5 == 0 ? 40 * 32 : 15 * 32 + 16));
        }
        const uint8_t ink = static_cast<uint8_t>(source.Pick(1, 255));
        const void* colour = alpha ? static_cast<const void*>(blend.index.data()) : &ink;
        RefFill8(member.mode, member.w, member.h, &v[0], &v[1], &v[2], expected.Frame(), texels.data(), table, colour);
        member.fill(&v[0], &v[1], &v[2], actual.Frame(), texels.data(), table, colour);
        ASSERT_EQ(actual.Memory(), expected.Memory())
            << member.name << " triangle " << n << ": (" << v[0].x << "," << v[0].y << ") (" << v[1].x << "," << v[1].y
            << ") (" << v[2].x << "," << v[2].y << ")";
      }
      EXPECT_TRUE(actual.GuardIntact()) << member.name;
      EXPECT_GT(actual.Count(0), 0) << member.name;
      EXPECT_LT(actual.Count(0), w * h) << member.name;
    }
  }
}

}  // namespace
