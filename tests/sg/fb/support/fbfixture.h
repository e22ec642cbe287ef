#pragma once
// A frame buffer's surroundings for each test: the headless backend, a
// context, a DirectDraw object, a plain window and a scratch drive as current
// directory (where "SGERR.TXT" lands); helpers to open a frame buffer the way
// the game does and to read and write surface pixels.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../../sgtest.h"
#include "platform/backend/headless.h"
#include "platform/ddraw/ddraw.h"
#include "platform/display/screen.h"
#include "platform/user/keys.h"
#include "platform/user/window.h"
#include "sg/core/context.h"
#include "sg/fb/framebuffer.h"
#include "sg/material/material.h"

namespace fbtest {

using namespace plat;

constexpr std::uint32_t kGameCodes = 0x2704010;
constexpr DWORD kGameWidth = 585;
constexpr DWORD kGameHeight = 367;

inline DDPIXELFORMAT Indexed8() {
  DDPIXELFORMAT f;
  f.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
  f.dwRGBBitCount = 8;
  return f;
}

inline const DDPIXELFORMAT kIndexed8 = Indexed8();

inline DDPIXELFORMAT Rgb555() {
  DDPIXELFORMAT f;
  f.dwFlags = DDPF_RGB;
  f.dwRGBBitCount = 16;
  f.dwRBitMask = 0x7C00;
  f.dwGBitMask = 0x03E0;
  f.dwBBitMask = 0x001F;
  return f;
}

// A DirectDraw object's reference count, without changing it.
inline ULONG Refs(DDObject* object) {
  object->AddRef();
  return object->Release();
}

class FrameBufferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_ = &StartHeadlessBackend();
    ResetUserLayer();
    SetScreenFormat555(false);
    ASSERT_EQ(SGContextCreate(&ctx_), SG_ERROR_NONE);
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd_, nullptr), DD_OK);
    WNDCLASSEX wc;
    wc.lpszClassName = "FbTestWindow";
    wc.lpfnWndProc = DefWindowProc;
    RegisterClassEx(&wc);
    hwnd_ = CreateWindowEx(0, "FbTestWindow", "", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr, nullptr,
                           nullptr);
  }
  void TearDown() override {
    if (fb_ != nullptr) {
      SGFrameBufferDestroy(fb_);
    }
    for (IDirectDrawSurface* s : surfaces_) {
      s->Release();
    }
    dd_->Release();
    SGContextDestroy(ctx_);
    ResetUserLayer();
    StopBackend();
  }

  // An off-screen surface kept until the test ends (16-bit in the screen's
  // format unless a format is given).
  IDirectDrawSurface* Surface(DWORD w, DWORD h, const DDPIXELFORMAT* format = nullptr) {
    DDSURFACEDESC d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | (format ? DDSD_PIXELFORMAT : 0);
    d.dwWidth = w;
    d.dwHeight = h;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    if (format) d.ddpfPixelFormat = *format;
    IDirectDrawSurface* s = nullptr;
    EXPECT_EQ(dd_->CreateSurface(&d, &s, nullptr), DD_OK);
    if (s) surfaces_.push_back(s);
    return s;
  }

  // The game's options over `surface` (front and back alike).
  SGFrameBufferOptions GameOptions(IDirectDrawSurface* surface) const {
    SGFrameBufferOptions o{};
    o.fboCodes = kGameCodes;
    o.fboWidth = kGameWidth;
    o.fboHeight = kGameHeight;
    o.fboShowCmd = SW_SHOW;
    o.fboHWnd = hwnd_;
    o.fboDD = dd_;
    o.fboFront = surface;
    o.fboBack = surface;
    return o;
  }

  // The game's options over `surface` at 8-bit indexed colour.
  SGFrameBufferOptions IndexedOptions(IDirectDrawSurface* surface) const {
    SGFrameBufferOptions o = GameOptions(surface);
    o.fboCodes = (o.fboCodes & ~SG_FB_OPT_PIXEL_MASK) | SG_FB_OPT_IDX8;
    return o;
  }
  // An 8-bit surface kept until the test ends, with a blank palette of its
  // own (which `palette`, when asked for, receives; the surface holds it).
  IDirectDrawSurface* IndexedSurface(DWORD w, DWORD h, IDirectDrawPalette** palette = nullptr) {
    IDirectDrawSurface* s = Surface(w, h, &kIndexed8);
    PALETTEENTRY entries[256]{};
    IDirectDrawPalette* p = nullptr;
    EXPECT_EQ(dd_->CreatePalette(DDPCAPS_8BIT, entries, &p, nullptr), DD_OK);
    s->SetPalette(p);
    p->Release();
    if (palette != nullptr) *palette = p;
    return s;
  }

  SGError Open(const SGFrameBufferOptions& o) { return SGFrameBufferCreate(ctx_, &fb_, &o); }
  // The game's frame buffer over a fresh surface of the game's size.
  IDirectDrawSurface* OpenGame(const DDPIXELFORMAT* format = nullptr) {
    IDirectDrawSurface* s = Surface(kGameWidth, kGameHeight, format);
    EXPECT_EQ(Open(GameOptions(s)), SG_ERROR_NONE);
    return s;
  }

  std::string ErrorFile() const {
    const auto bytes = drive_.Read("SGERR.TXT");
    return std::string(bytes.begin(), bytes.end());
  }

  // Pixel (x, y) of a surface: 8 or 16 bits.
  static std::uint32_t At(IDirectDrawSurface* s, int x, int y) {
    const auto v = s->Pixels();
    const BYTE* p = v.bits + static_cast<std::size_t>(y) * v.pitch + static_cast<std::size_t>(x) * (v.bitCount / 8);
    return v.bitCount == 8 ? p[0] : static_cast<std::uint32_t>(p[0] | (p[1] << 8));
  }
  static void Paint(IDirectDrawSurface* s, std::uint32_t value) {
    DDBLTFX fx;
    fx.dwFillColor = value;
    ASSERT_EQ(s->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
  }

  // Answers the next message box with Enter.
  void AnswerBox() { backend_->PressKey(VK_RETURN); }

  sgtest::TempDrive drive_;
  HeadlessBackend* backend_ = nullptr;
  SGContext* ctx_ = nullptr;
  IDirectDraw* dd_ = nullptr;
  HWND hwnd_ = nullptr;
  SGFrameBuffer* fb_ = nullptr;
  std::vector<IDirectDrawSurface*> surfaces_;
};

}  // namespace fbtest
