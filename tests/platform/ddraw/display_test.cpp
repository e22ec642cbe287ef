#include "platform/user/window.h"

#include <tuple>

#include "tests/platform/ddraw/dd_fixture.h"

namespace {

using namespace ddtest;

class DisplayObjectTest : public DisplayTest {};

TEST_F(DisplayObjectTest, ThePrimaryIsTheScreen) {
  IDirectDrawSurface* primary = Primary();
  ASSERT_NE(primary, nullptr);
  DDSURFACEDESC d;
  ASSERT_EQ(primary->GetSurfaceDesc(&d), DD_OK);
  EXPECT_EQ(std::make_tuple(d.dwWidth, d.dwHeight), std::make_tuple(800u, 600u));
  EXPECT_TRUE(d.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE);
  Put16(primary, 10, 20, 0xABCD);
  EXPECT_EQ(GetScreen().At(10, 20), 0xABCD);
  IDirectDrawSurface* second = nullptr;
  DDSURFACEDESC again;
  again.dwFlags = DDSD_CAPS;
  again.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  EXPECT_EQ(dd_->CreateSurface(&again, &second, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
  primary->Release();
  EXPECT_EQ(dd_->CreateSurface(&again, &second, nullptr), DD_OK);
  second->Release();
}

TEST_F(DisplayObjectTest, FlipChainNeedsExclusiveModeAndTradesPictures) {
  DDSURFACEDESC d;
  d.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  d.dwBackBufferCount = 1;
  IDirectDrawSurface* front = nullptr;
  EXPECT_EQ(dd_->CreateSurface(&d, &front, nullptr), DDERR_NOEXCLUSIVEMODE);
  HWND w = PlainWindow(0, 0, 800, 600);
  ASSERT_EQ(dd_->SetCooperativeLevel(w, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT), DD_OK);
  ASSERT_EQ(dd_->CreateSurface(&d, &front, nullptr), DD_OK);
  DDSCAPS caps{DDSCAPS_BACKBUFFER};
  IDirectDrawSurface* back = nullptr;
  ASSERT_EQ(front->GetAttachedSurface(&caps, &back), DD_OK);
  DDSCAPS zbuffer{DDSCAPS_ZBUFFER};
  IDirectDrawSurface* none = nullptr;
  EXPECT_EQ(front->GetAttachedSurface(&zbuffer, &none), DDERR_NOTFOUND);

  Fill16(front, 0x1111);
  Fill16(back, 0x2222);
  ASSERT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(GetScreen().At(400, 300), 0x2222);
  EXPECT_EQ(Get16(back, 0, 0), 0x1111);
  back->FailNextAccess(DDERR_WASSTILLDRAWING);
  EXPECT_EQ(front->Flip(nullptr, 0), DDERR_WASSTILLDRAWING);
  EXPECT_EQ(back->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
  back->Release();
  front->Release();

  // A second display object cannot take the exclusive level meanwhile.
  IDirectDraw* other = nullptr;
  ASSERT_EQ(DirectDrawCreate(nullptr, &other, nullptr), DD_OK);
  EXPECT_EQ(other->SetCooperativeLevel(w, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DDERR_EXCLUSIVEMODEALREADYSET);
  EXPECT_EQ(other->SetCooperativeLevel(w, DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
  other->Release();
}

TEST_F(DisplayObjectTest, DisplayModeCapsAndInterfaces) {
  DDSURFACEDESC mode;
  ASSERT_EQ(dd_->GetDisplayMode(&mode), DD_OK);
  EXPECT_EQ(std::make_tuple(mode.dwWidth, mode.ddpfPixelFormat.dwRGBBitCount), std::make_tuple(800u, 16u));
  EXPECT_EQ(dd_->SetDisplayMode(800, 600, 16), DD_OK);
  EXPECT_EQ(dd_->SetDisplayMode(640, 480, 8), DDERR_INVALIDMODE);

  DDCAPS driver, hel;
  ASSERT_EQ(dd_->GetCaps(&driver, &hel), DD_OK);
  EXPECT_FALSE(driver.dwCaps & DDCAPS_3D);  // drawing is done in software
  EXPECT_TRUE(driver.dwCaps & DDCAPS_BLTSTRETCH);
  DWORD total = 0, freeBefore = 0, freeAfter = 0;
  ASSERT_EQ(dd_->GetAvailableVidMem(nullptr, &total, &freeBefore), DD_OK);
  IDirectDrawSurface* big = Offscreen(512, 512);
  dd_->GetAvailableVidMem(nullptr, nullptr, &freeAfter);
  EXPECT_EQ(freeBefore - freeAfter, 512u * 512u * 2u);

  void* iface = nullptr;
  ASSERT_EQ(big->QueryInterface(IID_IDirectDrawSurface2, &iface), DD_OK);
  auto* second = static_cast<IDirectDrawSurface2*>(iface);
  void* owner = nullptr;
  ASSERT_EQ(second->GetDDInterface(&owner), DD_OK);
  EXPECT_EQ(owner, dd_);
  static_cast<IDirectDraw*>(owner)->Release();
  second->Release();
  EXPECT_EQ(big->QueryInterface(IID_IDirectDraw, &iface), E_NOINTERFACE);
  // A surface keeps its display object alive.
  dd_->Release();
  dd_ = nullptr;
  DDSURFACEDESC d;
  EXPECT_EQ(big->GetSurfaceDesc(&d), DD_OK);
  EXPECT_EQ(big->Release(), 0u);

  int drivers = 0;
  DirectDrawEnumerate(
      [](GUID* guid, const char*, const char* name, void* count) -> BOOL {
        ++*static_cast<int*>(count);
        return guid == nullptr && std::string(name) == "display";
      },
      &drivers);
  EXPECT_EQ(drivers, 1);
  GUID someDriver{1, 2, 3, {}};
  IDirectDraw* none = nullptr;
  EXPECT_EQ(DirectDrawCreate(&someDriver, &none, nullptr), DDERR_INVALIDDIRECTDRAWGUID);
}

}  // namespace
