#pragma once
// The classic look the controls draw with: system-colour brushes, raised and
// sunken edges, arrows, check marks, focus rectangles and window borders.
// Called from the program's thread only.

#include "platform/core/types.h"
#include "platform/gdi/objects.h"

namespace plat::dialog_impl {

// A solid brush of the colour, made once and kept.
HBRUSH SolidBrush(COLORREF colour);
// A solid brush of the system colour as it is now.
HBRUSH SysBrush(int colourIndex);
void FillSolid(HDC dc, const RECT& rect, COLORREF colour);

enum class Edge {
  kRaised,  // a button at rest
  kPushed,  // a pushed button: dark frame and shadow
  kSunken,  // the two-pixel edge of a field
  kEtched,  // a group box or etched frame
};
// Draws the edge inside `rect` (two pixels wide) and returns what is left inside.
RECT DrawEdge(HDC dc, RECT rect, Edge edge);
// A one-pixel frame inside `rect`.
void DrawFrame(HDC dc, const RECT& rect, COLORREF colour);
// A dotted one-pixel frame inside `rect`.
void DrawFocusRect(HDC dc, const RECT& rect);

enum class Arrow { kUp, kDown, kLeft, kRight };
// A filled triangle centred in `rect`.
void DrawArrow(HDC dc, const RECT& rect, Arrow direction, COLORREF colour);
// A check mark centred in `rect`.
void DrawCheckMark(HDC dc, const RECT& rect, COLORREF colour);

// The border that WS_BORDER, WS_EX_CLIENTEDGE or WS_EX_STATICEDGE takes from
// the window's client area, drawn onto its parent (the screen for a top-level
// window) around the client area.
void DrawWindowBorder(HWND hwnd);

// The font of menus and tooltips.
HFONT GuiFont();
// The average character width of the font (the classic measure: the width of
// the 52 letters / 26, rounded) and its cell height.
SIZE FontCharSize(HFONT font);

// The cell height of a font (the system font for null); a line of a list.
int FontHeight(HFONT font);

}  // namespace plat::dialog_impl
