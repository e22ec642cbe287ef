// Surface descriptions, capabilities and colour packing shared by the ways a
// frame buffer is opened.

#include <algorithm>
#include <bit>

#include "platform/gdi/dc.h"
#include "platform/gdi/palette.h"
#include "sg/core/malloc.h"
#include "sg/core/sgassert.h"
#include "sg/fb/fb_impl.h"
#include "sg/material/material.h"

using namespace plat;

namespace {

// Shift and bit count of a channel mask: the lowest set bit, and the bits from
// there up to and including the highest one. No mask, no channel.
void Channel(std::uint32_t mask, std::uint32_t* bits, std::uint32_t* shift) {
  if (mask == 0) {
    *bits = 0;
    *shift = 0;
    return;
  }
  *shift = static_cast<std::uint32_t>(std::countr_zero(mask));
  *bits = 32u - static_cast<std::uint32_t>(std::countl_zero(mask)) - *shift;
}

void FormatFromMasks(SGPixelFormat* pf, const DDPIXELFORMAT& f) {
  *pf = SGPixelFormat{};
  pf->pfRedMask = f.dwRBitMask;
  pf->pfGreenMask = f.dwGBitMask;
  pf->pfBlueMask = f.dwBBitMask;
  Channel(f.dwRBitMask, &pf->pfRedBits, &pf->pfRedShift);
  Channel(f.dwGBitMask, &pf->pfGreenBits, &pf->pfGreenShift);
  Channel(f.dwBBitMask, &pf->pfBlueBits, &pf->pfBlueShift);
}

std::uint32_t PackChannel(std::uint32_t value, std::uint32_t bits, std::uint32_t shift) {
  return bits == 0 || bits > 8 ? 0 : (value & 0xFF) >> (8 - bits) << shift;
}

}  // namespace

HRESULT ISGSurfaceDescribe(IDirectDrawSurface* surface, DDSURFACEDESC* desc) {
  HRESULT hr = DDERR_GENERIC;
  for (int attempt = 0; attempt < SG_FB_MAX_TRIES; ++attempt) {
    *desc = DDSURFACEDESC{};
    hr = surface->Lock(nullptr, desc, DDLOCK_WAIT, nullptr);
    if (hr == DD_OK) {
      surface->Unlock(desc->lpSurface);
      desc->lpSurface = nullptr;
      return DD_OK;
    }
    if (hr == DDERR_SURFACEBUSY) {
      // Locked by its owner: the description is all that is wanted, not the pixels.
      hr = surface->GetSurfaceDesc(desc);
      return hr;
    }
    if (hr == DDERR_SURFACELOST && surface->Restore() != DD_OK) {
      return hr;
    }
  }
  return hr;
}

SGError ISGFrameBufferTakeDescription(SGFrameBuffer* fb, const DDSURFACEDESC& desc) {
  SGDDInfo* ddi = fb->fbDDI;
  const DWORD caps = desc.ddsCaps.dwCaps;
  if (!(caps & DDSCAPS_VIDEOMEMORY)) {
    ddi->ddiFlags |= SG_DDI_SYSTEM_MEMORY;
  }
  if (caps & DDSCAPS_FLIP) {
    ddi->ddiFlags |= SG_DDI_FLIP;
  }
  if (!(caps & DDSCAPS_3DDEVICE)) {
    ISGFrameBufferLose3D(fb);
  }
  // Pixels of another depth than the options asked for would be written past
  // the rows the surface has.
  if (desc.ddpfPixelFormat.dwRGBBitCount != fb->fbBPP) {
    return SG_ERROR_UNSUPPORTED;
  }
  fb->fbWidth = desc.dwWidth;
  fb->fbHeight = desc.dwHeight;
  fb->fbPitch = desc.lPitch;
  if (fb->fbMode != SG_FB_MODE_IDX) {
    ISG_ASSERT(desc.dwFlags & DDSD_PIXELFORMAT, "fb");
    FormatFromMasks(&fb->fbPixelFormat, desc.ddpfPixelFormat);
    ISG_ASSERT(fb->fbPixelFormat.pfRedMask, "fb");
    ISG_ASSERT(fb->fbPixelFormat.pfGreenMask, "fb");
    ISG_ASSERT(fb->fbPixelFormat.pfBlueMask, "fb");
    fb->fbTexelFormat = fb->fbPixelFormat;
  }
  return SG_ERROR_NONE;
}

