// Text attributes of a DC, TextOut and ExtTextOut.

#include "platform/gdi/raster.h"
#include "platform/gdi/text.h"
#include "platform/gdi/textdraw.h"

namespace plat {

using namespace gdi_impl;

COLORREF SetTextColor(HDC hdc, COLORREF colour) {
  HDC__* dc = FindDC(hdc);
  if (!dc) return CLR_INVALID;
  const COLORREF previous = dc->textColour;
  dc->textColour = colour & 0xFFFFFF;
  return previous;
}

COLORREF GetTextColor(HDC hdc) {
  HDC__* dc = FindDC(hdc);
  return dc ? dc->textColour : CLR_INVALID;
}

COLORREF SetBkColor(HDC hdc, COLORREF colour) {
  HDC__* dc = FindDC(hdc);
  if (!dc) return CLR_INVALID;
  const COLORREF previous = dc->bkColour;
  dc->bkColour = colour & 0xFFFFFF;
  return previous;
}

COLORREF GetBkColor(HDC hdc) {
  HDC__* dc = FindDC(hdc);
  return dc ? dc->bkColour : CLR_INVALID;
}

int SetBkMode(HDC hdc, int mode) {
  HDC__* dc = FindDC(hdc);
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  const int previous = dc->bkMode;
  dc->bkMode = mode;
  return previous;
}

int GetBkMode(HDC hdc) {
  HDC__* dc = FindDC(hdc);
  return dc ? dc->bkMode : 0;
}

UINT SetTextAlign(HDC hdc, UINT align) {
  HDC__* dc = FindDC(hdc);
  if (!dc) return GDI_ERROR;
  const UINT previous = dc->textAlign;
  dc->textAlign = align;
  return previous;
}

UINT GetTextAlign(HDC hdc) {
  HDC__* dc = FindDC(hdc);
  return dc ? dc->textAlign : GDI_ERROR;
}

BOOL ExtTextOut(HDC hdc, int x, int y, UINT options, const RECT* rect, const char* text, UINT count, const INT* dx) {
  HDC__* dc = FindDC(hdc);
  if (!dc || (!text && count > 0)) return FALSE;
  RealizedFont* font = DcFont(*dc);
  if (!font) return FALSE;
  const TextLine line{std::string_view(text ? text : "", count), dx};
  const int width = LineWidth(*font, line);
  const FontMetrics& m = font->Metrics();

  // The reference point: the given one, or the current position, which then
  // moves along the text.
  const UINT align = dc->textAlign;
  if (align & TA_UPDATECP) {
    x = dc->position.x;
    y = dc->position.y;
  }
  int left = x;
  if ((align & TA_CENTER) == TA_CENTER)
    left = x - width / 2;
  else if (align & TA_RIGHT)
    left = x - width;
  int top = y;
  if ((align & TA_BASELINE) == TA_BASELINE)
    top = y - m.ascent;
  else if (align & TA_BOTTOM)
    top = y - m.height;
  if ((align & TA_UPDATECP) && (align & TA_CENTER) != TA_CENTER)
    dc->position.x = (align & TA_RIGHT) ? x - width : x + width;

  Canvas canvas;
  if (!DcCanvas(*dc, &canvas)) return FALSE;
  const Canvas& c = canvas;
  const DWORD background = c.Colour(dc->bkColour);
  if ((options & ETO_OPAQUE) && rect) FillLogical(c, *rect, background);
  const RECT* clip = (options & ETO_CLIPPED) ? rect : nullptr;
  DrawLine(c, *font, line, left, top, c.Colour(dc->textColour), dc->bkMode == OPAQUE ? &background : nullptr, clip);
  return TRUE;
}

BOOL TextOut(HDC hdc, int x, int y, const char* text, int count) {
  if (count < 0) return FALSE;
  return ExtTextOut(hdc, x, y, 0, nullptr, text, static_cast<UINT>(count), nullptr);
}

}  // namespace plat
