// Small triangles, whose rows are short, drawn by every fill against the
// step-by-step reference: rows of each length from one pixel to past two
// groups of four, over old pixels the transparent fills must keep.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "canvas.h"
#include "members.h"
#include "reference.h"
#include "sg/raster/fill16.h"

namespace {

const FillMember kMembers[] = {
    {"ISGFill16Flat", ISGFill16Flat, RefMode::kFlat, 1, 1},
    {"ISGFill16Shaded", ISGFill16Shaded, RefMode::kShaded, 1, 1},
    {"ISGFill16ShadedTransparent", ISGFill16ShadedTransparent, RefMode::kShadedTransparent, 1, 1},
    {"ISGFill16Texture32x32", ISGFill16Texture32x32, RefMode::kTexture, 32, 32},
    {"ISGFill16ShadedTexture64x32", ISGFill16ShadedTexture64x32, RefMode::kShadedTexture, 64, 32},
    {"ISGFill16TransparentTexture16x16", ISGFill16TransparentTexture16x16, RefMode::kTransparentTexture, 16, 16},
    {"ISGFill16ShadedTransparentTexture32x32", ISGFill16ShadedTransparentTexture32x32,
     RefMode::kShadedTransparentTexture, 32, 32},
    {"ISGFill16DirectTexture16x16", ISGFill16DirectTexture16x16, RefMode::kDirectTexture, 16, 16},
};

constexpr int kWidth = 48, kHeight = 40;
constexpr int kLongest = 12;

// The lengths of the rows the flat fill draws for the triangle.
void CountRows(const SGQVert v[3], std::array<int, kLongest + 1>& rows) {
  Canvas scratch(kWidth, kHeight);
  const uint16_t ink = 1;
  ISGFill16Flat(&v[0], &v[1], &v[2], scratch.Frame(), nullptr, nullptr, &ink);
  for (int y = 0; y < kHeight; ++y) {
    int n = 0;
    for (int x = 0; x < kWidth; ++x) n += scratch.At(x, y);
    if (n > 0) ++rows[std::min(n, kLongest)];
  }
}

TEST(FillShortRows, SmallTrianglesMatchTheReferenceRowForRow) {
  std::mt19937 random(5150);
  const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  for (const FillMember& member : kMembers) {
    std::vector<uint8_t> texels8(static_cast<size_t>(member.w) * member.h);
    std::vector<uint16_t> texels16(texels8.size());
    for (size_t i = 0; i < texels8.size(); ++i) {
      texels8[i] = pick(0, 2) == 0 ? 0 : static_cast<uint8_t>(pick(1, 255));
      texels16[i] = static_cast<uint16_t>(pick(0, 65535));
    }
    std::vector<uint8_t> shade(65536);
    for (uint8_t& s : shade) s = static_cast<uint8_t>(pick(0, 63));
    for (size_t level = 0; level < 256; level += 3) std::fill_n(shade.begin() + level * 256, 256, 0);
    std::vector<uint16_t> colours(256);
    for (uint16_t& c : colours) c = static_cast<uint16_t>(pick(0, 65535));
    const void* texels = member.mode == RefMode::kDirectTexture ? static_cast<const void*>(texels16.data())
                                                                : static_cast<const void*>(texels8.data());

    Canvas expected(kWidth, kHeight), actual(kWidth, kHeight);
    // Old pixels for the transparent fills to keep.
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) expected.At(x, y) = actual.At(x, y) = static_cast<uint16_t>(x * 97 + y);
    std::array<int, kLongest + 1> rows{};
    for (int n = 0; n < 1500; ++n) {
      SGQVert v[3];
      const int x = pick(0, (kWidth - 1) * 32), y = pick(0, (kHeight - 1) * 32);
      const int spread = pick(40, 420);
      for (SGQVert& vertex : v) {
        vertex =
            Vert(std::clamp(x + pick(-spread, spread), 0, (kWidth - 1) * 32),
                 std::clamp(y + pick(-spread, spread), 0, (kHeight - 1) * 32), static_cast<float>(pick(-40000, 40000)),
                 static_cast<float>(pick(-40000, 40000)), static_cast<float>(pick(16, 8176)));
      }
      MakeClockwise(v[0], v[1], v[2]);
      colours[0] = static_cast<uint16_t>(pick(0, 65535));
      CountRows(v, rows);
      RefFill16(member.mode, member.w, member.h, &v[0], &v[1], &v[2], expected.Frame(), texels, shade.data(),
                colours.data());
      member.fill(&v[0], &v[1], &v[2], actual.Frame(), texels, shade.data(), colours.data());
      ASSERT_EQ(actual.Memory(), expected.Memory())
          << member.name << " triangle " << n << ": (" << v[0].x << "," << v[0].y << ") (" << v[1].x << "," << v[1].y
          << ") (" << v[2].x << "," << v[2].y << ")";
    }
    for (int length = 1; length <= kLongest; ++length)
      EXPECT_GT(rows[length], 0) << member.name << ": no row of " << length << " pixels";
    EXPECT_TRUE(actual.GuardIntact()) << member.name;
  }
}

}  // namespace
