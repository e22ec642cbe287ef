#include "platform/resource/cursoricon.h"

#include <tuple>

#include "platform/resource/dib.h"
#include "tests/platform/resource/fixture.h"

namespace {

using restest::FixtureModule;

class ImagesTest : public FixtureModule {};

TEST_F(ImagesTest, CursorKeepsItsHotspotAndMask) {
  auto g = plat::LoadCursorGroup(module_, "idc_cursor_normal_red");
  ASSERT_TRUE(g);
  EXPECT_TRUE(g->isCursor);
  ASSERT_EQ(g->images.size(), 1u);
  const plat::CursorIconImage& c = g->images[0];
  EXPECT_EQ(std::make_tuple(c.hotspot.x, c.hotspot.y, c.width, c.height, c.header.bitCount),
            std::make_tuple(5, 7, 16, 16, 1));
  ASSERT_EQ(c.header.palette.size(), 2u);
  EXPECT_EQ(std::make_tuple(c.header.palette[1], c.header.stride), std::make_tuple(0xFFFFFFu, 4u));
  EXPECT_EQ(c.dib[c.header.bitsOffset], 0xAA);
  EXPECT_EQ(c.dib[c.header.bitsOffset + 16 * 4], 0x0F);  // the AND mask follows the colour rows
  EXPECT_FALSE(plat::LoadIconGroup(module_, "idc_cursor_normal_red"));
}

TEST_F(ImagesTest, IconGroupHoldsEverySize) {
  auto g = plat::LoadIconGroup(module_, 1);
  ASSERT_TRUE(g);
  EXPECT_FALSE(g->isCursor);
  ASSERT_EQ(g->images.size(), 2u);
  EXPECT_EQ(g->images[0].width, 16);
  EXPECT_EQ(std::make_tuple(g->images[1].width, g->images[1].height, g->images[1].header.bitCount),
            std::make_tuple(32, 32, 4));
  EXPECT_EQ(g->images[1].header.palette.size(), 16u);
  EXPECT_NE(g->images[0].resourceId, g->images[1].resourceId);
}

TEST_F(ImagesTest, BitmapRowsAreWhereTheHeaderSays) {
  auto b = plat::LoadBitmapResource(module_, "IDB_PICTURE");
  ASSERT_TRUE(b);
  EXPECT_EQ(b->header.width, 3);
  EXPECT_EQ(std::make_tuple(b->header.height, b->header.bitCount, b->header.stride, b->header.bitsOffset),
            std::make_tuple(2, 24, 12u, 40u));
  // Row 1, pixel 2: blue 21, green 12, red 200.
  std::size_t at = b->header.bitsOffset + 12 + 2 * 3;
  EXPECT_EQ(std::make_tuple(b->dib[at], b->dib[at + 1], b->dib[at + 2]), std::make_tuple(21, 12, 200));
  EXPECT_FALSE(plat::LoadBitmapResource(module_, "NO_SUCH_BITMAP"));
}

TEST(Dib, RefusesHeadersItsBytesCannotBackUp) {
  std::vector<plat::BYTE> dib = {40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0};
  dib.resize(40 + 16, 0);  // two rows of 8 bytes
  ASSERT_TRUE(plat::ParseDib(dib));
  EXPECT_FALSE(plat::ParseDib(std::span(dib).first(dib.size() - 1)));
  auto patched = [&](std::size_t at, plat::BYTE v) {
    auto copy = dib;
    copy[at] = v;
    return plat::ParseDib(copy).has_value();
  };
  EXPECT_FALSE(patched(14, 7));    // no such bit count
  EXPECT_FALSE(patched(16, 1));    // run-length compression
  EXPECT_FALSE(patched(7, 0x40));  // a width no picture has
  EXPECT_FALSE(patched(0, 12));    // the old short header
  EXPECT_FALSE(patched(0, 200));   // a header longer than the bytes
  auto odd = dib;
  odd[8] = 3;
  EXPECT_FALSE(plat::ParseDib(odd, true));  // an icon's colour and mask rows pair up
}

}  // namespace
