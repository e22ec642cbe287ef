// Opening frame buffers: the game's configuration over its own surface, and
// every other way the options allow or refuse.

#include "support/fbfixture.h"

#include <tuple>

#include "platform/resource/module.h"
#include "platform/user/messages.h"
#include "platform/user/queue.h"
#include "sg/fb/fbwindow.h"

namespace fbtest {
namespace {

using Create = FrameBufferTest;

TEST_F(Create, GameConfigurationDrawsStraightIntoTheGameSurface) {
  IDirectDrawSurface* s = Surface(kGameWidth, kGameHeight);
  const ULONG surfaceRefs = Refs(s);
  const ULONG ddRefs = Refs(dd_);
  SGFrameBufferOptions o = GameOptions(s);
  o.fboWidth = 100;  // the surface's size wins over the options'
  o.fboHeight = 50;
  ASSERT_EQ(Open(o), SG_ERROR_NONE);

  std::uint32_t size[2];
  SGFrameBufferGetSize(fb_, size);
  EXPECT_EQ(std::make_tuple(size[0], size[1]), std::make_tuple(kGameWidth, kGameHeight));
  EXPECT_EQ(std::make_tuple(fb_->fbMode, fb_->fbBPP, fb_->fbPitch), std::make_tuple(SG_FB_MODE_QUASI_RGB, 16u, 1172));
  EXPECT_EQ(fb_->fbFlags,
            SG_FB_FLAG_CALLER_WINDOW | SG_FB_FLAG_USER_PALETTE | SG_FB_FLAG_NO_3D | SG_FB_FLAG_SINGLE_SURFACE);
  const SGPixelFormat rgb565{5, 0xF800, 11, 6, 0x07E0, 5, 5, 0x001F, 0};
  EXPECT_EQ(std::memcmp(&fb_->fbPixelFormat, &rgb565, sizeof rgb565), 0);
  EXPECT_EQ(std::memcmp(&fb_->fbTexelFormat, &rgb565, sizeof rgb565), 0);
  EXPECT_EQ(ctx_->ctxDDI, fb_->fbDDI);
  EXPECT_EQ(std::make_tuple(fb_->fbDDI->ddiPixelFormat, fb_->fbDDI->ddiBack, fb_->fbDDI->ddiWindow),
            std::make_tuple(&fb_->fbPixelFormat, s, hwnd_));
  EXPECT_EQ(fb_->fbPixelTable, nullptr);

  // The game presents its own surface: the swap has nothing to do.
  EXPECT_EQ(SGFrameBufferSwap(fb_), SG_ERROR_NONE);

  SGFrameBufferDestroy(fb_);
  fb_ = nullptr;
  EXPECT_EQ(Refs(s), surfaceRefs);
  EXPECT_EQ(Refs(dd_), ddRefs);
  EXPECT_EQ(ctx_->ctxDDI, nullptr);
  EXPECT_TRUE(IsWindow(hwnd_));
}

// Option words the frame buffer refuses before touching any device.
TEST_F(Create, UnsupportedSizeAndPixelFieldsAreRefused) {
  IDirectDrawSurface* s = Surface(kGameWidth, kGameHeight);
  for (std::uint32_t field : {0x2000u, 0x8000u, 0x20000u, 0x3000u, 0x40000u}) {
    SGFrameBufferOptions o = GameOptions(s);
    o.fboCodes = (o.fboCodes & ~SG_FB_OPT_PIXEL_MASK) | field;
    EXPECT_EQ(Open(o), SG_ERROR_UNSUPPORTED) << std::hex << field;
    EXPECT_EQ(fb_, nullptr);
  }
  SGFrameBufferOptions o = GameOptions(s);
  o.fboCodes = (o.fboCodes & ~SG_FB_OPT_SIZE_MASK) | 0x20;
  EXPECT_EQ(Open(o), SG_ERROR_UNSUPPORTED);
  EXPECT_EQ(fb_, nullptr);
}

TEST_F(Create, CallerSurfaceOfAnotherDepthIsRefused) {
  IDirectDrawSurface* s = Surface(64, 32, &kIndexed8);
  const ULONG refs = Refs(s);
  EXPECT_EQ(Open(GameOptions(s)), SG_ERROR_UNSUPPORTED);
  EXPECT_EQ(fb_, nullptr);
  EXPECT_EQ(Refs(s), refs);
}

TEST_F(Create, IndexedCallerSurfaceNeedsItsPalette) {
  IDirectDrawSurface* s = Surface(64, 32, &kIndexed8);
  const SGFrameBufferOptions o = IndexedOptions(s);
  EXPECT_EQ(Open(o), SG_ERROR_NO_LUT);

  PALETTEENTRY entries[256]{};
  IDirectDrawPalette* palette = nullptr;
  ASSERT_EQ(dd_->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr), DD_OK);
  s->SetPalette(palette);
  ASSERT_EQ(Open(o), SG_ERROR_NONE);
  EXPECT_EQ(std::make_tuple(fb_->fbMode, fb_->fbBPP, fb_->fbDDI->ddiPalette),
            std::make_tuple(SG_FB_MODE_IDX, 8u, palette));
  SGFrameBufferDestroy(fb_);
  fb_ = nullptr;
  EXPECT_EQ(palette->Release(), 1u);  // the surface's reference is the one left
}

TEST_F(Create, SeparateCallerBackSurfaceIsPresentedOnTheFront) {
  IDirectDrawSurface* front = Surface(32, 16);
  IDirectDrawSurface* back = Surface(32, 16);
  SGFrameBufferOptions o = GameOptions(front);
  o.fboCodes &= ~SG_FB_OPT_DRAW_FRONT;
  o.fboBack = back;
  const ULONG frontRefs = Refs(front);
  const ULONG backRefs = Refs(back);
  ASSERT_EQ(Open(o), SG_ERROR_NONE);
  EXPECT_FALSE(fb_->fbFlags & SG_FB_FLAG_SINGLE_SURFACE);
  // A lost back surface of its own is restored by itself.
  back->FailNextAccess(DDERR_SURFACELOST);
  void* pixels = nullptr;
  ASSERT_EQ(SGFrameBufferLock(fb_, &pixels), SG_ERROR_NONE);
  ASSERT_EQ(SGFrameBufferUnlock(fb_), SG_ERROR_NONE);
  Paint(back, 0x1234);
  ASSERT_EQ(SGFrameBufferLock(fb_, &pixels), SG_ERROR_NONE);
  front->FailNextAccess(DDERR_GENERIC);
  EXPECT_EQ(SGFrameBufferSwap(fb_), SG_ERROR_FB_SWAP);  // unlocked all the same
  EXPECT_FALSE(fb_->fbDDI->ddiFlags & SG_DDI_LOCKED);
  EXPECT_EQ(SGFrameBufferSwap(fb_), SG_ERROR_NONE);
  EXPECT_EQ(At(front, 31, 15), 0x1234u);
  SGFrameBufferDestroy(fb_);
  fb_ = nullptr;
  EXPECT_EQ(Refs(front), frontRefs);
  EXPECT_EQ(Refs(back), backRefs);
}

TEST_F(Create, BackSurfaceWithoutFrontNeedsADirectDrawObject) {
  IDirectDrawSurface* back = Surface(16, 16);
  const ULONG refs = Refs(back);
  SGFrameBufferOptions o = GameOptions(nullptr);
  o.fboCodes &= ~SG_FB_OPT_DRAW_FRONT;
  o.fboBack = back;
  o.fboDD = nullptr;
  EXPECT_EQ(Open(o), SG_ERROR_FB_DDRAW);
  EXPECT_EQ(Refs(back), refs);
}

TEST_F(Create, FailedCreationLeavesNothingBehind) {
  IDirectDrawSurface* s = Surface(kGameWidth, kGameHeight);
  const ULONG refs = Refs(s);
  const SGFrameBufferOptions o = GameOptions(s);
  sgtest::ExpectCleanOutOfMemory([&] {
    SGFrameBuffer* fb = nullptr;
    const SGError err = SGFrameBufferCreate(ctx_, &fb, &o);
    if (err == SG_ERROR_NONE) {
      SGFrameBufferDestroy(fb);
    } else {
      EXPECT_EQ(fb, nullptr);
    }
    return err;
  });
  EXPECT_EQ(Refs(s), refs);
}

// The library's own window and surfaces, on a display that runs 800 x 600 x 16.
class OwnDevice : public FrameBufferTest {
 protected:
  SGFrameBufferOptions Own(std::uint32_t codes) {
    SGFrameBufferOptions o{};
    o.fboCodes = codes;
    o.fboWidth = 800;
    o.fboHeight = 600;
    o.fboShowCmd = SW_SHOW;
    o.fboInstance = Module();
    return o;
  }
  // A module whose strings 20 and 30 name the window and its class.
  static HINSTANCE Module() {
    static HINSTANCE module = LoadLibrary((std::string(QUEN_SOURCE_DIR) + "/tests/sg/fb/data/fbwindow.dll").c_str());
    return module;
  }
};

TEST_F(OwnDevice, ExclusiveFlipChainPresentsByFlipping) {
  ASSERT_NE(Module(), nullptr);
  ASSERT_EQ(Open(Own(SG_FB_OPT_SIZE_EXPLICIT | SG_FB_OPT_RGB16)), SG_ERROR_NONE);
  HWND own = fb_->fbDDI->ddiWindow;
  char title[32];
  GetWindowText(own, title, sizeof title);
  EXPECT_STREQ(title, "Space view");
  EXPECT_TRUE(fb_->fbDDI->ddiFlags & SG_DDI_FLIP);
  EXPECT_EQ(fb_->fbMode, SG_FB_MODE_QUASI_RGB);  // the display has no 3D device
  EXPECT_TRUE(fb_->fbFlags & SG_FB_FLAG_NO_3D);
  Paint(fb_->fbDDI->ddiBack, 0x07E0);
  ASSERT_EQ(SGFrameBufferSwap(fb_), SG_ERROR_NONE);
  EXPECT_EQ(GetScreen().At(400, 300), 0x07E0);
  SGFrameBufferDestroy(fb_);
  fb_ = nullptr;
  EXPECT_FALSE(IsWindow(own));
}

TEST_F(OwnDevice, ExclusiveWithSystemBackBufferPresentsThroughItsClipper) {
  ASSERT_EQ(Open(Own(SG_FB_OPT_SIZE_EXPLICIT | SG_FB_OPT_RGB16 | SG_FB_OPT_SYSTEM_MEMORY)), SG_ERROR_NONE);
  EXPECT_NE(fb_->fbDDI->ddiClipper, nullptr);
  EXPECT_TRUE(fb_->fbDDI->ddiFlags & SG_DDI_SYSTEM_MEMORY);
  Paint(fb_->fbDDI->ddiBack, 0x001F);
  ASSERT_EQ(SGFrameBufferSwap(fb_), SG_ERROR_NONE);
  EXPECT_EQ(GetScreen().At(10, 10), 0x001F);
}

TEST_F(OwnDevice, WindowedPresentsIntoTheClientArea) {
  SGFrameBufferOptions o = Own(SG_FB_OPT_WINDOWED | SG_FB_OPT_SIZE_EXPLICIT | SG_FB_OPT_RGB16);
  o.fboWidth = 200;
  o.fboHeight = 100;
  ASSERT_EQ(Open(o), SG_ERROR_NONE);
  HWND own = fb_->fbDDI->ddiWindow;
  RECT client;
  GetClientRect(own, &client);
  EXPECT_EQ(client.right, 200);  // a frame around it
  EXPECT_EQ(client.bottom, 100);
  Paint(fb_->fbDDI->ddiBack, 0xF800);
  ASSERT_EQ(SGFrameBufferSwap(fb_), SG_ERROR_NONE);
  POINT origin{0, 0};
  ClientToScreen(own, &origin);
  EXPECT_EQ(GetScreen().At(origin.x, origin.y), 0xF800);
  EXPECT_EQ(GetScreen().At(origin.x + 199, origin.y + 99), 0xF800);
}

TEST_F(OwnDevice, RefusalsReportTheFailedStep) {
  struct Case {
    std::uint32_t codes;
    SGError status;
    const char* step;
  } cases[] = {
      // 640 x 480 is no mode of this display.
      {0, SG_ERROR_FB_DDRAW, "setting display mode\n"},
      {SG_FB_OPT_WINDOWED | SG_FB_OPT_IDX8, SG_ERROR_FB_DDRAW, "bad bits per pixel\n"},
  };
  for (const Case& c : cases) {
    // The window exists by then, so the report is a box over it.
    AnswerBox();
    EXPECT_EQ(Open(Own(c.codes)), c.status) << c.step;
    EXPECT_EQ(fb_, nullptr);
    backend_->RunUntilIdle();
  }
  EXPECT_EQ(ErrorFile(), "");  // no line went to the file instead
}

TEST_F(OwnDevice, WindowWithoutItsStringsIsNotMade) {
  SGFrameBufferOptions o = Own(SG_FB_OPT_SIZE_EXPLICIT | SG_FB_OPT_RGB16);
  o.fboInstance = nullptr;
  EXPECT_EQ(Open(o), SG_ERROR_FB_WINDOW);
}

TEST_F(OwnDevice, WindowProcedureHidesTheCursorAndClosesOnEscape) {
  ASSERT_EQ(Open(Own(SG_FB_OPT_SIZE_EXPLICIT | SG_FB_OPT_RGB16)), SG_ERROR_NONE);
  HWND own = fb_->fbDDI->ddiWindow;
  EXPECT_EQ(SGDefaultWindowProc(own, WM_SETCURSOR, 0, 0), TRUE);
  backend_->PressKey(VK_ESCAPE);
  backend_->RunUntilIdle();
  EXPECT_FALSE(IsWindow(own));
  EXPECT_TRUE(backend_->SawQuit());
  fb_->fbDDI->ddiWindow = nullptr;  // gone already
}

// Off-screen frame buffers come after an on-screen one on the same context.
TEST_F(OwnDevice, OffscreenSingleSurfaceTakesTheContextFormat) {
  OpenGame();
  SGFrameBuffer* game = fb_;
  fb_ = nullptr;
  SGFrameBufferOptions o = Own(SG_FB_OPT_OFFSCREEN | SG_FB_OPT_DRAW_FRONT | SG_FB_OPT_SIZE_EXPLICIT |
                               SG_FB_OPT_QUASI_RGB16 | SG_FB_OPT_COLOUR_KEY);
  o.fboDD = dd_;
  o.fboWidth = 64;
  o.fboHeight = 48;
  ASSERT_EQ(Open(o), SG_ERROR_NONE);
  EXPECT_EQ(fb_->fbFlags & (SG_FB_FLAG_OFFSCREEN | SG_FB_FLAG_SINGLE_SURFACE | SG_FB_FLAG_CALLER_DD),
            SG_FB_FLAG_OFFSCREEN | SG_FB_FLAG_SINGLE_SURFACE | SG_FB_FLAG_CALLER_DD);
  EXPECT_EQ(std::make_tuple(fb_->fbWidth, fb_->fbPixelFormat.pfGreenBits), std::make_tuple(64u, 6u));
  EXPECT_EQ(ctx_->ctxDDI, game->fbDDI);  // not replaced
  DDCOLORKEY key;
  EXPECT_EQ(fb_->fbDDI->ddiBack->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  SGFrameBufferDestroy(game);
}

TEST_F(OwnDevice, OffscreenIndexedAndOffscreenFlipPair) {
  SGFrameBufferOptions o = Own(SG_FB_OPT_OFFSCREEN | SG_FB_OPT_DRAW_FRONT | SG_FB_OPT_SIZE_EXPLICIT | SG_FB_OPT_IDX8 |
                               SG_FB_OPT_SYSTEM_MEMORY);
  o.fboWidth = 30;
  o.fboHeight = 20;
  ASSERT_EQ(Open(o), SG_ERROR_NONE);
  EXPECT_EQ(fb_->fbPitch, 32);
  EXPECT_EQ(fb_->fbDDI->ddiWindow, nullptr);
  SGFrameBufferDestroy(fb_);
  fb_ = nullptr;

  // This display makes no off-screen flipping pairs: without a window the
  // report goes to the error file.
  o.fboCodes &= ~SG_FB_OPT_DRAW_FRONT;
  EXPECT_EQ(Open(o), SG_ERROR_FB_SURFACE);
  EXPECT_EQ(ErrorFile(),
            "SG ERROR BEFORE OR AFTER WINDOW:\r\nSG: getting backbuffer\n"
            "The requested item was not found.\r\n");
}

TEST_F(OwnDevice, SharedDeviceInformationDrawsIntoTheOwnersSurface) {
  IDirectDrawSurface* s = OpenGame();
  SGFrameBuffer* owner = fb_;
  fb_ = nullptr;
  const ULONG refs = Refs(s);
  SGFrameBufferOptions o{};
  o.fboCodes = SG_FB_OPT_SIZE_EXPLICIT;
  o.fboWidth = 4000;  // no larger than the surface it shares
  o.fboHeight = 100;
  o.fboDDI = owner->fbDDI;
  ASSERT_EQ(Open(o), SG_ERROR_NONE);
  EXPECT_TRUE(fb_->fbFlags & SG_FB_FLAG_SHARED_DDI);
  EXPECT_EQ(std::make_tuple(fb_->fbWidth, fb_->fbHeight, fb_->fbPitch, fb_->fbMode),
            std::make_tuple(kGameWidth, 100u, owner->fbPitch, SG_FB_MODE_QUASI_RGB));
  EXPECT_EQ(ctx_->ctxDDI, fb_->fbDDI);
  void* pixels = nullptr;
  ASSERT_EQ(SGFrameBufferLock(fb_, &pixels), SG_ERROR_NONE);
  EXPECT_EQ(pixels, s->Pixels().bits);
  SGFrameBufferDestroy(fb_);  // locked: the surface is let go
  fb_ = nullptr;
  EXPECT_EQ(Refs(s), refs);
  EXPECT_EQ(SGFrameBufferLock(owner, &pixels), SG_ERROR_NONE);
  SGFrameBufferDestroy(owner);
}

}  // namespace
}  // namespace fbtest
