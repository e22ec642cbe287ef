// Opening a frame buffer on its own DirectDraw object: the secondary device
// search, the exclusive, windowed and off-screen surfaces, and the frame
// buffer that shares another's device information.

#include <algorithm>
#include <cstdio>

#include "platform/user/window.h"
#include "sg/core/context.h"
#include "sg/core/malloc.h"
#include "sg/core/sgassert.h"
#include "sg/fb/fb_impl.h"
#include "sg/fb/sgerr.h"

using namespace plat;

namespace {

bool Has3D(const DDCAPS& caps) { return (caps.dwCaps & DDCAPS_3D) && (caps.ddsCaps.dwCaps & DDSCAPS_TEXTURE); }

// Accepts the first driver other than the primary one that can draw in 3D in
// the frame buffer's mode.
BOOL ISGDDEnumCallback(GUID* guid, const char* description, const char* name, void* context) {
  auto* ddi = static_cast<SGDDInfo*>(context);
  if (guid == nullptr) {
    return TRUE;
  }
  IDirectDraw* dd = nullptr;
  if (DirectDrawCreate(guid, &dd, nullptr) != DD_OK) {
    return TRUE;
  }
  DDCAPS driver;
  DDCAPS emulation;
  const DDCAPS& judged = (ddi->ddiFlags & SG_DDI_EMULATION_CAPS) ? emulation : driver;
  bool accepted = dd->GetCaps(&driver, &emulation) == DD_OK && (judged.dwCaps & DDCAPS_3D);
  if (accepted && ddi->ddiMode == SG_FB_MODE_IDX) {
    accepted = (judged.dwPalCaps & DDPCAPS_8BIT) && (judged.dwPalCaps & DDPCAPS_PRIMARYSURFACE);
  } else if (accepted && ddi->ddiMode == SG_FB_MODE_QUASI_RGB) {
    accepted = (judged.dwCaps & DDCAPS_PALETTE) != 0;
  }
  if (!accepted) {
    dd->Release();
    return TRUE;
  }
  const int length = std::snprintf(nullptr, 0, "%s:::%s", name, description);
  ddi->ddiDevice = static_cast<char*>(SGMalloc(static_cast<std::size_t>(length) + 1));
  if (ddi->ddiDevice != nullptr) {
    std::snprintf(ddi->ddiDevice, static_cast<std::size_t>(length) + 1, "%s:::%s", name, description);
  }
  ddi->ddiDD = dd;
  return FALSE;
}

// Reads the description of a surface the frame buffer made; `failure` and a
// report when it cannot be read.
SGError Describe(SGFrameBuffer* fb, IDirectDrawSurface* surface, SGError failure, DDSURFACEDESC* desc) {
  if (const HRESULT hr = ISGSurfaceDescribe(surface, desc); hr != DD_OK) {
    ISGErrorReportResult(fb, "getting backbuffer description\n%s", hr);
    return failure;
  }
  ISG_ASSERT(desc->dwFlags & DDSD_PITCH, "fb");
  return ISGFrameBufferTakeDescription(fb, *desc);
}

SGError CreateSurface(SGFrameBuffer* fb, DDSURFACEDESC* desc, IDirectDrawSurface** out, const char* report,
                      SGError failure) {
  if (const HRESULT hr = fb->fbDDI->ddiDD->CreateSurface(desc, out, nullptr); hr != DD_OK) {
    ISGErrorReportResult(fb, report, hr);
    return failure;
  }
  return SG_ERROR_NONE;
}

DDSURFACEDESC SizedDesc(const SGFrameBuffer* fb, DWORD caps) {
  DDSURFACEDESC desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = fb->fbWidth;
  desc.dwHeight = fb->fbHeight;
  desc.ddsCaps.dwCaps = caps;
  return desc;
}

// Pixel format of a surface the frame buffer makes: 8-bit palettised in the
// indexed mode, the display's own otherwise.
void AskIndexed(const SGFrameBuffer* fb, DDSURFACEDESC* desc) {
  if (fb->fbMode == SG_FB_MODE_IDX) {
    desc->dwFlags |= DDSD_PIXELFORMAT;
    desc->ddpfPixelFormat.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
    desc->ddpfPixelFormat.dwRGBBitCount = 8;
  }
}

void BlackKey(IDirectDrawSurface* surface) {
  const DDCOLORKEY black;
  surface->SetColorKey(DDCKEY_SRCBLT, &black);
}

// A back surface of its own of `caps` (with 3D unless the frame buffer has
// none), in the indexed format in the indexed mode; `desc` receives its
// description.
SGError CreatePlainBackBuffer(SGFrameBuffer* fb, DWORD caps, DDSURFACEDESC* desc) {
  if (!(fb->fbFlags & SG_FB_FLAG_NO_3D)) {
    caps |= DDSCAPS_3DDEVICE;
  }
  *desc = SizedDesc(fb, caps);
  AskIndexed(fb, desc);
  if (const SGError err =
          CreateSurface(fb, desc, &fb->fbDDI->ddiBack, "creating sys backbuffer\n%s", SG_ERROR_FB_SYSBUFFER);
      err != SG_ERROR_NONE) {
    return err;
  }
  return Describe(fb, fb->fbDDI->ddiBack, SG_ERROR_FB_SURFACE, desc);
}

SGError OpenFlipChain(SGFrameBuffer* fb) {
  SGDDInfo* ddi = fb->fbDDI;
  if (fb->fbMode == SG_FB_MODE_IDX) {
    if (const SGError err = ISGFrameBufferCreatePalette(fb); err != SG_ERROR_NONE) {
      return err;
    }
  }
  DDSURFACEDESC desc;
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.dwBackBufferCount = 1;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  if (!(fb->fbFlags & SG_FB_FLAG_NO_3D)) {
    desc.ddsCaps.dwCaps |= DDSCAPS_3DDEVICE;
  }
  if (const SGError err =
          CreateSurface(fb, &desc, &ddi->ddiFront, "creating video primary surface\n%s", SG_ERROR_FB_SURFACE);
      err != SG_ERROR_NONE) {
    return err;
  }
  DDSCAPS back;
  back.dwCaps = DDSCAPS_BACKBUFFER;
  if (const HRESULT hr = ddi->ddiFront->GetAttachedSurface(&back, &ddi->ddiBack); hr != DD_OK) {
    ISGErrorReportResult(fb, "getting backbuffer\n%s", hr);
    return SG_ERROR_FB_BACKBUFFER;
  }
  return Describe(fb, ddi->ddiBack, SG_ERROR_FB_SURFACE, &desc);
}

SGError OpenBackBuffer(SGFrameBuffer* fb, const SGFrameBufferOptions* opts) {
  SGDDInfo* ddi = fb->fbDDI;
  if (fb->fbMode == SG_FB_MODE_IDX) {
    if (const SGError err = ISGFrameBufferCreatePalette(fb); err != SG_ERROR_NONE) {
      return err;
    }
  }
  DDSURFACEDESC desc;
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  if (const SGError err = CreateSurface(fb, &desc, &ddi->ddiFront, "opening sys front buffer\n%s", SG_ERROR_FB_SURFACE);
      err != SG_ERROR_NONE) {
    return err;
  }
  DWORD caps = DDSCAPS_OFFSCREENPLAIN;
  if (opts->fboCodes & SG_FB_OPT_SYSTEM_MEMORY) {
    caps |= DDSCAPS_SYSTEMMEMORY;
  }
  if (const SGError err = CreatePlainBackBuffer(fb, caps, &desc); err != SG_ERROR_NONE) {
    return err;
  }
  HRESULT hr = ddi->ddiDD->CreateClipper(0, &ddi->ddiClipper, nullptr);
  if (hr == DD_OK) {
    hr = ddi->ddiClipper->SetHWnd(0, ddi->ddiWindow);
  }
  if (hr == DD_OK) {
    hr = ddi->ddiFront->SetClipper(ddi->ddiClipper);
  }
  if (hr != DD_OK) {
    ISGErrorReportResult(fb, "creating clipper\n%s", hr);
    return SG_ERROR_FB_DDRAW;
  }
  fb->fbPixels = nullptr;
  return SG_ERROR_NONE;
}

SGError OpenExclusive(SGFrameBuffer* fb, const SGFrameBufferOptions* opts) {
  SGDDInfo* ddi = fb->fbDDI;
  fb->fbFlags &= ~SG_FB_FLAG_WINDOWED;
  if (opts->fboDD == nullptr) {
    // Reported only: the display mode that follows decides.
    const HRESULT hr =
        ddi->ddiDD->SetCooperativeLevel(ddi->ddiWindow, DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE);
    if (hr != DD_OK) {
      ISGErrorReportResult(fb, "setting cooperative level exclusive\n%s", hr);
    }
  }
  if (const HRESULT hr = ddi->ddiDD->SetDisplayMode(fb->fbWidth, fb->fbHeight, fb->fbBPP); hr != DD_OK) {
    ISGErrorReportResult(fb, "setting display mode\n%s", hr);
    return SG_ERROR_FB_DDRAW;
  }
  return (opts->fboCodes & SG_FB_OPT_SYSTEM_MEMORY) ? OpenBackBuffer(fb, opts) : OpenFlipChain(fb);
}

SGError OpenWindowed(SGFrameBuffer* fb, const SGFrameBufferOptions* opts) {
  SGDDInfo* ddi = fb->fbDDI;
  fb->fbFlags |= SG_FB_FLAG_WINDOWED;
  if (opts->fboDD == nullptr) {
    if (const HRESULT hr = ddi->ddiDD->SetCooperativeLevel(ddi->ddiWindow, DDSCL_NORMAL); hr != DD_OK) {
      ISGErrorReportResult(fb, "setting cooperative level normal\n%s", hr);
      return SG_ERROR_FB_DDRAW;
    }
  }
  if (ISGDesktopDepth() != fb->fbBPP) {
    ISGErrorReport(fb, "bad bits per pixel\n", "");
    return SG_ERROR_FB_DDRAW;
  }
  return OpenBackBuffer(fb, opts);
}

SGError OpenOffscreen(SGFrameBuffer* fb, const SGFrameBufferOptions* opts) {
  SGDDInfo* ddi = fb->fbDDI;
  ISG_ASSERT(fb->fbDDI->ddiDD, "fb");
  fb->fbFlags |= SG_FB_FLAG_OFFSCREEN;
  const bool system = (opts->fboCodes & SG_FB_OPT_SYSTEM_MEMORY) != 0;
  const bool keyed = (opts->fboCodes & SG_FB_OPT_COLOUR_KEY) != 0;
  DDSURFACEDESC desc;
  if (!(opts->fboCodes & SG_FB_OPT_DRAW_FRONT)) {
    const DWORD memory = system ? DDSCAPS_SYSTEMMEMORY : DDSCAPS_TEXTURE;
    desc = SizedDesc(fb, memory | DDSCAPS_OFFSCREENPLAIN | DDSCAPS_FLIP | DDSCAPS_COMPLEX);
    desc.dwFlags |= DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    AskIndexed(fb, &desc);
    if (const SGError err =
            CreateSurface(fb, &desc, &ddi->ddiFront, "opening sys front buffer\n%s", SG_ERROR_FB_SURFACE);
        err != SG_ERROR_NONE) {
      return err;
    }
    DDSCAPS back;
    back.dwCaps = DDSCAPS_BACKBUFFER;
    if (const HRESULT hr = ddi->ddiFront->GetAttachedSurface(&back, &ddi->ddiBack); hr != DD_OK) {
      ISGErrorReportResult(fb, "getting backbuffer\n%s", hr);
      return SG_ERROR_FB_SURFACE;
    }
    if (const SGError err = Describe(fb, ddi->ddiBack, SG_ERROR_FB_SURFACE, &desc); err != SG_ERROR_NONE) {
      return err;
    }
    ISG_ASSERT(desc.ddsCaps.dwCaps & DDSCAPS_FLIP, "fb");
    ddi->ddiFlags |= SG_DDI_FLIP;
    if (keyed) {
      BlackKey(ddi->ddiFront);
      BlackKey(ddi->ddiBack);
    }
  } else {
    const DWORD caps = (system ? DDSCAPS_SYSTEMMEMORY : DDSCAPS_TEXTURE) | DDSCAPS_OFFSCREENPLAIN;
    if (const SGError err = CreatePlainBackBuffer(fb, caps, &desc); err != SG_ERROR_NONE) {
      return err;
    }
    if (keyed) {
      BlackKey(ddi->ddiBack);
    }
    fb->fbFlags |= SG_FB_FLAG_SINGLE_SURFACE;
    ddi->ddiFront = ddi->ddiBack;
  }
  if (fb->fbMode != SG_FB_MODE_IDX) {
    ISG_ASSERT(fb->fbContext, "fb");
    ISG_ASSERT(fb->fbContext->ctxDDI, "fb");
    ISG_ASSERT(fb->fbContext->ctxDDI->ddiPixelFormat, "fb");
    fb->fbPixelFormat = *fb->fbContext->ctxDDI->ddiPixelFormat;
    fb->fbTexelFormat = *fb->fbContext->ctxDDI->ddiTexelFormat;
  }
  ddi->ddiZBuffer = nullptr;
  fb->fbPixels = nullptr;
  return SG_ERROR_NONE;
}

}  // namespace

