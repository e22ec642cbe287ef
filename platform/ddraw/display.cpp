#include <algorithm>
#include <memory>

#include "platform/ddraw/dd_impl.h"
#include "platform/ddraw/ddraw.h"
#include "platform/ddraw/display.h"
#include "platform/display/backend.h"
#include "platform/display/screen.h"
#include "platform/user/window.h"

namespace plat {

namespace {

constexpr DWORD kVideoMemory = 32u * 1024 * 1024;
constexpr DWORD kRefreshRate = 60;

DWORD VideoMemoryUsed() {
  DWORD used = 0;
  for (IDirectDrawSurface* s : dd_impl::Display().surfaces) {
    DDSCAPS caps;
    DDSURFACEDESC d;
    s->GetCaps(&caps);
    if (!(caps.dwCaps & DDSCAPS_VIDEOMEMORY) || s->GetSurfaceDesc(&d) != DD_OK) continue;
    used += static_cast<DWORD>(d.lPitch) * d.dwHeight;
  }
  return used;
}

}  // namespace

// Interface ids, the classic values.
const GUID IID_IDirectDraw{0x6C14DB80, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const GUID IID_IDirectDraw2{0xB3A6F3E0, 0x2B43, 0x11CF, {0xA2, 0xDE, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56}};
const GUID IID_IDirectDrawSurface{0x6C14DB81, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const GUID IID_IDirectDrawSurface2{0x57805885, 0x6EEC, 0x11CF, {0x94, 0x41, 0xA8, 0x23, 0x03, 0xC1, 0x0E, 0x27}};

namespace dd_impl {

DisplayState& Display() {
  static DisplayState state;
  return state;
}

DDPIXELFORMAT Format565() {
  DDPIXELFORMAT f;
  f.dwFlags = DDPF_RGB;
  f.dwRGBBitCount = 16;
  f.dwRBitMask = 0xF800;
  f.dwGBitMask = 0x07E0;
  f.dwBBitMask = 0x001F;
  return f;
}

DDPIXELFORMAT Format555() {
  DDPIXELFORMAT f = Format565();
  f.dwRBitMask = 0x7C00;
  f.dwGBitMask = 0x03E0;
  return f;
}

DDPIXELFORMAT Format8() {
  DDPIXELFORMAT f;
  f.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
  f.dwRGBBitCount = 8;
  return f;
}

DDPIXELFORMAT ScreenFormat() { return GetScreen().is555 ? Format555() : Format565(); }

bool SupportedFormat(const DDPIXELFORMAT& f) {
  if (f.dwFlags & DDPF_PALETTEINDEXED8) return f.dwRGBBitCount == 8;
  if (!(f.dwFlags & DDPF_RGB) || f.dwRGBBitCount != 16 || f.dwBBitMask != 0x001F) return false;
  return (f.dwRBitMask == 0xF800 && f.dwGBitMask == 0x07E0) || (f.dwRBitMask == 0x7C00 && f.dwGBitMask == 0x03E0);
}

}  // namespace dd_impl

using dd_impl::Display;

ULONG DDObject::Release() {
  if (--refs_ == 0) {
    delete this;
    return 0;
  }
  return refs_;
}

HRESULT IDirectDrawPalette::GetCaps(DWORD* caps) {
  if (!caps) return DDERR_INVALIDPARAMS;
  *caps = caps_;
  return DD_OK;
}

HRESULT IDirectDrawPalette::GetEntries(DWORD, DWORD start, DWORD count, PALETTEENTRY* entries) {
  if (!entries || start > entries_.size() || count > entries_.size() - start) return DDERR_INVALIDPARAMS;
  std::copy_n(entries_.begin() + start, count, entries);
  return DD_OK;
}

HRESULT IDirectDrawPalette::SetEntries(DWORD, DWORD start, DWORD count, const PALETTEENTRY* entries) {
  if (!entries || start > entries_.size() || count > entries_.size() - start) return DDERR_INVALIDPARAMS;
  std::copy_n(entries, count, entries_.begin() + start);
  return DD_OK;
}

HRESULT IDirectDrawClipper::SetHWnd(DWORD, HWND hwnd) {
  if (hwnd && !IsWindow(hwnd)) return DDERR_INVALIDPARAMS;
  hwnd_ = hwnd;
  return DD_OK;
}

HRESULT IDirectDrawClipper::GetHWnd(HWND* hwnd) {
  if (!hwnd) return DDERR_INVALIDPARAMS;
  *hwnd = hwnd_;
  return DD_OK;
}

IDirectDraw::~IDirectDraw() {
  if (exclusive_) {
    Display().exclusiveOwner = nullptr;
    if (Backend* b = CurrentBackend()) b->SetExclusive(false);
  }
}

HRESULT IDirectDraw::QueryInterface(REFIID iid, void** out) {
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (!(iid == IID_IDirectDraw) && !(iid == IID_IDirectDraw2)) return Direct3DQueryDisplay(this, iid, out);
  AddRef();
  *out = this;
  return DD_OK;
}

HRESULT IDirectDraw::CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** out, void*) {
  if (!desc || !out || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  const DWORD caps = (desc->dwFlags & DDSD_CAPS) ? desc->ddsCaps.dwCaps : 0;
  if (caps & DDSCAPS_ZBUFFER) return DDERR_INVALIDCAPS;
  if (caps & DDSCAPS_PRIMARYSURFACE) {
    if (Display().primaryExists) return DDERR_PRIMARYSURFACEALREADYEXISTS;
    const DWORD backBuffers = (desc->dwFlags & DDSD_BACKBUFFERCOUNT) ? desc->dwBackBufferCount : 0;
    if (backBuffers > 1) return DDERR_UNSUPPORTED;
    if (backBuffers == 1) {
      if ((caps & (DDSCAPS_FLIP | DDSCAPS_COMPLEX)) != (DDSCAPS_FLIP | DDSCAPS_COMPLEX)) return DDERR_INVALIDCAPS;
      if (!exclusive_) return DDERR_NOEXCLUSIVEMODE;
    }
    const DWORD common = DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM | (backBuffers ? DDSCAPS_FLIP | DDSCAPS_COMPLEX : 0);
    auto* primary =
        new IDirectDrawSurface(this, Screen::kWidth, Screen::kHeight, dd_impl::ScreenFormat(),
                               DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER | DDSCAPS_VISIBLE | common, true);
    if (backBuffers) {
      primary->backBuffer_ = new IDirectDrawSurface(this, Screen::kWidth, Screen::kHeight, dd_impl::ScreenFormat(),
                                                    DDSCAPS_BACKBUFFER | common, false);
    }
    *out = primary;
    return DD_OK;
  }
  if ((desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT) || desc->dwWidth == 0 ||
      desc->dwHeight == 0)
    return DDERR_INVALIDPARAMS;
  constexpr DWORD kMaxSide = 16384;
  if (desc->dwWidth > kMaxSide || desc->dwHeight > kMaxSide) return DDERR_OUTOFMEMORY;
  DDPIXELFORMAT format = dd_impl::ScreenFormat();
  if (desc->dwFlags & DDSD_PIXELFORMAT) {
    if (!dd_impl::SupportedFormat(desc->ddpfPixelFormat)) return DDERR_INVALIDPIXELFORMAT;
    format = (desc->ddpfPixelFormat.dwFlags & DDPF_PALETTEINDEXED8) ? dd_impl::Format8() : desc->ddpfPixelFormat;
    format.dwSize = sizeof(DDPIXELFORMAT);
    format.dwRGBAlphaBitMask = 0;
    format.dwFourCC = 0;
  }
  DWORD surfaceCaps = (caps & (DDSCAPS_TEXTURE | DDSCAPS_3DDEVICE)) | DDSCAPS_OFFSCREENPLAIN;
  surfaceCaps |= (caps & DDSCAPS_SYSTEMMEMORY) ? DDSCAPS_SYSTEMMEMORY : DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
  auto* surface = new IDirectDrawSurface(this, desc->dwWidth, desc->dwHeight, format, surfaceCaps, false);
  if (desc->dwFlags & DDSD_CKSRCBLT) surface->SetColorKey(DDCKEY_SRCBLT, &desc->ddckCKSrcBlt);
  *out = surface;
  return DD_OK;
}

HRESULT IDirectDraw::CreateClipper(DWORD, IDirectDrawClipper** out, void*) {
  if (!out) return DDERR_INVALIDPARAMS;
  *out = new IDirectDrawClipper();
  return DD_OK;
}

HRESULT IDirectDraw::CreatePalette(DWORD flags, const PALETTEENTRY* entries, IDirectDrawPalette** out, void*) {
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (!(flags & DDPCAPS_8BIT) || !entries) return DDERR_INVALIDPARAMS;
  auto* palette = new IDirectDrawPalette(flags);
  std::copy_n(entries, palette->entries_.size(), palette->entries_.begin());
  *out = palette;
  return DD_OK;
}

HRESULT IDirectDraw::GetDisplayMode(DDSURFACEDESC* desc) {
  if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
  *desc = DDSURFACEDESC{};
  desc->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
  desc->dwWidth = Screen::kWidth;
  desc->dwHeight = Screen::kHeight;
  desc->lPitch = Screen::kPitch;
  desc->dwRefreshRate = kRefreshRate;
  desc->ddpfPixelFormat = dd_impl::ScreenFormat();
  return DD_OK;
}

HRESULT IDirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel) {
  if (width != Screen::kWidth || height != Screen::kHeight || bitsPerPixel != 16) return DDERR_INVALIDMODE;
  return DD_OK;
}

HRESULT IDirectDraw::RestoreDisplayMode() { return DD_OK; }

HRESULT IDirectDraw::SetCooperativeLevel(HWND hwnd, DWORD flags) {
  auto& d = Display();
  const bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
  if (exclusive) {
    if (!(flags & DDSCL_FULLSCREEN) || !IsWindow(hwnd)) return DDERR_INVALIDPARAMS;
    if (d.exclusiveOwner && d.exclusiveOwner != this) return DDERR_EXCLUSIVEMODEALREADYSET;
    d.exclusiveOwner = this;
  } else {
    if (!(flags & DDSCL_NORMAL)) return DDERR_INVALIDPARAMS;
    if (d.exclusiveOwner == this) d.exclusiveOwner = nullptr;
  }
  if (exclusive != exclusive_) {
    exclusive_ = exclusive;
    if (Backend* b = CurrentBackend()) b->SetExclusive(exclusive);
  }
  return DD_OK;
}

HRESULT IDirectDraw::GetCaps(DDCAPS* driver, DDCAPS* emulation) {
  if ((!driver && !emulation) || (driver && driver->dwSize != sizeof(DDCAPS)) ||
      (emulation && emulation->dwSize != sizeof(DDCAPS)))
    return DDERR_INVALIDPARAMS;
  DDCAPS caps;
  caps.dwCaps = DDCAPS_BLT | DDCAPS_BLTSTRETCH | DDCAPS_PALETTE | DDCAPS_COLORKEY | DDCAPS_BLTCOLORFILL;
  caps.dwCaps2 = DDCAPS2_NOPAGELOCKREQUIRED;
  caps.dwCKeyCaps = DDCKEYCAPS_SRCBLT;
  caps.dwPalCaps = DDPCAPS_8BIT;
  caps.dwVidMemTotal = kVideoMemory;
  caps.dwVidMemFree = kVideoMemory - std::min(kVideoMemory, VideoMemoryUsed());
  caps.ddsCaps.dwCaps = DDSCAPS_BACKBUFFER | DDSCAPS_COMPLEX | DDSCAPS_FLIP | DDSCAPS_FRONTBUFFER |
                        DDSCAPS_OFFSCREENPLAIN | DDSCAPS_PALETTE | DDSCAPS_PRIMARYSURFACE | DDSCAPS_SYSTEMMEMORY |
                        DDSCAPS_VIDEOMEMORY;
  if (driver) *driver = caps;
  if (emulation) *emulation = caps;
  return DD_OK;
}

HRESULT IDirectDraw::GetAvailableVidMem(const DDSCAPS*, DWORD* total, DWORD* free) {
  if (!total && !free) return DDERR_INVALIDPARAMS;
  if (total) *total = kVideoMemory;
  if (free) *free = kVideoMemory - std::min(kVideoMemory, VideoMemoryUsed());
  return DD_OK;
}

HRESULT DirectDrawCreate(GUID* driver, IDirectDraw** out, void*) {
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (driver) return DDERR_INVALIDDIRECTDRAWGUID;
  *out = new IDirectDraw();
  return DD_OK;
}

HRESULT DirectDrawEnumerate(LPDDENUMCALLBACK callback, void* context) {
  if (!callback) return DDERR_INVALIDPARAMS;
  char description[] = "Primary Display Driver";
  char name[] = "display";
  callback(nullptr, description, name, context);
  return DD_OK;
}

void SetDisplayDeactivated(bool deactivated) {
  auto& d = Display();
  d.deactivated = deactivated;
  if (!deactivated) return;
  for (IDirectDrawSurface* s : d.surfaces)
    if (!(s->caps_ & DDSCAPS_SYSTEMMEMORY)) s->lost_ = true;
}

}  // namespace plat
