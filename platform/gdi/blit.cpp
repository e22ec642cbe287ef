// BitBlt and StretchBlt between any two DCs.

#include <array>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/gdi/bitmaps.h"
#include "platform/gdi/gdi_impl.h"
#include "platform/gdi/raster.h"

namespace plat {
namespace {

using namespace gdi_impl;

// Turns source pixel values into destination pixel values through their colours.
class Converter {
 public:
  Converter(const Canvas& src, const Canvas& dst) : src_(src), dst_(dst) {
    same_ = src.target.format == dst.target.format && src.target.format != PixelFormat::kIndexed8;
    if (src.target.format == PixelFormat::kIndexed8) {
      indexed_ = true;
      for (DWORD i = 0; i < 256; ++i)
        table_[i] = dst.Colour(DecodePixel(PixelFormat::kIndexed8, src.target.palette, i));
    }
  }

  DWORD operator()(DWORD v) {
    if (same_) return v;
    if (indexed_) return table_[v & 0xFF];
    const COLORREF colour = DecodePixel(src_.target.format, {}, v);
    if (dst_.target.format != PixelFormat::kIndexed8) return dst_.Colour(colour);
    // Matching a palette is a search; true-colour pictures repeat colours a lot.
    auto [it, added] = nearest_.try_emplace(colour, 0);
    if (added) it->second = dst_.Colour(colour);
    return it->second;
  }

 private:
  const Canvas& src_;
  const Canvas& dst_;
  bool same_ = false;
  bool indexed_ = false;
  std::array<DWORD, 256> table_{};
  std::unordered_map<COLORREF, DWORD> nearest_;
};

// For each of `count` destination steps, the source offset under its centre
// (mirrored when `flip`).
std::vector<int> SourceSteps(int count, int sourceCount, bool flip) {
  std::vector<int> steps(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const int s = static_cast<int>((2LL * i + 1) * sourceCount / (2LL * count));
    steps[static_cast<std::size_t>(i)] = flip ? sourceCount - 1 - s : s;
  }
  return steps;
}

void Copy(const Canvas& dst, int x, int y, int w, int h, const Canvas& src, int sx, int sy, int sw, int sh, bool flipX,
          bool flipY) {
  Converter convert(src, dst);
  const std::vector<int> xs = SourceSteps(w, sw, flipX);
  const std::vector<int> ys = SourceSteps(h, sh, flipY);
  const int srcX = sx + src.origin.x, srcY = sy + src.origin.y;
  for (int j = 0; j < h; ++j) {
    const int dy = y + j + dst.origin.y;
    const int syy = srcY + ys[static_cast<std::size_t>(j)];
    if (dy < dst.clip.top || dy >= dst.clip.bottom || syy < 0 || syy >= src.target.height) continue;
    for (int i = 0; i < w; ++i) {
      const int dx = x + i + dst.origin.x;
      const int sxx = srcX + xs[static_cast<std::size_t>(i)];
      if (dx < dst.clip.left || dx >= dst.clip.right || sxx < 0 || sxx >= src.target.width) continue;
      PutSpan(dst, dx, dy, 1, convert(ReadPixel(src.target, sxx, syy)));
    }
  }
}

// A block whose width or height may be negative: its left or top edge and
// size, and whether it runs backwards.
void Normalise(int& pos, int& size, bool& flip) {
  if (size < 0) {
    pos += size;
    size = -size;
    flip = !flip;
  }
}

}  // namespace

BOOL StretchBlt(HDC hdc, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop) {
  HDC__* d = FindDC(hdc);
  HDC__* s = FindDC(src);
  if (!d || !s || rop != SRCCOPY) return FALSE;
  bool flipX = false, flipY = false;
  Normalise(x, w, flipX);
  Normalise(y, h, flipY);
  Normalise(sx, sw, flipX);
  Normalise(sy, sh, flipY);
  if (w == 0 || h == 0 || sw == 0 || sh == 0) return TRUE;
  Canvas canvas;
  if (!DcCanvas(*d, &canvas)) return FALSE;
  Canvas source;
  if (!DcCanvas(*s, &source)) return FALSE;
  Copy(canvas, x, y, w, h, source, sx, sy, sw, sh, flipX, flipY);
  return TRUE;
}

BOOL BitBlt(HDC hdc, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
  return StretchBlt(hdc, x, y, w, h, src, sx, sy, w, h, rop);
}

int SetStretchBltMode(HDC hdc, int mode) {
  HDC__* dc = FindDC(hdc);
  if (!dc || mode < BLACKONWHITE || mode > HALFTONE) return 0;
  const int previous = dc->stretchMode;
  dc->stretchMode = mode;
  return previous;
}

int GetStretchBltMode(HDC hdc) {
  HDC__* dc = FindDC(hdc);
  return dc ? dc->stretchMode : 0;
}

}  // namespace plat
