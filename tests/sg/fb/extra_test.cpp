// Re-targeting, the texture surface palette and the debugging drawings.

#include "support/fbfixture.h"

#include <tuple>

#include "sg/fb/fbextra.h"
#include "sg/fb/texddinfo.h"

namespace fbtest {
namespace {

using Extra = FrameBufferTest;

TEST_F(Extra, RetargetingMovesTheReferencesToTheNewSurface) {
  IDirectDrawSurface* first = OpenGame();
  IDirectDrawSurface* second = Surface(40, 30);
  const ULONG firstRefs = Refs(first);
  const ULONG secondRefs = Refs(second);
  void* pixels = nullptr;
  ASSERT_EQ(SGFrameBufferLock(fb_, &pixels), SG_ERROR_NONE);
  const SGFrameBufferTarget target{fb_, nullptr, second};
  ASSERT_EQ(SGFrameBufferSetSurface(&target), SG_ERROR_NONE);
  EXPECT_EQ(std::make_tuple(fb_->fbWidth, fb_->fbHeight, fb_->fbPitch), std::make_tuple(40u, 30u, 80));
  EXPECT_TRUE(fb_->fbFlags & SG_FB_FLAG_SINGLE_SURFACE);
  EXPECT_EQ(Refs(first), firstRefs - 1);
  EXPECT_EQ(Refs(second), secondRefs + 1);
  ASSERT_EQ(SGFrameBufferLock(fb_, &pixels), SG_ERROR_NONE);
  EXPECT_EQ(pixels, second->Pixels().bits);
  SGFrameBufferDestroy(fb_);
  fb_ = nullptr;
  EXPECT_EQ(Refs(second), secondRefs);
}

TEST_F(Extra, RetargetingOntoAnotherDepthKeepsTheOldTarget) {
  IDirectDrawSurface* first = OpenGame();
  const SGFrameBufferTarget target{fb_, nullptr, Surface(8, 8, &kIndexed8)};
  EXPECT_EQ(SGFrameBufferSetSurface(&target), SG_ERROR_UNSUPPORTED);
  EXPECT_EQ(std::make_tuple(fb_->fbDDI->ddiBack, fb_->fbWidth), std::make_tuple(first, kGameWidth));
}

TEST_F(Extra, SurfacePaletteOnlyOnAnIndexedSurface) {
  OpenGame();
  ASSERT_EQ(SGFrameBufferInstallPalette(fb_, nullptr, 0), SG_ERROR_NONE);  // reads the system colours
  SGTexDDInfo tdi{};
  tdi.tdiSurface = Surface(8, 8, &kIndexed8);
  ASSERT_EQ(ISGFrameBufferCreateSurfacePalette(fb_, &tdi), SG_ERROR_NONE);
  IDirectDrawPalette* attached = nullptr;
  ASSERT_EQ(tdi.tdiSurface->GetPalette(&attached), DD_OK);
  EXPECT_EQ(attached, tdi.tdiPalette);
  attached->Release();
  tdi.tdiPalette->Release();

  SGTexDDInfo wide{};
  wide.tdiSurface = Surface(8, 8);
  AnswerBox();  // "setting surface palette" over the game's window
  EXPECT_EQ(ISGFrameBufferCreateSurfacePalette(fb_, &wide), SG_ERROR_FB_BLIT_SURFACE);
  wide.tdiPalette->Release();
}

TEST_F(Extra, TextIsDrawnInItsColourAndClipped) {
  IDirectDrawSurface* s = Surface(12, 10);
  ASSERT_EQ(Open(GameOptions(s)), SG_ERROR_NONE);
  Paint(s, 0);
  ASSERT_EQ(SGFrameBufferDrawText(fb_, 0, 1, 0x00FF0000, "T!"), SG_ERROR_NONE);
  std::string rows;
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 12; ++x) rows += At(s, x, y) == 0x07E0 ? '#' : At(s, x, y) == 0 ? '.' : '?';
    rows += '\n';
  }
  EXPECT_EQ(rows,
            "............\n"
            ".#####.....#\n"
            "...#.......#\n"
            "...#.......#\n"
            "...#.......#\n"
            "...#.......#\n"
            "...#........\n"
            "...#.......#\n"
            "............\n"
            "............\n");
  EXPECT_FALSE(fb_->fbDDI->ddiFlags & SG_DDI_LOCKED);
  // Far outside: nothing is written anywhere.
  Paint(s, 0);
  ASSERT_EQ(SGFrameBufferDrawText(fb_, -100, 50, 0xFFFFFF00, "XYZ"), SG_ERROR_NONE);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 12; ++x) ASSERT_EQ(At(s, x, y), 0u);
  }
}

TEST_F(Extra, PaletteChartShowsTheSystemColoursTopRight) {
  IDirectDrawSurface* s = OpenGame();
  const SGPalEntry colours[] = {{0, 0, 0, 0}, {255, 0, 0, 0}};
  ASSERT_EQ(SGFrameBufferInstallPalette(fb_, colours, 2), SG_ERROR_NONE);
  Paint(s, 0x1234);
  ASSERT_EQ(SGFrameBufferDrawPaletteChart(fb_), SG_ERROR_NONE);
  const int left = static_cast<int>(kGameWidth) - 128;
  EXPECT_EQ(At(s, left - 1, 0), 0x1234u);
  EXPECT_EQ(At(s, left + 8, 0), 0xF800u);  // colour 1, installed
  EXPECT_EQ(At(s, left + 15, 7), 0xF800u);
  EXPECT_EQ(At(s, left + 127, 127), 0xFFFFu);  // colour 255, the system's white
  EXPECT_EQ(At(s, left + 127, 128), 0x1234u);
}

}  // namespace
}  // namespace fbtest
