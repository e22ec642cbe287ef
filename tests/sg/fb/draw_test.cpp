// Region and whole clears, and texture and surface blits, against the pixels
// they must leave.

#include "support/fbfixture.h"

#include "platform/ddraw/display.h"
#include "sg/core/malloc.h"
#include "sg/fb/fbclear.h"
#include "sg/fb/texddinfo.h"

namespace fbtest {
namespace {

constexpr std::uint32_t kRed = 0xFF000000;  // colour word: red in the top byte
constexpr std::uint16_t kRed565 = 0xF800;
constexpr std::uint16_t kGround = 0x1111;

class Draw : public FrameBufferTest {
 protected:
  void SetUp() override {
    FrameBufferTest::SetUp();
    surface_ = Surface(20, 10);
    ASSERT_EQ(Open(GameOptions(surface_)), SG_ERROR_NONE);
    Paint(surface_, kGround);
  }
  // The pixels equal to `value`, as a picture of '#' and '.' rows.
  std::string Marked(std::uint32_t value) const {
    return Picture([&](int x, int y) { return At(surface_, x, y) == value; });
  }
  static std::string Box(int left, int top, int right, int bottom) {
    return Picture([&](int x, int y) { return x >= left && x < right && y >= top && y < bottom; });
  }
  template <class In>
  static std::string Picture(In in) {
    std::string rows;
    for (int y = 0; y < 10; ++y) {
      for (int x = 0; x < 20; ++x) rows += in(x, y) ? '#' : '.';
      rows += '\n';
    }
    return rows;
  }
  IDirectDrawSurface* surface_ = nullptr;
};

TEST_F(Draw, RegionClearIsClippedToTheFrame) {
  struct Case {
    std::int32_t x, y, w, h;
    int left, top, right, bottom;  // what is cleared
  } cases[] = {
      {-5, -5, 10, 10, 0, 0, 5, 5}, {3, 2, 4, 5, 3, 2, 7, 7},  {15, 8, 10, 10, 15, 8, 20, 10},
      {20, 0, 5, 5, 0, 0, 0, 0},    {25, 3, 5, 5, 0, 0, 0, 0}, {0, 10, 5, 5, 0, 0, 0, 0},
      {-30, 0, 10, 10, 0, 0, 0, 0}, {2, 2, 0, 4, 0, 0, 0, 0},  {2, 2, -3, 4, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << ", " << c.y << ", " << c.w << " x " << c.h);
    Paint(surface_, kGround);
    EXPECT_EQ(SGFrameBufferClearRegion(fb_, c.x, c.y, c.w, c.h, kRed), SG_ERROR_NONE);
    EXPECT_EQ(Marked(kRed565), Box(c.left, c.top, c.right, c.bottom));
  }
}

TEST_F(Draw, ClearsUnlockFirstAndPackTheColour) {
  void* pixels = nullptr;
  ASSERT_EQ(SGFrameBufferLock(fb_, &pixels), SG_ERROR_NONE);
  EXPECT_EQ(SGFrameBufferClear(fb_, 0x00FF0000), SG_ERROR_NONE);  // green
  EXPECT_FALSE(fb_->fbDDI->ddiFlags & SG_DDI_LOCKED);
  EXPECT_EQ(Marked(0x07E0), Box(0, 0, 20, 10));
}

TEST_F(Draw, FailedWholeClearBlanksThePixels) {
  surface_->FailNextAccess(DDERR_GENERIC);
  EXPECT_EQ(SGFrameBufferClear(fb_, kRed), SG_ERROR_FB_ACCESS);
  EXPECT_EQ(Marked(0), Box(0, 0, 20, 10));
}

TEST_F(Draw, NoTearingIsGivenUpAfterItsFirstFailure) {
  ASSERT_EQ(g_sgClearNoTearing, 1u);
  surface_->FailNextAccess(DDERR_GENERIC);
  EXPECT_EQ(SGFrameBufferClearRegion(fb_, 0, 0, 4, 4, kRed), SG_ERROR_NONE);
  EXPECT_EQ(g_sgClearNoTearing, 0u);
  EXPECT_EQ(Marked(kRed565), Box(0, 0, 4, 4));  // cleared by the plain fill
  g_sgClearNoTearing = 1;
}

// A frame buffer over plain memory is always locked, and a clear writes whole
// pixels at every depth.
TEST(MemoryClear, WritesWholePixelsAtEveryDepth) {
  for (std::uint32_t bpp : {8u, 16u, 24u}) {
    SCOPED_TRACE(bpp);
    std::vector<std::uint8_t> memory(4 * 5 * 3, 0xEE);
    SGFrameBuffer fb{};
    fb.fbPixels = memory.data();
    fb.fbPitch = static_cast<std::int32_t>(4 * bpp / 8);
    fb.fbWidth = 4;
    fb.fbHeight = 5;
    fb.fbBPP = bpp;
    fb.fbMode = bpp == 8 ? SG_FB_MODE_IDX : SG_FB_MODE_QUASI_RGB;
    fb.fbPixelFormat = bpp == 16 ? SGPixelFormat{5, 0xF800, 11, 6, 0x07E0, 5, 5, 0x1F, 0}
                                 : SGPixelFormat{8, 0xFF0000, 16, 8, 0xFF00, 8, 8, 0xFF, 0};
    void* pixels = nullptr;
    EXPECT_EQ(SGFrameBufferLock(&fb, &pixels), SG_ERROR_NONE);
    EXPECT_EQ(pixels, memory.data());
    EXPECT_EQ(SGFrameBufferUnlock(&fb), SG_ERROR_NONE);
    EXPECT_EQ(SGFrameBufferSwap(&fb), SG_ERROR_NONE);
    if (bpp == 16) {
      const SGPalEntry colours[] = {{0, 0, 0, 0}, {255, 0, 0, 0}};
      ASSERT_EQ(SGFrameBufferInstallPalette(&fb, colours, 2), SG_ERROR_NONE);
      EXPECT_EQ(static_cast<const std::uint16_t*>(fb.fbPixelTable)[1], 0xF800);
      SGFree(fb.fbPixelTable);
      SGFree(fb.fbColours);
    }
    EXPECT_EQ(SGFrameBufferClearRegion(&fb, 1, 1, 2, 3, 0xFFFFFF07), SG_ERROR_NONE);
    const std::size_t bytes = bpp / 8;
    const std::uint8_t filled = bpp == 8 ? 0x07 : 0xFF;
    for (std::uint32_t y = 0; y < 5; ++y) {
      for (std::uint32_t x = 0; x < 4; ++x) {
        const bool in = x >= 1 && x < 3 && y >= 1 && y < 4;
        for (std::size_t b = 0; b < bytes; ++b) {
          EXPECT_EQ(memory[y * fb.fbPitch + x * bytes + b], in ? filled : 0xEE) << x << ", " << y;
        }
      }
    }
  }
}

// A 4 x 2 texture of indices 0..3 in rows of 8 bytes, over a 4-colour palette.
class Blit : public Draw {
 protected:
  void SetUp() override {
    Draw::SetUp();
    const SGPalEntry colours[] = {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}};
    ASSERT_EQ(SGFrameBufferInstallPalette(fb_, colours, 4), SG_ERROR_NONE);
    txm_ = static_cast<SGTextureMap*>(SGCalloc(1, sizeof(SGTextureMap)));
    txm_->txmInfo = static_cast<SGTextureInfo*>(SGCalloc(1, sizeof(SGTextureInfo)));
    txm_->txmInfo->tpiTexels = static_cast<std::uint8_t*>(SGCalloc(16, 1));
    const std::uint8_t texels[16] = {0, 1, 2, 3, 9, 9, 9, 9, 3, 2, 1, 0, 9, 9, 9, 9};
    std::memcpy(txm_->txmInfo->tpiTexels, texels, sizeof texels);
    txm_->txmSize = SGVec2u{{4, 2}};
    txm_->txmPitch = 8;
    txm_->txmRefCnt = 1;
  }
  void TearDown() override {
    SGTextureMapRelease(txm_);
    Draw::TearDown();
  }
  SGTextureMap* txm_ = nullptr;
};

TEST_F(Blit, TextureBlitConvertsThroughThePixelTable) {
  ASSERT_EQ(SGFrameBufferBlitTextureRegion(fb_, 2, 3, 4, 2, txm_), SG_ERROR_NONE);
  const std::uint32_t row0[] = {0x0000, 0xF800, 0x07E0, 0x001F};
  const std::uint32_t row1[] = {0x001F, 0x07E0, 0xF800, 0x0000};
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(At(surface_, 2 + x, 3), row0[x]) << x;
    EXPECT_EQ(At(surface_, 2 + x, 4), row1[x]) << x;
  }
  EXPECT_EQ(At(surface_, 1, 3), kGround);
  EXPECT_EQ(At(surface_, 6, 4), kGround);
}