SGError ISGFrameBufferOpenDevice(SGFrameBuffer* fb, const SGFrameBufferOptions* opts) {
  SGDDInfo* ddi = fb->fbDDI;
  if (opts->fboDD != nullptr) {
    ddi->ddiDD = opts->fboDD;
    ddi->ddiDD->AddRef();
    fb->fbFlags |= SG_FB_FLAG_CALLER_DD;
  } else if (!(opts->fboCodes & (SG_FB_OPT_WINDOWED | SG_FB_OPT_SYSTEM_MEMORY | SG_FB_OPT_NO_3D))) {
    if (DirectDrawEnumerate(ISGDDEnumCallback, ddi) != DD_OK) {
      return SG_ERROR_FB_DDRAW;
    }
  }
  if (ddi->ddiDD == nullptr) {
    if (const HRESULT hr = DirectDrawCreate(nullptr, &ddi->ddiDD, nullptr); hr != DD_OK) {
      ISGErrorReportResult(fb, "creating direct draw\n%s", hr);
      return SG_ERROR_FB_DDRAW;
    }
  }
  if (const SGError err = ISGFrameBufferReadCaps(fb, true); err != SG_ERROR_NONE) {
    return err;
  }
  ddi->ddiBPP = fb->fbBPP;
  if (opts->fboCodes & SG_FB_OPT_OFFSCREEN) {
    return OpenOffscreen(fb, opts);
  }
  return (opts->fboCodes & SG_FB_OPT_WINDOWED) ? OpenWindowed(fb, opts) : OpenExclusive(fb, opts);
}

