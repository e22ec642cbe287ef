#pragma once
// Rectangles, lines, ellipses and pies in the selected pen and brush.
// Rectangles are given with their right and bottom edges outside. Called from the program's thread only.

#include "platform/core/types.h"
#include "platform/gdi/objects.h"

namespace plat {

// Fills the rectangle with the brush (a null or hollow brush draws nothing).
// 1 done, 0 for a bad DC or brush.
int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
// A one-pixel frame inside the rectangle in the brush's colour.
int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush);

// Outlined with the pen, filled with the brush. With a null pen the filled
// area ends one pixel short on the right and bottom, as the classic call did.
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);

// Moves the current position; `previous` (may be null) receives the old one.
BOOL MoveToEx(HDC hdc, int x, int y, POINT* previous);
// A line from the current position to (x, y), which becomes the current
// position. One-pixel pens leave out the last pixel, so joined lines draw each
// corner once.
BOOL LineTo(HDC hdc, int x, int y);
// Lines through the points, without using or moving the current position.
BOOL Polyline(HDC hdc, const POINT* points, int count);

// The ellipse inside the rectangle, outlined with the pen, filled with the brush.
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
// The part of that ellipse swept counter-clockwise from the ray towards
// (x1, y1) to the ray towards (x2, y2); equal rays give the whole ellipse.
BOOL Pie(HDC hdc, int left, int top, int right, int bottom, int x1, int y1, int x2, int y2);

}  // namespace plat
