#include "platform/gdi/textdraw.h"

#include <algorithm>

#include "platform/gdi/raster.h"

namespace plat::gdi_impl {
namespace {

int Advance(RealizedFont& font, const TextLine& line, std::size_t i) {
  return line.dx ? line.dx[i] : font.GlyphOf(static_cast<unsigned char>(line.text[i])).advance;
}

}  // namespace

int LineWidth(RealizedFont& font, const TextLine& line) {
  int width = 0;
  for (std::size_t i = 0; i < line.text.size(); ++i) width += Advance(font, line, i);
  return width;
}

void DrawLine(const Canvas& canvas, RealizedFont& font, const TextLine& line, int x, int top, DWORD colour,
              const DWORD* background, const RECT* clip) {
  Canvas c = canvas;
  if (clip) {
    const RECT device{clip->left + c.origin.x, clip->top + c.origin.y, clip->right + c.origin.x,
                      clip->bottom + c.origin.y};
    c.clip = IntersectRects(c.clip, device);
  }
  if (IsEmptyRect(c.clip)) return;
  const FontMetrics& m = font.Metrics();
  if (background) FillLogical(c, RECT{x, top, x + LineWidth(font, line), top + m.height}, *background);

  const int baseline = top + m.ascent + c.origin.y;
  int pen = x + c.origin.x;
  for (std::size_t i = 0; i < line.text.size(); ++i) {
    const Glyph& g = font.GlyphOf(static_cast<unsigned char>(line.text[i]));
    for (const GlyphRun& run : g.runs) {
      const int y = baseline + run.y;
      if (y < c.clip.top || y >= c.clip.bottom) continue;
      const int x0 = std::max(pen + run.x, static_cast<int>(c.clip.left));
      const int x1 = std::min(pen + run.x + run.length, static_cast<int>(c.clip.right));
      if (x0 < x1) PutSpan(c, x0, y, x1 - x0, colour);
    }
    const int advance = Advance(font, line, i);
    if (static_cast<int>(i) == line.underlined) {
      const int y = baseline - c.origin.y + m.underlineOffset;
      FillLogical(c, RECT{pen - c.origin.x, y, pen - c.origin.x + advance, y + m.underlineThickness}, colour);
    }
    pen += advance;
  }
  const FontRequest& r = font.Request();
  const int left = x, right = pen - c.origin.x, base = baseline - c.origin.y;
  if (r.underline)
    FillLogical(c, RECT{left, base + m.underlineOffset, right, base + m.underlineOffset + m.underlineThickness},
                colour);
  if (r.strikeOut)
    FillLogical(c, RECT{left, base - m.strikeOffset, right, base - m.strikeOffset + m.strikeThickness}, colour);
}

}  // namespace plat::gdi_impl
