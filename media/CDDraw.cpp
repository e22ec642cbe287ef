#include "media/CDDraw.h"

#include "platform/gdi/dc.h"
#include "platform/user/focus.h"

using namespace plat;

DDSURFACEDESC g_savedDisplayMode;

HRESULT CheckDDResult(HRESULT result, const char* /*label*/, const void* /*object*/) { return result < 0 ? result : 0; }

CDDraw::CDDraw(HWND window_, DWORD width, DWORD height, DWORD bpp, DWORD wantBackBuffer_)
    : window(window_), bitsPerPixel(bpp), fullScreen(1), wantBackBuffer(wantBackBuffer_) {
  if (CheckDDResult(DirectDrawCreate(nullptr, &directDraw, nullptr), "CDDraw::CDDraw - DirectDrawCreate ", this)) {
    directDraw = nullptr;
    return;
  }
  g_savedDisplayMode = DDSURFACEDESC{};
  g_savedDisplayMode.dwFlags = DDSD_ALL;
  CheckDDResult(directDraw->GetDisplayMode(&g_savedDisplayMode), "CDDraw::CDDraw - GetDisplayMode ", this);
  CheckDDResult(directDraw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
                "CDDraw::CDDraw - SetCooperativeLevel ", this);
  CheckDDResult(directDraw->SetDisplayMode(width, height, bpp), "CDDraw::CDDraw - SetDisplayMode ", this);
  if (CreatePrimarySurface()) return;
  if (wantBackBuffer) CreateBackBuffer();
}

CDDraw::CDDraw(HWND window_, DWORD wantClipper_) : window(window_), wantClipper(wantClipper_) {
  HDC screen = GetDC(nullptr);
  bitsPerPixel = static_cast<DWORD>(GetDeviceCaps(screen, BITSPIXEL));
  ReleaseDC(nullptr, screen);
  if (CheckDDResult(DirectDrawCreate(nullptr, &directDraw, nullptr), "CDDraw::CDDraw - DirectDrawCreate ", this)) {
    directDraw = nullptr;
    return;
  }
  CheckDDResult(directDraw->SetCooperativeLevel(window, DDSCL_NORMAL), "CDDraw::CDDraw - SetCooperativeLevel ", this);
  if (CreatePrimarySurface() == 0 && wantClipper) CreateClipper();
}

CDDraw::~CDDraw() { ReleaseSurfaces(0); }

HRESULT CDDraw::CreatePrimarySurface() {
  if (!directDraw) return DDERR_INVALIDOBJECT;
  DDSURFACEDESC desc;
  if (fullScreen && wantBackBuffer) {
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
  } else {
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  }
  return CheckDDResult(directDraw->CreateSurface(&desc, &primary, nullptr),
                       "CDDraw::CreatePrimarySurface - CreateSurface ", this);
}

HRESULT CDDraw::CreateBackBuffer() {
  if (!primary) return DDERR_INVALIDOBJECT;
  DDSCAPS caps;
  caps.dwCaps = DDSCAPS_BACKBUFFER;
  return CheckDDResult(primary->GetAttachedSurface(&caps, &backBuffer),
                       "CDDraw::CreateBackBuffer - GetAttachedSurface ", this);
}

HRESULT CDDraw::CreateClipper() {
  if (!directDraw || !primary) return DDERR_INVALIDOBJECT;
  HRESULT r =
      CheckDDResult(directDraw->CreateClipper(0, &clipper, nullptr), "CDDraw::CreateClipper - CreateClipper ", this);
  if (r) return r;
  r = CheckDDResult(clipper->SetHWnd(0, window), "CDDraw::CreateClipper - SetHWnd ", this);
  if (r) return r;
  return CheckDDResult(primary->SetClipper(clipper), "CDDraw::CreateClipper - SetClipper ", this);
}

HRESULT CDDraw::RestorePrimarySurface() {
  if (fullScreen && IsIconic(window)) return 1;
  ReleaseSurfaces(1);
  if (HRESULT r = CreatePrimarySurface()) return r;
  if (wantClipper)
    CreateClipper();
  else if (wantBackBuffer)
    CreateBackBuffer();
  return 0;
}

void CDDraw::ReleaseSurfaces(DWORD keepDirectDraw) {
  if (!directDraw) return;
  if (fullScreen) {
    if (!keepDirectDraw) {
      CheckDDResult(directDraw->SetDisplayMode(g_savedDisplayMode.dwWidth, g_savedDisplayMode.dwHeight,
                                               g_savedDisplayMode.ddpfPixelFormat.dwRGBBitCount),
                    "CDDraw::ReleaseSurfaces - SetDisplayMode ", this);
      directDraw->SetCooperativeLevel(window, DDSCL_NORMAL);
    }
    if (wantBackBuffer && backBuffer) {
      backBuffer->Release();
      backBuffer = nullptr;
    }
  } else if (wantClipper && clipper) {
    clipper->Release();
    clipper = nullptr;
  }
  if (primary) {
    primary->Release();
    primary = nullptr;
  }
  if (!keepDirectDraw) {
    directDraw->Release();
    directDraw = nullptr;
  }
}
