#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "media/CDibImage.h"
#include "platform/core/bytes.h"
#include "tests/media/movie/movie_fixture.h"
#include "tests/support/bmp_file.h"

namespace {

using namespace plat;

// An 8-bit BMP: `colours` table entries (0x00RRGGBB), rows given bottom row first.
std::vector<std::uint8_t> Bmp8(int w, int h, const std::vector<DWORD>& colours, const std::vector<BYTE>& indexes,
                               DWORD sizeLie = 0) {
  ByteWriter table, rows;
  for (DWORD c : colours) table.U32(c);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) rows.U8(indexes[static_cast<std::size_t>(y * w + x)]);
    rows.Zeros(CDibImage::RowBytes(w, 8) - static_cast<DWORD>(w));
  }
  return quentest::BmpFile(8, w, h, table.Take(), rows.Take(), 0, sizeLie);
}

// The movie tests' drive T: and message capture, with the pictures of
// data/ on drive F:.
class DibTest : public movietest::MovieTest {
 protected:
  void SetUp() override {
    MovieTest::SetUp();
    SetDrive('F', std::filesystem::path(QUEN_TEST_DATA_DIR));
  }
};

TEST_F(DibTest, ImageMagicksBitmapLoadsAtEveryDepth) {
  CDibImage image;
  ASSERT_EQ(image.LoadFile(0, "F:\\grad8.bmp", 8), 1);  // 21 x 3, blue at the left to red at the right
  EXPECT_EQ(image.GetWidth(), 21);
  EXPECT_EQ(image.GetHeight(), 3);
  RECT r;
  image.GetRect(&r);
  EXPECT_EQ(std::make_tuple(r.right, r.bottom), std::make_tuple(21, 3));
  const RGBQUAD left = image.info->bmiColors[*image.GetPixelAddress(0, 0)];
  const RGBQUAD right = image.info->bmiColors[*image.GetPixelAddress(20, 2)];
  EXPECT_EQ(std::make_tuple(left.rgbBlue, left.rgbRed), std::make_tuple(255, 0));
  EXPECT_EQ(right.rgbRed, 255);
  EXPECT_EQ(image.GetPixelAddress(21, 0), nullptr);
  EXPECT_EQ(image.GetPixelAddress(0, 3), nullptr);

  ASSERT_EQ(image.LoadFile(0, "F:\\grad8.bmp", 16), 1);
  EXPECT_EQ(image.info->bmiHeader.biBitCount, 16);
  const BYTE* p = image.GetPixelAddress(0, 1);
  EXPECT_EQ(p[0] | p[1] << 8, 0x001F);
  EXPECT_EQ(image.GetPixelAddress(0, 0) - image.GetPixelAddress(0, 1), 44) << "rows of 21 x 2 bytes padded";
  ASSERT_EQ(image.LoadFile(0, "F:\\grad8.bmp", 24), 1);
  p = image.GetPixelAddress(20, 1);
  EXPECT_EQ(std::make_tuple(p[0], p[2]), std::make_tuple(0, 255));
  EXPECT_TRUE(messages_.empty());
}

TEST_F(DibTest, OnlyUncompressedEightBitWindowsBitmapsLoad) {
  CDibImage image;
  ASSERT_EQ(image.LoadFile(0, "F:\\grad8.bmp", 8), 1);
  EXPECT_EQ(image.LoadFile(0, "F:\\three24.bmp", 8), 0);
  EXPECT_EQ(image.LoadFile(0, "F:\\four.bmp", 8), 0);
  EXPECT_EQ(image.LoadFile(0, "F:\\v5.bmp", 8), 0);
  EXPECT_EQ(messages_,
            (std::vector<std::string>{"Not a 256 color bitmap.", "Not a 256 color bitmap.", "Not a Windows DIB."}));
  messages_.clear();
  auto good = Bmp8(3, 2, {0xFF0000, 0x00FF00}, {0, 1, 1, 0, 0, 1});
  auto shortFile = good;
  shortFile.resize(shortFile.size() - 3);
  auto lies = good;
  lies[22] = 0x40;  // height 0x40000002: far beyond the rows the file holds
  std::string notBm = "XM" + std::string(60, '\0');
  for (const std::string& path :
       {std::string("T:\\none.bmp"), std::string("F:\\rle8.bmp"), Write("short.bmp", shortFile),
        Write("lies.bmp", lies), Write("size.bmp", Bmp8(3, 2, {0xFF0000}, {0, 0, 0, 0, 0, 0}, 20)),
        Write("notbm.bmp", std::vector<std::uint8_t>(notBm.begin(), notBm.end()))})
    EXPECT_EQ(image.LoadFile(0, path.c_str(), 8), 0) << path;
  EXPECT_EQ(image.LoadFile(0, Write("good.bmp", good).c_str(), 32), 0) << "no such target";
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(image.GetWidth(), 21) << "a failed load keeps the image it had";
}

