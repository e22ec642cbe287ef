// DCs on DirectDraw surfaces. The surface counts as busy while its DC is out,
// as the classic one did, so no lock or blit runs under a drawing DC.

#include "platform/ddraw/ddraw.h"
#include "platform/gdi/dc.h"

namespace plat {
namespace {

PixelFormat FormatOf(const IDirectDrawSurface::PixelView& v) {
  if (v.bitCount == 8) return PixelFormat::kIndexed8;
  return v.redMask == 0x7C00 ? PixelFormat::kRgb555 : PixelFormat::kRgb565;
}

}  // namespace

HRESULT IDirectDrawSurface::GetDC(HDC* out) {
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  const HRESULT access = Access();
  if (access != DD_OK) return access;
  const PixelView v = Pixels();
  PixelTarget target;
  target.bits = v.bits;
  target.pitch = v.pitch;
  target.width = static_cast<int>(v.width);
  target.height = static_cast<int>(v.height);
  target.format = FormatOf(v);
  if (target.format == PixelFormat::kIndexed8 && v.palette) target.palette = v.palette->Entries();
  dc_ = CreateTargetDC(target);
  *out = dc_;
  return DD_OK;
}

HRESULT IDirectDrawSurface::ReleaseDC(HDC hdc) {
  if (!dc_ || hdc != dc_) return DDERR_INVALIDPARAMS;
  DeleteDC(dc_);
  dc_ = nullptr;
  return DD_OK;
}

}  // namespace plat
