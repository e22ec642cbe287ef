// Frame buffers: creation, the common part of opening, opening over the
// caller's surfaces, destruction and the accessors.

#include "platform/gdi/dc.h"
#include "platform/gdi/palette.h"
#include "platform/user/window.h"
#include "sg/core/context.h"
#include "sg/core/malloc.h"
#include "sg/core/releasefield.h"
#include "sg/core/sgassert.h"
#include "sg/fb/fb_impl.h"
#include "sg/material/material.h"

using namespace plat;

namespace {

constexpr std::uint32_t kDefaultWidth = 640;
constexpr std::uint32_t kDefaultHeight = 480;

// Size, mode and depth from the option words.
SGError TakeOptions(SGFrameBuffer* fb, const SGFrameBufferOptions* opts) {
  switch (opts->fboCodes & SG_FB_OPT_SIZE_MASK) {
    case 0:
      fb->fbWidth = kDefaultWidth;
      fb->fbHeight = kDefaultHeight;
      if (opts->fboHWnd != nullptr) {
        RECT client;
        GetClientRect(opts->fboHWnd, &client);
        fb->fbWidth = static_cast<std::uint32_t>(client.right - client.left);
        fb->fbHeight = static_cast<std::uint32_t>(client.bottom - client.top);
      }
      break;
    case SG_FB_OPT_SIZE_EXPLICIT:
      fb->fbWidth = opts->fboWidth;
      fb->fbHeight = opts->fboHeight;
      break;
    default:
      return SG_ERROR_UNSUPPORTED;
  }
  switch (opts->fboCodes & SG_FB_OPT_PIXEL_MASK) {
    case 0:
      fb->fbBPP = ISGDesktopDepth();
      fb->fbMode = fb->fbBPP > 8 ? SG_FB_MODE_RGB : SG_FB_MODE_IDX;
      break;
    case SG_FB_OPT_IDX8:
      fb->fbMode = SG_FB_MODE_IDX;
      fb->fbBPP = 8;
      break;
    case SG_FB_OPT_RGB16:
      fb->fbMode = SG_FB_MODE_RGB;
      fb->fbBPP = 16;
      break;
    case SG_FB_OPT_QUASI_RGB16:
      fb->fbMode = SG_FB_MODE_QUASI_RGB;
      fb->fbBPP = 16;
      break;
    default:  // 8-bit and 24-bit direct colour among them
      return SG_ERROR_UNSUPPORTED;
  }
  return SG_ERROR_NONE;
}

SGError Open(SGFrameBuffer* fb, const SGFrameBufferOptions* opts) {
  fb->fbDDI = static_cast<SGDDInfo*>(SGCalloc(1, sizeof(SGDDInfo)));
  if (fb->fbDDI == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  if (opts->fboDDI != nullptr) {
    return ISGFrameBufferOpenShared(fb, opts);
  }
  if (const SGError err = TakeOptions(fb, opts); err != SG_ERROR_NONE) {
    return err;
  }
  SGDDInfo* ddi = fb->fbDDI;
  if (opts->fboCodes & SG_FB_OPT_USER_PALETTE) {
    fb->fbFlags |= SG_FB_FLAG_USER_PALETTE;
  }
  if (opts->fboCodes & SG_FB_OPT_EMULATION_CAPS) {
    ddi->ddiFlags |= SG_DDI_EMULATION_CAPS;
  }
  ddi->ddiMode = fb->fbMode;
  ddi->ddiBPP = fb->fbBPP;
  if (opts->fboHWnd != nullptr) {
    ddi->ddiWindow = opts->fboHWnd;
    fb->fbFlags |= SG_FB_FLAG_CALLER_WINDOW;
  } else if (!(opts->fboCodes & SG_FB_OPT_OFFSCREEN)) {
    if (const SGError err = ISGFrameBufferCreateWindow(fb, opts); err != SG_ERROR_NONE) {
      return err;
    }
  }
  if (opts->fboCodes & SG_FB_OPT_NO_3D) {
    ISGFrameBufferLose3D(fb);
  }
  if (opts->fboCodes & SG_FB_OPT_CALLER_SURFACES) {
    ISG_ASSERT(opts->fboCodes & SG_FB_OPT_USER_PALETTE, "fb");
    ISG_ASSERT(opts->fboHWnd, "fb");
    return ISGFrameBufferOpenCallerSurfaces(fb, opts);
  }
  return ISGFrameBufferOpenDevice(fb, opts);
}

}  // namespace

SGError SGFrameBufferCreate(SGContext* ctx, SGFrameBuffer** out, const SGFrameBufferOptions* opts) {
  *out = nullptr;
  auto* fb = static_cast<SGFrameBuffer*>(SGCalloc(1, sizeof(SGFrameBuffer)));
  if (fb == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  fb->fbContext = ctx;
  if (const SGError err = Open(fb, opts); err != SG_ERROR_NONE) {
    SGFrameBufferDestroy(fb);
    return err;
  }
  if (!(fb->fbFlags & SG_FB_FLAG_OFFSCREEN) && ctx != nullptr) {
    ctx->ctxDDI = fb->fbDDI;
  }
  fb->fbDDI->ddiPixelFormat = &fb->fbPixelFormat;
  fb->fbDDI->ddiTexelFormat = &fb->fbTexelFormat;
  *out = fb;
  return SG_ERROR_NONE;
}

SGError SGFrameBufferDestroy(SGFrameBuffer* fb) {
  SGDDInfo* ddi = fb->fbDDI;
  // A frame buffer sharing another's surfaces must not leave them locked either.
  SGFrameBufferUnlock(fb);
  if (ddi != nullptr && !(fb->fbFlags & SG_FB_FLAG_SHARED_DDI)) {
    // Whatever a failed opening got so far is released too.
    ISGReleaseField(ddi->ddiClipper);
    ISGReleaseField(ddi->ddiPalette);
    ISGReleaseField(ddi->ddiZBuffer);
    ISGReleaseField(ddi->ddiBack);
    if (fb->fbFlags & SG_FB_FLAG_SINGLE_SURFACE) {
      ddi->ddiFront = nullptr;  // its one reference went with the back surface
    }
    ISGReleaseField(ddi->ddiFront);
    ISGReleaseField(ddi->ddiDD);
    if (ddi->ddiWindow != nullptr) {
      if (!(fb->fbFlags & SG_FB_FLAG_CALLER_WINDOW)) {
        DestroyWindow(ddi->ddiWindow);
      }
      ddi->ddiWindow = nullptr;
    }
    SGFree(ddi->ddiDevice);
    SGFree(ddi->ddiSysColours);
  }
  // A shared record is a copy whose objects belong to the other frame buffer;
  // the copy itself is this one's.
  SGFree(ddi);
  fb->fbDDI = nullptr;
  // The context must not keep pointing into a frame buffer that is gone.
  if (SGContext* ctx = fb->fbContext; ctx != nullptr) {
    if (ctx->ctxDDI == ddi && ddi != nullptr) {
      ctx->ctxDDI = nullptr;
    }
    if (ctx->ctxPalette != nullptr && static_cast<void*>(ctx->ctxPalette) == fb->fbPixelTable) {
      ctx->ctxPalette = nullptr;
      ctx->ctxPaletteUsed = 0;
    }
  }
  SGFree(fb->fbPixelTable);
  SGFree(fb->fbColours);
  SGFree(fb);
  return SG_ERROR_NONE;
}

SGError ISGFrameBufferOpenCallerSurfaces(SGFrameBuffer* fb, const SGFrameBufferOptions* opts) {
  SGDDInfo* ddi = fb->fbDDI;
  if (opts->fboCodes & SG_FB_OPT_DRAW_FRONT) {
    ddi->ddiBack = opts->fboFront;
    fb->fbFlags |= SG_FB_FLAG_SINGLE_SURFACE;
  } else {
    ISG_ASSERT(opts->fboBack, "fb");
    ddi->ddiBack = opts->fboBack;
    ddi->ddiBack->AddRef();
  }
  ddi->ddiFront = opts->fboFront;
  if (ddi->ddiFront == nullptr) {
    if (opts->fboDD == nullptr) {
      return SG_ERROR_FB_DDRAW;
    }
    ddi->ddiDD = opts->fboDD;
    ddi->ddiDD->AddRef();
  } else {
    ddi->ddiFront->AddRef();
    void* queried = nullptr;
    if (ddi->ddiFront->QueryInterface(IID_IDirectDrawSurface2, &queried) != DD_OK) {
      return SG_ERROR_FB_SURFACE;
    }
    auto* second = static_cast<IDirectDrawSurface2*>(queried);
    // GetDDInterface hands out the reference the frame buffer keeps.
    void* dd = nullptr;
    const HRESULT hr = second->GetDDInterface(&dd);
    second->Release();
    if (hr != DD_OK || dd == nullptr) {
      return SG_ERROR_FB_SURFACE;
    }
    ddi->ddiDD = static_cast<IDirectDraw*>(dd);
  }
  // A back surface without a front one still tells size, pitch and format.
  IDirectDrawSurface* described = ddi->ddiBack != nullptr ? ddi->ddiBack : ddi->ddiFront;
  if (described != nullptr) {
    DDSURFACEDESC desc;
    if (ISGSurfaceDescribe(described, &desc) != DD_OK) {
      return SG_ERROR_FB_SURFACE;
    }
    if (const SGError err = ISGFrameBufferTakeDescription(fb, desc); err != SG_ERROR_NONE) {
      return err;
    }
    ddi->ddiBPP = fb->fbBPP;
    if (const SGError err = ISGFrameBufferReadSystemColours(ddi); err != SG_ERROR_NONE) {
      return err;
    }
  }
  if (ddi->ddiFront != nullptr) {
    if (fb->fbBPP == 8 && ddi->ddiFront->GetPalette(&ddi->ddiPalette) != DD_OK) {
      return SG_ERROR_NO_LUT;
    }
    if (ddi->ddiFront->GetClipper(&ddi->ddiClipper) == DD_OK) {
      fb->fbFlags |= SG_FB_FLAG_WINDOWED;
    } else {
      fb->fbFlags &= ~SG_FB_FLAG_WINDOWED;
    }
    DDSCAPS z;
    z.dwCaps = DDSCAPS_ZBUFFER;
    ddi->ddiFront->GetAttachedSurface(&z, &ddi->ddiZBuffer);
  }
  // The surface alone tells the 3D ability here.
  return ISGFrameBufferReadCaps(fb, false);
}

SGError SGFrameBufferGetSize(const SGFrameBuffer* fb, std::uint32_t size[2]) {
  size[0] = fb->fbWidth;
  size[1] = fb->fbHeight;
  return SG_ERROR_NONE;
}

SGError SGFrameBufferGetMode(const SGFrameBuffer* fb, std::uint32_t* mode) {
  *mode = fb->fbMode;
  return SG_ERROR_NONE;
}

SGError SGFrameBufferGetBPP(const SGFrameBuffer* fb, std::uint32_t* bpp) {
  *bpp = fb->fbBPP;
  return SG_ERROR_NONE;
}

SGError SGFrameBufferGetPitch(const SGFrameBuffer* fb, std::int32_t* pitch) {
  *pitch = fb->fbPitch;
  return SG_ERROR_NONE;
}

SGError SGFrameBufferBeginScene(SGFrameBuffer*) { return SG_ERROR_NONE; }
