#pragma once
// Pixel-level drawing on a canvas, in logical coordinates, clipped. Called from the program's thread only.

#include <functional>

#include "platform/gdi/gdi_impl.h"

namespace plat::gdi_impl {

// `count` pixels of row y from x (device coordinates, inside the clip) set to
// `value`, leaving out the canvas's holes.
void PutSpan(const Canvas& c, int x, int y, int count, DWORD value);
// Fills the rectangle (right and bottom outside).
void FillLogical(const Canvas& c, RECT r, DWORD value);
void Plot(const Canvas& c, int x, int y, DWORD value);
// A square nib of `width` pixels centred on (x, y).
void Stamp(const Canvas& c, int x, int y, int width, DWORD value);
// A line from a to b with the nib; `includeLast` draws b's pixel too.
void StrokeLine(const Canvas& c, POINT a, POINT b, int width, DWORD value, bool includeLast);

// A shape given as a test of pixels in a bounding box: the border (pixels of
// the shape within `penWidth` of its outside, along rows or columns) in
// `penValue`, the rest in `fillValue`. Null values leave that part undrawn.
struct ShapeColours {
  const DWORD* pen = nullptr;
  int penWidth = 0;
  const DWORD* fill = nullptr;
};
void FillShape(const Canvas& c, const RECT& box, const std::function<bool(int, int)>& inside,
               const ShapeColours& colours);

}  // namespace plat::gdi_impl
