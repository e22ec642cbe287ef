#pragma once
// The game's frame buffer (585 x 367, the game's option codes) on one
// off-screen surface of a hidden window, for benchmarks and fuzz targets that
// draw the way the game does; with `direct3D` the surface takes a Direct3D
// device and the codes allow hardware 3D. The steps are not checked: those
// programs run on the headless backend, where each succeeds. The palette is
// the caller's.
// Owns everything it makes. Not for use from several threads.

#include <cstdint>

#include "platform/ddraw/ddraw.h"
#include "platform/user/window.h"
#include "sg/core/context.h"
#include "sg/fb/framebuffer.h"

namespace quentest {

inline constexpr plat::DWORD kGameFrameWidth = 585;
inline constexpr plat::DWORD kGameFrameHeight = 367;
inline constexpr std::uint32_t kGameFrameCodes = 0x2704010;
inline constexpr std::uint32_t kGameFrameCodesDirect3D = 0x2304010;

struct GameFrameBuffer {
  // `windowClass` names the window's class, registered here.
  explicit GameFrameBuffer(const char* windowClass, bool direct3D = false) {
    using namespace plat;
    SGContextCreate(&ctx);
    DirectDrawCreate(nullptr, &dd, nullptr);
    WNDCLASSEX wc;
    wc.lpszClassName = windowClass;
    wc.lpfnWndProc = DefWindowProc;
    RegisterClassEx(&wc);
    hwnd = CreateWindowEx(0, windowClass, "", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    DDSURFACEDESC d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.dwWidth = kGameFrameWidth;
    d.dwHeight = kGameFrameHeight;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | (direct3D ? DDSCAPS_3DDEVICE : 0);
    dd->CreateSurface(&d, &surface, nullptr);
    SGFrameBufferOptions o{};
    o.fboCodes = direct3D ? kGameFrameCodesDirect3D : kGameFrameCodes;
    o.fboWidth = kGameFrameWidth;
    o.fboHeight = kGameFrameHeight;
    o.fboHWnd = hwnd;
    o.fboDD = dd;
    o.fboFront = o.fboBack = surface;
    SGFrameBufferCreate(ctx, &fb, &o);
  }
  ~GameFrameBuffer() {
    SGFrameBufferDestroy(fb);
    surface->Release();
    plat::DestroyWindow(hwnd);
    dd->Release();
    SGContextDestroy(ctx);
  }
  GameFrameBuffer(const GameFrameBuffer&) = delete;
  GameFrameBuffer& operator=(const GameFrameBuffer&) = delete;

  SGContext* ctx = nullptr;
  plat::IDirectDraw* dd = nullptr;
  plat::HWND hwnd = nullptr;
  plat::IDirectDrawSurface* surface = nullptr;
  SGFrameBuffer* fb = nullptr;
};

}  // namespace quentest