TEST_F(Blit, KeyedTextureLeavesColourZeroAndStretches) {
  txm_->txmFormat |= SG_TXM_KEYED;
  ASSERT_EQ(SGFrameBufferBlitTextureRegion(fb_, 0, 0, 8, 4, txm_), SG_ERROR_NONE);
  EXPECT_EQ(At(surface_, 0, 0), kGround);
  EXPECT_EQ(At(surface_, 1, 1), kGround);
  EXPECT_EQ(At(surface_, 2, 1), 0xF800u);
  EXPECT_EQ(At(surface_, 7, 3), kGround);
  EXPECT_EQ(At(surface_, 0, 3), 0x001Fu);
}

TEST_F(Blit, ClippedDestinationMovesTheSource) {
  ASSERT_EQ(SGFrameBufferBlitTextureRegion(fb_, -2, 9, 4, 2, txm_), SG_ERROR_NONE);
  EXPECT_EQ(At(surface_, 0, 9), 0x07E0u);  // texel column 2
  EXPECT_EQ(At(surface_, 1, 9), 0x001Fu);
  EXPECT_EQ(At(surface_, 2, 9), kGround);
  // Stretched twice: cutting 4 pixels off the destination cuts 2 texels.
  ASSERT_EQ(SGFrameBufferBlitTextureRegion(fb_, -4, 0, 8, 4, txm_), SG_ERROR_NONE);
  EXPECT_EQ(At(surface_, 0, 0), 0x07E0u);
  EXPECT_EQ(At(surface_, 3, 0), 0x001Fu);
}

