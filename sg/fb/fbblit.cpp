// Blitting texture maps and DirectDraw surfaces into the frame buffer.

#include <algorithm>
#include <cstring>

#include "sg/core/context.h"
#include "sg/core/malloc.h"
#include "sg/fb/fb_impl.h"
#include "sg/fb/fbclear.h"
#include "sg/fb/sgerr.h"
#include "sg/fb/texddinfo.h"
#include "sg/material/material.h"

using namespace plat;

namespace {

constexpr std::uint32_t kBlitKeyed = 0x1;

// The colour table a texture's indices go through, or null in the indexed mode
// (the indices are the pixels) and when there is none.
SGError ColourTable(SGFrameBuffer* fb, SGTextureMap* txm, const void** table) {
  *table = nullptr;
  if (fb->fbMode == SG_FB_MODE_IDX) {
    return SG_ERROR_NONE;
  }
  SGTexturePalette* pal = txm->txmInfo->tpiPal;
  if (pal != nullptr && pal->tpMapped == nullptr) {
    SGContext* ctx = fb->fbContext;
    if (ctx == nullptr || ctx->ctxDDI == nullptr) {
      return SG_ERROR_NO_LUT;
    }
    if (const SGError err = ISGContextMapPalette(ctx, txm); err != SG_ERROR_NONE) {
      return err;
    }
  }
  *table = pal != nullptr ? pal->tpMapped : fb->fbPixelTable;
  return *table != nullptr ? SG_ERROR_NONE : SG_ERROR_NO_LUT;
}

// Converts the texels into the locked surface, row by row.
SGError Convert(const SGFrameBuffer* fb, const SGTextureMap* txm, const void* table, const DDSURFACEDESC& desc) {
  const std::uint32_t width = txm->txmSize.u[0];
  const std::uint8_t* texels = txm->txmInfo->tpiTexels;
  for (std::uint32_t y = 0; y < txm->txmSize.u[1]; ++y) {
    const std::uint8_t* in = texels + static_cast<std::size_t>(y) * txm->txmPitch;
    auto* out = static_cast<std::uint8_t*>(desc.lpSurface) + static_cast<std::ptrdiff_t>(y) * desc.lPitch;
    if (fb->fbMode == SG_FB_MODE_IDX) {
      std::memcpy(out, in, width);
    } else if (fb->fbBPP == 16) {
      const auto* colours = static_cast<const std::uint16_t*>(table);
      for (std::uint32_t x = 0; x < width; ++x) {
        std::memcpy(out + 2 * x, &colours[in[x]], 2);
      }
    } else if (fb->fbBPP == 24) {
      const auto* colours = static_cast<const std::uint32_t*>(table);
      for (std::uint32_t x = 0; x < width; ++x) {
        std::memcpy(out + 3 * x, &colours[in[x]], 3);
      }
    } else {
      return SG_ERROR_UNSUPPORTED;
    }
  }
  return SG_ERROR_NONE;
}

// Locks the texture's surface (a bounded number of tries) and converts into it.
SGError Fill(SGFrameBuffer* fb, SGTextureMap* txm, IDirectDrawSurface* surface) {
  const void* table = nullptr;
  if (const SGError err = ColourTable(fb, txm, &table); err != SG_ERROR_NONE) {
    return err;
  }
  DDSURFACEDESC desc;
  HRESULT hr = DDERR_GENERIC;
  for (int attempt = 0; attempt < SG_FB_MAX_TRIES && hr != DD_OK; ++attempt) {
    hr = surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
    if (hr == DDERR_SURFACELOST) {
      surface->Restore();
    }
  }
  if (hr != DD_OK) {
    return SG_ERROR_FB_ACCESS;
  }
  const SGError err = Convert(fb, txm, table, desc);
  surface->Unlock(desc.lpSurface);
  return err;
}

SGError ISGFrameBufferMakeBlitSurface(SGFrameBuffer* fb, SGTextureMap* txm) {
  SGTextureInfo* tpi = txm->txmInfo;
  if (tpi->tpiDDInfo != nullptr) {
    return SG_ERROR_NONE;
  }
  if (tpi->tpiTexels == nullptr || txm->txmPitch < txm->txmSize.u[0] || txm->txmSize.u[0] == 0 ||
      txm->txmSize.u[1] == 0) {
    return SG_ERROR_UNSUPPORTED;
  }
  auto* tdi = static_cast<SGTexDDInfo*>(SGCalloc(1, sizeof(SGTexDDInfo)));
  if (tdi == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  DDSURFACEDESC desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  desc.dwWidth = txm->txmSize.u[0];
  desc.dwHeight = txm->txmSize.u[1];
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  if (!(fb->fbFlags & SG_FB_FLAG_NO_3D)) {
    desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
  }
  // The same pixels as the frame buffer's, so the blit only copies.
  desc.ddpfPixelFormat.dwFlags = DDPF_RGB;
  desc.ddpfPixelFormat.dwRGBBitCount = fb->fbBPP;
  if (fb->fbMode == SG_FB_MODE_IDX) {
    desc.ddpfPixelFormat.dwFlags |= DDPF_PALETTEINDEXED8;
  } else {
    desc.ddpfPixelFormat.dwRBitMask = fb->fbPixelFormat.pfRedMask;
    desc.ddpfPixelFormat.dwGBitMask = fb->fbPixelFormat.pfGreenMask;
    desc.ddpfPixelFormat.dwBBitMask = fb->fbPixelFormat.pfBlueMask;
  }
  if (const HRESULT hr = fb->fbDDI->ddiDD->CreateSurface(&desc, &tdi->tdiSurface, nullptr); hr != DD_OK) {
    ISGErrorReportResult(fb, "creating blit surface\n%s", hr);
    SGFree(tdi);
    return SG_ERROR_FB_BLIT_SURFACE;
  }
  if (const SGError err = Fill(fb, txm, tdi->tdiSurface); err != SG_ERROR_NONE) {
    tdi->tdiSurface->Release();
    SGFree(tdi);
    return err;
  }
  const DDCOLORKEY black;
  tdi->tdiSurface->SetColorKey(DDCKEY_SRCBLT, &black);
  tpi->tpiDDInfo = tdi;
  return SG_ERROR_NONE;
}

// Clips the destination to the frame buffer and pulls the source in by the
// same share of its size; false when nothing is left to draw.
bool ClipBlit(const SGFrameBuffer* fb, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
              std::uint32_t srcWidth, std::uint32_t srcHeight, RECT* dst, RECT* src) {
  if (width <= 0 || height <= 0) {
    return false;
  }
  const std::int64_t left = x;
  const std::int64_t top = y;
  const std::int64_t right = left + width;
  const std::int64_t bottom = top + height;
  const std::int64_t clipLeft = std::max<std::int64_t>(left, 0);
  const std::int64_t clipTop = std::max<std::int64_t>(top, 0);
  const std::int64_t clipRight = std::min<std::int64_t>(right, fb->fbWidth);
  const std::int64_t clipBottom = std::min<std::int64_t>(bottom, fb->fbHeight);
  if (clipLeft >= clipRight || clipTop >= clipBottom) {
    return false;
  }
  auto scale = [](std::int64_t v, std::uint32_t to, std::int32_t from) { return v * to / from; };
  *dst = RECT{static_cast<LONG>(clipLeft), static_cast<LONG>(clipTop), static_cast<LONG>(clipRight),
              static_cast<LONG>(clipBottom)};
  *src = RECT{static_cast<LONG>(scale(clipLeft - left, srcWidth, width)),
              static_cast<LONG>(scale(clipTop - top, srcHeight, height)),
              static_cast<LONG>(srcWidth - scale(right - clipRight, srcWidth, width)),
              static_cast<LONG>(srcHeight - scale(bottom - clipBottom, srcHeight, height))};
  return src->left < src->right && src->top < src->bottom;
}

// Unlocks the frame buffer, brings a lost source back and blits.
SGError BlitFrom(SGFrameBuffer* fb, IDirectDrawSurface* source, const RECT& dst, const RECT& src, bool keyed,
                 const char* report, SGTextureMap* refill) {
  if (const SGError err = SGFrameBufferUnlock(fb); err != SG_ERROR_NONE) {
    return err;
  }
  if (source->IsLost() == DDERR_SURFACELOST) {
    if (const HRESULT hr = source->Restore(); hr != DD_OK) {
      ISGErrorReportResult(fb, "restoring surface to blit\n%s", hr);
      return SG_ERROR_FB_ACCESS;
    }
    // A restored surface comes back blank: convert the texels again.
    if (refill != nullptr) {
      if (const SGError err = Fill(fb, refill, source); err != SG_ERROR_NONE) {
        return err;
      }
    }
  }
  const HRESULT hr =
      ISGFrameBufferBlt(fb, fb->fbDDI->ddiBack, &dst, source, &src, DDBLT_WAIT | (keyed ? DDBLT_KEYSRC : 0), nullptr);
  if (hr != DD_OK) {
    ISGErrorReportResult(fb, report, hr);
    return SG_ERROR_FB_ACCESS;
  }
  return SG_ERROR_NONE;
}

}  // namespace

SGError SGFrameBufferBlitTextureRegion(SGFrameBuffer* fb, std::int32_t x, std::int32_t y, std::int32_t width,
                                       std::int32_t height, SGTextureMap* txm) {
  if (txm->txmFormat & SG_TXM_NO_DRAW) {
    return SG_ERROR_NONE;
  }
  if (fb->fbDDI == nullptr || fb->fbDDI->ddiBack == nullptr) {
    return SG_ERROR_FB_ACCESS;  // nothing to blit into
  }
  if (const SGError err = ISGFrameBufferMakeBlitSurface(fb, txm); err != SG_ERROR_NONE) {
    return err;
  }
  RECT dst;
  RECT src;
  if (!ClipBlit(fb, x, y, width, height, txm->txmSize.u[0], txm->txmSize.u[1], &dst, &src)) {
    return SG_ERROR_NONE;
  }
  return BlitFrom(fb, txm->txmInfo->tpiDDInfo->tdiSurface, dst, src, (txm->txmFormat & SG_TXM_KEYED) != 0,
                  "Bltting region\n%s", txm);
}

SGError SGFrameBufferBlitSurface(SGFrameBuffer* fb, std::int32_t x, std::int32_t y, std::int32_t width,
                                 std::int32_t height, IDirectDrawSurface* surface, std::uint32_t flags) {
  if (fb->fbDDI == nullptr || fb->fbDDI->ddiBack == nullptr) {
    return SG_ERROR_FB_ACCESS;
  }
  DDSURFACEDESC desc;
  HRESULT hr = surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
  if (hr != DD_OK) {
    surface->Restore();
    hr = surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
  }
  if (hr != DD_OK) {
    return SG_ERROR_FB_ACCESS;
  }
  surface->Unlock(desc.lpSurface);
  RECT dst;
  RECT src;
  if (!ClipBlit(fb, x, y, width, height, desc.dwWidth, desc.dwHeight, &dst, &src)) {
    return SG_ERROR_NONE;
  }
  return BlitFrom(fb, surface, dst, src, (flags & kBlitKeyed) != 0, "Bltting surface\n%s", nullptr);
}

SGError ISGFrameBufferCreateSurfacePalette(SGFrameBuffer* fb, SGTexDDInfo* tdi) {
  PALETTEENTRY entries[256];
  ISGToPlatformEntries(fb->fbDDI->ddiSysColours, entries, 256);
  HRESULT hr = fb->fbDDI->ddiDD->CreatePalette(DDPCAPS_8BIT | DDPCAPS_INITIALIZE | DDPCAPS_ALLOW256, entries,
                                               &tdi->tdiPalette, nullptr);
  if (hr != DD_OK) {
    ISGErrorReportResult(fb, "creating surface palette\n%s", hr);
    return SG_ERROR_FB_BLIT_SURFACE;
  }
  if (hr = tdi->tdiSurface->SetPalette(tdi->tdiPalette); hr != DD_OK) {
    ISGErrorReportResult(fb, "setting surface palette\n%s", hr);
    return SG_ERROR_FB_BLIT_SURFACE;
  }
  return SG_ERROR_NONE;
}

SGError ISGFrameBufferReleaseBlitSurface(SGTextureMap* txm) {
  SGTexDDInfo* tdi = txm->txmInfo->tpiDDInfo;
  if (tdi == nullptr) {
    return SG_ERROR_NONE;
  }
  if (tdi->tdiPalette != nullptr) {
    tdi->tdiPalette->Release();
  }
  if (tdi->tdiSurface != nullptr) {
    tdi->tdiSurface->Release();
  }
  SGFree(tdi);
  txm->txmInfo->tpiDDInfo = nullptr;
  return SG_ERROR_NONE;
}
