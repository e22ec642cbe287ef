// DrawText: text laid out in a rectangle.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/text.h"
#include "platform/gdi/textdraw.h"

namespace plat {
namespace {

using namespace gdi_impl;

// The text as drawn: '&' prefixes taken out, with the characters they mark.
struct Display {
  std::string text;
  std::vector<bool> underlined;
};

// Fills `d` (reusing its storage) from `text`.
void RemovePrefixes(std::string_view text, bool prefixes, Display& d) {
  d.text.clear();
  d.underlined.clear();
  bool mark = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char ch = text[i];
    if (prefixes && ch == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') {
        ++i;
      } else {
        mark = true;
        continue;
      }
    }
    d.text.push_back(ch);
    d.underlined.push_back(mark);
    mark = false;
  }
}

struct Line {
  std::size_t begin = 0;
  std::size_t end = 0;
};

bool IsBreak(char ch) { return ch == '\r' || ch == '\n'; }

// Cuts the text into `lines` (reusing its storage): at line ends (unless
// single-line) and, with word breaks, before the word that would cross
// `maxWidth`.
void Lines(RealizedFont& font, const std::string& s, UINT format, int maxWidth, std::vector<Line>& lines) {
  lines.clear();
  const std::size_t n = s.size();
  if (format & DT_SINGLELINE) {
    lines.push_back(Line{0, n});
    return;
  }
  std::size_t pos = 0;
  while (pos < n) {
    std::size_t segmentEnd = pos;
    while (segmentEnd < n && !IsBreak(s[segmentEnd])) ++segmentEnd;
    std::size_t lineEnd = segmentEnd, next = segmentEnd;
    if (format & DT_WORDBREAK) {
      int width = 0;
      std::size_t lastBreak = 0;  // where the blanks after the line's last whole word begin
      bool canBreak = false;
      for (std::size_t i = pos; i < segmentEnd; ++i) {
        const int advance = font.GlyphOf(static_cast<unsigned char>(s[i])).advance;
        if (s[i] != ' ' && i > pos && width + advance > maxWidth) {
          if (canBreak) {
            lineEnd = lastBreak;
            next = lastBreak;
            while (next < segmentEnd && s[next] == ' ') ++next;
          } else {
            lineEnd = next = i;  // one word wider than the line
          }
          break;
        }
        if (s[i] == ' ' && i > pos && s[i - 1] != ' ') {
          lastBreak = i;
          canBreak = true;
        }
        width += advance;
      }
    }
    lines.push_back(Line{pos, lineEnd});
    pos = next;
    if (pos == segmentEnd && pos < n) pos += (s[pos] == '\r' && pos + 1 < n && s[pos + 1] == '\n') ? 2 : 1;
  }
}

// What one call lays the text out in, kept from call to call so that drawing
// text allocates nothing once the buffers have grown.
struct Layout {
  Display display;
  std::vector<Line> lines;
};
thread_local Layout t_layout;

}  // namespace

int DrawText(HDC hdc, const char* text, int count, RECT* rect, UINT format) {
  HDC__* dc = FindDC(hdc);
  if (!dc || !text || !rect) return 0;
  RealizedFont* font = DcFont(*dc);
  if (!font) return 0;
  const std::size_t length = count < 0 ? std::strlen(text) : static_cast<std::size_t>(count);
  Layout& layout = t_layout;
  RemovePrefixes(std::string_view(text, length), !(format & DT_NOPREFIX), layout.display);
  Lines(*font, layout.display.text, format, rect->right - rect->left, layout.lines);
  const Display& display = layout.display;
  const std::vector<Line>& lines = layout.lines;

  const FontMetrics& m = font->Metrics();
  const int lineHeight = m.height + ((format & DT_EXTERNALLEADING) ? m.externalLeading : 0);
  const int height = lineHeight * static_cast<int>(lines.size());
  auto lineOf = [&](const Line& l) {
    TextLine line{std::string_view(display.text).substr(l.begin, l.end - l.begin)};
    for (std::size_t i = l.begin; i < l.end; ++i) {
      if (display.underlined[i]) {
        line.underlined = static_cast<int>(i - l.begin);
        break;
      }
    }
    return line;
  };

  if (format & DT_CALCRECT) {
    int widest = 0;
    for (const Line& l : lines) widest = std::max(widest, LineWidth(*font, lineOf(l)));
    rect->right = rect->left + widest;
    rect->bottom = rect->top + height;
    return height;
  }
  if (lines.empty()) return 0;

  int top = rect->top;
  int result = height;
  if ((format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM))) {
    top = (format & DT_VCENTER) ? rect->top + (rect->bottom - rect->top - lineHeight) / 2 : rect->bottom - lineHeight;
    result = top - rect->top + lineHeight;
  }

  Canvas canvas;
  if (!DcCanvas(*dc, &canvas)) return result;
  const Canvas& c = canvas;
  const DWORD colour = c.Colour(dc->textColour);
  const DWORD background = c.Colour(dc->bkColour);
  const RECT* clip = (format & DT_NOCLIP) ? nullptr : rect;
  for (const Line& l : lines) {
    const TextLine line = lineOf(l);
    const int width = LineWidth(*font, line);
    int x = rect->left;
    if (format & DT_CENTER)
      x = rect->left + (rect->right - rect->left - width) / 2;
    else if (format & DT_RIGHT)
      x = rect->right - width;
    DrawLine(c, *font, line, x, top, colour, dc->bkMode == OPAQUE ? &background : nullptr, clip);
    top += lineHeight;
  }
  return result;
}

}  // namespace plat
