// Colour tables: the DirectDraw palette of an indexed frame buffer and the
// packed pixel table of a direct-colour one.

#include <algorithm>

#include "sg/core/context.h"
#include "sg/core/malloc.h"
#include "sg/fb/fb_impl.h"
#include "sg/fb/sgerr.h"
#include "sg/material/material.h"

using namespace plat;

namespace {

constexpr std::uint32_t kEntries = 256;
constexpr BYTE kChangeable = 0x01;
constexpr BYTE kFixed = 0x40;
// An indexed frame buffer in a window leaves the first and last ten system
// colours to the desktop.
constexpr std::uint32_t kFirstFree = 10;
constexpr std::uint32_t kEndFree = 246;

// Attaches the palette to the surface; a lost surface is restored and tried
// once more when `retryLost`.
HRESULT Attach(SGFrameBuffer* fb, IDirectDrawSurface* surface, bool retryLost) {
  HRESULT hr = surface->SetPalette(fb->fbDDI->ddiPalette);
  if (hr == DDERR_SURFACELOST && retryLost && ISGFrameBufferRestore(fb) == SG_ERROR_NONE) {
    hr = surface->SetPalette(fb->fbDDI->ddiPalette);
  }
  return hr;
}

HRESULT CreateDDPalette(SGFrameBuffer* fb, DWORD caps) {
  PALETTEENTRY entries[kEntries];
  ISGToPlatformEntries(fb->fbDDI->ddiSysColours, entries, kEntries);
  return fb->fbDDI->ddiDD->CreatePalette(caps, entries, &fb->fbDDI->ddiPalette, nullptr);
}

SGError InstallIndexed(SGFrameBuffer* fb, const SGPalEntry* colours, std::uint32_t count, std::uint32_t first,
                       std::uint32_t end) {
  SGDDInfo* ddi = fb->fbDDI;
  if (fb->fbColours == nullptr) {
    fb->fbColours = static_cast<SGPalEntry*>(SGCalloc(kEntries, sizeof(SGPalEntry)));
  }
  if (fb->fbPixelTable == nullptr) {
    fb->fbPixelTable = SGCalloc(kEntries, sizeof(SGPalEntry));
  }
  if (fb->fbColours == nullptr || fb->fbPixelTable == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  auto* table = static_cast<SGPalEntry*>(fb->fbPixelTable);
  // Entries a shorter table no longer names are black, not left from before.
  std::fill(fb->fbColours, fb->fbColours + kEntries, SGPalEntry{});
  std::fill(table, table + kEntries, SGPalEntry{});
  std::copy_n(colours, count, fb->fbColours);
  std::copy_n(colours, count, table);
  fb->fbColourCount = count;
  if (fb->fbContext != nullptr) {
    fb->fbContext->ctxPalette = table;
    fb->fbContext->ctxPaletteUsed = count;
  }
  const bool attach = !(fb->fbFlags & SG_FB_FLAG_USER_PALETTE);
  if (ddi == nullptr) {
    return SG_ERROR_NONE;
  }
  if (ddi->ddiPalette == nullptr) {
    if (const HRESULT hr = CreateDDPalette(fb, DDPCAPS_8BIT | DDPCAPS_INITIALIZE); hr != DD_OK) {
      ISGErrorReportResult(fb, "creating palette to install\n%s", hr);
      return SG_ERROR_FB_PALETTE;
    }
    for (IDirectDrawSurface* surface : {ddi->ddiFront, ddi->ddiBack}) {
      if (!attach || surface == nullptr) {
        continue;
      }
      if (const HRESULT hr = surface->SetPalette(ddi->ddiPalette); hr != DD_OK) {
        ISGErrorReportResult(fb, "setting palette to install\n%s", hr);
        return SG_ERROR_FB_PALETTE;
      }
    }
    return SG_ERROR_NONE;
  }
  if (!attach || first >= end) {
    return SG_ERROR_NONE;
  }
  PALETTEENTRY entries[kEntries];
  ISGToPlatformEntries(ddi->ddiSysColours, entries, kEntries);
  HRESULT entriesSet = ddi->ddiPalette->SetEntries(0, first, end - first, entries + first);
  const bool wasLost = entriesSet == DDERR_SURFACELOST;
  if (wasLost && ISGFrameBufferRestore(fb) == SG_ERROR_NONE) {
    entriesSet = ddi->ddiPalette->SetEntries(0, first, end - first, entries + first);
  }
  if (ddi->ddiFront != nullptr) {
    if (const HRESULT hr = Attach(fb, ddi->ddiFront, wasLost); hr != DD_OK) {
      ISGErrorReportResult(fb, "setting palette to install\n%s", hr);
      return SG_ERROR_FB_PALETTE;
    }
  }
  if (ddi->ddiBack != nullptr) {
    if (const HRESULT hr = ddi->ddiBack->SetPalette(ddi->ddiPalette); hr != DD_OK) {
      ISGErrorReportResult(fb, "setting palette to install\n%s", hr);
      return SG_ERROR_FB_PALETTE;
    }
  }
  if (entriesSet != DD_OK) {
    ISGErrorReportResult(fb, "setting palette entries\n%s", entriesSet);
    return SG_ERROR_FB_PALETTE;
  }
  return SG_ERROR_NONE;
}

template <class Pixel>
void PackTable(const SGPixelFormat& pf, const SGPalEntry* colours, std::uint32_t count, Pixel* table) {
  const auto darkest = static_cast<Pixel>((1u << pf.pfRedShift) | (1u << pf.pfGreenShift) | (1u << pf.pfBlueShift));
  for (std::uint32_t i = 1; i < count; ++i) {
    const auto pixel = static_cast<Pixel>(ISGPackColour(pf, colours[i].red, colours[i].green, colours[i].blue));
    // Pixel value 0 is reserved for colour 0, which the transparent fills skip.
    table[i] = pixel != 0 ? pixel : darkest;
  }
}

SGError InstallPacked(SGFrameBuffer* fb, const SGPalEntry* colours, std::uint32_t count) {
  std::size_t pixelSize = 0;
  if (fb->fbBPP == 16) {
    pixelSize = sizeof(std::uint16_t);
  } else if (fb->fbBPP == 24) {
    pixelSize = sizeof(std::uint32_t);
  } else {
    return SG_ERROR_UNSUPPORTED;
  }
  // Both tables are made before either replaces the old one; fills index them
  // with any 8-bit texel, so they always hold 256 entries.
  auto* newColours = static_cast<SGPalEntry*>(SGCalloc(kEntries, sizeof(SGPalEntry)));
  void* table = SGCalloc(kEntries, pixelSize);
  if (newColours == nullptr || table == nullptr) {
    SGFree(newColours);
    SGFree(table);
    return SG_ERROR_NO_MEMORY;
  }
  std::copy_n(colours, count, newColours);
  if (fb->fbBPP == 16) {
    PackTable(fb->fbPixelFormat, colours, count, static_cast<std::uint16_t*>(table));
  } else {
    PackTable(fb->fbPixelFormat, colours, count, static_cast<std::uint32_t*>(table));
  }
  SGFree(fb->fbColours);
  SGFree(fb->fbPixelTable);
  fb->fbColours = newColours;
  fb->fbPixelTable = table;
  fb->fbColourCount = count;
  return SG_ERROR_NONE;
}

}  // namespace

SGError SGFrameBufferInstallPalette(SGFrameBuffer* fb, const SGPalEntry* colours, std::uint32_t count) {
  if (count > kEntries) {
    return SG_ERROR_UNSUPPORTED;
  }
  std::uint32_t first = 0;
  std::uint32_t end = kEntries;
  if (fb->fbMode == SG_FB_MODE_IDX && (fb->fbFlags & SG_FB_FLAG_WINDOWED)) {
    first = kFirstFree;
    end = kEndFree;
  }
  end = std::min(end, count);
  // A frame buffer over plain memory has no device colours to keep.
  if (SGDDInfo* ddi = fb->fbDDI; ddi != nullptr) {
    if (const SGError err = ISGFrameBufferReadSystemColours(ddi); err != SG_ERROR_NONE) {
      return err;
    }
    if (!(fb->fbFlags & SG_FB_FLAG_NO_3D)) {
      for (std::uint32_t i = 0; i < kEntries; ++i) {
        ddi->ddiSysColours[i].spare = kFixed;
      }
    }
    for (std::uint32_t i = first; i < end; ++i) {
      ddi->ddiSysColours[i].red = colours[i].red;
      ddi->ddiSysColours[i].green = colours[i].green;
      ddi->ddiSysColours[i].blue = colours[i].blue;
    }
  }
  if (fb->fbMode == SG_FB_MODE_IDX) {
    return InstallIndexed(fb, colours, count, first, end);
  }
  return InstallPacked(fb, colours, count);
}

SGError ISGFrameBufferCreatePalette(SGFrameBuffer* fb) {
  SGDDInfo* ddi = fb->fbDDI;
  const bool allocated = ddi->ddiSysColours == nullptr;
  if (const SGError err = ISGFrameBufferReadSystemColours(ddi); err != SG_ERROR_NONE) {
    return err;
  }
  const bool windowed = (fb->fbFlags & SG_FB_FLAG_WINDOWED) != 0;
  const std::uint32_t first = windowed ? kFirstFree : 1;
  const std::uint32_t end = windowed ? kEndFree : kEntries - 1;
  for (std::uint32_t i = 0; i < kEntries; ++i) {
    ddi->ddiSysColours[i].spare = i >= first && i < end ? kChangeable : kFixed;
  }
  const DWORD caps = fb->fbBPP <= 8 ? DDPCAPS_8BIT | DDPCAPS_INITIALIZE : DDPCAPS_INITIALIZE;
  if (const HRESULT hr = CreateDDPalette(fb, caps); hr != DD_OK) {
    ISGErrorReportResult(fb, "creating palette\n%s", hr);
    if (allocated) {
      SGFree(ddi->ddiSysColours);
      ddi->ddiSysColours = nullptr;
    }
    return SG_ERROR_FB_PALETTE;
  }
  if (!(fb->fbFlags & SG_FB_FLAG_USER_PALETTE)) {
    for (IDirectDrawSurface* surface : {ddi->ddiFront, ddi->ddiBack}) {
      if (surface == nullptr) {
        continue;
      }
      if (const HRESULT hr = Attach(fb, surface, surface == ddi->ddiFront); hr != DD_OK) {
        ISGErrorReportResult(fb, "setting palette\n%s", hr);
        return SG_ERROR_FB_PALETTE;
      }
    }
  }
  return SG_ERROR_NONE;
}