TEST_F(DibTest, NarrowRowsArePaddedAndAddressedFromTheTop) {
  CDibImage image;
  const std::string path = Write("three.bmp", Bmp8(3, 2, {0xFF0000, 0x0000FF}, {0, 1, 0, 1, 1, 1}));
  ASSERT_EQ(image.LoadFile(0, path.c_str(), 8), 1);
  EXPECT_EQ(image.GetPixelAddress(0, 0), image.bits + 4) << "the top row is the last in memory";
  EXPECT_EQ(*image.GetPixelAddress(0, 0), 1);
  EXPECT_EQ(*image.GetPixelAddress(1, 1), 1);
  ASSERT_EQ(image.LoadFile(0, path.c_str(), 16), 1);
  EXPECT_EQ(image.GetPixelAddress(0, 0), image.bits + 8);
  const BYTE* red = image.GetPixelAddress(0, 1);
  EXPECT_EQ(red[0] | red[1] << 8, 0x7C00);
}

TEST_F(DibTest, MatchingAPaletteRemapsPixelsAndTable) {
  CDibImage image;
  const std::string path = Write("match.bmp", Bmp8(2, 1, {0xF00000, 0x0000E0, 0x101010}, {1, 2}));
  ASSERT_EQ(image.LoadFile(0, path.c_str(), 8), 1);
  std::vector<BYTE> storage(sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(storage.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = 256;
  for (int i = 0; i < 256; ++i) lp->palPalEntry[i] = {128, 128, 128, 0};
  lp->palPalEntry[7] = {0, 0, 255, 0};
  lp->palPalEntry[9] = {0, 0, 0, 0};
  HPALETTE palette = CreatePalette(lp);
  EXPECT_EQ(image.MatchPalette(nullptr), 0);
  ASSERT_EQ(image.MatchPalette(palette), 1);
  EXPECT_EQ(*image.GetPixelAddress(0, 0), 7);
  EXPECT_EQ(*image.GetPixelAddress(1, 0), 9);
  EXPECT_EQ(image.info->bmiColors[7].rgbBlue, 255);
  EXPECT_EQ(image.info->bmiColors[0].rgbRed, 128);
  ASSERT_EQ(image.LoadFile(0, path.c_str(), 24), 1);
  EXPECT_EQ(image.MatchPalette(palette), 0);
  DeleteObject(palette);
}

TEST_F(DibTest, CopiesAreClippedToBothImages) {
  std::vector<BYTE> sourceBits(4 * 4), destBits(8 * 4, 0);
  for (int i = 0; i < 16; ++i) sourceBits[static_cast<std::size_t>(i)] = static_cast<BYTE>(i + 1);
  BITMAPINFO format;
  format.bmiHeader.biWidth = 4;
  format.bmiHeader.biHeight = 4;
  format.bmiHeader.biBitCount = 8;
  format.bmiHeader.biClrUsed = 1;
  CDibImage source, dest;
  ASSERT_EQ(source.SetFormat(&format, sourceBits.data()), 1);
  EXPECT_EQ(source.ownsBits, 0u);
  format.bmiHeader.biWidth = 8;
  ASSERT_EQ(dest.SetFormat(&format, destBits.data()), 1);

  // Two columns left of the source: lands two to the right, two columns fewer.
  source.CopyTo(&dest, 1, 0, 4, 4, -2, 0);
  for (int y = 0; y < 4; ++y) {
    EXPECT_EQ(*dest.GetPixelAddress(1, y), 0);
    EXPECT_EQ(*dest.GetPixelAddress(2, y), 0);
    EXPECT_EQ(*dest.GetPixelAddress(3, y), *source.GetPixelAddress(0, y));
    EXPECT_EQ(*dest.GetPixelAddress(4, y), *source.GetPixelAddress(1, y));
    EXPECT_EQ(*dest.GetPixelAddress(5, y), 0);
  }
  // Past the destination's corner only what fits arrives.
  std::fill(destBits.begin(), destBits.end(), 0);
  source.CopyTo(&dest, 6, 2, 4, 4, 0, 0);
  EXPECT_EQ(*dest.GetPixelAddress(7, 3), *source.GetPixelAddress(1, 1));
  EXPECT_EQ(*dest.GetPixelAddress(6, 2), *source.GetPixelAddress(0, 0));
  EXPECT_EQ(std::count(destBits.begin(), destBits.end(), 0), 32 - 4);
  source.CopyTo(&dest, 0, 0, 4, 4, 4, 0);
  EXPECT_EQ(std::count(destBits.begin(), destBits.end(), 0), 32 - 4) << "a source start beyond its width";

  std::vector<BYTE> wideBits(8 * 4 * 2, 0);
  format.bmiHeader.biBitCount = 16;
  CDibImage wide;
  wide.SetFormat(&format, wideBits.data());
  source.CopyTo(&wide, 0, 0, 4, 4, 0, 0);
  EXPECT_EQ(std::count(wideBits.begin(), wideBits.end(), 0), 64) << "depths differ";
}

}  // namespace
