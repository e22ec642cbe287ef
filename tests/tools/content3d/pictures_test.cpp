// The unit pictures: every class and view code draws a hull, views differ,
// and a contact sheet of them all is written for review
// (build/<preset>/contact/unit_pictures.png).
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "platform/display/backend.h"
#include "tools/content3d/content3d.h"

namespace {

constexpr int kSide = 64;

std::size_t Covered(const content3d::Image& p) {
  std::size_t n = 0;
  for (const auto t : p) n += t != 0;
  return n;
}

TEST(UnitPictures, EveryViewDrawsAHullAndTheViewsDiffer) {
  plat::Image sheet;
  const auto& codes = content3d::ViewCodes();
  sheet.width = kSide * static_cast<int>(codes.size());
  sheet.height = kSide * 12;
  sheet.rgb.assign(static_cast<std::size_t>(sheet.width) * sheet.height, 0x202040);
  for (std::uint32_t c = 0; c < 12; ++c) {
    std::set<content3d::Image> distinct;
    for (std::size_t k = 0; k < codes.size(); ++k) {
      const auto picture = content3d::MakeUnitPicture(c, codes[k]);
      ASSERT_EQ(picture.size(), static_cast<std::size_t>(kSide * kSide));
      const std::size_t covered = Covered(picture);
      // Seen from anywhere the hull fills part of the picture, never all of it.
      EXPECT_GT(covered, 40u) << "class " << c << " code " << codes[k];
      EXPECT_LT(covered, picture.size() * 3 / 4) << "class " << c << " code " << codes[k];
      distinct.insert(picture);
      for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
          const std::uint32_t v = picture[static_cast<std::size_t>(y) * kSide + x];
          if (v) sheet.rgb[static_cast<std::size_t>(c * kSide + y) * sheet.width + k * kSide + x] = v * 0x010101;
        }
    }
    EXPECT_GE(distinct.size(), 15u) << "class " << c;
  }
  // Mirrored codes are the views across the hull's long axis.
  EXPECT_TRUE(content3d::ViewCodeMirrored(6));
  EXPECT_TRUE(content3d::ViewCodeMirrored(18));
  EXPECT_FALSE(content3d::ViewCodeMirrored(21));
  EXPECT_FALSE(content3d::ViewCodeMirrored(10));
  const std::filesystem::path out = std::filesystem::path(QUEN_BUILD_DIR) / "contact" / "unit_pictures.png";
  std::filesystem::create_directories(out.parent_path());
  EXPECT_TRUE(plat::WritePng(out, sheet));
}

}  // namespace
