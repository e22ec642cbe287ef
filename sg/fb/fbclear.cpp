// Clearing a region or the whole frame buffer to a colour.

#include <cstring>

#include "platform/d3d/d3d.h"
#include "sg/d3d/d3ddevice.h"
#include "sg/fb/fb_impl.h"
#include "sg/fb/fbclear.h"
#include "sg/fb/sgerr.h"
#include "sg/render/renderer.h"

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
    std::uint8_t* row = static_cast<std::uint8_t*>(fb->fbPixels) + static_cast<std::ptrdiff_t>(y) * fb->fbPitch;
    for (LONG x = r.left; x < r.right; ++x) {
      std::memcpy(row + static_cast<std::size_t>(x) * bytes, pixel, bytes);
    }
  }
  return SG_ERROR_NONE;
}

SGD3DDevice* DeviceOf(const SGFrameBuffer* fb) { return fb->fbRenderer != nullptr ? fb->fbRenderer->renD3D : nullptr; }

// Makes the device's background material the colour (red, green, blue in the
// top three bytes), reporting a failed step.
SGError SetBackground(SGFrameBuffer* fb, SGD3DDevice* d3d, std::uint32_t colour) {
  const float r = static_cast<float>((colour >> 24) & 0xFF) / 255.f;
  const float g = static_cast<float>((colour >> 16) & 0xFF) / 255.f;
  const float b = static_cast<float>((colour >> 8) & 0xFF) / 255.f;
  D3DMATERIAL m;
  m.diffuse = {r, g, b, 1.f};
  m.ambient = m.diffuse;
  m.dwRampSize = 1;
  HRESULT hr = d3d->d3dBackMaterial->dmiMaterial->SetMaterial(&m);
  if (hr != D3D_OK) {
    ISGErrorReportResult(fb, "setting material\n%s", hr);
    return SG_ERROR_FB_D3D_CLEAR;
  }
  hr = d3d->d3dViewport->SetBackground(d3d->d3dBackMaterial->dmiHandle);
  if (hr != D3D_OK) {
    ISGErrorReportResult(fb, "setting background\n%s", hr);
    return SG_ERROR_FB_D3D_CLEAR;
  }
  return SG_ERROR_NONE;
}

// The whole frame buffer covered by two triangles of the colour, its low byte
// as their opacity.
void DrawCover(SGFrameBuffer* fb, SGD3DDevice* d3d, std::uint32_t colour) {
  IDirect3DDevice2* dev = d3d->d3dDevice;
  const D3DCOLOR c = (colour & 0xFF) << 24 | colour >> 8;
  const float w = static_cast<float>(fb->fbWidth);
  const float h = static_cast<float>(fb->fbHeight);
  const D3DTLVERTEX v[6] = {{0, 0, 0, 1, c, 0xFF000000u, 0, 0}, {w, 0, 0, 1, c, 0xFF000000u, 0, 0},
                            {0, h, 0, 1, c, 0xFF000000u, 0, 0}, {w, 0, 0, 1, c, 0xFF000000u, 0, 0},
                            {w, h, 0, 1, c, 0xFF000000u, 0, 0}, {0, h, 0, 1, c, 0xFF000000u, 0, 0}};
  DWORD texture = 0;
  dev->GetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, &texture);
  dev->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, 0);
  dev->SetRenderState(D3DRENDERSTATE_MONOENABLE, 0);
  dev->DrawPrimitive(D3DPT_TRIANGLELIST, D3DVT_TLVERTEX, v, 3, D3DDP_DONOTCLIP | D3DDP_DONOTUPDATEEXTENTS);
  dev->DrawPrimitive(D3DPT_TRIANGLELIST, D3DVT_TLVERTEX, v + 3, 3, D3DDP_DONOTCLIP | D3DDP_DONOTUPDATEEXTENTS);
  dev->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, texture);
}

SGError ClearD3D(SGFrameBuffer* fb, SGD3DDevice* d3d, std::uint32_t colour) {
  ISGD3DFlush(d3d);
  SGError err = SG_ERROR_NONE;
  if ((colour & 0xFF) == 0) {
    SetBackground(fb, d3d, colour);
    const D3DRECT all{0, 0, static_cast<LONG>(fb->fbWidth), static_cast<LONG>(fb->fbHeight)};
    const HRESULT hr = d3d->d3dViewport->Clear(1, &all, D3DCLEAR_TARGET);
    if (hr != D3D_OK) {
      ISGErrorReportResult(fb, "clearing fb\n%s", hr);
      err = SG_ERROR_FB_D3D_CLEAR;
    }
  } else {
    DrawCover(fb, d3d, colour);
  }
  d3d->d3dDevice->SetRenderState(D3DRENDERSTATE_FLUSHBATCH, 0);
  return err;
}

}  // namespace

SGError ISGFrameBufferClearRegionD3D(SGFrameBuffer* fb, const RECT& r, std::uint32_t colour) {
  SGD3DDevice* d3d = DeviceOf(fb);
  // What was queued before the clear lies under it.
  ISGD3DFlush(d3d);
  if (const SGError err = SetBackground(fb, d3d, colour); err != SG_ERROR_NONE) {
    return err;
  }
  const D3DRECT rect{r.left, r.top, r.right, r.bottom};
  const HRESULT hr = d3d->d3dViewport->Clear(1, &rect, D3DCLEAR_TARGET);
  if (hr != D3D_OK) {
    ISGErrorReportResult(fb, "clearing region\n%s", hr);
    return SG_ERROR_FB_D3D_CLEAR;
  }
  d3d->d3dDevice->SetRenderState(D3DRENDERSTATE_FLUSHBATCH, 0);
  return SG_ERROR_NONE;
}

HRESULT ISGFrameBufferBlt(SGFrameBuffer* fb, IDirectDrawSurface* target, const RECT* dst, IDirectDrawSurface* src,
                          const RECT* srcRect, DWORD flags, const DDBLTFX* fx) {
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
  if (DeviceOf(fb) != nullptr) {
    return ISGFrameBufferClearRegionD3D(fb, r, colour);
  }
  if (fb->fbDDI != nullptr && fb->fbDDI->ddiBack != nullptr) {
    return ISGFrameBufferClearRegionDD(fb, r, colour);
  }
  return ISGFrameBufferClearRegionMem(fb, r, colour);
}

SGError SGFrameBufferClear(SGFrameBuffer* fb, std::uint32_t colour) {
  const RECT all{0, 0, static_cast<LONG>(fb->fbWidth), static_cast<LONG>(fb->fbHeight)};
  if (SGD3DDevice* d3d = DeviceOf(fb); d3d != nullptr) {
    return ClearD3D(fb, d3d, colour);
  }
  if (fb->fbDDI == nullptr || fb->fbDDI->ddiBack == nullptr) {
    return ClearMemory(fb, all, FillValue(fb, colour));
  }
  if (SGFrameBufferUnlock(fb) != SG_ERROR_NONE) {
    return SG_ERROR_FB_ACCESS;
  }
  DDBLTFX fx;
  fx.dwFillColor = FillValue(fb, colour);
  if (ISGFrameBufferBlt(fb, fb->fbDDI->ddiBack, nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx) ==
      DD_OK) {
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
