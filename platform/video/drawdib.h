#pragma once
// DrawDib: draws DIBs of 8 (with their colour table, or the palette given to
// DrawDib), 16, 24 or 32 bits per pixel onto a device context, stretching
// when the sizes differ. Game thread only.

#include "platform/gdi/bitmaps.h"
#include "platform/gdi/palette.h"

namespace plat {

struct HDRAWDIB__;
using HDRAWDIB = HDRAWDIB__*;

HDRAWDIB DrawDibOpen();
BOOL DrawDibClose(HDRAWDIB dd);
// The palette 8-bit DIBs without a colour table of their own are drawn with.
BOOL DrawDibSetPalette(HDRAWDIB dd, HPALETTE palette);
// Selects and realises that palette in the DC; the number of entries mapped.
UINT DrawDibRealize(HDRAWDIB dd, HDC hdc, BOOL background);
// Draws the source rectangle of the DIB (`bi` followed by its colour table;
// a width or height of -1 or 0: the whole image) into the destination
// rectangle (-1 or 0: the source's size). FALSE for a format it cannot draw.
BOOL DrawDibDraw(HDRAWDIB dd, HDC hdc, int xDst, int yDst, int dxDst, int dyDst, const BITMAPINFOHEADER* bi,
                 const void* bits, int xSrc, int ySrc, int dxSrc, int dySrc, UINT flags);
// Frees what drawing kept between frames.
BOOL DrawDibEnd(HDRAWDIB dd);

}  // namespace plat
