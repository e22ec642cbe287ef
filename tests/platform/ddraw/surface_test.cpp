#include <tuple>

#include "tests/platform/ddraw/dd_fixture.h"

namespace {

using namespace ddtest;

class SurfaceTest : public DisplayTest {};

TEST_F(SurfaceTest, DescriptionsCarryTheFormatMasks) {
  IDirectDrawSurface* plain = Offscreen(33, 10);
  DDSURFACEDESC d;
  ASSERT_EQ(plain->GetSurfaceDesc(&d), DD_OK);
  EXPECT_EQ(d.dwWidth, 33u);
  EXPECT_EQ(d.lPitch, 68);  // rows keep four-byte alignment
  EXPECT_EQ(d.ddpfPixelFormat.dwRBitMask, 0xF800u);
  EXPECT_TRUE(d.ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY);

  const DDPIXELFORMAT f555 = Rgb16(0x7C00, 0x03E0);
  IDirectDrawSurface* s555 = Offscreen(4, 4, &f555, DDSCAPS_SYSTEMMEMORY);
  s555->GetSurfaceDesc(&d);
  EXPECT_EQ(d.ddpfPixelFormat.dwRBitMask, 0x7C00u);
  EXPECT_TRUE(d.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY);

  const DDPIXELFORMAT odd = Rgb16(0xF000, 0x0FE0);
  DDSURFACEDESC bad;
  bad.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  bad.dwWidth = bad.dwHeight = 4;
  bad.ddpfPixelFormat = odd;
  IDirectDrawSurface* none = nullptr;
  EXPECT_EQ(dd_->CreateSurface(&bad, &none, nullptr), DDERR_INVALIDPIXELFORMAT);
  bad.dwFlags = DDSD_WIDTH;
  EXPECT_EQ(dd_->CreateSurface(&bad, &none, nullptr), DDERR_INVALIDPARAMS);
  bad.dwSize = 12;
  EXPECT_EQ(plain->GetSurfaceDesc(&bad), DDERR_INVALIDPARAMS);

  // On a 5-5-5 display, plain surfaces take the display's format.
  SetScreenFormat555(true);
  IDirectDrawSurface* later = Offscreen(4, 4);
  later->GetSurfaceDesc(&d);
  EXPECT_EQ(d.ddpfPixelFormat.dwRBitMask, 0x7C00u);
  for (IDirectDrawSurface* x : {later, s555, plain}) x->Release();
}

// What the 3D library's texture path asks of a surface.
TEST_F(SurfaceTest, TextureAnd3DDeviceSurfacesLockPageLockAndReportTheirCaps) {
  IDirectDrawSurface* texture = Offscreen(8, 8, nullptr, DDSCAPS_TEXTURE | DDSCAPS_3DDEVICE | DDSCAPS_SYSTEMMEMORY);
  DDSURFACEDESC d;
  ASSERT_EQ(texture->GetSurfaceDesc(&d), DD_OK);
  EXPECT_EQ(d.ddsCaps.dwCaps & (DDSCAPS_TEXTURE | DDSCAPS_3DDEVICE | DDSCAPS_SYSTEMMEMORY),
            DDSCAPS_TEXTURE | DDSCAPS_3DDEVICE | DDSCAPS_SYSTEMMEMORY);
  ASSERT_EQ(texture->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(d.dwWidth, 8u);
  texture->Unlock(nullptr);
  void* second = nullptr;
  ASSERT_EQ(texture->QueryInterface(IID_IDirectDrawSurface2, &second), DD_OK);
  auto* two = static_cast<IDirectDrawSurface*>(second);
  EXPECT_EQ(two->PageLock(0), DD_OK);
  EXPECT_EQ(two->PageUnlock(0), DD_OK);
  two->Release();
  IDirectDrawClipper* clipper = nullptr;
  EXPECT_EQ(texture->GetClipper(&clipper), DDERR_NOCLIPPERATTACHED);
  texture->Release();
}

TEST_F(SurfaceTest, LockGivesTheRectanglesFirstPixel) {
  IDirectDrawSurface* s = Offscreen(10, 10);
  Fill16(s, 0);
  Put16(s, 3, 2, 0x1234);
  DDSURFACEDESC d;
  RECT r{3, 2, 5, 4};
  ASSERT_EQ(s->Lock(&r, &d, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr), DD_OK);
  EXPECT_EQ(*static_cast<std::uint16_t*>(d.lpSurface), 0x1234);
  EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
  DDBLTFX fx;
  EXPECT_EQ(s->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_SURFACEBUSY);
  EXPECT_EQ(s->Unlock(nullptr), DD_OK);
  EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED);
  RECT outside{8, 8, 12, 9};
  EXPECT_EQ(s->Lock(&outside, &d, 0, nullptr), DDERR_INVALIDRECT);
  s->Release();
}

TEST_F(SurfaceTest, EightBitSurfacesCarryTheirPalette) {
  const DDPIXELFORMAT f8 = Indexed8();
  IDirectDrawSurface* s = Offscreen(16, 4, &f8);
  PALETTEENTRY entries[256] = {};
  entries[7] = PALETTEENTRY{10, 20, 30, 0};
  IDirectDrawPalette* pal = nullptr;
  ASSERT_EQ(dd_->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &pal, nullptr), DD_OK);
  IDirectDrawPalette* got = nullptr;
  EXPECT_EQ(s->GetPalette(&got), DDERR_NOPALETTEATTACHED);
  ASSERT_EQ(s->SetPalette(pal), DD_OK);
  pal->Release();  // the surface holds it now
  ASSERT_EQ(s->GetPalette(&got), DD_OK);
  PALETTEENTRY e;
  ASSERT_EQ(got->GetEntries(0, 7, 1, &e), DD_OK);
  EXPECT_EQ(e.peGreen, 20);
  PALETTEENTRY blue{0, 0, 255, 0};
  EXPECT_EQ(got->SetEntries(0, 255, 2, &blue), DDERR_INVALIDPARAMS);  // past the end
  got->Release();
  const auto view = s->Pixels();
  EXPECT_EQ(std::make_tuple(view.bitCount, view.palette), std::make_tuple(8u, got));