TEST_F(Blit, NothingToDrawTouchesNothing) {
  void* pixels = nullptr;
  ASSERT_EQ(SGFrameBufferLock(fb_, &pixels), SG_ERROR_NONE);
  EXPECT_EQ(SGFrameBufferBlitTextureRegion(fb_, 20, 0, 4, 2, txm_), SG_ERROR_NONE);
  EXPECT_TRUE(fb_->fbDDI->ddiFlags & SG_DDI_LOCKED);
  txm_->txmFormat |= SG_TXM_NO_DRAW;
  ISGFrameBufferReleaseBlitSurface(txm_);
  EXPECT_EQ(SGFrameBufferBlitTextureRegion(fb_, 0, 0, 4, 2, txm_), SG_ERROR_NONE);
  EXPECT_EQ(txm_->txmInfo->tpiDDInfo, nullptr);
}

TEST_F(Blit, LostBlitSurfaceComesBackWithItsTexels) {
  ASSERT_EQ(SGFrameBufferBlitTextureRegion(fb_, 0, 0, 4, 2, txm_), SG_ERROR_NONE);
  txm_->txmInfo->tpiDDInfo->tdiSurface->FailNextAccess(DDERR_SURFACELOST);
  AnswerBox();
  EXPECT_EQ(SGFrameBufferBlitTextureRegion(fb_, 0, 0, 4, 2, txm_), SG_ERROR_FB_ACCESS);
  Paint(surface_, kGround);
  ASSERT_EQ(SGFrameBufferBlitTextureRegion(fb_, 0, 0, 4, 2, txm_), SG_ERROR_NONE);
  EXPECT_EQ(At(surface_, 1, 0), 0xF800u);
}

// Surfaces that stay lost (the display is away and refuses to restore them)
// end every retry: the clear reports and the blit fails, neither hangs.
TEST_F(Blit, WhileTheDisplayIsAwayDrawingGivesUp) {
  ASSERT_EQ(SGFrameBufferBlitTextureRegion(fb_, 0, 0, 4, 2, txm_), SG_ERROR_NONE);
  SetDisplayDeactivated(true);
  AnswerBox();
  EXPECT_EQ(SGFrameBufferClearRegion(fb_, 0, 0, 4, 4, kRed), SG_ERROR_NONE);
  AnswerBox();
  EXPECT_EQ(SGFrameBufferBlitTextureRegion(fb_, 0, 0, 4, 2, txm_), SG_ERROR_FB_ACCESS);
  backend_->RunUntilIdle();
  SetDisplayDeactivated(false);
  g_sgClearNoTearing = 1;
  EXPECT_EQ(ErrorFile(), "");  // both went to boxes over the game's window
}

TEST_F(Blit, TextureWithoutColourTableIsRefused) {
  SGFrameBufferDestroy(fb_);
  fb_ = nullptr;
  ASSERT_EQ(Open(GameOptions(surface_)), SG_ERROR_NONE);
  EXPECT_EQ(SGFrameBufferBlitTextureRegion(fb_, 0, 0, 4, 2, txm_), SG_ERROR_NO_LUT);
  EXPECT_EQ(txm_->txmInfo->tpiDDInfo, nullptr);
}

TEST_F(Blit, ReleasingTheTextureReleasesItsSurface) {
  ASSERT_EQ(SGFrameBufferBlitTextureRegion(fb_, 0, 0, 4, 2, txm_), SG_ERROR_NONE);
  const ULONG refs = Refs(dd_);
  SGTextureMapRelease(txm_);
  txm_ = nullptr;
  EXPECT_EQ(Refs(dd_), refs - 1);  // a surface holds its display object
}

TEST_F(Blit, SurfaceBlitWithItsColourKey) {
  IDirectDrawSurface* source = Surface(2, 2);
  Paint(source, 0x07E0);
  DDBLTFX fx;
  fx.dwFillColor = 0;
  RECT corner{0, 0, 1, 1};
  source->Blt(&corner, nullptr, nullptr, DDBLT_COLORFILL, &fx);
  const DDCOLORKEY black;
  source->SetColorKey(DDCKEY_SRCBLT, &black);
  ASSERT_EQ(SGFrameBufferBlitSurface(fb_, 18, 8, 2, 2, source, 0x1), SG_ERROR_NONE);
  EXPECT_EQ(At(surface_, 18, 8), kGround);
  EXPECT_EQ(At(surface_, 19, 9), 0x07E0u);
}

}  // namespace
}  // namespace fbtest
