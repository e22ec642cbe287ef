// The Direct3D device of a context: creation, sharing and release, transforms,
// render states and options, texel format and texture-size limits, scenes.

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/d3d/d3d.h"
#include "sg/core/context.h"
#include "sg/core/malloc.h"
#include "sg/core/releasefield.h"
#include "sg/core/sgassert.h"
#include "sg/core/sglist.h"
#include "sg/d3d/d3ddevice.h"
#include "sg/d3d/sgd3d.h"
#include "sg/fb/framebuffer.h"
#include "sg/fb/sgerr.h"
#include "sg/fb/texddinfo.h"
#include "sg/material/material.h"
#include "sg/raster/ddinfo.h"
#include "sg/render/renderer.h"

using namespace plat;

namespace {

D3DMATRIX g_viewMatrix;
D3DMATRIX g_projectionMatrix;

bool Usable(const SGD3DDevice* d3d) { return (d3d->d3dFlags & SG_D3D_FLAG_NO_TEXEL_FORMAT) == 0; }

void SetMaxTextureSizeEntry(SGContext* ctx, std::uint32_t width, std::uint32_t height) {
  ISGD3DSetMaxTextureSize(ctx, width, height);
}

SGError CreateTexture8(SGContext*, SGTextureMap*) {
  // Palettised device textures need a palettised texel format, which no
  // device mode of the library chooses: such textures stay undrawn on the device.
  return SG_ERROR_D3D_SURFACE;
}

const SGD3DEntryPoints g_entry = {Usable,
                                  CreateTexture8,
                                  ISGD3DCreateTexture16,
                                  ISGD3DFreeTexture,
                                  ISGD3DCreateMaterial,
                                  ISGD3DFreeMaterial,
                                  SetMaxTextureSizeEntry};

SGError FindDevice(SGD3DDevice* d3d, SGDDInfo* ddi) {
  ISG_ASSERT(d3d->d3dDevice == nullptr, "sgd3d");
  HRESULT hr;
  if ((ddi->ddiFlags & SG_DDI_EMULATION_CAPS) == 0) {
    hr = d3d->d3dDirect3D->CreateDevice(IID_IDirect3DHALDevice, ddi->ddiBack, &d3d->d3dDevice);
    if (hr != D3D_OK) {
      return SG_ERROR_D3D_DEVICE;
    }
    D3DDEVICEDESC hardware;
    D3DDEVICEDESC emulation;
    if (d3d->d3dDevice->GetCaps(&hardware, &emulation) != D3D_OK ||
        (hardware.dpcTriCaps.dwTextureCaps & D3DPTEXTURECAPS_PERSPECTIVE) == 0) {
      return SG_ERROR_D3D_DEVICE;
    }
    d3d->d3dTriTextureCaps = hardware.dpcTriCaps.dwTextureCaps;
    d3d->d3dTriShadeCaps = hardware.dpcTriCaps.dwShadeCaps;
    d3d->d3dTriSrcBlendCaps = hardware.dpcTriCaps.dwSrcBlendCaps;
    d3d->d3dMaxTexWidth = hardware.dwMaxTextureWidth;
    d3d->d3dMaxTexHeight = hardware.dwMaxTextureHeight;
    return SG_ERROR_NONE;
  }
  if (ddi->ddiMode == SG_FB_MODE_IDX) {
    hr = d3d->d3dDirect3D->CreateDevice(IID_IDirect3DRampDevice, ddi->ddiBack, &d3d->d3dDevice);
  } else {
    hr = d3d->d3dDirect3D->CreateDevice(IID_IDirect3DMMXDevice, ddi->ddiBack, &d3d->d3dDevice);
    if (hr != D3D_OK) {
      hr = d3d->d3dDirect3D->CreateDevice(IID_IDirect3DRGBDevice, ddi->ddiBack, &d3d->d3dDevice);
    }
  }
  return hr == D3D_OK ? SG_ERROR_NONE : SG_ERROR_D3D_DEVICE;
}

SGError SetViewport(SGD3DDevice* d3d, IDirectDrawSurface* target) {
  DDSURFACEDESC desc;
  if (target->GetSurfaceDesc(&desc) != DD_OK) {
    return SG_ERROR_D3D_VIEWPORT;
  }
  D3DVIEWPORT2 vp;
  vp.dwWidth = desc.dwWidth;
  vp.dwHeight = desc.dwHeight;
  vp.dvClipWidth = static_cast<float>(desc.dwWidth);
  vp.dvClipHeight = static_cast<float>(desc.dwHeight);
  vp.dvMinZ = 0.f;
  vp.dvMaxZ = 1.f;
  if (d3d->d3dViewport->SetViewport2(&vp) != D3D_OK) {
    return SG_ERROR_D3D_VIEWPORT;
  }
  d3d->d3dDevice->SetCurrentViewport(d3d->d3dViewport);
  return SG_ERROR_NONE;
}

struct TexelSearch {
  SGD3DDevice* d3d;
  const SGDDInfo* ddi;
  bool failed;
};

bool MasksEqual(const DDPIXELFORMAT& f, const SGPixelFormat& pf) {
  return f.dwRBitMask == pf.pfRedMask && f.dwGBitMask == pf.pfGreenMask && f.dwBBitMask == pf.pfBlueMask;
}

bool MasksAllDiffer(const DDPIXELFORMAT& f, const SGPixelFormat& pf) {
  return f.dwRBitMask != pf.pfRedMask && f.dwGBitMask != pf.pfGreenMask && f.dwBBitMask != pf.pfBlueMask;
}

HRESULT OfferTexelFormat(DDSURFACEDESC* desc, void* context) {
  auto* s = static_cast<TexelSearch*>(context);
  const DDPIXELFORMAT& f = desc->ddpfPixelFormat;
  if ((f.dwFlags & DDPF_RGB) == 0 || f.dwRGBBitCount != s->ddi->ddiBPP) {
    return D3DENUMRET_OK;
  }
  SGD3DDevice* d3d = s->d3d;
  const bool first = d3d->d3dTexelDesc == nullptr;
  if (first) {
    d3d->d3dTexelDesc = static_cast<DDSURFACEDESC*>(SGMalloc(sizeof(DDSURFACEDESC)));
    if (d3d->d3dTexelDesc == nullptr) {
      s->failed = true;
      return D3DENUMRET_CANCEL;
    }
    *d3d->d3dTexelDesc = DDSURFACEDESC{};
  }
  const SGPixelFormat& pf = *s->ddi->ddiPixelFormat;
  if (first || MasksEqual(f, pf) || MasksAllDiffer(d3d->d3dTexelDesc->ddpfPixelFormat, pf)) {
    *d3d->d3dTexelDesc = *desc;
  }
  return D3DENUMRET_OK;
}

void FillChannel(std::uint32_t mask, std::uint32_t* outMask, std::uint32_t* shift, std::uint32_t* bits) {
  *outMask = mask;
  *shift = static_cast<std::uint32_t>(std::countr_zero(mask));
  *bits = 32u - static_cast<std::uint32_t>(std::countl_zero(mask)) - *shift;
}

SGError ChooseTexelFormat(SGContext* ctx, SGD3DDevice* d3d) {
  SGDDInfo* ddi = ctx->ctxDDI;
  TexelSearch search{d3d, ddi, false};
  if (ddi->ddiPixelFormat == nullptr || ddi->ddiTexelFormat == nullptr ||
      d3d->d3dDevice->EnumTextureFormats(OfferTexelFormat, &search) != D3D_OK) {
    return SG_ERROR_D3D_SURFACE;
  }
  if (search.failed) {
    return SG_ERROR_NO_MEMORY;
  }
  if (d3d->d3dTexelDesc == nullptr) {
    return SG_ERROR_D3D_SURFACE;
  }
  const DDPIXELFORMAT& f = d3d->d3dTexelDesc->ddpfPixelFormat;
  SGPixelFormat* tf = ddi->ddiTexelFormat;
  ISG_ASSERT(f.dwRBitMask && f.dwGBitMask && f.dwBBitMask, "sgd3d");
  FillChannel(f.dwRBitMask, &tf->pfRedMask, &tf->pfRedShift, &tf->pfRedBits);
  FillChannel(f.dwGBitMask, &tf->pfGreenMask, &tf->pfGreenShift, &tf->pfGreenBits);
  FillChannel(f.dwBBitMask, &tf->pfBlueMask, &tf->pfBlueShift, &tf->pfBlueBits);
  return SG_ERROR_NONE;
}

std::uint32_t ProbeSide(SGDDInfo* ddi, const SGD3DDevice* d3d, bool width) {
  std::uint32_t limit = 8;
  for (std::uint32_t s = 16; s <= 512; s *= 2) {
    DDSURFACEDESC desc = *d3d->d3dTexelDesc;
    desc.dwSize = sizeof(DDSURFACEDESC);
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_VIDEOMEMORY | DDSCAPS_ALLOCONLOAD;
    desc.dwWidth = width ? s : 16;
    desc.dwHeight = width ? 16 : s;
    IDirectDrawSurface* surface = nullptr;
    if (ddi->ddiDD->CreateSurface(&desc, &surface, nullptr) != DD_OK) {
      break;
    }
    surface->Release();
    limit = s;
  }
  return limit;
}

void ProbeMaxTextureSize(SGContext* ctx, SGD3DDevice* d3d) {
  if (d3d->d3dMaxTexWidth != 0 && d3d->d3dMaxTexHeight != 0) {
    return;
  }
  d3d->d3dMaxTexWidth = ProbeSide(ctx->ctxDDI, d3d, true);
  d3d->d3dMaxTexHeight = (d3d->d3dTriTextureCaps & D3DPTEXTURECAPS_SQUAREONLY) != 0
                             ? d3d->d3dMaxTexWidth
                             : ProbeSide(ctx->ctxDDI, d3d, false);
}

SGError InitTransforms(SGRenderer* rend, SGD3DDevice* d3d) {
  const D3DMATRIX identity{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
  for (D3DTRANSFORMSTATETYPE t : {D3DTRANSFORMSTATE_WORLD, D3DTRANSFORMSTATE_VIEW, D3DTRANSFORMSTATE_PROJECTION}) {
    const HRESULT hr = d3d->d3dDevice->SetTransform(t, &identity);
    if (hr != D3D_OK) {
      ISGErrorReportResult(rend->renFrameBuffer, "setting world matrix\n%s", hr);
      return SG_ERROR_D3D;
    }
  }
  return ISGD3DSetInitialRenderStates(rend, d3d);
}

// Everything a device holds, whichever step of its creation it reached.
void ReleaseDevice(SGD3DDevice* d3d) {
  ISGD3DFreeBuffers(d3d);
  SGListFree(d3d->d3dLoadedTex);
  if (d3d->d3dBackMaterial != nullptr) {
    ISGReleaseField(d3d->d3dBackMaterial->dmiMaterial);
    SGFree(d3d->d3dBackMaterial);
  }
  if (d3d->d3dDevice != nullptr && d3d->d3dViewport != nullptr) {
    d3d->d3dDevice->DeleteViewport(d3d->d3dViewport);
  }
  ISGReleaseField(d3d->d3dViewport);
  ISGReleaseField(d3d->d3dDevice);
  ISGReleaseField(d3d->d3dDirect3D);
  SGFree(d3d->d3dTexelDesc);
  SGFree(d3d);
}

SGError FailCreation(SGRenderer* rend, SGD3DDevice* d3d, SGError status) {
  ReleaseDevice(d3d);
  SGFrameBuffer* fb = rend->renFrameBuffer;
  if (fb->fbMode == SG_FB_MODE_RGB) {
    fb->fbMode = SG_FB_MODE_QUASI_RGB;
    if (fb->fbDDI != nullptr) {
      fb->fbDDI->ddiMode = SG_FB_MODE_QUASI_RGB;
    }
  }
  fb->fbFlags |= SG_FB_FLAG_NO_3D;
  rend->renContext->ctxD3D = nullptr;
  rend->renD3D = nullptr;
  return status;
}

DWORD Flag(bool on) { return on ? TRUE : FALSE; }

void SetBlendMode(IDirect3DDevice2* dev, std::uint32_t opts) {
  DWORD mode = D3DTBLEND_MODULATE;
  switch (opts & (SG_D3D_OPT_DECAL | SG_D3D_OPT_MODULATE_ALPHA)) {
    case SG_D3D_OPT_DECAL:
      mode = D3DTBLEND_DECAL;
      break;
    case SG_D3D_OPT_MODULATE_ALPHA:
      mode = D3DTBLEND_MODULATEALPHA;
      break;
    case SG_D3D_OPT_DECAL | SG_D3D_OPT_MODULATE_ALPHA:
      mode = D3DTBLEND_DECALALPHA;
      break;
    default:
      break;
  }
  dev->SetRenderState(D3DRENDERSTATE_TEXTUREMAPBLEND, mode);
}

DWORD FogColour(const SGD3DDevice* d3d, std::uint32_t colour) {
  float c[3] = {static_cast<float>((colour >> 24) & 0xFF), static_cast<float>((colour >> 16) & 0xFF),
                static_cast<float>((colour >> 8) & 0xFF)};
  if (d3d->d3dColourMode != 0) {
    c[0] *= d3d->d3dTintRed;
    c[1] *= d3d->d3dTintGreen;
    c[2] *= d3d->d3dTintBlue;
  }
  const auto byte = [](float v) { return static_cast<DWORD>(static_cast<std::int32_t>(v)) & 0xFF; };
  return byte(c[0]) << 16 | byte(c[1]) << 8 | byte(c[2]);
}

void ApplyFogTo(const SGRenderer* rend, SGD3DDevice* d3d) {
  d3d->d3dDevice->SetRenderState(D3DRENDERSTATE_FOGENABLE, Flag(rend->renFogFar > 0.f));
  d3d->d3dDevice->SetRenderState(D3DRENDERSTATE_FOGCOLOR, FogColour(d3d, rend->renFogColour));
  d3d->d3dDevice->SetRenderState(D3DRENDERSTATE_FOGTABLEMODE, D3DFOG_NONE);
}

}  // namespace

SGError ISGD3DCreateDevice(SGRenderer* rend) {
  SGContext* ctx = rend->renContext;
  if (rend->renD3D != nullptr) {
    // Bound again: the renderer already counts among the device's users.
    return SG_ERROR_NONE;
  }
  if (ctx->ctxD3D != nullptr) {
    rend->renD3D = ctx->ctxD3D;
    ++rend->renD3D->d3dUsers;
    return SG_ERROR_NONE;
  }
  auto* d3d = static_cast<SGD3DDevice*>(SGCalloc(1, sizeof(SGD3DDevice)));
  if (d3d == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  ctx->ctxD3D = d3d;
  SGDDInfo* ddi = ctx->ctxDDI;
  SGFrameBuffer* fb = rend->renFrameBuffer;
  if (ddi == nullptr || ddi->ddiDD == nullptr || ddi->ddiBack == nullptr) {
    return FailCreation(rend, d3d, SG_ERROR_D3D);
  }
  void* iface = nullptr;
  HRESULT hr = ddi->ddiDD->QueryInterface(IID_IDirect3D2, &iface);
  if (hr != DD_OK) {
    ISGErrorReportResult(fb, "Getting D3D device\n%s", hr);
    return FailCreation(rend, d3d, SG_ERROR_D3D);
  }
  d3d->d3dDirect3D = static_cast<IDirect3D2*>(iface);
  if (const SGError err = FindDevice(d3d, ddi); err != SG_ERROR_NONE) {
    char code[16];
    std::snprintf(code, sizeof code, "%x", err);
    ISGErrorReport(fb, "finding D3D device\n0x%s", code);
    return FailCreation(rend, d3d, err);
  }
  if (d3d->d3dDirect3D->CreateViewport(&d3d->d3dViewport, nullptr) != D3D_OK ||
      d3d->d3dDevice->AddViewport(d3d->d3dViewport) != D3D_OK) {
    return FailCreation(rend, d3d, SG_ERROR_D3D_DEVICE);
  }
  SetViewport(d3d, ddi->ddiBack);
  if (const SGError err = ChooseTexelFormat(ctx, d3d); err == SG_ERROR_NONE) {
    ddi->ddiTexPrep = SG_DDI_TEXPREP_D3D16;
    ProbeMaxTextureSize(ctx, d3d);
  } else if (err == SG_ERROR_NO_MEMORY) {
    return FailCreation(rend, d3d, err);
  } else {
    d3d->d3dFlags |= SG_D3D_FLAG_NO_TEXEL_FORMAT;
  }
  d3d->d3dBackMaterial = static_cast<SGD3DMatInfo*>(SGCalloc(1, sizeof(SGD3DMatInfo)));
  if (d3d->d3dBackMaterial == nullptr) {
    return FailCreation(rend, d3d, SG_ERROR_NO_MEMORY);
  }
  if (d3d->d3dDirect3D->CreateMaterial(&d3d->d3dBackMaterial->dmiMaterial, nullptr) != D3D_OK ||
      d3d->d3dBackMaterial->dmiMaterial->GetHandle(d3d->d3dDevice, &d3d->d3dBackMaterial->dmiHandle) != D3D_OK) {
    return FailCreation(rend, d3d, SG_ERROR_D3D_DEVICE);
  }
  if (const SGError err = InitTransforms(rend, d3d); err != SG_ERROR_NONE) {
    return FailCreation(rend, d3d, err);
  }
  d3d->d3dLoadedTex = SGListNew();
  rend->renD3D = d3d;
  if ((rend->renFlags & SG_REND_FLAG_NOT_3DFX) != 0) {
    d3d->d3dFlags |= SG_D3D_FLAG_NO_INSET;
  }
  if (ISGD3DAllocBuffers(d3d) != SG_ERROR_NONE) {
    return FailCreation(rend, d3d, SG_ERROR_NO_MEMORY);
  }
  if (std::getenv("hvnv3") != nullptr) {
    d3d->d3dTriShadeCaps &= ~0x3C000u;
  }
  d3d->d3dUsers = 1;
  ISGD3DSetEntryPoints(&g_entry);
  return SG_ERROR_NONE;
}

SGError ISGD3DRetarget(SGRenderer* rend, IDirectDrawSurface* target) {
  SGD3DDevice* d3d = rend->renD3D;
  const HRESULT hr = d3d->d3dDevice->SetRenderTarget(target, 0);
  if (hr != D3D_OK) {
    ISGErrorReportResult(rend->renFrameBuffer, "setting render target\n%s", hr);
    return SG_ERROR_D3D;
  }
  SetViewport(d3d, target);
  for (SGListNode* node = d3d->d3dLoadedTex; node != nullptr; node = node->lnNext) {
    auto* txm = reinterpret_cast<SGTextureMap*>(node->lnValue);
    ISG_ASSERT(txm && txm->txmInfo && txm->txmInfo->tpiDDInfo, "fb");
    SGTexDDInfo* tdi = txm->txmInfo->tpiDDInfo;
    tdi->tdiVidTexture->GetHandle(d3d->d3dDevice, &tdi->tdiHandle);
  }
  return ISGD3DSetInitialRenderStates(rend, d3d);
}

SGError ISGD3DDestroyDevice(SGRenderer* rend) {
  SGD3DDevice* d3d = rend->renD3D;
  if (d3d == nullptr) {
    return SG_ERROR_NONE;
  }
  rend->renD3D = nullptr;
  // The device is the context's: another renderer may still draw with it.
  if (--d3d->d3dUsers != 0) {
    return SG_ERROR_NONE;
  }
  ISGD3DUnloadAll(d3d);
  ReleaseDevice(d3d);
  if (rend->renContext != nullptr && rend->renContext->ctxD3D == d3d) {
    rend->renContext->ctxD3D = nullptr;
  }
  return SG_ERROR_NONE;
}

SGError ISGD3DBeginScene(SGRenderer* rend) {
  SGD3DDevice* d3d = rend->renD3D;
  d3d->d3dDevice->BeginScene();
  d3d->d3dBatch = 1;
  ISGD3DResetBatch(d3d);
  return SG_ERROR_NONE;
}

SGError ISGD3DEndScene(SGRenderer* rend) {
  SGD3DDevice* d3d = rend->renD3D;
  ISGD3DFlush(d3d);
  d3d->d3dCurrMaterial = nullptr;
  d3d->d3dDevice->EndScene();
  return ISGD3DEvictTextures(rend, 2);
}

SGError ISGD3DSetViewMatrix(SGRenderer* rend, const float m[16]) {
  std::memcpy(g_viewMatrix.m, m, sizeof g_viewMatrix.m);
  rend->renD3D->d3dDevice->SetTransform(D3DTRANSFORMSTATE_VIEW, &g_viewMatrix);
  return SG_ERROR_NONE;
}

SGError ISGD3DSetProjectionMatrix(SGRenderer* rend) {
  std::memcpy(g_projectionMatrix.m, rend->renCameraXform.m, sizeof g_projectionMatrix.m);
  rend->renD3D->d3dDevice->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &g_projectionMatrix);
  return SG_ERROR_NONE;
}

SGError ISGD3DApplyFog(SGRenderer* rend) {
  ApplyFogTo(rend, rend->renD3D);
  return SG_ERROR_NONE;
}

SGError ISGD3DSetFogColour(SGRenderer* rend) {
  SGD3DDevice* d3d = rend->renD3D;
  d3d->d3dDevice->SetRenderState(D3DRENDERSTATE_FOGCOLOR, FogColour(d3d, rend->renFogColour));
  return SG_ERROR_NONE;
}

SGError ISGD3DSetInitialRenderStates(SGRenderer* rend, SGD3DDevice* d3d) {
  IDirect3DDevice2* dev = d3d->d3dDevice;
  const std::uint32_t opts = rend->renOptions;
  dev->SetRenderState(D3DRENDERSTATE_SHADEMODE, (opts & SG_D3D_OPT_GOURAUD) ? D3DSHADE_GOURAUD : D3DSHADE_FLAT);
  dev->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, FALSE);
  dev->SetRenderState(D3DRENDERSTATE_FILLMODE,
                      (rend->renContext->ctxDebug & SG_CTX_DEBUG_DRAW) ? D3DFILL_WIREFRAME : D3DFILL_SOLID);
  dev->SetRenderState(D3DRENDERSTATE_LASTPIXEL, FALSE);
  dev->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, Flag(opts & SG_D3D_OPT_PERSPECTIVE));
  dev->SetRenderState(D3DRENDERSTATE_TEXTUREADDRESS, D3DTADDRESS_WRAP);
  dev->SetRenderState(D3DRENDERSTATE_WRAPU, FALSE);
  dev->SetRenderState(D3DRENDERSTATE_WRAPV, FALSE);
  dev->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
  SetBlendMode(dev, opts);
  dev->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
  dev->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA);
  dev->SetRenderState(D3DRENDERSTATE_TEXTUREMAG, (opts & SG_D3D_OPT_LINEAR) ? D3DFILTER_LINEAR : D3DFILTER_NEAREST);
  dev->SetRenderState(D3DRENDERSTATE_ZENABLE, FALSE);
  dev->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, FALSE);
  dev->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_NEVER);
  ApplyFogTo(rend, d3d);
  return SG_ERROR_NONE;
}

