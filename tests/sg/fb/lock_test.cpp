// Locking the game's frame buffer against every outcome the display can give.

#include "support/fbfixture.h"

#include "platform/ddraw/display.h"
#include "sg/fb/sgerr.h"

namespace fbtest {
namespace {

using Lock = FrameBufferTest;

TEST_F(Lock, HandsOutTheSurfaceAndLocksOnlyOnce) {
  IDirectDrawSurface* s = OpenGame();
  void* pixels = nullptr;
  ASSERT_EQ(SGFrameBufferLock(fb_, &pixels), SG_ERROR_NONE);
  EXPECT_EQ(pixels, s->Pixels().bits);
  EXPECT_TRUE(fb_->fbDDI->ddiFlags & SG_DDI_LOCKED);
  // A second lock does not reach the surface: the failure waiting there stays.
  s->FailNextAccess(DDERR_SURFACEBUSY);
  void* again = nullptr;
  EXPECT_EQ(SGFrameBufferLock(fb_, &again), SG_ERROR_NONE);
  EXPECT_EQ(again, pixels);
  EXPECT_EQ(SGFrameBufferUnlock(fb_), SG_ERROR_NONE);
  EXPECT_FALSE(fb_->fbDDI->ddiFlags & SG_DDI_LOCKED);
  EXPECT_EQ(SGFrameBufferUnlock(fb_), SG_ERROR_NONE);  // nothing to do
}

TEST_F(Lock, EachInjectedOutcome) {
  IDirectDrawSurface* s = OpenGame();
  struct Case {
    HRESULT injected;
    SGError status;
  } cases[] = {
      {DDERR_SURFACELOST, SG_ERROR_NONE},       // restored and locked again
      {DDERR_WASSTILLDRAWING, SG_ERROR_NONE},   // locked again
      {DDERR_SURFACEBUSY, SG_ERROR_FB_ACCESS},  // another lock's address is not ours
      {DDERR_INVALIDPARAMS, SG_ERROR_FB_ACCESS}, {DDERR_GENERIC, SG_ERROR_FB_ACCESS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ISGDDErrorText(c.injected));
    fb_->fbPixels = nullptr;
    s->FailNextAccess(c.injected);
    void* pixels = nullptr;
    EXPECT_EQ(SGFrameBufferLock(fb_, &pixels), c.status);
    const bool locked = c.status == SG_ERROR_NONE;
    EXPECT_EQ(fb_->fbPixels, locked ? s->Pixels().bits : nullptr);
    EXPECT_EQ((fb_->fbDDI->ddiFlags & SG_DDI_LOCKED) != 0, locked);
    EXPECT_EQ(SGFrameBufferUnlock(fb_), SG_ERROR_NONE);
  }
}

TEST_F(Lock, SurfaceThatKeepsFailingIsGivenUp) {
  IDirectDrawSurface* s = OpenGame();
  // Lost while the display is away: restoring is refused, so no lock can work.
  SetDisplayDeactivated(true);
  void* pixels = nullptr;
  EXPECT_EQ(SGFrameBufferLock(fb_, &pixels), SG_ERROR_FB_ACCESS);
  SetDisplayDeactivated(false);
  ASSERT_EQ(SGFrameBufferLock(fb_, &pixels), SG_ERROR_NONE);
  EXPECT_EQ(pixels, s->Pixels().bits);
  // Unlocking restores first, and cannot while the display is away.
  SetDisplayDeactivated(true);
  EXPECT_EQ(SGFrameBufferUnlock(fb_), SG_ERROR_FB_ACCESS);
  EXPECT_TRUE(fb_->fbDDI->ddiFlags & SG_DDI_LOCKED);
  SetDisplayDeactivated(false);
  EXPECT_EQ(SGFrameBufferUnlock(fb_), SG_ERROR_NONE);
  EXPECT_EQ(s->IsLost(), DD_OK);
}

// A report over the frame buffer's window unlocks it so that the box can be
// drawn; the next drawing locks it again.
TEST_F(Lock, ReportBoxUnlocksFirst) {
  OpenGame();
  void* pixels = nullptr;
  ASSERT_EQ(SGFrameBufferLock(fb_, &pixels), SG_ERROR_NONE);
  AnswerBox();
  ISGErrorReport(fb_, "Bltting region\n%s", "why");
  EXPECT_FALSE(fb_->fbDDI->ddiFlags & SG_DDI_LOCKED);
  EXPECT_EQ(ErrorFile(), "");
  EXPECT_EQ(SGFrameBufferLock(fb_, &pixels), SG_ERROR_NONE);
}

}  // namespace
}  // namespace fbtest
