// DIB sections, bitmaps from files and modules, and blits between DCs.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "platform/gdi/bitmaps.h"
#include "platform/gdi/shapes.h"
#include "platform/resource/module.h"
#include "tests/platform/gdi/gdi_fixture.h"
#include "tests/support/bmp_file.h"
#include "tests/support/fixture_module.h"
#include "tests/support/temp_dir.h"

namespace gditest {
namespace {

// A header and colour table as callers lay them out: room for 256 entries.
struct Info8 {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
};

HBITMAP Dib8(int w, int h, const std::vector<RGBQUAD>& colours, BYTE** bits) {
  Info8 info;
  info.header.biWidth = w;
  info.header.biHeight = h;
  info.header.biBitCount = 8;
  info.header.biClrUsed = static_cast<DWORD>(colours.size());
  std::copy(colours.begin(), colours.end(), info.colours);
  void* p = nullptr;
  HBITMAP b = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &p, nullptr, 0);
  *bits = static_cast<BYTE*>(p);
  return b;
}

HBITMAP Dib(int w, int h, WORD bits, DWORD compression = BI_RGB, const DWORD* masks = nullptr, void** out = nullptr) {
  struct {
    BITMAPINFOHEADER header;
    DWORD masks[3];
  } info{};
  info.header.biWidth = w;
  info.header.biHeight = h;
  info.header.biBitCount = bits;
  info.header.biCompression = compression;
  if (masks) std::memcpy(info.masks, masks, sizeof info.masks);
  void* p = nullptr;
  HBITMAP b = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &p, nullptr, 0);
  if (out) *out = p;
  return b;
}

// Runs `use` with a memory DC that holds bitmap b.
template <typename Use>
void WithBitmap(HBITMAP b, Use use) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, b);
  ASSERT_NE(old, nullptr);
  use(dc);
  SelectObject(dc, old);
  DeleteDC(dc);
}

void FillTopLeft(HBITMAP b, COLORREF c) {
  HBRUSH brush = CreateSolidBrush(c);
  const RECT topLeft{0, 0, 1, 1};
  WithBitmap(b, [&](HDC dc) { FillRect(dc, &topLeft, brush); });
  DeleteObject(brush);
}

// Copies bitmap b onto the whole of target t.
void BlitOnto(HBITMAP b, Target& t) {
  WithBitmap(b, [&](HDC dc) { BitBlt(t.dc(), 0, 0, t.pixels().width, t.pixels().height, dc, 0, 0, SRCCOPY); });
}

TEST(DibSections, LayoutAndFormats) {
  BYTE* bits = nullptr;
  HBITMAP b = Dib8(3, 2, {{0, 0, 0, 0}, {0, 0, 255, 0}, {255, 0, 0, 0}}, &bits);
  ASSERT_NE(b, nullptr);
  ASSERT_NE(bits, nullptr);
  BITMAP info;
  ASSERT_EQ(GetObject(b, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(std::make_tuple(info.bmWidth, info.bmHeight), std::make_tuple(3, 2));
  EXPECT_EQ(info.bmWidthBytes, 4);  // rows pad to 4 bytes
  EXPECT_EQ(std::make_tuple(info.bmBitsPixel, info.bmBits), std::make_tuple(8, bits));
  EXPECT_EQ(GetObject(b, 0, nullptr), static_cast<int>(sizeof info));
  EXPECT_EQ(GetObject(b, 4, &info), 0);
  EXPECT_EQ(GetObject(GetStockObject(BLACK_PEN), sizeof info, &info), 0);

  // Drawing picks the colour table's nearest entry; the top row is last in memory.
  FillTopLeft(b, RGB(250, 10, 0));
  EXPECT_EQ(bits[4], 1);  // row 1 in memory is the top row
  EXPECT_EQ(bits[0], 0);
  EXPECT_TRUE(DeleteObject(b));

  void* p = nullptr;
  HBITMAP d555 = Dib(2, -2, 16, BI_RGB, nullptr, &p);
  const DWORD m565[3] = {0xF800, 0x07E0, 0x001F};
  HBITMAP d565 = Dib(2, 2, 16, BI_BITFIELDS, m565);
  HBITMAP d24 = Dib(5, 1, 24);
  ASSERT_TRUE(d555 && d565 && d24);
  GetObject(d24, sizeof info, &info);
  EXPECT_EQ(info.bmWidthBytes, 16);
  // A top-down 5-5-5 section: drawing red at the top row lands first in memory.
  FillTopLeft(d555, RGB(255, 0, 0));
  std::uint16_t first;
  std::memcpy(&first, p, 2);
  EXPECT_EQ(first, 0x7C00);
  for (HBITMAP x : {d555, d565, d24}) DeleteObject(x);

  const DWORD odd[3] = {0xF000, 0x0F00, 0x00F0};
  EXPECT_EQ(Dib(2, 2, 16, BI_BITFIELDS, odd), nullptr);
  EXPECT_EQ(Dib(2, 2, 32), nullptr);
  EXPECT_EQ(Dib(0, 2, 24), nullptr);
  EXPECT_EQ(Dib(2, 0, 24), nullptr);
  EXPECT_EQ(Dib(20000, 2, 24), nullptr);
  EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, &p, nullptr, 0), nullptr);
}