SGError ISGD3DSetRenderOptions(SGRenderer* rend, std::uint32_t opts) {
  const std::uint32_t changed = opts ^ rend->renOptions;
  if (changed == 0) {
    return SG_ERROR_NONE;
  }
  // Bits above the eighth are no render states: they change nothing on the device.
  IDirect3DDevice2* dev = rend->renD3D->d3dDevice;
  if (changed & SG_D3D_OPT_GOURAUD) {
    dev->SetRenderState(D3DRENDERSTATE_SHADEMODE, (opts & SG_D3D_OPT_GOURAUD) ? D3DSHADE_GOURAUD : D3DSHADE_FLAT);
  }
  if (changed & SG_D3D_OPT_PERSPECTIVE) {
    dev->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, Flag(opts & SG_D3D_OPT_PERSPECTIVE));
  }
  if (changed & SG_D3D_OPT_LINEAR) {
    dev->SetRenderState(D3DRENDERSTATE_TEXTUREMAG, (opts & SG_D3D_OPT_LINEAR) ? D3DFILTER_LINEAR : D3DFILTER_NEAREST);
  }
  if (changed & SG_D3D_OPT_ANTIALIAS) {
    dev->SetRenderState(D3DRENDERSTATE_ANTIALIAS, (opts & SG_D3D_OPT_ANTIALIAS) ? 1 : 0);
  }
  if (changed & SG_D3D_OPT_ALPHA_BLEND) {
    dev->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, Flag(opts & SG_D3D_OPT_ALPHA_BLEND));
  }
  if (changed & (SG_D3D_OPT_DECAL | SG_D3D_OPT_MODULATE_ALPHA)) {
    SetBlendMode(dev, opts);
  }
  if (changed & SG_D3D_OPT_ADDITIVE) {
    const bool additive = (opts & SG_D3D_OPT_ADDITIVE) != 0;
    dev->SetRenderState(D3DRENDERSTATE_SRCBLEND, additive ? D3DBLEND_INVSRCCOLOR : D3DBLEND_SRCALPHA);
    dev->SetRenderState(D3DRENDERSTATE_DESTBLEND, additive ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA);
  }
  rend->renOptions = opts;
  return SG_ERROR_NONE;
}

