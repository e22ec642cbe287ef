// The data build put every image of the inventory into its module at the size
// the inventory gives, and the cursors into the program's module.

#include <gtest/gtest.h>

#include <tuple>

#include "media/ImaImage.h"
#include "paths.h"
#include "platform/core/bytes.h"
#include "platform/resource/cursoricon.h"
#include "platform/resource/module.h"
#include "tools/art/imagefiles.h"
#include "tools/art/looks.h"

TEST(BuiltImages, EveryImageDecodesAtItsStatedSize) {
  int images = 0;
  for (const art::Container& c : ProjectInventory().containers) {
    if (!c.isModule) continue;
    const auto path = HostPath(c);
    plat::HMODULE module = plat::LoadLibrary(path.string().c_str());
    ASSERT_NE(module, nullptr) << path << ": " << plat::LastModuleError();
    for (const art::Asset& a : c.assets) {
      // read as the sprites read them: the header, then every pixel it announces
      const auto bytes = plat::ResourceBytes(module, plat::ResName(a.name), plat::ResName("IMA"));
      const auto layout = ReadImaHeader(bytes);
      ASSERT_TRUE(layout.has_value()) << c.path << " lacks " << a.name;
      EXPECT_EQ(layout->width, static_cast<std::uint32_t>(a.width)) << c.path << ' ' << a.name;
      EXPECT_EQ(layout->height, static_cast<std::uint32_t>(a.height)) << c.path << ' ' << a.name;
      EXPECT_TRUE(HoldsAllPixels(*layout, bytes.size())) << c.path << ' ' << a.name;
      EXPECT_EQ(bytes.size(), 4u + 2u * a.width * a.height) << c.path << ' ' << a.name;
      ++images;
    }
    plat::FreeLibrary(module);
  }
  EXPECT_GT(images, 1500);
}

TEST(BuiltImages, CursorsHaveTheirHotSpotsInsideAndPointWithOpaquePixels) {
  plat::HMODULE program = plat::LoadLibrary(ProgramModule().string().c_str());
  ASSERT_NE(program, nullptr);
  const auto names = art::CursorNames();
  ASSERT_EQ(names.size(), 75u);
  for (const auto& name : names) {
    const auto group = plat::LoadCursorGroup(program, plat::ResName(name));
    ASSERT_TRUE(group.has_value()) << name;
    ASSERT_EQ(group->images.size(), 1u);
    const auto& image = group->images[0];
    const int hx = image.hotspot.x, hy = image.hotspot.y;
    ASSERT_TRUE(hx >= 0 && hx < image.width && hy >= 0 && hy < image.height) << name;
    ASSERT_EQ(image.header.bitCount, 32) << name;
    // the shape covers its hot spot or lies within a few pixels of it (rows stored bottom first)
    auto alpha = [&](int x, int y) {
      const std::size_t at = image.header.bitsOffset + image.header.stride * (image.height - 1 - y) + 4u * x + 3;
      return at < image.dib.size() ? image.dib[at] : 0;
    };
    bool near = false;
    for (int dy = -3; dy <= 3 && !near; ++dy) {
      for (int dx = -3; dx <= 3 && !near; ++dx) {
        const int x = hx + dx, y = hy + dy;
        near = x >= 0 && y >= 0 && x < image.width && y < image.height && alpha(x, y) >= 0x80;
      }
    }
    EXPECT_TRUE(near) << name;
  }
  // the main window's icon, large and small
  const auto icon = plat::LoadIconGroup(program, plat::ResName(255));
  ASSERT_TRUE(icon.has_value());
  ASSERT_EQ(icon->images.size(), 2u);
  EXPECT_EQ(std::make_tuple(icon->images[0].width, icon->images[1].height), std::make_tuple(32, 16));
  plat::FreeLibrary(program);
}

TEST(ImageFiles, EncodeRefusesSizesThatDoNotMatch) {
  art::Pixels p;
  p.width = 2;
  p.height = 1;
  p.argb = {0xFFFF0000u, 0xFF0000FFu};
  const auto ima = art::EncodeIma(p);
  EXPECT_EQ(ima, (std::vector<std::uint8_t>{2, 0, 1, 0, 0x00, 0xF8, 0x1F, 0x00}));
  EXPECT_THROW(art::EncodeCursor(p, 2, 0), std::invalid_argument);
  p.argb.pop_back();
  EXPECT_THROW(art::EncodeIma(p), std::invalid_argument);
}
