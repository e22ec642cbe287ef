#include <algorithm>
#include <cstring>

#include "media/CSprite.h"

using namespace plat;

namespace {

struct Area {
  std::uint8_t* bits;
  LONG pitch;
  RECT r;  // clipped to the surface; empty when nothing is inside
  bool Empty() const { return r.left >= r.right || r.top >= r.bottom; }
  std::uint16_t* Row(LONG y) const {
    return reinterpret_cast<std::uint16_t*>(bits + static_cast<std::ptrdiff_t>(y) * pitch) + r.left;
  }
};

RECT ClipTo(const RECT* rect, DWORD width, DWORD height) {
  RECT whole{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
  if (!rect) return whole;
  return {std::max<LONG>(rect->left, 0), std::max<LONG>(rect->top, 0), std::min(rect->right, whole.right),
          std::min(rect->bottom, whole.bottom)};
}

// Channels of a COLORREF in five bits each; green keeps five bits in both
// formats, so a 5-6-5 target has its lowest green bit clear.
struct Colour5 {
  DWORD r, g, b;
  explicit Colour5(COLORREF c) : r((c >> 3) & 0x1F), g((c & 0xFFFF) >> 11), b(c >> 19) {}
};

}  // namespace

DWORD CSprite::FillSurface(COLORREF colour, const RECT* rect) {
  if (!surface) return 0;
  const bool is565 = IsVideoIn565Format(nullptr) != 0;
  DDSURFACEDESC desc;
  auto* bits = static_cast<std::uint8_t*>(LockWhole(desc));
  if (!bits) return 0;
  const Area a{bits, desc.lPitch, ClipTo(rect, width, height)};
  if (!a.Empty()) {
    const Colour5 c(colour);
    const auto value =
        static_cast<std::uint16_t>(is565 ? (c.r << 11) | (c.g << 6) | c.b : (c.r << 10) | (c.g << 5) | c.b);
    std::uint16_t* first = a.Row(a.r.top);
    std::fill(first, first + (a.r.right - a.r.left), value);
    const std::size_t bytes = static_cast<std::size_t>(a.r.right - a.r.left) * 2;
    for (LONG row = a.r.top + 1; row < a.r.bottom; ++row) std::memcpy(a.Row(row), first, bytes);
  }
  surface->Unlock(nullptr);
  return 1;
}

DWORD CSprite::Fade(WORD percent, COLORREF colour, const RECT* rect) {
  if (percent == 0) return 1;
  if (!surface) return 0;
  percent = std::min<WORD>(percent, 100);
  const bool is565 = IsVideoIn565Format(nullptr) != 0;
  DDSURFACEDESC desc;
  auto* bits = static_cast<std::uint8_t*>(LockWhole(desc));
  if (!bits) return 0;
  const Colour5 c(colour);
  const int redMask = is565 ? 0xF800 : 0x7C00, greenMask = is565 ? 0x07E0 : 0x03E0;
  const int redTarget = static_cast<int>(c.r << (is565 ? 11 : 10));
  const int greenTarget = static_cast<int>(c.g << (is565 ? 6 : 5));
  const int blueTarget = static_cast<int>(c.b);
  const float f = static_cast<float>(percent) * 0.01f;
  auto blend = [&](int p) {
    const int red =
        ((static_cast<int>(static_cast<float>(redTarget - (p & redMask)) * f) & redMask) + (p & redMask)) & redMask;
    const int green =
        ((static_cast<int>(static_cast<float>(greenTarget - (p & greenMask)) * f) & greenMask) + (p & greenMask)) &
        greenMask;
    const int blue = ((p & 0x1F) + (static_cast<int>(static_cast<float>(blueTarget - (p & 0x1F)) * f) & 0xFF)) & 0x1F;
    return static_cast<std::uint16_t>(red + green + blue);
  };
  // Large areas repeat few values: the last two inputs and their results.
  int inA = -1, inB = -1;
  std::uint16_t outA = 0, outB = 0;
  const Area a{bits, desc.lPitch, ClipTo(rect, width, height)};
  for (LONG row = a.r.top; !a.Empty() && row < a.r.bottom; ++row) {
    std::uint16_t* px = a.Row(row);
    for (LONG i = 0; i < a.r.right - a.r.left; ++i) {
      const int p = px[i];
      if (p == inA) {
        px[i] = outA;
      } else if (p == inB) {
        std::swap(inA, inB);
        std::swap(outA, outB);
        px[i] = outA;
      } else {
        inB = inA;
        outB = outA;
        inA = p;
        outA = blend(p);
        px[i] = outA;
      }
    }
  }
  surface->Unlock(nullptr);
  return 1;
}

void CSprite::Scroll(SHORT n, int dx, int dy) {
  if (n <= 0 || !surface) return;
  DDSURFACEDESC desc;
  auto* bits = static_cast<std::uint8_t*>(LockWhole(desc));
  if (!bits) return;
  auto row = [&](DWORD y) {
    return reinterpret_cast<std::uint16_t*>(bits + static_cast<std::ptrdiff_t>(y) * desc.lPitch);
  };
  const DWORD sx = std::min<DWORD>(static_cast<DWORD>(n), width);
  const DWORD sy = std::min<DWORD>(static_cast<DWORD>(n), height);
  for (DWORD y = 0; dx != 0 && y < height; ++y) {
    std::uint16_t* px = row(y);
    if (dx > 0) {
      std::memmove(px + sx, px, (width - sx) * 2);
      std::fill(px, px + sx, std::uint16_t{0});
    } else {
      std::memmove(px, px + sx, (width - sx) * 2);
      std::fill(px + (width - sx), px + width, std::uint16_t{0});
    }
  }
  if (dy > 0) {
    for (DWORD y = height; y-- > sy;) std::memcpy(row(y), row(y - sy), width * 2);
    for (DWORD y = 0; y < sy; ++y) std::fill(row(y), row(y) + width, std::uint16_t{0});
  } else if (dy < 0) {
    for (DWORD y = 0; y + sy < height; ++y) std::memcpy(row(y), row(y + sy), width * 2);
    for (DWORD y = height - sy; y < height; ++y) std::fill(row(y), row(y) + width, std::uint16_t{0});
  }
  surface->Unlock(nullptr);
}

void CSprite::ScrollRight(SHORT n) { Scroll(n, 1, 0); }
void CSprite::ScrollLeft(SHORT n) { Scroll(n, -1, 0); }
void CSprite::ScrollDown(SHORT n) { Scroll(n, 0, 1); }
void CSprite::ScrollUp(SHORT n) { Scroll(n, 0, -1); }
