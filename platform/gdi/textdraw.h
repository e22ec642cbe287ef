#pragma once
// Drawing a line of glyphs: shared by TextOut, ExtTextOut and DrawText.
// Called from the program's thread only.

#include <string_view>

#include "platform/gdi/fontface.h"

namespace plat::gdi_impl {

struct TextLine {
  std::string_view text;
  const INT* dx = nullptr;  // each character's advance, or null for the font's
  int underlined = -1;      // index of a character to underline (a '&' prefix)
};

// The line's width: the sum of the advances.
int LineWidth(RealizedFont& font, const TextLine& line);

// Draws the line with its cell's top-left corner at (x, top), inside `clip`
// (logical coordinates; null = anywhere). `background` (may be null) fills the
// cell first.
void DrawLine(const Canvas& canvas, RealizedFont& font, const TextLine& line, int x, int top, DWORD colour,
              const DWORD* background, const RECT* clip);

}  // namespace plat::gdi_impl
