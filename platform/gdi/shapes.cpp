#include "platform/gdi/shapes.h"

#include <cmath>
#include <numbers>
#include <utility>

#include "platform/gdi/raster.h"

namespace plat {
namespace {

using namespace gdi_impl;

// The pen as drawn: null for PS_NULL.
const PenObject* VisiblePen(const HDC__& dc) {
  const PenObject* pen = DcPen(dc);
  return pen && pen->style != PS_NULL ? pen : nullptr;
}

const BrushObject* VisibleBrush(const HDC__& dc) {
  const BrushObject* brush = DcBrush(dc);
  return brush && !brush->hollow ? brush : nullptr;
}

RECT Normalised(int left, int top, int right, int bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  return RECT{left, top, right, bottom};
}

// Ellipse and pie share this: the shape's test over its box, outlined with the
// pen and filled with the brush. Without a pen the box loses its last column
// and row, as Rectangle's does.
BOOL DrawRound(HDC hdc, RECT box, const std::function<bool(double, double)>& sector) {
  HDC__* dc = FindDC(hdc);
  if (!dc) return FALSE;
  Canvas canvas;
  if (!DcCanvas(*dc, &canvas)) return FALSE;
  const Canvas& c = canvas;
  const PenObject* pen = VisiblePen(*dc);
  const BrushObject* brush = VisibleBrush(*dc);
  if (!pen) {
    --box.right;
    --box.bottom;
  }
  const double cx = (box.left + box.right) / 2.0, cy = (box.top + box.bottom) / 2.0;
  const double a = (box.right - box.left) / 2.0, b = (box.bottom - box.top) / 2.0;
  if (a <= 0 || b <= 0) return TRUE;
  auto inside = [&](int x, int y) {
    const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
    return (dx * dx) / (a * a) + (dy * dy) / (b * b) <= 1.0 && sector(dx, dy);
  };
  DWORD penValue = 0, fillValue = 0;
  ShapeColours colours;
  if (pen) {
    penValue = c.Colour(pen->colour);
    colours.pen = &penValue;
    colours.penWidth = pen->width;
  }
  if (brush) {
    fillValue = c.Colour(brush->colour);
    colours.fill = &fillValue;
  }
  FillShape(c, box, inside, colours);
  return TRUE;
}

// The angle of a direction on the screen, counter-clockwise from the right
// (screen y grows downwards), in [0, 2 pi).
double ScreenAngle(double dx, double dy) {
  double t = std::atan2(-dy, dx);
  if (t < 0) t += 2 * std::numbers::pi;
  return t;
}

}  // namespace

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  HDC__* dc = FindDC(hdc);
  BrushObject* b = FindBrush(brush);
  if (!dc || !rect || !b) return 0;
  if (b->hollow) return 1;
  Canvas canvas;
  if (!DcCanvas(*dc, &canvas)) return 0;
  FillLogical(canvas, *rect, canvas.Colour(b->colour));
  return 1;
}

int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  HDC__* dc = FindDC(hdc);
  BrushObject* b = FindBrush(brush);
  if (!dc || !rect || !b) return 0;
  if (b->hollow || IsEmptyRect(*rect)) return 1;
  Canvas canvas;
  if (!DcCanvas(*dc, &canvas)) return 0;
  const Canvas& c = canvas;
  const DWORD v = c.Colour(b->colour);
  const RECT& r = *rect;
  FillLogical(c, RECT{r.left, r.top, r.right, r.top + 1}, v);
  FillLogical(c, RECT{r.left, r.bottom - 1, r.right, r.bottom}, v);
  FillLogical(c, RECT{r.left, r.top + 1, r.left + 1, r.bottom - 1}, v);
  FillLogical(c, RECT{r.right - 1, r.top + 1, r.right, r.bottom - 1}, v);
  return 1;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  HDC__* dc = FindDC(hdc);
  if (!dc) return FALSE;
  Canvas canvas;
  if (!DcCanvas(*dc, &canvas)) return FALSE;
  const Canvas& c = canvas;
  const RECT r = Normalised(left, top, right, bottom);
  const PenObject* pen = VisiblePen(*dc);
  if (const BrushObject* brush = VisibleBrush(*dc)) {
    const RECT inner =
        pen ? RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1} : RECT{r.left, r.top, r.right - 1, r.bottom - 1};
    FillLogical(c, inner, c.Colour(brush->colour));
  }
  if (pen && r.right > r.left && r.bottom > r.top) {
    const DWORD v = c.Colour(pen->colour);
    const POINT corners[5] = {
        {r.left, r.top}, {r.right - 1, r.top}, {r.right - 1, r.bottom - 1}, {r.left, r.bottom - 1}, {r.left, r.top}};
    for (int i = 0; i < 4; ++i) StrokeLine(c, corners[i], corners[i + 1], pen->width, v, true);
  }
  return TRUE;
}

BOOL MoveToEx(HDC hdc, int x, int y, POINT* previous) {
  HDC__* dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (previous) *previous = dc->position;
  dc->position = POINT{x, y};
  return TRUE;
}

namespace {

void Segment(const Canvas& c, const PenObject* pen, POINT a, POINT b) {
  if (!pen) return;
  // A one-pixel pen leaves the end out; wider pens have round ends and draw it.
  StrokeLine(c, a, b, pen->width, c.Colour(pen->colour), pen->width > 1);
}

}  // namespace

BOOL LineTo(HDC hdc, int x, int y) {
  HDC__* dc = FindDC(hdc);
  if (!dc) return FALSE;
  const POINT from = dc->position;
  dc->position = POINT{x, y};
  Canvas canvas;
  if (!DcCanvas(*dc, &canvas)) return FALSE;
  Segment(canvas, VisiblePen(*dc), from, POINT{x, y});
  return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* points, int count) {
  HDC__* dc = FindDC(hdc);
  if (!dc || !points || count < 2) return FALSE;
  Canvas canvas;
  if (!DcCanvas(*dc, &canvas)) return FALSE;
  const PenObject* pen = VisiblePen(*dc);
  for (int i = 1; i < count; ++i) Segment(canvas, pen, points[i - 1], points[i]);
  return TRUE;
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  return DrawRound(hdc, Normalised(left, top, right, bottom), [](double, double) { return true; });
}

BOOL Pie(HDC hdc, int left, int top, int right, int bottom, int x1, int y1, int x2, int y2) {
  const RECT box = Normalised(left, top, right, bottom);
  const double cx = (box.left + box.right) / 2.0, cy = (box.top + box.bottom) / 2.0;
  const double start = ScreenAngle(x1 - cx, y1 - cy);
  double sweep = ScreenAngle(x2 - cx, y2 - cy) - start;
  if (sweep <= 0) sweep += 2 * std::numbers::pi;
  return DrawRound(hdc, box, [start, sweep](double dx, double dy) {
    if (dx == 0 && dy == 0) return true;
    double t = ScreenAngle(dx, dy) - start;
    if (t < 0) t += 2 * std::numbers::pi;
    return t <= sweep;
  });
}

}  // namespace plat
