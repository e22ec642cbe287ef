// Textures and materials on the Direct3D device: the system copy in the
// device texel format, the working set resident in video memory, and the
// device's materials.

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/d3d/d3d.h"
#include "sg/core/context.h"
#include "sg/core/malloc.h"
#include "sg/core/releasefield.h"
#include "sg/core/sgassert.h"
#include "sg/core/sglist.h"
#include "sg/d3d/d3ddevice.h"
#include "sg/fb/framebuffer.h"
#include "sg/fb/texddinfo.h"
#include "sg/material/material.h"
#include "sg/raster/ddinfo.h"
#include "sg/render/renderer.h"

using namespace plat;

namespace {

// Consecutive failures to make a texture resident; the tenth gives up.
std::uint32_t g_textureFailures = 0;
constexpr std::uint32_t kMaxTextureFailures = 10;
constexpr int kMaxLockTries = 8;
constexpr std::uint32_t kPageLocked = 0x1000000;
constexpr std::uint32_t kNonLocal = 0x400000;
constexpr std::uint32_t kLocal = 0x800000;

SGTexDDInfo* InfoOf(const SGTextureMap* txm) { return txm->txmInfo != nullptr ? txm->txmInfo->tpiDDInfo : nullptr; }

bool Excluded(const SGTextureMap* txm) { return (txm->txmFormat & SG_TXM_NO_DRAW) != 0; }

std::uint32_t Format(const SGTextureMap* txm) { return txm->txmFormat & SG_TXM_FORMAT_MASK; }

bool Indexed(std::uint32_t f) {
  return f == SG_TXM_FORMAT_IDX8 || f == SG_TXM_FORMAT_IDX8_ALPHA || f == SG_TXM_FORMAT_IDX8_B ||
         f == SG_TXM_FORMAT_PAL8 || f == SG_TXM_FORMAT_PAL8_B || f == SG_TXM_FORMAT_IDX8_KEYED ||
         f == SG_TXM_FORMAT_PAL8_KEYED;
}

// Index 0 (or black) is transparent. This device offers no 4444 format, so an
// index-and-alpha texture is drawn keyed as well.
bool Keyed(const SGTextureMap* txm) {
  const std::uint32_t f = Format(txm);
  return f == SG_TXM_FORMAT_IDX8_KEYED || f == SG_TXM_FORMAT_PAL8_KEYED || f == SG_TXM_FORMAT_IDX8_ALPHA ||
         (txm->txmFormat & SG_TXM_KEYED) != 0;
}

// The reduction step that brings the texture inside the device's limit.
std::uint32_t Step(const SGD3DDevice* d3d, const SGTextureMap* txm) {
  const std::uint32_t w = txm->txmSize.u[0];
  const std::uint32_t h = txm->txmSize.u[1];
  if (d3d->d3dMaxTexWidth == 0 || d3d->d3dMaxTexHeight == 0 ||
      (w <= d3d->d3dMaxTexWidth && h <= d3d->d3dMaxTexHeight)) {
    return 1;
  }
  return std::max({w / d3d->d3dMaxTexWidth, h / d3d->d3dMaxTexHeight, 1u});
}

DDSURFACEDESC TextureDesc(const SGD3DDevice* d3d, const SGTextureMap* txm, DWORD caps) {
  DDSURFACEDESC desc = *d3d->d3dTexelDesc;
  desc.dwSize = sizeof(DDSURFACEDESC);
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
  desc.ddsCaps.dwCaps = caps;
  const std::uint32_t step = Step(d3d, txm);
  desc.dwWidth = txm->txmSize.u[0] / step;
  desc.dwHeight = txm->txmSize.u[1] / step;
  return desc;
}

void ReleaseInfo(SGTexDDInfo* tdi) {
  ISGReleaseField(tdi->tdiVidTexture);
  ISGReleaseField(tdi->tdiVidSurface);
  ISGReleaseField(tdi->tdiTexture);
  ISGReleaseField(tdi->tdiSurface);
  ISGReleaseField(tdi->tdiPalette);
  SGFree(tdi);
}

HRESULT LockSurface(IDirectDrawSurface* surface, DDSURFACEDESC* desc) {
  HRESULT hr = DDERR_GENERIC;
  for (int i = 0; i < kMaxLockTries && hr != DD_OK; ++i) {
    hr = surface->Lock(nullptr, desc, DDLOCK_WAIT, nullptr);
  }
  return hr;
}

// The node's back link updates the device's list head, so no device (nor
// txmContext) is needed to let a resident texture go.
void Unload(SGTextureMap* txm) {
  SGTexDDInfo* tdi = InfoOf(txm);
  ISG_ASSERT(tdi->tdiTimeStamp, "sgd3d");
  ISG_ASSERT(tdi->tdiLoaded, "sgd3d");
  if ((txm->txmFormat & kPageLocked) != 0) {
    tdi->tdiSurface->PageUnlock(0);
    txm->txmFormat &= ~kPageLocked;
  }
  ISGReleaseField(tdi->tdiVidTexture);
  ISGReleaseField(tdi->tdiVidSurface);
  tdi->tdiHandle = 0;
  tdi->tdiTimeStamp = 0;
  SGListRemove(tdi->tdiLoaded, tdi->tdiLoaded);
  tdi->tdiLoaded = nullptr;
}

// One try at making the texture resident: 0, or the failed call's result.
HRESULT TryLoad(SGRenderer* rend, SGTextureMap* txm, SGTexDDInfo* tdi) {
  SGD3DDevice* d3d = rend->renD3D;
  const SGFrameBuffer* fb = rend->renFrameBuffer;
  DWORD caps = DDSCAPS_TEXTURE | DDSCAPS_VIDEOMEMORY | DDSCAPS_ALLOCONLOAD;
  if ((fb->fbFlags & SG_FB_FLAG_NONLOCAL_VIDMEM) != 0) {
    if ((txm->txmFormat & kNonLocal) != 0) {
      caps |= DDSCAPS_NONLOCALVIDMEM;
    } else if ((txm->txmFormat & kLocal) != 0) {
      caps |= DDSCAPS_LOCALVIDMEM;
    }
  }
  DDSURFACEDESC desc = TextureDesc(d3d, txm, caps);
  if (Keyed(txm)) {
    desc.dwFlags |= DDSD_CKSRCBLT;
    desc.ddckCKSrcBlt = DDCOLORKEY{};
  }
  HRESULT hr = rend->renContext->ctxDDI->ddiDD->CreateSurface(&desc, &tdi->tdiVidSurface, nullptr);
  if (hr != DD_OK) {
    return hr;
  }
  void* iface = nullptr;
  hr = tdi->tdiVidSurface->QueryInterface(IID_IDirect3DTexture2, &iface);
  if (hr != DD_OK) {
    return hr;
  }
  tdi->tdiVidTexture = static_cast<IDirect3DTexture2*>(iface);
  if ((fb->fbFlags & SG_FB_FLAG_PAGE_LOCK) != 0 && (txm->txmFormat & kPageLocked) == 0) {
    hr = tdi->tdiSurface->PageLock(0);
    if (hr != DD_OK) {
      return hr;
    }
    txm->txmFormat |= kPageLocked;
  }
  hr = tdi->tdiVidTexture->Load(tdi->tdiTexture);
  if (hr != D3D_OK) {
    return hr;
  }
  return tdi->tdiVidTexture->GetHandle(d3d->d3dDevice, &tdi->tdiHandle);
}

}  // namespace