  IDirectDrawSurface* s16 = Offscreen(4, 4);
  EXPECT_EQ(s16->SetPalette(got), DDERR_NOT8BITCOLOR);
  s16->Release();
  s->Release();
}

TEST_F(SurfaceTest, InjectedFailuresReachTheNextAccessOnly) {
  IDirectDrawSurface* s = Offscreen(8, 8);
  Fill16(s, 0x7777);
  DDSURFACEDESC d;
  s->FailNextAccess(DDERR_WASSTILLDRAWING);
  EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_WASSTILLDRAWING);
  EXPECT_EQ(s->IsLost(), DD_OK);
  ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
  s->Unlock(nullptr);

  IDirectDrawSurface* dst = Offscreen(8, 8);
  s->FailNextAccess(DDERR_SURFACEBUSY);
  EXPECT_EQ(dst->BltFast(0, 0, s, nullptr, DDBLTFAST_WAIT), DDERR_SURFACEBUSY);  // as the source
  EXPECT_EQ(dst->BltFast(0, 0, s, nullptr, DDBLTFAST_WAIT), DD_OK);

  s->FailNextAccess(DDERR_SURFACELOST);
  EXPECT_EQ(s->IsLost(), DD_OK);  // not until it is touched
  EXPECT_EQ(dst->Blt(nullptr, s, nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(s->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(s->Restore(), DD_OK);
  EXPECT_EQ(s->IsLost(), DD_OK);
  EXPECT_EQ(Get16(s, 3, 3), 0);  // a restored surface comes back blank
  dst->Release();
  s->Release();
}

TEST_F(SurfaceTest, MinimisedExclusiveDisplayLosesVideoSurfaces) {
  HWND main = PlainWindow(0, 0, 800, 600);
  ASSERT_EQ(dd_->SetCooperativeLevel(main, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
  EXPECT_TRUE(backend_->Exclusive());
  IDirectDrawSurface* video = Offscreen(8, 8);
  IDirectDrawSurface* system = Offscreen(8, 8, nullptr, DDSCAPS_SYSTEMMEMORY);
  backend_->SetMinimized(true);
  backend_->RunUntilIdle();
  EXPECT_EQ(video->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(system->IsLost(), DD_OK);
  EXPECT_EQ(video->Restore(), DDERR_WRONGMODE);
  backend_->SetMinimized(false);
  backend_->RunUntilIdle();
  EXPECT_EQ(video->Restore(), DD_OK);
  for (IDirectDrawSurface* x : {video, system}) x->Release();
  ASSERT_EQ(dd_->SetCooperativeLevel(main, DDSCL_NORMAL), DD_OK);
  EXPECT_FALSE(backend_->Exclusive());
}

}  // namespace
