#pragma once
// GDI objects behind typed handles: pens, brushes, fonts, bitmaps, palettes.
// Every handle type converts to HGDIOBJ, as SelectObject and DeleteObject take
// any of them; the object behind a handle belongs to the GDI layer.
//
// An object deleted while a DC still has it selected stays usable by that DC
// and goes when the DC lets it go; its handle is invalid at once. Stock
// objects are never deleted. Called from the program's thread only.

#include "platform/core/types.h"

namespace plat {

struct HGDIOBJ__ {
  HGDIOBJ__(const HGDIOBJ__&) = delete;
  HGDIOBJ__& operator=(const HGDIOBJ__&) = delete;
  virtual ~HGDIOBJ__() = default;

  // The layer's bookkeeping.
  bool stock = false;
  bool deleted = false;  // DeleteObject came while a DC held it
  int holds = 0;         // DCs that have it selected

 protected:
  HGDIOBJ__() = default;
};
struct HPEN__ : HGDIOBJ__ {};
struct HBRUSH__ : HGDIOBJ__ {};
struct HFONT__ : HGDIOBJ__ {};
struct HBITMAP__ : HGDIOBJ__ {};
struct HPALETTE__ : HGDIOBJ__ {};
using HPEN = HPEN__*;
using HBRUSH = HBRUSH__*;
using HFONT = HFONT__*;
using HBITMAP = HBITMAP__*;
using HPALETTE = HPALETTE__*;

// Failure values of calls that return a previous value or a count.
constexpr UINT GDI_ERROR = 0xFFFFFFFF;
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// Pen styles.
constexpr int PS_SOLID = 0;
constexpr int PS_NULL = 5;

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int SYSTEM_FONT = 13;       // what a new DC has selected
constexpr int DEFAULT_GUI_FONT = 17;  // what controls draw with

// A solid pen of `width` pixels (0 counts as 1; widths above 1 are drawn with
// round ends, centred on the path), or PS_NULL, which draws nothing. Other
// styles are refused (null).
HPEN CreatePen(int style, int width, COLORREF colour);
HBRUSH CreateSolidBrush(COLORREF colour);
// Null for an index not listed above.
HGDIOBJ GetStockObject(int index);

// TRUE when deleted (or, for a stock object, left alone); FALSE for a handle
// that is not a live object.
BOOL DeleteObject(HGDIOBJ object);

// A bitmap's description (GetObject).
struct BITMAP {
  LONG bmType = 0;
  LONG bmWidth = 0;
  LONG bmHeight = 0;
  LONG bmWidthBytes = 0;  // bytes of one row, a multiple of 4
  WORD bmPlanes = 1;
  WORD bmBitsPixel = 0;
  void* bmBits = nullptr;  // the rows, bottom row first for bottom-up images
};
// Fills a BITMAP for a bitmap handle; returns the bytes written, 0 when `size`
// is too small, `out` is null or the object is not a bitmap. With a null `out`
// returns the size a bitmap's description needs.
int GetObject(HGDIOBJ object, int size, void* out);

}  // namespace plat