SGError ISGFrameBufferReadSystemColours(SGDDInfo* ddi) {
  HDC screen = GetDC(nullptr);
  if (ddi->ddiSysColours == nullptr) {
    ddi->ddiSysColours = static_cast<SGPalEntry*>(SGCalloc(256, sizeof(SGPalEntry)));
    if (ddi->ddiSysColours == nullptr) {
      ReleaseDC(nullptr, screen);
      return SG_ERROR_NO_MEMORY;
    }
  }
  PALETTEENTRY system[256];
  GetSystemPaletteEntries(screen, 0, 256, system);
  ReleaseDC(nullptr, screen);
  ISGFromPlatformEntries(system, ddi->ddiSysColours, 256);
  return SG_ERROR_NONE;
}

std::uint32_t ISGDesktopDepth() {
  HDC screen = GetDC(nullptr);
  const int depth = GetDeviceCaps(screen, PLANES) * GetDeviceCaps(screen, BITSPIXEL);
  ReleaseDC(nullptr, screen);
  return static_cast<std::uint32_t>(depth);
}

void ISGFrameBufferLose3D(SGFrameBuffer* fb) {
  fb->fbFlags |= SG_FB_FLAG_NO_3D;
  if (fb->fbMode == SG_FB_MODE_RGB) {
    fb->fbMode = SG_FB_MODE_QUASI_RGB;
  }
  fb->fbDDI->ddiMode = fb->fbMode;
}

SGError ISGFrameBufferReadCaps(SGFrameBuffer* fb, bool judge3D) {
  SGDDInfo* ddi = fb->fbDDI;
  DDCAPS driver;
  DDCAPS emulation;
  if (ddi->ddiDD->GetCaps(&driver, &emulation) != DD_OK) {
    return SG_ERROR_FB_DDRAW;
  }
  const DDCAPS& judged = (ddi->ddiFlags & SG_DDI_EMULATION_CAPS) ? emulation : driver;
  if (judge3D && (!(judged.dwCaps & DDCAPS_3D) || !(judged.ddsCaps.dwCaps & DDSCAPS_TEXTURE))) {
    ISGFrameBufferLose3D(fb);
  }
  if (driver.dwCaps2 & DDCAPS2_NONLOCALVIDMEM) {
    fb->fbFlags |= SG_FB_FLAG_NONLOCAL_VIDMEM;
  }
  if (!(driver.dwCaps2 & DDCAPS2_NOPAGELOCKREQUIRED)) {
    fb->fbFlags |= SG_FB_FLAG_PAGE_LOCK;
  }
  return SG_ERROR_NONE;
}

std::uint32_t ISGPackColour(const SGPixelFormat& pf, std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  return PackChannel(red, pf.pfRedBits, pf.pfRedShift) | PackChannel(green, pf.pfGreenBits, pf.pfGreenShift) |
         PackChannel(blue, pf.pfBlueBits, pf.pfBlueShift);
}

std::uint32_t ISGPackColourWord(const SGPixelFormat& pf, std::uint32_t colour) {
  return ISGPackColour(pf, colour >> 24, colour >> 16, colour >> 8);
}

bool ISGFrameBufferClipRect(const SGFrameBuffer* fb, std::int32_t x, std::int32_t y, std::int32_t width,
                            std::int32_t height, RECT* out) {
  const std::int64_t left = std::max<std::int64_t>(x, 0);
  const std::int64_t top = std::max<std::int64_t>(y, 0);
  const std::int64_t right = std::min<std::int64_t>(std::int64_t{x} + width, fb->fbWidth);
  const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{y} + height, fb->fbHeight);
  if (left >= right || top >= bottom) {
    return false;
  }
  *out = RECT{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right), static_cast<LONG>(bottom)};
  return true;
}

void ISGToPlatformEntries(const SGPalEntry* from, PALETTEENTRY* to, std::uint32_t count) {
  for (std::uint32_t i = 0; i < count; ++i) {
    to[i] = PALETTEENTRY{from[i].red, from[i].green, from[i].blue, from[i].spare};
  }
}

void ISGFromPlatformEntries(const PALETTEENTRY* from, SGPalEntry* to, std::uint32_t count) {
  for (std::uint32_t i = 0; i < count; ++i) {
    to[i] = SGPalEntry{from[i].peRed, from[i].peGreen, from[i].peBlue, from[i].peFlags};
  }
}
