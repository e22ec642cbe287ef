#include <algorithm>
#include <cstring>

#include "platform/ddraw/dd_impl.h"
#include "platform/ddraw/ddraw.h"
#include "platform/display/screen.h"

namespace plat {

using dd_impl::Display;

IDirectDrawSurface::IDirectDrawSurface(IDirectDraw* owner, DWORD width, DWORD height, const DDPIXELFORMAT& format,
                                       DWORD caps, bool primary)
    : owner_(owner), width_(width), height_(height), format_(format), caps_(caps), primary_(primary) {
  const DWORD bytes = format.dwRGBBitCount / 8;
  pitch_ = primary ? Screen::kPitch : static_cast<LONG>((width * bytes + 3) & ~3u);
  if (!primary) own_.assign(static_cast<std::size_t>(pitch_) * height, 0);
  owner_->AddRef();
  Display().surfaces.insert(this);
  if (primary) Display().primaryExists = true;
}

IDirectDrawSurface::~IDirectDrawSurface() {
  if (backBuffer_) backBuffer_->Release();
  if (palette_) palette_->Release();
  if (clipper_) clipper_->Release();
  Display().surfaces.erase(this);
  if (primary_) Display().primaryExists = false;
  owner_->Release();
}

BYTE* IDirectDrawSurface::Bits() { return primary_ ? GetScreen().pixels.data() : own_.data(); }

void IDirectDrawSurface::Blank() {
  if (primary_) {
    std::fill(GetScreen().pixels.begin(), GetScreen().pixels.end(), BYTE{0});
  } else {
    std::fill(own_.begin(), own_.end(), BYTE{0});
  }
}

HRESULT IDirectDrawSurface::Access() {
  if (pendingFailure_ != DD_OK) {
    const HRESULT r = pendingFailure_;
    pendingFailure_ = DD_OK;
    if (r == DDERR_SURFACELOST) lost_ = true;
    return r;
  }
  if (lost_) return DDERR_SURFACELOST;
  if (locked_ || dc_) return DDERR_SURFACEBUSY;
  return DD_OK;
}

void IDirectDrawSurface::FailNextAccess(HRESULT result) { pendingFailure_ = result; }

HRESULT IDirectDrawSurface::QueryInterface(REFIID iid, void** out) {
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (!(iid == IID_IDirectDrawSurface) && !(iid == IID_IDirectDrawSurface2)) {
    return Direct3DQuerySurface(this, iid, out);
  }
  AddRef();
  *out = this;
  return DD_OK;
}

HRESULT IDirectDrawSurface::GetSurfaceDesc(DDSURFACEDESC* desc) {
  if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
  *desc = DDSURFACEDESC{};
  desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
  desc->dwWidth = width_;
  desc->dwHeight = height_;
  desc->lPitch = pitch_;
  desc->ddpfPixelFormat = format_;
  desc->ddsCaps.dwCaps = caps_;
  if (backBuffer_) {
    desc->dwFlags |= DDSD_BACKBUFFERCOUNT;
    desc->dwBackBufferCount = 1;
  }
  if (hasSrcKey_) {
    desc->dwFlags |= DDSD_CKSRCBLT;
    desc->ddckCKSrcBlt = srcKey_;
  }
  return DD_OK;
}

HRESULT IDirectDrawSurface::GetCaps(DDSCAPS* caps) {
  if (!caps) return DDERR_INVALIDPARAMS;
  caps->dwCaps = caps_;
  return DD_OK;
}

HRESULT IDirectDrawSurface::GetPixelFormat(DDPIXELFORMAT* format) {
  if (!format || format->dwSize != sizeof(DDPIXELFORMAT)) return DDERR_INVALIDPARAMS;
  *format = format_;
  return DD_OK;
}

HRESULT IDirectDrawSurface::Lock(const RECT* rect, DDSURFACEDESC* desc, DWORD, HANDLE) {
  if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
  RECT r{0, 0, static_cast<LONG>(width_), static_cast<LONG>(height_)};
  if (rect) {
    if (rect->left < 0 || rect->top < 0 || rect->right > r.right || rect->bottom > r.bottom ||
        rect->left >= rect->right || rect->top >= rect->bottom)
      return DDERR_INVALIDRECT;
    r = *rect;
  }
  if (const HRESULT a = Access(); a != DD_OK) return a;
  GetSurfaceDesc(desc);
  desc->dwFlags |= DDSD_LPSURFACE;
  desc->lpSurface = Bits() + static_cast<std::size_t>(r.top) * pitch_ +
                    static_cast<std::size_t>(r.left) * (format_.dwRGBBitCount / 8);
  locked_ = true;
  return DD_OK;
}

HRESULT IDirectDrawSurface::Unlock(void*) {
  if (!locked_) return DDERR_NOTLOCKED;
  locked_ = false;
  return DD_OK;
}

HRESULT IDirectDrawSurface::IsLost() { return lost_ ? DDERR_SURFACELOST : DD_OK; }

HRESULT IDirectDrawSurface::Restore() {
  if (!lost_ && !(backBuffer_ && backBuffer_->lost_)) return DD_OK;
  if (Display().deactivated && !(caps_ & DDSCAPS_SYSTEMMEMORY)) return DDERR_WRONGMODE;
  lost_ = false;
  Blank();
  if (backBuffer_ && backBuffer_->lost_) {
    backBuffer_->lost_ = false;
    backBuffer_->Blank();
  }
  return DD_OK;
}

HRESULT IDirectDrawSurface::SetColorKey(DWORD flags, const DDCOLORKEY* key) {
  if (!(flags & DDCKEY_SRCBLT) || (flags & DDCKEY_COLORSPACE && !key)) return DDERR_INVALIDPARAMS;
  hasSrcKey_ = key != nullptr;
  if (key) srcKey_ = *key;
  return DD_OK;
}

HRESULT IDirectDrawSurface::GetColorKey(DWORD flags, DDCOLORKEY* key) {
  if (!(flags & DDCKEY_SRCBLT) || !key) return DDERR_INVALIDPARAMS;
  if (!hasSrcKey_) return DDERR_NOCOLORKEY;
  *key = srcKey_;
  return DD_OK;
}

HRESULT IDirectDrawSurface::Flip(IDirectDrawSurface*, DWORD) {
  if (!backBuffer_) return DDERR_NOTFLIPPABLE;
  if (const HRESULT a = Access(); a != DD_OK) return a;
  if (const HRESULT b = backBuffer_->Access(); b != DD_OK) return b;
  // The pictures change places: what was drawn behind is now on the screen.
  std::swap(GetScreen().pixels, backBuffer_->own_);
  return DD_OK;
}

HRESULT IDirectDrawSurface::GetAttachedSurface(const DDSCAPS* caps, IDirectDrawSurface** out) {
  if (!caps || !out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (!(caps->dwCaps & DDSCAPS_BACKBUFFER) || !backBuffer_) return DDERR_NOTFOUND;
  backBuffer_->AddRef();
  *out = backBuffer_;
  return DD_OK;
}

HRESULT IDirectDrawSurface::SetPalette(IDirectDrawPalette* palette) {
  if (format_.dwRGBBitCount != 8) return DDERR_NOT8BITCOLOR;
  if (palette) palette->AddRef();
  if (palette_) palette_->Release();
  palette_ = palette;
  return DD_OK;
}

HRESULT IDirectDrawSurface::GetPalette(IDirectDrawPalette** out) {
  if (!out) return DDERR_INVALIDPARAMS;
  *out = palette_;
  if (!palette_) return DDERR_NOPALETTEATTACHED;
  palette_->AddRef();
  return DD_OK;
}

HRESULT IDirectDrawSurface::SetClipper(IDirectDrawClipper* clipper) {
  if (clipper) clipper->AddRef();
  if (clipper_) clipper_->Release();
  clipper_ = clipper;
  return DD_OK;
}

HRESULT IDirectDrawSurface::GetClipper(IDirectDrawClipper** out) {
  if (!out) return DDERR_INVALIDPARAMS;
  *out = clipper_;
  if (!clipper_) return DDERR_NOCLIPPERATTACHED;
  clipper_->AddRef();
  return DD_OK;
}

HRESULT IDirectDrawSurface::GetDDInterface(void** out) {
  if (!out) return DDERR_INVALIDPARAMS;
  owner_->AddRef();
  *out = owner_;
  return DD_OK;
}

HRESULT IDirectDrawSurface::PageLock(DWORD) { return DD_OK; }

HRESULT IDirectDrawSurface::PageUnlock(DWORD) { return DD_OK; }

IDirectDrawSurface::PixelView IDirectDrawSurface::Pixels() {
  PixelView v;
  v.bits = Bits();
  v.pitch = pitch_;
  v.width = width_;
  v.height = height_;
  v.bitCount = format_.dwRGBBitCount;
  v.redMask = format_.dwRBitMask;
  v.greenMask = format_.dwGBitMask;
  v.blueMask = format_.dwBBitMask;
  v.palette = palette_;
  return v;
}

}  // namespace plat