SGError ISGD3DConvertTexels16(SGContext* ctx, const SGTextureMap* txm, std::uint8_t* dest, std::int32_t pitch,
                              std::uint32_t step) {
  ISG_ASSERT(ctx->ctxDDI->ddiBPP == 16, "sgd3d");
  if (dest == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  const std::uint32_t f = Format(txm);
  const bool direct = f == SG_TXM_FORMAT_RGBA32;
  if (!direct && !Indexed(f)) {
    return SG_ERROR_UNSUPPORTED;
  }
  const std::uint32_t width = txm->txmSize.u[0];
  const std::uint32_t height = txm->txmSize.u[1];
  const std::uint32_t texelBytes = direct ? 4 : f == SG_TXM_FORMAT_IDX8_ALPHA ? 2 : 1;
  const std::uint8_t* texels = txm->txmInfo != nullptr ? txm->txmInfo->tpiTexels : nullptr;
  // Rows are read at the texture's own pitch, which may be wider than its texels.
  if (texels == nullptr || step == 0 || static_cast<std::uint64_t>(txm->txmPitch) < std::uint64_t{width} * texelBytes) {
    return SG_ERROR_UNSUPPORTED;
  }
  // The palette's own colours, entries past its count black. The palette's
  // mapped table is the software fills' (pixel values): the device keeps no
  // table of its own there, so neither back end reads the other's.
  std::array<SGPalEntry, 256> paletteColours{};
  const SGPalEntry* colours = nullptr;
  if (!direct) {
    const SGTexturePalette* pal = txm->txmInfo->tpiPal;
    if (pal != nullptr) {
      if (pal->tpColours != nullptr) {
        std::copy_n(pal->tpColours, std::min<std::uint32_t>(pal->tpNumColours, 256), paletteColours.begin());
      }
      colours = paletteColours.data();
    } else {
      colours = ctx->ctxDDI->ddiSysColours;
    }
    if (colours == nullptr) {
      return SG_ERROR_UNSUPPORTED;
    }
  }
  const SGPixelFormat& tf = *ctx->ctxDDI->ddiTexelFormat;
  const auto pack = [&tf](std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return static_cast<std::uint16_t>(((r >> (8 - tf.pfRedBits)) << tf.pfRedShift) |
                                      ((g >> (8 - tf.pfGreenBits)) << tf.pfGreenShift) |
                                      ((b >> (8 - tf.pfBlueBits)) << tf.pfBlueShift));
  };
  const std::uint16_t opaque =
      static_cast<std::uint16_t>((1u << (tf.pfRedShift + tf.pfGreenShift + tf.pfBlueShift)) & 0xFFFF);
  const bool keyed = Keyed(txm);
  for (std::uint32_t y = 0; y < height / step; ++y) {
    const std::uint8_t* row = texels + static_cast<std::size_t>(y) * step * txm->txmPitch;
    auto* out = reinterpret_cast<std::uint16_t*>(dest + static_cast<std::ptrdiff_t>(y) * pitch);
    for (std::uint32_t x = 0; x < width / step; ++x) {
      const std::uint8_t* t = row + static_cast<std::size_t>(x) * step * texelBytes;
      std::uint16_t v;
      if (direct) {
        v = pack(t[0], t[1], t[2]);
        if (keyed && v == 0 && (t[0] | t[1] | t[2]) != 0) {
          v = 1;
        }
      } else if (keyed && t[0] == 0) {
        v = 0;  // only index 0 carries the key colour
      } else {
        // Entry 0 keeps its own colour: the table is the palette's, shared by
        // textures that are not keyed.
        const SGPalEntry& c = colours[t[0]];
        v = static_cast<std::uint16_t>(pack(c.red, c.green, c.blue) | opaque);
        if (keyed && v == 0) {
          v = 1;
        }
      }
      std::memcpy(out + x, &v, sizeof v);
    }
  }
  return SG_ERROR_NONE;
}

SGError ISGD3DCreateTexture16(SGContext* ctx, SGTextureMap* txm) {
  if (Excluded(txm) || txm->txmInfo == nullptr || InfoOf(txm) != nullptr) {
    return SG_ERROR_NONE;
  }
  SGD3DDevice* d3d = ctx->ctxD3D;
  if (d3d == nullptr || d3d->d3dTexelDesc == nullptr) {
    return SG_ERROR_D3D_SURFACE;
  }
  auto* tdi = static_cast<SGTexDDInfo*>(SGCalloc(1, sizeof(SGTexDDInfo)));
  if (tdi == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  DDSURFACEDESC desc = TextureDesc(d3d, txm, DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY);
  if (desc.dwWidth == 0 || desc.dwHeight == 0 ||
      ctx->ctxDDI->ddiDD->CreateSurface(&desc, &tdi->tdiSurface, nullptr) != DD_OK) {
    ReleaseInfo(tdi);
    return SG_ERROR_D3D_SURFACE;
  }
  DDSURFACEDESC locked;
  if (LockSurface(tdi->tdiSurface, &locked) != DD_OK) {
    ReleaseInfo(tdi);
    return SG_ERROR_D3D_SURFACE;
  }
  const SGError err =
      ISGD3DConvertTexels16(ctx, txm, static_cast<std::uint8_t*>(locked.lpSurface), locked.lPitch, Step(d3d, txm));
  tdi->tdiSurface->Unlock(nullptr);
  if (err != SG_ERROR_NONE) {
    ReleaseInfo(tdi);
    return err;
  }
  void* iface = nullptr;
  if (tdi->tdiSurface->QueryInterface(IID_IDirect3DTexture2, &iface) != DD_OK) {
    ReleaseInfo(tdi);
    return SG_ERROR_D3D_SURFACE;
  }
  tdi->tdiTexture = static_cast<IDirect3DTexture2*>(iface);
  if (Keyed(txm)) {
    const DDCOLORKEY key{};
    tdi->tdiSurface->SetColorKey(DDCKEY_SRCBLT, &key);
  }
  txm->txmInfo->tpiDDInfo = tdi;
  return SG_ERROR_NONE;
}

SGError ISGD3DLoadTexture(SGRenderer* rend, SGTextureMap* txm) {
  if (Excluded(txm)) {
    return SG_ERROR_NONE;
  }
  ISG_ASSERT(rend->renFrameNum, "sgd3d");
  SGD3DDevice* d3d = rend->renD3D;
  if (InfoOf(txm) == nullptr) {
    // A texture the context's preparation left without a device copy: made
    // now, and the context recorded, so that its release frees the copy.
    if (txm->txmContext == nullptr) {
      txm->txmContext = rend->renContext;
    }
    if (txm->txmInfo != nullptr && txm->txmInfo->tpiPal != nullptr) {
      if (const SGError err = ISGContextMapPalette(rend->renContext, txm); err != SG_ERROR_NONE) {
        return err;
      }
    }
    if (const SGError err = ISGD3DCreateTexture16(rend->renContext, txm); err != SG_ERROR_NONE) {
      return err;
    }
    if (InfoOf(txm) == nullptr) {
      return SG_ERROR_D3D_SURFACE;
    }
  }
  SGTexDDInfo* tdi = InfoOf(txm);
  for (;;) {
    if (tdi->tdiTimeStamp != 0 && tdi->tdiVidSurface->IsLost() != DD_OK) {
      Unload(txm);
    }
    if (tdi->tdiTimeStamp != 0) {
      break;
    }
    if (TryLoad(rend, txm, tdi) == DD_OK) {
      tdi->tdiLoaded = SGListPush(&d3d->d3dLoadedTex, reinterpret_cast<std::uintptr_t>(txm));
      if (tdi->tdiLoaded == nullptr) {
        ISGReleaseField(tdi->tdiVidTexture);
        ISGReleaseField(tdi->tdiVidSurface);
        tdi->tdiHandle = 0;
        return SG_ERROR_NO_MEMORY;
      }
      tdi->tdiTimeStamp = rend->renFrameNum;
      break;
    }
    ISGReleaseField(tdi->tdiVidTexture);
    ISGReleaseField(tdi->tdiVidSurface);
    tdi->tdiHandle = 0;
    // Video memory may be full: draw what is queued, empty it and try again,
    // but not for ever.
    ISGD3DFlush(d3d);
    ISGD3DUnloadAll(d3d);
    if (++g_textureFailures >= kMaxTextureFailures) {
      g_textureFailures = 0;
      return SG_ERROR_D3D_SURFACE;
    }
  }
  tdi->tdiTimeStamp = rend->renFrameNum;
  g_textureFailures = 0;
  return SG_ERROR_NONE;
}

SGError ISGD3DUnloadTexture(SGTextureMap* txm) {
  Unload(txm);
  return SG_ERROR_NONE;
}

void ISGD3DUnloadAll(SGD3DDevice* d3d) {
  while (d3d->d3dLoadedTex != nullptr) {
    auto* txm = reinterpret_cast<SGTextureMap*>(d3d->d3dLoadedTex->lnValue);
    ISG_ASSERT(txm && txm->txmInfo && txm->txmInfo->tpiDDInfo, "sgd3d");
    Unload(txm);
  }
}

SGError ISGD3DEvictTextures(SGRenderer* rend, std::uint32_t minAge) {
  if ((rend->renFlags & 0x80) != 0) {
    return SG_ERROR_NONE;
  }
  SGD3DDevice* d3d = rend->renD3D;
  SGListNode* node = d3d->d3dLoadedTex;
  while (node != nullptr) {
    SGListNode* next = node->lnNext;
    auto* txm = reinterpret_cast<SGTextureMap*>(node->lnValue);
    ISG_ASSERT(txm && txm->txmInfo && txm->txmInfo->tpiDDInfo, "sgd3d");
    const SGTexDDInfo* tdi = txm->txmInfo->tpiDDInfo;
    if (tdi->tdiTimeStamp != 0 && rend->renFrameNum - tdi->tdiTimeStamp >= minAge) {
      Unload(txm);
    }
    node = next;
  }
  return SG_ERROR_NONE;
}

void ISGD3DFreeTexture(SGTextureMap* txm) {
  SGTexDDInfo* tdi = InfoOf(txm);
  if (tdi == nullptr) {
    return;
  }
  if (tdi->tdiTimeStamp != 0) {
    Unload(txm);
  }
  ReleaseInfo(tdi);
  txm->txmInfo->tpiDDInfo = nullptr;
}

SGError ISGD3DCreateMaterial(SGContext* ctx, SGMaterial* mat) {
  ISG_ASSERT(mat->matInfo, "sgd3d");
  if (mat->matInfo->maiD3D != nullptr) {
    return SG_ERROR_NONE;
  }
  if (ctx->ctxDDI == nullptr || ctx->ctxDDI->ddiSysColours == nullptr || ctx->ctxD3D == nullptr) {
    return SG_ERROR_D3D_SURFACE;
  }
  auto* dmi = static_cast<SGD3DMatInfo*>(SGCalloc(1, sizeof(SGD3DMatInfo)));
  if (dmi == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  SGD3DDevice* d3d = ctx->ctxD3D;
  const float r = static_cast<float>((mat->matColour >> 24) & 0xFF) / 255.f;
  const float g = static_cast<float>((mat->matColour >> 16) & 0xFF) / 255.f;
  const float b = static_cast<float>((mat->matColour >> 8) & 0xFF) / 255.f;
  D3DMATERIAL m;
  m.diffuse = {r * mat->matDiffuse, g * mat->matDiffuse, b * mat->matDiffuse, 1.f};
  m.ambient = {r * mat->matAmbient, g * mat->matAmbient, b * mat->matAmbient, 0.f};
  const SGTexDDInfo* tdi = mat->matTexMap != nullptr ? InfoOf(mat->matTexMap) : nullptr;
  m.hTexture = tdi != nullptr ? tdi->tdiHandle : 0;
  m.dwRampSize = mat->matNumShades != 0 ? mat->matNumShades : 1;
  if (d3d->d3dDirect3D->CreateMaterial(&dmi->dmiMaterial, nullptr) != D3D_OK ||
      dmi->dmiMaterial->SetMaterial(&m) != D3D_OK ||
      dmi->dmiMaterial->GetHandle(d3d->d3dDevice, &dmi->dmiHandle) != D3D_OK) {
    ISGReleaseField(dmi->dmiMaterial);
    SGFree(dmi);
    return SG_ERROR_D3D_SURFACE;
  }
  mat->matInfo->maiD3D = dmi;
  return SG_ERROR_NONE;
}

SGError ISGD3DSetMaterial(SGRenderer* rend, const SGMaterial* mat, std::uint32_t opts) {
  SGD3DDevice* d3d = rend->renD3D;
  ISG_ASSERT(mat != d3d->d3dCurrMaterial, "sgd3d");
  ISGD3DFlush(d3d);
  SGTextureMap* txm = mat->matTexMap;
  DWORD handle = 0;
  if ((rend->renContext->ctxDebug & SG_CTX_DEBUG_NO_TEXTURES) == 0 && txm != nullptr) {
    if (const SGError err = ISGD3DLoadTexture(rend, txm); err != SG_ERROR_NONE) {
      return err;
    }
    const SGTexDDInfo* tdi = InfoOf(txm);
    handle = tdi != nullptr ? tdi->tdiHandle : 0;
  }
  const SGD3DMatInfo* dmi = mat->matInfo != nullptr ? mat->matInfo->maiD3D : nullptr;
  d3d->d3dDevice->SetLightState(D3DLIGHTSTATE_MATERIAL, dmi != nullptr ? dmi->dmiHandle : 0);
  d3d->d3dDevice->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, handle);
  d3d->d3dDevice->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, txm != nullptr && Keyed(txm) ? TRUE : FALSE);
  const float scale = mat->matInfo != nullptr ? mat->matInfo->maiScale : 1.f;
  opts = scale < 1.f ? opts | SG_D3D_OPT_MODULATE_ALPHA : opts & ~SG_D3D_OPT_MODULATE_ALPHA;
  opts = (mat->matType & SG_MAT_TYPE_SRC_COLOUR_BLEND) != 0 ? opts | SG_D3D_OPT_ADDITIVE : opts & ~SG_D3D_OPT_ADDITIVE;
  ISGD3DSetRenderOptions(rend, opts);
  d3d->d3dCurrMaterial = mat;
  return SG_ERROR_NONE;
}

void ISGD3DFreeMaterial(SGMaterial* mat) {
  if (mat->matInfo == nullptr || mat->matInfo->maiD3D == nullptr) {
    return;
  }
  if (mat->matTexMap != nullptr) {
    ISGD3DFreeTexture(mat->matTexMap);
  }
  ISGReleaseField(mat->matInfo->maiD3D->dmiMaterial);
  SGFree(mat->matInfo->maiD3D);
  mat->matInfo->maiD3D = nullptr;
}