TEST(DibSections, OneDcAtATime) {
  HBITMAP b = Dib(4, 4, 24);
  HDC a = CreateCompatibleDC(nullptr), c = CreateCompatibleDC(nullptr);
  HGDIOBJ first = SelectObject(a, b);
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(SelectObject(c, b), nullptr);
  SelectObject(a, first);
  EXPECT_NE(SelectObject(c, b), nullptr);
  DeleteDC(a);
  DeleteDC(c);
  DeleteObject(b);
}

class BlitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A 4 x 2 8-bit picture: top row indices 0 1 2 3, bottom row 3 2 1 0.
    b_ = Dib8(4, 2, {{0, 0, 0, 0}, {0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}}, &bits_);
    const BYTE rows[8] = {3, 2, 1, 0, 0, 1, 2, 3};  // bottom row first
    std::memcpy(bits_, rows, 8);
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, b_);
  }
  void TearDown() override {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(b_);
  }
  // The picture in 5-6-5, top row first.
  static constexpr DWORD kRows[2][4] = {{0, 0xF800, 0x07E0, 0x001F}, {0x001F, 0x07E0, 0xF800, 0}};
  BYTE* bits_ = nullptr;
  HBITMAP b_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

TEST_F(BlitTest, BitBltConvertsThroughTheColourTable) {
  Target t(10, 10, PixelFormat::kRgb565);
  ASSERT_TRUE(BitBlt(t.dc(), 2, 3, 4, 2, dc_, 0, 0, SRCCOPY));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(t.At(2 + x, 3 + y), kRows[y][x]) << x << "," << y;
  EXPECT_FALSE(BitBlt(t.dc(), 0, 0, 4, 2, dc_, 0, 0, 0x00EE0086));
  // Parts outside the destination are left out.
  Target small(3, 1, PixelFormat::kRgb555);
  ASSERT_TRUE(BitBlt(small.dc(), -1, 0, 4, 2, dc_, 0, 0, SRCCOPY));
  EXPECT_EQ(small.At(0, 0), 0x7C00u);
  EXPECT_EQ(small.At(2, 0), 0x001Fu);
}

TEST_F(BlitTest, StretchScalesAndMirrors) {
  Target t(16, 8, PixelFormat::kRgb565);
  ASSERT_TRUE(StretchBlt(t.dc(), 0, 0, 8, 4, dc_, 0, 0, 4, 2, SRCCOPY));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(t.At(x, y), kRows[y / 2][x / 2]) << x << "," << y;
  // Shrinking keeps the pixels under the centres: columns 1 and 3.
  Target half(2, 1, PixelFormat::kRgb565);
  StretchBlt(half.dc(), 0, 0, 2, 1, dc_, 0, 0, 4, 1, SRCCOPY);
  EXPECT_EQ(half.At(0, 0), 0xF800u);
  EXPECT_EQ(half.At(1, 0), 0x001Fu);
  // A negative width mirrors.
  Target mirror(4, 1, PixelFormat::kRgb565);
  StretchBlt(mirror.dc(), 4, 0, -4, 1, dc_, 0, 0, 4, 1, SRCCOPY);
  EXPECT_EQ(mirror.At(0, 0), 0x001Fu);
  EXPECT_EQ(mirror.At(3, 0), 0u);

  EXPECT_EQ(SetStretchBltMode(t.dc(), COLORONCOLOR), BLACKONWHITE);
  EXPECT_EQ(SetStretchBltMode(t.dc(), 9), 0);
  EXPECT_EQ(GetStretchBltMode(t.dc()), COLORONCOLOR);
}

