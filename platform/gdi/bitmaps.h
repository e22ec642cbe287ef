#pragma once
// DIB sections, bitmaps from resource modules and BMP files, and blits.
// Called from the program's thread only.

#include "platform/core/types.h"
#include "platform/gdi/objects.h"
#include "platform/resource/dib.h"
#include "platform/resource/resname.h"

namespace plat {

struct BITMAPINFOHEADER {
  DWORD biSize = 40;
  LONG biWidth = 0;
  LONG biHeight = 0;  // negative: rows top row first
  WORD biPlanes = 1;
  WORD biBitCount = 0;
  DWORD biCompression = 0;
  DWORD biSizeImage = 0;
  LONG biXPelsPerMeter = 0;
  LONG biYPelsPerMeter = 0;
  DWORD biClrUsed = 0;
  DWORD biClrImportant = 0;
};

struct RGBQUAD {
  BYTE rgbBlue = 0;
  BYTE rgbGreen = 0;
  BYTE rgbRed = 0;
  BYTE rgbReserved = 0;
};

// The header followed by the colour table (8 bits: biClrUsed entries, all 256
// when 0) or, with BI_BITFIELDS, the red, green and blue masks. Callers that
// pass more than one entry allocate the room behind the struct, as ever.
struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

constexpr UINT DIB_RGB_COLORS = 0;

// A bitmap of 8, 16 (5-5-5, or 5-6-5 through BI_BITFIELDS masks) or 24 bits
// per pixel, rows padded to 4 bytes, bottom row first unless the height is
// negative. `bits` receives the rows, which the bitmap owns and the caller may
// write. `hdc`, `section` and `offset` are not used (the memory is always the
// layer's own). Null for any other format, another usage, or a size beyond
// 16384 pixels either way.
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);

// LoadImage types and flags.
constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT LR_DEFAULTCOLOR = 0x0000;
constexpr UINT LR_LOADFROMFILE = 0x0010;
constexpr UINT LR_CREATEDIBSECTION = 0x2000;

// The RT_BITMAP resource `name` of `module` (null: the program's) as a DIB
// section: 8-bit images stay 8-bit with their colour table (1- and 4-bit ones
// widen to 8), 16-bit ones stay 16-bit, 24- and 32-bit ones become 24-bit. Null
// when missing or malformed.
HBITMAP LoadBitmap(HINSTANCE module, const ResName& name);
// IMAGE_BITMAP only: with LR_LOADFROMFILE, `name` is the path (DOS or host) of
// a BMP file of 8 or 24 bits per pixel (others load as LoadBitmap converts
// them), else a bitmap resource as LoadBitmap. Always a DIB section, at the
// image's own size (`cx` and `cy` are not used). Null on any failure.
HBITMAP LoadImage(HINSTANCE module, const ResName& name, UINT type, int cx, int cy, UINT flags);

// Raster operation: the only one supported.
constexpr DWORD SRCCOPY = 0x00CC0020;

// Copies a w x h block from the source DC at (sx, sy) to (x, y), converting the
// pixels to the destination's format through their colours. Parts outside
// either DC are left out. FALSE for another raster operation or a DC without
// pixels.
BOOL BitBlt(HDC hdc, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop);
// Scales the source block to the destination block by taking, for each
// destination pixel, the source pixel under its centre; a negative width or
// height mirrors.
BOOL StretchBlt(HDC hdc, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop);

// Stretch modes. Every mode drops the rows and columns a shrinking stretch
// leaves out (the true-colour devices' behaviour); the mode is kept and returned.
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
// Returns the previous mode; 0 for a bad DC or mode.
int SetStretchBltMode(HDC hdc, int mode);
int GetStretchBltMode(HDC hdc);

}  // namespace plat
