// Re-targeting a frame buffer onto another surface.

#include "sg/core/releasefield.h"
#include "sg/core/sgassert.h"
#include "sg/d3d/d3ddevice.h"
#include "sg/fb/fb_impl.h"
#include "sg/fb/fbextra.h"
#include "sg/render/renderer.h"

using namespace plat;

SGError SGFrameBufferSetSurface(const SGFrameBufferTarget* target) {
  IDirectDrawSurface* lpdds = target->surface;
  ISG_ASSERT(lpdds, "fb");
  SGFrameBuffer* fb = target->fb;
  SGDDInfo* ddi = fb->fbDDI;
  if (const SGError err = SGFrameBufferUnlock(fb); err != SG_ERROR_NONE) {
    return err;
  }
  DDSURFACEDESC desc;
  if (ISGSurfaceDescribe(lpdds, &desc) != DD_OK) {
    return SG_ERROR_FB_SURFACE;
  }
  // The description is checked before anything of the old target is let go.
  const std::uint32_t oldFlags = fb->fbFlags;
  const std::uint32_t oldDDIFlags = ddi->ddiFlags;
  ddi->ddiFlags &= ~(SG_DDI_SYSTEM_MEMORY | SG_DDI_FLIP);
  if (const SGError err = ISGFrameBufferTakeDescription(fb, desc); err != SG_ERROR_NONE) {
    fb->fbFlags = oldFlags;
    ddi->ddiFlags = oldDDIFlags;
    return err;
  }
  IDirectDrawSurface* back = nullptr;
  DDSCAPS backCaps;
  backCaps.dwCaps = DDSCAPS_BACKBUFFER;
  if (lpdds->GetAttachedSurface(&backCaps, &back) != DD_OK) {
    back = nullptr;
  }
  // The frame buffer holds a reference on each surface it keeps, one when the
  // back surface is the front surface.
  ISGReleaseField(ddi->ddiBack);
  if (fb->fbFlags & SG_FB_FLAG_SINGLE_SURFACE) {
    ddi->ddiFront = nullptr;
  }
  ISGReleaseField(ddi->ddiFront);
  ISGReleaseField(ddi->ddiPalette);
  ISGReleaseField(ddi->ddiClipper);
  lpdds->AddRef();
  ddi->ddiFront = lpdds;
  if (back != nullptr) {
    fb->fbFlags &= ~SG_FB_FLAG_SINGLE_SURFACE;
    ddi->ddiBack = back;  // GetAttachedSurface's reference
  } else {
    fb->fbFlags |= SG_FB_FLAG_SINGLE_SURFACE;
    ddi->ddiBack = lpdds;
  }
  ddi->ddiBPP = fb->fbBPP;
  if (const SGError err = ISGFrameBufferReadSystemColours(ddi); err != SG_ERROR_NONE) {
    return err;
  }
  if (fb->fbBPP == 8 && lpdds->GetPalette(&ddi->ddiPalette) != DD_OK) {
    return SG_ERROR_NO_LUT;
  }
  if (lpdds->GetClipper(&ddi->ddiClipper) == DD_OK) {
    fb->fbFlags |= SG_FB_FLAG_WINDOWED;
  } else {
    fb->fbFlags &= ~SG_FB_FLAG_WINDOWED;
  }
  if (fb->fbRenderer != nullptr && fb->fbRenderer->renD3D != nullptr) {
    return ISGD3DRetarget(fb->fbRenderer, ddi->ddiBack);
  }
  return SG_ERROR_NONE;
}
