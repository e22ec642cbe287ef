#include "platform/gdi/raster.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace plat::gdi_impl {

void PutSpan(const Canvas& c, int x, int y, int count, DWORD value) {
  int end = x + count;
  // Holes are few (the children of one window): cut the span at each in turn,
  // drawing what lies left of a hole and going on right of it.
  for (const RECT& h : c.holes) {
    if (y < h.top || y >= h.bottom || h.right <= x || h.left >= end) continue;
    if (h.left > x) PutSpan(c, x, y, h.left - x, value);
    x = h.right;
    if (x >= end) return;
  }
  if (x < end) FillSpan(c.target, x, y, end - x, value);
}

void FillLogical(const Canvas& c, RECT r, DWORD value) {
  r = IntersectRects(RECT{r.left + c.origin.x, r.top + c.origin.y, r.right + c.origin.x, r.bottom + c.origin.y},
                     c.clip);
  for (int y = r.top; y < r.bottom; ++y) PutSpan(c, r.left, y, r.right - r.left, value);
}

void Plot(const Canvas& c, int x, int y, DWORD value) {
  x += c.origin.x;
  y += c.origin.y;
  if (x < c.clip.left || x >= c.clip.right || y < c.clip.top || y >= c.clip.bottom) return;
  PutSpan(c, x, y, 1, value);
}

void Stamp(const Canvas& c, int x, int y, int width, DWORD value) {
  if (width <= 1) {
    Plot(c, x, y, value);
    return;
  }
  const int lo = -(width - 1) / 2;
  FillLogical(c, RECT{x + lo, y + lo, x + lo + width, y + lo + width}, value);
}

void StrokeLine(const Canvas& c, POINT a, POINT b, int width, DWORD value, bool includeLast) {
  const int dx = std::abs(b.x - a.x), dy = std::abs(b.y - a.y);
  const int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
  int steps = dx > dy ? dx : dy;
  if (!includeLast) --steps;
  if (steps < 0) return;
  if (dx == 0 || dy == 0) {
    // The nibs of a level or upright line overlap into one rectangle: fill it
    // once instead of stamping every pixel (bars and grids are drawn so).
    const int endX = a.x + (dx ? sx * steps : 0), endY = a.y + (dy ? sy * steps : 0);
    const int lo = width <= 1 ? 0 : -(width - 1) / 2, nib = width <= 1 ? 1 : width;
    const int left = std::min<int>(a.x, endX) + lo, top = std::min<int>(a.y, endY) + lo;
    FillLogical(c, RECT{left, top, std::max<int>(a.x, endX) + lo + nib, std::max<int>(a.y, endY) + lo + nib}, value);
    return;
  }
  int x = a.x, y = a.y;
  int err = (dx > dy ? dx : -dy) / 2;
  for (int i = 0; i <= steps; ++i) {
    Stamp(c, x, y, width, value);
    const int e = err;
    if (e > -dx) {
      err -= dy;
      x += sx;
    }
    if (e < dy) {
      err += dx;
      y += sy;
    }
  }
}

void FillShape(const Canvas& c, const RECT& box, const std::function<bool(int, int)>& inside,
               const ShapeColours& colours) {
  // Only the visible part is examined, with a margin of the pen's width all
  // round so that the border test sees the shape beyond the clip edge.
  const RECT clip{c.clip.left - c.origin.x, c.clip.top - c.origin.y, c.clip.right - c.origin.x,
                  c.clip.bottom - c.origin.y};
  const RECT visible = IntersectRects(box, clip);
  if (IsEmptyRect(visible)) return;
  const int m = colours.penWidth;
  const int gx0 = visible.left - m, gy0 = visible.top - m;
  const int gw = visible.right - visible.left + 2 * m, gh = visible.bottom - visible.top + 2 * m;
  std::vector<char> in(static_cast<std::size_t>(gw) * gh, 0);
  for (int gy = 0; gy < gh; ++gy) {
    for (int gx = 0; gx < gw; ++gx) {
      const int x = gx0 + gx, y = gy0 + gy;
      if (x >= box.left && x < box.right && y >= box.top && y < box.bottom && inside(x, y))
        in[static_cast<std::size_t>(gy) * gw + gx] = 1;
    }
  }
  auto at = [&](int x, int y) { return in[static_cast<std::size_t>(y - gy0) * gw + (x - gx0)] != 0; };
  for (int y = visible.top; y < visible.bottom; ++y) {
    for (int x = visible.left; x < visible.right; ++x) {
      if (!at(x, y)) continue;
      bool border = false;
      for (int k = 1; k <= m && !border; ++k) border = !at(x - k, y) || !at(x + k, y) || !at(x, y - k) || !at(x, y + k);
      const DWORD* value = border ? colours.pen : colours.fill;
      if (value) Plot(c, x, y, *value);
    }
  }
}

}  // namespace plat::gdi_impl
