// Installing colour tables: packed pixel tables of the 16-bit formats and the
// DirectDraw palette of an indexed frame buffer.

#include "support/fbfixture.h"

#include <array>
#include <tuple>

#include "sg/core/malloc.h"
#include "sg/fb/fb_impl.h"

namespace fbtest {
namespace {

using Palette = FrameBufferTest;

const SGPalEntry kColours[] = {
    {0, 0, 0, 0},        // 0 stays pixel 0
    {255, 0, 0, 0},      // red
    {0, 255, 0, 0},      // green
    {0, 0, 255, 0},      // blue
    {7, 3, 7, 0},        // packs to 0 in either format: the darkest non-black
    {255, 255, 255, 0},  // white
    {128, 64, 32, 0},
};
constexpr std::uint32_t kCount = 7;

std::vector<std::uint16_t> Table(const SGFrameBuffer* fb) {
  const auto* t = static_cast<const std::uint16_t*>(fb->fbPixelTable);
  return std::vector<std::uint16_t>(t, t + 256);
}

TEST_F(Palette, PackedTablesOfBothSixteenBitFormats) {
  struct Format {
    bool is555;
    std::vector<std::uint16_t> expected;
  } formats[] = {
      {false, {0x0000, 0xF800, 0x07E0, 0x001F, 0x0821, 0xFFFF, 0x8204}},
      {true, {0x0000, 0x7C00, 0x03E0, 0x001F, 0x0421, 0x7FFF, 0x4104}},
  };
  for (const Format& f : formats) {
    SCOPED_TRACE(f.is555 ? "5-5-5" : "5-6-5");
    const DDPIXELFORMAT format = Rgb555();
    OpenGame(f.is555 ? &format : nullptr);
    ASSERT_EQ(SGFrameBufferInstallPalette(fb_, kColours, kCount), SG_ERROR_NONE);
    std::vector<std::uint16_t> expected = f.expected;
    expected.resize(256, 0);  // unused entries are black
    EXPECT_EQ(Table(fb_), expected);
    EXPECT_EQ(fb_->fbColourCount, kCount);
    EXPECT_EQ(std::memcmp(fb_->fbColours, kColours, sizeof kColours), 0);
    SGFrameBufferDestroy(fb_);
    fb_ = nullptr;
  }
}

TEST_F(Palette, LaterInstallReplacesTheTablesWithoutLeaking) {
  OpenGame();
  ASSERT_EQ(SGFrameBufferInstallPalette(fb_, kColours, kCount), SG_ERROR_NONE);
  const std::size_t blocks = SGMallocLiveBlocks();
  ASSERT_EQ(SGFrameBufferInstallPalette(fb_, kColours + 4, 2), SG_ERROR_NONE);
  EXPECT_EQ(SGMallocLiveBlocks(), blocks);
  std::vector<std::uint16_t> expected(256, 0);
  expected[1] = 0xFFFF;
  EXPECT_EQ(Table(fb_), expected);

  // A failed install keeps the tables it had.
  SGMallocFailAt(2);
  EXPECT_EQ(SGFrameBufferInstallPalette(fb_, kColours, kCount), SG_ERROR_NO_MEMORY);
  SGMallocFailAt(0);
  EXPECT_EQ(Table(fb_), expected);
  EXPECT_EQ(fb_->fbColourCount, 2u);

  EXPECT_EQ(SGFrameBufferInstallPalette(fb_, kColours, 257), SG_ERROR_UNSUPPORTED);
}

class IndexedPalette : public FrameBufferTest {
 protected:
  // An 8-bit caller surface with its own palette; with a clipper it is windowed.
  void OpenIndexed(bool windowed) {
    IDirectDrawSurface* s = IndexedSurface(64, 32, &palette_);
    if (windowed) {
      IDirectDrawClipper* clipper = nullptr;
      dd_->CreateClipper(0, &clipper, nullptr);
      s->SetClipper(clipper);
      clipper->Release();
    }
    ASSERT_EQ(Open(IndexedOptions(s)), SG_ERROR_NONE);
    // Caller surfaces come with a user palette; without it the library sets the
    // palette's entries itself.
    fb_->fbFlags &= ~SG_FB_FLAG_USER_PALETTE;
  }
  // An off-screen 8 x 8 indexed frame buffer on its own surface.
  void OpenOwnSurface() {
    SGFrameBufferOptions o{};
    o.fboCodes = SG_FB_OPT_OFFSCREEN | SG_FB_OPT_DRAW_FRONT | SG_FB_OPT_SIZE_EXPLICIT | SG_FB_OPT_IDX8;
    o.fboWidth = 8;
    o.fboHeight = 8;
    o.fboDD = dd_;
    ASSERT_EQ(Open(o), SG_ERROR_NONE);
  }
  IDirectDrawPalette* palette_ = nullptr;
};

TEST_F(IndexedPalette, FullScreenTakesOverEveryEntryAndLinksTheContext) {
  OpenIndexed(false);
  std::vector<SGPalEntry> colours(256);
  for (std::uint32_t i = 0; i < 256; ++i) {
    colours[i] = SGPalEntry{static_cast<std::uint8_t>(i), 1, 2, 0};
  }
  ASSERT_EQ(SGFrameBufferInstallPalette(fb_, colours.data(), 256), SG_ERROR_NONE);
  const auto* table = static_cast<const SGPalEntry*>(fb_->fbPixelTable);
  EXPECT_EQ(table[200].red, 200);
  EXPECT_EQ(std::make_tuple(ctx_->ctxPalette, ctx_->ctxPaletteUsed), std::make_tuple(table, 256u));
  EXPECT_EQ(palette_->Entries()[0].peRed, 0);
  EXPECT_EQ(palette_->Entries()[255].peRed, 255);
}

TEST_F(IndexedPalette, WindowedKeepsTheTenSystemColoursAtEachEnd) {
  OpenIndexed(true);
  ASSERT_TRUE(fb_->fbFlags & SG_FB_FLAG_WINDOWED);
  std::vector<SGPalEntry> colours(256, SGPalEntry{9, 9, 9, 0});
  ASSERT_EQ(SGFrameBufferInstallPalette(fb_, colours.data(), 256), SG_ERROR_NONE);
  for (std::uint32_t i : {0u, 9u, 246u, 255u}) {
    EXPECT_NE(palette_->Entries()[i].peRed, 9) << i;
  }
  for (std::uint32_t i : {10u, 245u}) {
    EXPECT_EQ(palette_->Entries()[i].peRed, 9) << i;
  }
  // A shorter table takes over only what it has; the rest of its copy is black.
  colours.assign(20, SGPalEntry{5, 5, 5, 0});
  ASSERT_EQ(SGFrameBufferInstallPalette(fb_, colours.data(), 20), SG_ERROR_NONE);
  EXPECT_EQ(palette_->Entries()[19].peRed, 5);
  EXPECT_EQ(palette_->Entries()[20].peRed, 9);
  EXPECT_EQ(static_cast<const SGPalEntry*>(fb_->fbPixelTable)[20].red, 0);
}

TEST_F(IndexedPalette, OwnPaletteIsMadeAndAttachedOnFirstInstall) {
  OpenOwnSurface();
  ASSERT_EQ(fb_->fbDDI->ddiPalette, nullptr);
  ASSERT_EQ(SGFrameBufferInstallPalette(fb_, kColours, kCount), SG_ERROR_NONE);
  ASSERT_NE(fb_->fbDDI->ddiPalette, nullptr);
  IDirectDrawPalette* attached = nullptr;
  ASSERT_EQ(fb_->fbDDI->ddiBack->GetPalette(&attached), DD_OK);
  EXPECT_EQ(attached, fb_->fbDDI->ddiPalette);
  EXPECT_EQ(attached->Entries()[1].peRed, 255);
  attached->Release();
}

// The palette an indexed frame buffer makes for its own surfaces: which
// entries it may change, full screen and in a window.
TEST_F(IndexedPalette, OwnSurfacesPaletteMarksTheEntriesItMayChange) {
  OpenOwnSurface();
  ASSERT_EQ(ISGFrameBufferCreatePalette(fb_), SG_ERROR_NONE);
  const auto& full = fb_->fbDDI->ddiPalette->Entries();
  EXPECT_EQ((std::array<BYTE, 4>{full[0].peFlags, full[1].peFlags, full[254].peFlags, full[255].peFlags}),
            (std::array<BYTE, 4>{0x40, 0x01, 0x01, 0x40}));
  IDirectDrawPalette* attached = nullptr;
  ASSERT_EQ(fb_->fbDDI->ddiBack->GetPalette(&attached), DD_OK);
  attached->Release();

  fb_->fbDDI->ddiPalette->Release();
  fb_->fbDDI->ddiPalette = nullptr;
  fb_->fbFlags |= SG_FB_FLAG_WINDOWED;
  ASSERT_EQ(ISGFrameBufferCreatePalette(fb_), SG_ERROR_NONE);
  const auto& windowed = fb_->fbDDI->ddiPalette->Entries();
  EXPECT_EQ(
      (std::array<BYTE, 4>{windowed[9].peFlags, windowed[10].peFlags, windowed[245].peFlags, windowed[246].peFlags}),
      (std::array<BYTE, 4>{0x40, 0x01, 0x01, 0x40}));
}

}  // namespace
}  // namespace fbtest