void ISGD3DSetMaxTextureSize(SGContext* ctx, std::uint32_t width, std::uint32_t height) {
  ISG_ASSERT(width > 1, "sgd3d");
  ISG_ASSERT(height > 1, "sgd3d");
  ISG_ASSERT(std::has_single_bit(width), "sgd3d");
  ISG_ASSERT(std::has_single_bit(height), "sgd3d");
  ctx->ctxD3D->d3dMaxTexWidth = width;
  ctx->ctxD3D->d3dMaxTexHeight = height;
}

SGError ISGD3DCanSrcColorBlend(const SGContext* ctx) {
  const std::uint32_t need = D3DPBLENDCAPS_SRCCOLOR | D3DPBLENDCAPS_INVSRCCOLOR;
  return ctx->ctxD3D != nullptr && (ctx->ctxD3D->d3dTriSrcBlendCaps & need) == need ? SG_ERROR_NONE : SG_ERROR_D3D;
}

SGError ISGD3DCanBlend(const SGContext* ctx) {
  return ctx->ctxD3D != nullptr && (ctx->ctxD3D->d3dTriShadeCaps & 0x3C000u) != 0 ? SG_ERROR_NONE : SG_ERROR_D3D;
}

SGError SGRendererApplyD3DState(SGRenderer* rend) {
  return rend->renD3D != nullptr ? ISGD3DSetInitialRenderStates(rend, rend->renD3D) : SG_ERROR_NONE;
}

SGError SGRendererSetD3DTint(SGRenderer* rend, std::int32_t mode, float red, float green, float blue) {
  ISG_ASSERT(rend->renD3D, "renderer.c");
  rend->renD3D->d3dColourMode = mode;
  rend->renD3D->d3dTintRed = red;
  rend->renD3D->d3dTintGreen = green;
  rend->renD3D->d3dTintBlue = blue;
  return SG_ERROR_NONE;
}

SGError SGRendererSetD3DUnlit(SGRenderer* rend, std::uint32_t value) {
  ISG_ASSERT(rend->renD3D, "renderer.c");
  rend->renD3D->d3dUnlit = value;
  return SG_ERROR_NONE;
}
