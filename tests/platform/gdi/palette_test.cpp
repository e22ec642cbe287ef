// Logical palettes, the system palette and colour matching on 8-bit targets.

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "platform/gdi/palette.h"
#include "platform/gdi/shapes.h"
#include "tests/platform/gdi/gdi_fixture.h"

namespace gditest {
namespace {

struct Palette256 {
  WORD version = 0x300;
  WORD count = 256;
  PALETTEENTRY entries[256];
};

HPALETTE Make(const std::vector<PALETTEENTRY>& entries, WORD version = 0x300) {
  Palette256 p;
  p.version = version;
  p.count = static_cast<WORD>(entries.size());
  std::copy(entries.begin(), entries.end(), p.entries);
  return CreatePalette(reinterpret_cast<const LOGPALETTE*>(&p));
}

TEST(Palettes, NearestIndexAndEntries) {
  HPALETTE p = Make({{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}, {250, 0, 0, 0}, {0, 0, 255, 0}});
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(GetNearestPaletteIndex(p, RGB(0, 255, 0)), 2u);
  EXPECT_EQ(GetNearestPaletteIndex(p, RGB(252, 0, 0)), 3u);
  EXPECT_EQ(GetNearestPaletteIndex(p, RGB(0, 0, 200)), 4u);
  EXPECT_EQ(GetNearestPaletteIndex(p, RGB(253, 0, 0)), 1u);  // equally near: the lower index
  EXPECT_EQ(GetNearestPaletteIndex(nullptr, 0), CLR_INVALID);

  EXPECT_EQ(GetPaletteEntries(p, 0, 0, nullptr), 5u);
  PALETTEENTRY out[8] = {};
  EXPECT_EQ(GetPaletteEntries(p, 3, 8, out), 2u);
  EXPECT_EQ(out[0].peRed, 250);
  EXPECT_EQ(GetPaletteEntries(p, 5, 1, out), 0u);
  const PALETTEENTRY grey[2] = {{9, 9, 9, 0}, {7, 7, 7, 0}};
  EXPECT_EQ(SetPaletteEntries(p, 4, 2, grey), 1u);
  GetPaletteEntries(p, 4, 1, out);
  EXPECT_EQ(out[0].peBlue, 9);
  DeleteObject(p);

  EXPECT_EQ(Make({}), nullptr);
  EXPECT_EQ(Make({{1, 2, 3, 0}}, 0x200), nullptr);
  EXPECT_EQ(CreatePalette(nullptr), nullptr);
}

TEST(Palettes, SystemPaletteHoldsTheStaticColours) {
  Target t(4, 4, PixelFormat::kRgb565);
  PALETTEENTRY e[256];
  ASSERT_EQ(GetSystemPaletteEntries(t.dc(), 0, 256, e), 256u);
  EXPECT_EQ(e[0].peRed + e[0].peGreen + e[0].peBlue, 0);
  EXPECT_EQ(std::make_tuple(e[249].peRed, e[249].peGreen, e[255].peBlue, e[7].peRed),
            std::make_tuple(255, 0, 255, 192));
  EXPECT_EQ(GetSystemPaletteEntries(t.dc(), 250, 10, e), 6u);

  HPALETTE p = Make({{1, 2, 3, 0}});
  EXPECT_EQ(SelectPalette(t.dc(), p, FALSE), nullptr);
  EXPECT_EQ(RealizePalette(t.dc()), 0u);
  EXPECT_EQ(SelectPalette(t.dc(), p, FALSE), p);
  EXPECT_EQ(RealizePalette(nullptr), GDI_ERROR);
  DeleteObject(p);
}

// An 8-bit target matches colours against its own colours, or against the
// selected palette when it has none.
TEST(Palettes, EightBitTargetsMatchColours) {
  Target own(4, 4, PixelFormat::kIndexed8, {{0, 0, 0, 0}, {0, 0, 255, 0}, {255, 0, 0, 0}});
  HBRUSH red = CreateSolidBrush(RGB(240, 20, 20));
  RECT all{0, 0, 4, 4};
  FillRect(own.dc(), &all, red);
  EXPECT_EQ(own.At(1, 1), 2u);
  EXPECT_EQ(GetDeviceCaps(own.dc(), BITSPIXEL), 8);
  EXPECT_TRUE(GetDeviceCaps(own.dc(), RASTERCAPS) & RC_PALETTE);

  Target bare(4, 4, PixelFormat::kIndexed8);
  HPALETTE p = Make({{0, 0, 0, 0}, {255, 0, 0, 0}});
  SelectPalette(bare.dc(), p, FALSE);
  FillRect(bare.dc(), &all, red);
  EXPECT_EQ(bare.At(0, 0), 1u);
  // A palette deleted while selected stays in use until the DC lets it go.
  EXPECT_TRUE(DeleteObject(p));
  EXPECT_EQ(GetNearestPaletteIndex(p, 0), CLR_INVALID);
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  FillRect(bare.dc(), &all, black);
  FillRect(bare.dc(), &all, red);
  EXPECT_EQ(bare.At(0, 0), 1u);
  DeleteObject(red);
}

}  // namespace
}  // namespace gditest