std::string Bmp(WORD bits, int w, int h, const std::vector<BYTE>& table, const std::vector<BYTE>& rows, DWORD gap = 0) {
  const auto b = quentest::BmpFile(bits, w, h, table, rows, gap);
  return {b.begin(), b.end()};
}

class BmpFileTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    quentest::WriteHostFile(dir_.path() / name, bytes);
    return (dir_.path() / name).string();
  }
  HBITMAP Load(const std::string& path) {
    return LoadImage(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
  }
  quentest::TempDir dir_{"gditest"};
};

TEST_F(BmpFileTest, ReadsEightAndTwentyFourBitFiles) {
  // 2 x 2, 8-bit: table black, red; top row 1 0, bottom row 0 1; rows pad to 4.
  const std::vector<BYTE> table = {0, 0, 0, 0, 0, 0, 255, 0};
  const std::vector<BYTE> rows = {0, 1, 0, 0, 1, 0, 0, 0};
  HBITMAP b8 = Load(Write("p8.bmp", Bmp(8, 2, 2, table, rows, 6)));
  ASSERT_NE(b8, nullptr);
  Target t(2, 2, PixelFormat::kRgb565);
  BlitOnto(b8, t);
  EXPECT_EQ(t.At(0, 0), 0xF800u);
  EXPECT_EQ(t.At(1, 0), 0u);
  EXPECT_EQ(t.At(1, 1), 0xF800u);

  // 1 x 1, 24-bit: blue, green, red bytes.
  HBITMAP b24 = Load(Write("p24.bmp", Bmp(24, 1, 1, {}, {200, 100, 50, 0})));
  ASSERT_NE(b24, nullptr);
  BITMAP info;
  GetObject(b24, sizeof info, &info);
  EXPECT_EQ(info.bmBitsPixel, 24);
  Target one(1, 1, PixelFormat::kRgb565);
  BlitOnto(b24, one);
  EXPECT_EQ(one.At(0, 0), one.Colour(RGB(50, 100, 200)));
  DeleteObject(b8);
  DeleteObject(b24);
}

TEST_F(BmpFileTest, RefusesFilesThatDoNotHoldWhatTheySay) {
  const std::vector<BYTE> table = {0, 0, 0, 0, 0, 0, 255, 0};
  const std::string good = Bmp(8, 2, 2, table, {0, 1, 0, 0, 1, 0, 0, 0});
  EXPECT_EQ(Load(Write("short.bmp", good.substr(0, good.size() - 1))), nullptr);
  EXPECT_EQ(Load(Write("header.bmp", good.substr(0, 30))), nullptr);
  std::string magic = good;
  magic[0] = 'X';
  EXPECT_EQ(Load(Write("magic.bmp", magic)), nullptr);
  std::string far = good;
  far[10] = static_cast<char>(0xF0);  // rows past the end
  EXPECT_EQ(Load(Write("far.bmp", far)), nullptr);
  std::string inside = good;
  inside[10] = 20;  // rows over the header
  EXPECT_EQ(Load(Write("inside.bmp", inside)), nullptr);
  EXPECT_EQ(Load((dir_.path() / "missing.bmp").string()), nullptr);
  EXPECT_EQ(LoadImage(nullptr, "x.bmp", 1, 0, 0, LR_LOADFROMFILE), nullptr);
}

// The resource tests' module holds a 3 x 2 24-bit bitmap.
TEST(ModuleBitmaps, LoadBitmapMakesADibSection) {
  const quentest::FixtureModule fixture;
  const HMODULE module = fixture.module;
  ASSERT_NE(module, nullptr) << LastModuleError();
  HBITMAP b = LoadBitmap(module, "IDB_PICTURE");
  ASSERT_NE(b, nullptr);
  BITMAP info;
  GetObject(b, sizeof info, &info);
  EXPECT_EQ(std::make_tuple(info.bmWidth, info.bmHeight), std::make_tuple(3, 2));
  Target t(3, 2, PixelFormat::kRgb565);
  BlitOnto(b, t);
  // Memory row 1 is the top row; its pixel 2 is red 200, green 12, blue 21.
  EXPECT_EQ(t.At(2, 0), t.Colour(RGB(200, 12, 21)));
  DeleteObject(b);
  HBITMAP same = LoadImage(module, "IDB_PICTURE", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
  EXPECT_NE(same, nullptr);
  DeleteObject(same);
  EXPECT_EQ(LoadBitmap(module, "NO_SUCH_BITMAP"), nullptr);
}

}  // namespace
}  // namespace gditest
