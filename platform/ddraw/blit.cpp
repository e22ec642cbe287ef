#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "platform/ddraw/dd_impl.h"
#include "platform/ddraw/ddraw.h"
#include "platform/user/paint.h"
#include "platform/user/window.h"

namespace plat {

namespace {

RECT Clip(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  if (r.left >= r.right || r.top >= r.bottom) return RECT{};
  return r;
}

bool Empty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

bool Overlap(const RECT& a, const RECT& b) { return !Empty(Clip(a, b)); }

// `area` less `hole`: up to four bands added to `out`.
void Subtract(const RECT& area, const RECT& hole, std::vector<RECT>& out) {
  const RECT cut = Clip(area, hole);
  if (Empty(cut)) {
    out.push_back(area);
    return;
  }
  auto add = [&](const RECT& r) {
    if (!Empty(r)) out.push_back(r);
  };
  add(RECT{area.left, area.top, area.right, cut.top});
  add(RECT{area.left, cut.top, cut.left, cut.bottom});
  add(RECT{cut.right, cut.top, area.right, cut.bottom});
  add(RECT{area.left, cut.bottom, area.right, area.bottom});
}

// One row of a 16-bit keyed copy: pixels in [low, high] leave the
// destination as it is. Eight pixels at a time with a select on a vector mask
// (every destination pixel is written, its own value where the key says so),
// then one at a time for the rest.
void KeyedRow16(BYTE* dst, const BYTE* src, std::size_t count, std::uint16_t low, std::uint16_t high) {
  using Pixels = std::uint16_t __attribute__((vector_size(16)));
  constexpr std::size_t kLanes = sizeof(Pixels) / sizeof(std::uint16_t);
  const Pixels lowV = Pixels{} + low, highV = Pixels{} + high;
  std::size_t i = 0;
  for (; i + kLanes <= count; i += kLanes) {
    Pixels p, d;
    std::memcpy(&p, src + i * 2, sizeof p);
    std::memcpy(&d, dst + i * 2, sizeof d);
    const auto transparent = reinterpret_cast<Pixels>((p >= lowV) & (p <= highV));
    const Pixels out = (d & transparent) | (p & ~transparent);
    std::memcpy(dst + i * 2, &out, sizeof out);
  }
  for (; i < count; ++i) {
    std::uint16_t p;
    std::memcpy(&p, src + i * 2, 2);
    if (p < low || p > high) std::memcpy(dst + i * 2, &p, 2);
  }
}

}  // namespace

bool IDirectDrawSurface::SameFormat(const IDirectDrawSurface& o) const {
  return format_.dwRGBBitCount == o.format_.dwRGBBitCount && format_.dwRBitMask == o.format_.dwRBitMask &&
         format_.dwGBitMask == o.format_.dwGBitMask && format_.dwBBitMask == o.format_.dwBBitMask;
}

bool IDirectDrawSurface::Inside(const RECT& r) const {
  return r.left >= 0 && r.top >= 0 && r.right <= static_cast<LONG>(width_) && r.bottom <= static_cast<LONG>(height_) &&
         !Empty(r);
}

void IDirectDrawSurface::ClipList() {
  const RECT whole{0, 0, static_cast<LONG>(width_), static_cast<LONG>(height_)};
  clips_.clear();
  HWND hwnd = nullptr;
  if (!clipper_ || clipper_->GetHWnd(&hwnd) != DD_OK || !hwnd) {
    clips_.push_back(whole);
    return;
  }
  if (!IsWindow(hwnd) || !IsWindowVisible(hwnd)) return;
  RECT client;
  GetClientRect(hwnd, &client);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  client.left += origin.x;
  client.right += origin.x;
  client.top += origin.y;
  client.bottom += origin.y;
  clips_.push_back(Clip(client, whole));
  ClippedChildren(hwnd, children_);
  // A child is left out only where it shows: under a window above (a dialog
  // drawing through this clipper), its place belongs to that window.
  CoveringWindows(hwnd, covering_);
  for (const RECT& above : covering_) {
    clipsRest_.clear();
    for (const RECT& child : children_) Subtract(child, above, clipsRest_);
    children_.swap(clipsRest_);
  }
  for (const RECT& child : children_) {
    clipsRest_.clear();
    for (const RECT& r : clips_) Subtract(r, child, clipsRest_);
    clips_.swap(clipsRest_);
  }
}

void IDirectDrawSurface::Fill(const RECT& r, DWORD value) {
  if (Empty(r)) return;
  const std::size_t bytes = format_.dwRGBBitCount / 8;
  const std::size_t rowBytes = static_cast<std::size_t>(r.right - r.left) * bytes;
  BYTE* first = Bits() + static_cast<std::size_t>(r.top) * pitch_ + static_cast<std::size_t>(r.left) * bytes;
  for (std::size_t i = 0; i < rowBytes; i += bytes) {
    first[i] = static_cast<BYTE>(value & 0xFF);
    if (bytes == 2) first[i + 1] = static_cast<BYTE>((value >> 8) & 0xFF);
  }
  for (LONG y = r.top + 1; y < r.bottom; ++y)
    std::memcpy(first + static_cast<std::size_t>(y - r.top) * pitch_, first, rowBytes);
}

HRESULT IDirectDrawSurface::CopyFrom(IDirectDrawSurface* src, const RECT& dst, const RECT& s,
                                     std::span<const RECT> clips, const DDCOLORKEY* key) {
  const std::size_t bytes = format_.dwRGBBitCount / 8;
  const std::int64_t dw = dst.right - dst.left, dh = dst.bottom - dst.top;
  const std::int64_t sw = s.right - s.left, sh = s.bottom - s.top;
  const bool stretch = dw != sw || dh != sh;
  const BYTE* sbits = src->Bits();
  if (src == this && Overlap(dst, s)) {
    // Reading and writing the same pixels: read from a copy.
    snapshot_.assign(sbits, sbits + static_cast<std::size_t>(pitch_) * height_);
    sbits = snapshot_.data();
  }
  const std::size_t spitch = static_cast<std::size_t>(src->pitch_);
  BYTE* dbits = Bits();
  const DWORD lo = key ? key->dwColorSpaceLowValue : 0, hi = key ? key->dwColorSpaceHighValue : 0;
  for (const RECT& clip : clips) {
    if (Empty(clip)) continue;
    const std::size_t count = static_cast<std::size_t>(clip.right - clip.left);
    // Source column of each destination column, worked out once when stretching.
    std::vector<std::size_t>& columns = columns_;
    if (stretch) {
      columns.resize(count);
      for (std::size_t i = 0; i < count; ++i)
        columns[i] = static_cast<std::size_t>(s.left + (clip.left + static_cast<LONG>(i) - dst.left) * sw / dw);
    }
    const std::size_t firstColumn = static_cast<std::size_t>(s.left + (clip.left - dst.left));
    for (LONG y = clip.top; y < clip.bottom; ++y) {
      const std::int64_t sy = s.top + (y - dst.top) * sh / dh;
      const BYTE* srow = sbits + static_cast<std::size_t>(sy) * spitch;
      BYTE* drow = dbits + static_cast<std::size_t>(y) * pitch_ + static_cast<std::size_t>(clip.left) * bytes;
      if (!stretch) {
        const BYTE* from = srow + firstColumn * bytes;
        if (!key) {
          std::memcpy(drow, from, count * bytes);
        } else if (bytes == 2) {
          if (lo > 0xFFFF || lo > hi) {
            std::memcpy(drow, from, count * 2);  // no pixel has the key
          } else {
            KeyedRow16(drow, from, count, static_cast<std::uint16_t>(lo),
                       static_cast<std::uint16_t>(std::min<DWORD>(hi, 0xFFFF)));
          }
        } else {
          for (std::size_t i = 0; i < count; ++i)
            if (from[i] < lo || from[i] > hi) drow[i] = from[i];
        }
        continue;
      }
      for (std::size_t i = 0; i < count; ++i) {
        if (bytes == 2) {
          std::uint16_t p;
          std::memcpy(&p, srow + columns[i] * 2, 2);
          if (!key || p < lo || p > hi) std::memcpy(drow + i * 2, &p, 2);
        } else {
          const BYTE p = srow[columns[i]];
          if (!key || p < lo || p > hi) drow[i] = p;
        }
      }
    }
  }
  return DD_OK;
}

HRESULT IDirectDrawSurface::Blt(const RECT* dstRect, IDirectDrawSurface* src, const RECT* srcRect, DWORD flags,
                                const DDBLTFX* fx) {
  constexpr DWORD kKnown =
      DDBLT_WAIT | DDBLT_ASYNC | DDBLT_COLORFILL | DDBLT_DDFX | DDBLT_KEYSRC | DDBLT_KEYSRCOVERRIDE;
  if (flags & ~kKnown) return DDERR_UNSUPPORTED;
  if ((flags & (DDBLT_COLORFILL | DDBLT_DDFX | DDBLT_KEYSRCOVERRIDE)) && (!fx || fx->dwSize != sizeof(DDBLTFX)))
    return DDERR_INVALIDPARAMS;
  if ((flags & DDBLT_DDFX) && (fx->dwDDFX & ~DDBLTFX_NOTEARING)) return DDERR_UNSUPPORTED;
  const RECT whole{0, 0, static_cast<LONG>(width_), static_cast<LONG>(height_)};
  const RECT dst = dstRect ? *dstRect : whole;
  if (Empty(dst)) return DDERR_INVALIDRECT;
  std::span<const RECT> clips(&dst, 1);
  if (clipper_) {
    ClipList();
    for (RECT& r : clips_) r = Clip(dst, r);
    clips = clips_;
  } else if (!Inside(dst)) {
    return DDERR_INVALIDRECT;
  }

  if (flags & DDBLT_COLORFILL) {
    if (const HRESULT a = Access(); a != DD_OK) return a;
    for (const RECT& clip : clips) Fill(clip, fx->dwFillColor);
    return DD_OK;
  }
  if (!src) return DDERR_INVALIDPARAMS;
  const RECT s = srcRect ? *srcRect : RECT{0, 0, static_cast<LONG>(src->width_), static_cast<LONG>(src->height_)};
  if (!src->Inside(s)) return DDERR_INVALIDRECT;
  if (!SameFormat(*src)) return DDERR_INVALIDPIXELFORMAT;
  const DDCOLORKEY* key = nullptr;
  if (flags & DDBLT_KEYSRCOVERRIDE) {
    key = &fx->ddckSrcColorkey;
  } else if (flags & DDBLT_KEYSRC) {
    if (!src->hasSrcKey_) return DDERR_NOCOLORKEY;
    key = &src->srcKey_;
  }
  if (const HRESULT a = Access(); a != DD_OK) return a;
  if (src != this) {
    if (const HRESULT a = src->Access(); a != DD_OK) return a;
  }
  return CopyFrom(src, dst, s, clips, key);
}

HRESULT IDirectDrawSurface::BltFast(DWORD x, DWORD y, IDirectDrawSurface* src, const RECT* srcRect, DWORD trans) {
  if (trans & ~(DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT)) return DDERR_UNSUPPORTED;
  if (!src) return DDERR_INVALIDPARAMS;
  if (clipper_) return DDERR_BLTFASTCANTCLIP;
  const RECT s = srcRect ? *srcRect : RECT{0, 0, static_cast<LONG>(src->width_), static_cast<LONG>(src->height_)};
  if (!src->Inside(s)) return DDERR_INVALIDRECT;
  const std::int64_t right = static_cast<std::int64_t>(x) + (s.right - s.left);
  const std::int64_t bottom = static_cast<std::int64_t>(y) + (s.bottom - s.top);
  if (right > static_cast<std::int64_t>(width_) || bottom > static_cast<std::int64_t>(height_))
    return DDERR_INVALIDRECT;
  const RECT dst{static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(right), static_cast<LONG>(bottom)};
  if (!SameFormat(*src)) return DDERR_INVALIDPIXELFORMAT;
  const DDCOLORKEY* key = nullptr;
  if (trans & DDBLTFAST_SRCCOLORKEY) {
    if (!src->hasSrcKey_) return DDERR_NOCOLORKEY;
    key = &src->srcKey_;
  }
  if (const HRESULT a = Access(); a != DD_OK) return a;
  if (src != this) {
    if (const HRESULT a = src->Access(); a != DD_OK) return a;
  }
  return CopyFrom(src, dst, s, std::span<const RECT>(&dst, 1), key);
}

}  // namespace plat