SGError ISGFrameBufferOpenShared(SGFrameBuffer* fb, const SGFrameBufferOptions* opts) {
  ISG_ASSERT(opts->fboDDI, "fb");
  ISG_ASSERT(fb->fbDDI, "fb");
  SGDDInfo* ddi = fb->fbDDI;
  *ddi = *opts->fboDDI;
  fb->fbFlags |= SG_FB_FLAG_SHARED_DDI;
  switch (opts->fboCodes & SG_FB_OPT_SIZE_MASK) {
    case SG_FB_OPT_SIZE_EXPLICIT:
      fb->fbWidth = opts->fboWidth;
      fb->fbHeight = opts->fboHeight;
      break;
    case 0: {
      ISG_ASSERT(opts->fboHWnd, "fb");
      RECT client;
      GetClientRect(opts->fboHWnd, &client);
      fb->fbWidth = static_cast<std::uint32_t>(client.right - client.left);
      fb->fbHeight = static_cast<std::uint32_t>(client.bottom - client.top);
      break;
    }
    default:
      return SG_ERROR_UNSUPPORTED;
  }
  fb->fbBPP = ddi->ddiBPP;
  fb->fbMode = ddi->ddiMode;
  // The lock state is each frame buffer's own.
  ddi->ddiFlags &= ~SG_DDI_LOCKED;
  // The pixels are the other frame buffer's: so are their format and pitch,
  // and no size may reach past its surface.
  if (ddi->ddiPixelFormat != nullptr) {
    fb->fbPixelFormat = *ddi->ddiPixelFormat;
    fb->fbTexelFormat = *ddi->ddiTexelFormat;
  }
  if (DDSURFACEDESC desc; ddi->ddiBack != nullptr && ddi->ddiBack->GetSurfaceDesc(&desc) == DD_OK) {
    fb->fbPitch = desc.lPitch;
    fb->fbWidth = std::min(fb->fbWidth, desc.dwWidth);
    fb->fbHeight = std::min(fb->fbHeight, desc.dwHeight);
  }
  if (opts->fboCodes & SG_FB_OPT_USER_PALETTE) {
    fb->fbFlags |= SG_FB_FLAG_USER_PALETTE;
  }
  DDCAPS driver;
  DDCAPS emulation;
  if (ddi->ddiDD == nullptr || ddi->ddiDD->GetCaps(&driver, &emulation) != DD_OK) {
    return SG_ERROR_FB_DDRAW;
  }
  if (opts->fboCodes & SG_FB_OPT_EMULATION_CAPS) {
    ddi->ddiFlags |= SG_DDI_EMULATION_CAPS;
  }
  if (opts->fboHWnd != nullptr) {
    ddi->ddiWindow = opts->fboHWnd;
    fb->fbFlags |= SG_FB_FLAG_CALLER_WINDOW;
  }
  if (opts->fboCodes & SG_FB_OPT_NO_3D) {
    fb->fbFlags |= SG_FB_FLAG_NO_3D;
  }
  if (opts->fboCodes & SG_FB_OPT_CALLER_SURFACES) {
    ISG_ASSERT(opts->fboCodes & SG_FB_OPT_USER_PALETTE, "fb");
    ISG_ASSERT(opts->fboHWnd, "fb");
  }
  if (opts->fboDD != nullptr) {
    fb->fbFlags |= SG_FB_FLAG_CALLER_DD;
  }
  const DDCAPS& judged = (ddi->ddiFlags & SG_DDI_EMULATION_CAPS) ? emulation : driver;
  if (!Has3D(judged)) {
    fb->fbFlags |= SG_FB_FLAG_NO_3D;
  }
  if (driver.dwCaps2 & DDCAPS2_NONLOCALVIDMEM) {
    fb->fbFlags |= SG_FB_FLAG_NONLOCAL_VIDMEM;
  }
  if (!(driver.dwCaps2 & DDCAPS2_NOPAGELOCKREQUIRED)) {
    fb->fbFlags |= SG_FB_FLAG_PAGE_LOCK;
  }
  if (opts->fboCodes & SG_FB_OPT_OFFSCREEN) {
    fb->fbFlags |= SG_FB_FLAG_OFFSCREEN;
  }
  return SG_ERROR_NONE;
}
