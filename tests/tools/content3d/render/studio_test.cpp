// The unit pictures the data build draws with the renderer: every class seen
// from every view code shows its hull, never fills the whole picture, and the
// views differ; a contact sheet of them is written for review
// (build/<preset>/contact/unit_pictures_rendered.png).
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "platform/display/backend.h"
#include "tools/content3d/studio.h"

namespace {

TEST(Studio, DrawsEveryUnitPictureFromEveryViewCode) {
  content3d::Studio studio;
  const auto& codes = content3d::ViewCodes();
  const int side = static_cast<int>(content3d::kUnitPictureSide);
  plat::Image sheet;
  sheet.width = side * static_cast<int>(codes.size());
  sheet.height = side * 12 * 5;
  sheet.rgb.assign(static_cast<std::size_t>(sheet.width) * sheet.height, 0x202040);
  for (std::uint32_t row = 0; row < 12 * 5; ++row) {
    // Every guild's hulls, a row per class.
    const std::uint32_t g = row / 12, c = row % 12;
    std::set<content3d::Image> distinct;
    for (std::size_t k = 0; k < codes.size(); ++k) {
      const auto picture = studio.Picture(content3d::MakeHullMesh(g, c), content3d::ViewCodeDirection(codes[k]),
                                          content3d::kUnitPictureSide);
      ASSERT_EQ(picture.size(), static_cast<std::size_t>(side * side));
      std::size_t covered = 0;
      for (const auto t : picture) covered += t != 0;
      EXPECT_GT(covered, 20u) << "guild " << g << " class " << c << " code " << codes[k];
      EXPECT_LT(covered, picture.size() * 3 / 4) << "guild " << g << " class " << c << " code " << codes[k];
      distinct.insert(picture);
      for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
          const std::uint32_t v = picture[static_cast<std::size_t>(y) * side + x];
          if (v)
            sheet.rgb[static_cast<std::size_t>(static_cast<int>(row) * side + y) * sheet.width + k * side + x] =
                v * 0x010101;
        }
    }
    EXPECT_GE(distinct.size(), 15u) << "guild " << g << " class " << c;
  }
  // Mirrored codes are the views across the hull's long axis.
  EXPECT_TRUE(content3d::ViewCodeMirrored(6));
  EXPECT_TRUE(content3d::ViewCodeMirrored(18));
  EXPECT_FALSE(content3d::ViewCodeMirrored(21));
  EXPECT_FALSE(content3d::ViewCodeMirrored(10));
  // The same view draws the same picture: the data build's cache relies on it.
  EXPECT_EQ(
      studio.Picture(content3d::MakeHullMesh(3, 9), content3d::ViewCodeDirection(7), content3d::kUnitPictureSide),
      studio.Picture(content3d::MakeHullMesh(3, 9), content3d::ViewCodeDirection(7), content3d::kUnitPictureSide));
  const std::filesystem::path out = std::filesystem::path(QUEN_BUILD_DIR) / "contact" / "unit_pictures_rendered.png";
  std::filesystem::create_directories(out.parent_path());
  EXPECT_TRUE(plat::WritePng(out, sheet));
}

}  // namespace
