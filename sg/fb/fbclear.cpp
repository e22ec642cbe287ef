// Clearing a region or the whole frame buffer to a colour.

#include <cstring>

#include "sg/fb/fb_impl.h"
#include "sg/fb/fbclear.h"
#include "sg/fb/sgerr.h"

using namespace plat;

std::uint32_t g_sgClearNoTearing = 1;

namespace {

// The pixel value a colour word clears to.
std::uint32_t FillValue(const SGFrameBuffer* fb, std::uint32_t colour) {
  return fb->fbMode == SG_FB_MODE_QUASI_RGB ? ISGPackColourWord(fb->fbPixelFormat, colour) : colour & 0xFF;
}

// Writes whole pixels of the frame buffer's depth into the locked memory.
SGError ClearMemory(SGFrameBuffer* fb, const RECT& r, std::uint32_t value) {
  if (fb->fbPixels == nullptr) {
    return SG_ERROR_NONE;
  }
  const std::size_t bytes = fb->fbBPP / 8;
  if (bytes == 0 || bytes > 4) {
    return SG_ERROR_UNSUPPORTED;
  }
  std::uint8_t pixel[4];
  for (std::size_t i = 0; i < bytes; ++i) {
    pixel[i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
  for (LONG y = r.top; y < r.bottom; ++y) {
    std::uint8_t* row =
        static_cast<std::uint8_t*>(fb->fbPixels) + static_cast<std::ptrdiff_t>(y) * fb->fbPitch;
    for (LONG x = r.left; x < r.right; ++x) {
      std::memcpy(row + static_cast<std::size_t>(x) * bytes, pixel, bytes);
    }
  }
  return SG_ERROR_NONE;
}

}  // namespace

HRESULT ISGFrameBufferBlt(SGFrameBuffer* fb, IDirectDrawSurface* target, const RECT* dst,
                          IDirectDrawSurface* src, const RECT* srcRect, DWORD flags, const DDBLTFX* fx) {
  HRESULT hr = DDERR_WASSTILLDRAWING;
  for (int attempt = 0; attempt < SG_FB_MAX_TRIES; ++attempt) {
    hr = target->Blt(dst, src, srcRect, flags, fx);
    const bool targetLost = hr == DDERR_SURFACELOST && target->IsLost() == DDERR_SURFACELOST;
    if (targetLost && target == fb->fbDDI->ddiBack) {
      if (ISGFrameBufferRestore(fb) != SG_ERROR_NONE) {
        return hr;
      }
    } else if (hr != DDERR_WASSTILLDRAWING) {
      return hr;
    }
  }
  return hr;
}

SGError ISGFrameBufferClearRegionDD(SGFrameBuffer* fb, const RECT& r, std::uint32_t colour) {
  if (SGFrameBufferUnlock(fb) != SG_ERROR_NONE) {
    return SG_ERROR_FB_ACCESS;
  }
  IDirectDrawSurface* back = fb->fbDDI->ddiBack;
  DDBLTFX fx;
  fx.dwFillColor = FillValue(fb, colour);
  HRESULT hr = DD_OK;
  if (g_sgClearNoTearing) {
    fx.dwDDFX = DDBLTFX_NOTEARING;
    hr = ISGFrameBufferBlt(fb, back, &r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_DDFX | DDBLT_WAIT, &fx);
    if (hr != DD_OK) {
      g_sgClearNoTearing = 0;
    }
  }
  if (!g_sgClearNoTearing) {
    fx.dwDDFX = 0;
    hr = ISGFrameBufferBlt(fb, back, &r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
  }
  if (hr != DD_OK) {
    ISGErrorReportResult(fb, "blitting to clear region\n%s", hr);
  }
  return SG_ERROR_NONE;
}

SGError ISGFrameBufferClearRegionMem(SGFrameBuffer* fb, const RECT& r, std::uint32_t colour) {
  return ClearMemory(fb, r, FillValue(fb, colour));
}

SGError SGFrameBufferClearRegion(SGFrameBuffer* fb, std::int32_t x, std::int32_t y, std::int32_t width,
                                 std::int32_t height, std::uint32_t colour) {
  RECT r;
  if (!ISGFrameBufferClipRect(fb, x, y, width, height, &r)) {
    return SG_ERROR_NONE;
  }
  if (fb->fbDDI != nullptr && fb->fbDDI->ddiBack != nullptr) {
    return ISGFrameBufferClearRegionDD(fb, r, colour);
  }
  return ISGFrameBufferClearRegionMem(fb, r, colour);
}

SGError SGFrameBufferClear(SGFrameBuffer* fb, std::uint32_t colour) {
  const RECT all{0, 0, static_cast<LONG>(fb->fbWidth), static_cast<LONG>(fb->fbHeight)};
  if (fb->fbDDI == nullptr || fb->fbDDI->ddiBack == nullptr) {
    return ClearMemory(fb, all, FillValue(fb, colour));
  }
  if (SGFrameBufferUnlock(fb) != SG_ERROR_NONE) {
    return SG_ERROR_FB_ACCESS;
  }
  DDBLTFX fx;
  fx.dwFillColor = FillValue(fb, colour);
  if (ISGFrameBufferBlt(fb, fb->fbDDI->ddiBack, nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT,
                        &fx) == DD_OK) {
    return SG_ERROR_NONE;
  }
  // The fill failed: at least leave no stale picture behind.
  void* pixels = nullptr;
  if (SGFrameBufferLock(fb, &pixels) == SG_ERROR_NONE) {
    for (std::uint32_t y = 0; y < fb->fbHeight; ++y) {
      std::memset(static_cast<std::uint8_t*>(pixels) + static_cast<std::ptrdiff_t>(y) * fb->fbPitch, 0,
                  static_cast<std::size_t>(fb->fbPitch));
    }
    SGFrameBufferUnlock(fb);
  }
  return SG_ERROR_FB_ACCESS;
}
