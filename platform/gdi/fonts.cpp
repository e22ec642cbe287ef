// Font objects, metrics and extents.

#include "platform/gdi/fontface.h"
#include "platform/gdi/text.h"

namespace plat {

namespace gdi_impl {

RealizedFont* DcFont(HDC__& dc) {
  FontObject* font = DcFontObject(dc);
  if (!font) return nullptr;
  if (!font->realized) font->realized = RealizedFont::Realize(font->request);
  return font->realized.get();
}

}  // namespace gdi_impl

using namespace gdi_impl;

HFONT CreateFont(int height, int /*width*/, int /*escapement*/, int /*orientation*/, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD /*charSet*/, DWORD /*outPrecision*/, DWORD /*clipPrecision*/,
                 DWORD /*quality*/, DWORD /*pitchAndFamily*/, const char* faceName) {
  if (!faceName || !*faceName) return nullptr;
  auto font = std::make_unique<FontObject>();
  font->request.height = height;
  font->request.weight = weight;
  font->request.italic = italic != 0;
  font->request.underline = underline != 0;
  font->request.strikeOut = strikeOut != 0;
  font->request.face = faceName;
  font->realized = RealizedFont::Realize(font->request);
  if (!font->realized) return nullptr;
  return static_cast<HFONT>(Register(std::move(font)));
}

BOOL GetTextMetrics(HDC hdc, TEXTMETRIC* metrics) {
  HDC__* dc = FindDC(hdc);
  RealizedFont* font = dc ? DcFont(*dc) : nullptr;
  if (!font || !metrics) return FALSE;
  const FontMetrics& m = font->Metrics();
  TEXTMETRIC tm;
  tm.tmHeight = m.height;
  tm.tmAscent = m.ascent;
  tm.tmDescent = m.descent;
  tm.tmInternalLeading = m.height - m.emSize;
  tm.tmExternalLeading = m.externalLeading;
  tm.tmAveCharWidth = m.aveCharWidth;
  tm.tmMaxCharWidth = m.maxCharWidth;
  tm.tmWeight = m.weight;
  tm.tmItalic = font->Request().italic ? 1 : 0;
  tm.tmUnderlined = font->Request().underline ? 1 : 0;
  tm.tmStruckOut = font->Request().strikeOut ? 1 : 0;
  *metrics = tm;
  return TRUE;
}

BOOL GetTextExtentPoint32(HDC hdc, const char* text, int count, SIZE* size) {
  HDC__* dc = FindDC(hdc);
  RealizedFont* font = dc ? DcFont(*dc) : nullptr;
  if (!font || !size || count < 0 || (!text && count > 0)) return FALSE;
  size->cx = count > 0 ? font->Width(std::string_view(text, static_cast<std::size_t>(count))) : 0;
  size->cy = font->Metrics().height;
  return TRUE;
}

}  // namespace plat
