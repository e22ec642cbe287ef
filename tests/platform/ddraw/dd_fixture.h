#pragma once
// A display object on the headless backend for each test, and small helpers
// to make surfaces and read and write their pixels.

#include <gtest/gtest.h>

#include <cstring>

#include "platform/backend/headless.h"
#include "platform/ddraw/ddraw.h"
#include "platform/display/screen.h"
#include "platform/user/window.h"
#include "tests/support/plain_window.h"

namespace ddtest {

using namespace plat;

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_ = &StartHeadlessBackend();
    ResetUserLayer();
    SetScreenFormat555(false);
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd_, nullptr), DD_OK);
  }
  void TearDown() override {
    if (dd_) dd_->Release();
    SetScreenFormat555(false);
    ResetUserLayer();
    StopBackend();
  }

  IDirectDrawSurface* Offscreen(DWORD w, DWORD h, const DDPIXELFORMAT* format = nullptr, DWORD caps = 0) {
    DDSURFACEDESC d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | (format ? DDSD_PIXELFORMAT : 0);
    d.dwWidth = w;
    d.dwHeight = h;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | caps;
    if (format) d.ddpfPixelFormat = *format;
    IDirectDrawSurface* s = nullptr;
    EXPECT_EQ(dd_->CreateSurface(&d, &s, nullptr), DD_OK);
    return s;
  }

  IDirectDrawSurface* Primary() {
    DDSURFACEDESC d;
    d.dwFlags = DDSD_CAPS;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    IDirectDrawSurface* s = nullptr;
    EXPECT_EQ(dd_->CreateSurface(&d, &s, nullptr), DD_OK);
    return s;
  }

  // A window of a plain class that does nothing of its own.
  HWND PlainWindow(int x, int y, int w, int h, DWORD style = WS_POPUP | WS_VISIBLE, HWND parent = nullptr) {
    return quentest::PlainWindow("DdPlain", x, y, w, h, style, parent);
  }

  IDirectDraw* dd_ = nullptr;
  HeadlessBackend* backend_ = nullptr;
};

inline DDPIXELFORMAT Rgb16(DWORD r, DWORD g) {
  DDPIXELFORMAT f;
  f.dwFlags = DDPF_RGB;
  f.dwRGBBitCount = 16;
  f.dwRBitMask = r;
  f.dwGBitMask = g;
  f.dwBBitMask = 0x1F;
  return f;
}

inline DDPIXELFORMAT Indexed8() {
  DDPIXELFORMAT f;
  f.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
  f.dwRGBBitCount = 8;
  return f;
}

// 16-bit pixel access through a lock.
inline std::uint16_t Get16(IDirectDrawSurface* s, int x, int y) {
  DDSURFACEDESC d;
  if (s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr) != DD_OK) return 0xDEAD;
  std::uint16_t v;
  std::memcpy(&v, static_cast<BYTE*>(d.lpSurface) + y * d.lPitch + x * 2, 2);
  s->Unlock(nullptr);
  return v;
}

inline void Fill16(IDirectDrawSurface* s, std::uint16_t v) {
  DDBLTFX fx;
  fx.dwFillColor = v;
  ASSERT_EQ(s->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
}

inline void Put16(IDirectDrawSurface* s, int x, int y, std::uint16_t v) {
  DDBLTFX fx;
  fx.dwFillColor = v;
  RECT r{x, y, x + 1, y + 1};
  ASSERT_EQ(s->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
}

}  // namespace ddtest
