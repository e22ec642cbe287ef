#pragma once
// The pixels a device context draws into: DirectDraw surfaces (16-bit 5-6-5 or
// 5-5-5, 8-bit with a palette), DIB sections (8, 16 or 24 bits) and the screen.
// Colours become pixel values the classic way: 16-bit formats keep the top bits
// of each channel, so a COLORREF always lands on the same exact value (the
// colour keys of the game's surfaces depend on it); indexed formats take the
// nearest palette entry. Pure functions on the pixels given: may be called from several threads.

#include <cstddef>
#include <span>

#include "platform/core/types.h"

namespace plat {

enum class PixelFormat {
  kIndexed8,  // one byte, an index into the target's palette
  kRgb555,    // 16 bits: red 14-10, green 9-5, blue 4-0
  kRgb565,    // 16 bits: red 15-11, green 10-5, blue 4-0
  kBgr24,     // three bytes: blue, green, red
};

int BitsPerPixel(PixelFormat format);
int BytesPerPixel(PixelFormat format);

struct PixelTarget {
  BYTE* bits = nullptr;      // the top row
  std::ptrdiff_t pitch = 0;  // bytes from a row to the row below it; negative for bottom-up images
  int width = 0;
  int height = 0;
  PixelFormat format = PixelFormat::kRgb565;
  std::span<const PALETTEENTRY> palette;  // the colours of the indices (indexed format)

  BYTE* Row(int y) const { return bits + static_cast<std::ptrdiff_t>(y) * pitch; }
};

// The pixel value of a colour in the format. Indexed: the nearest palette entry
// (0 without a palette).
DWORD EncodeColour(PixelFormat format, std::span<const PALETTEENTRY> palette, COLORREF colour);
inline DWORD EncodeColour(const PixelTarget& target, COLORREF colour) {
  return EncodeColour(target.format, target.palette, colour);
}
// The colour of a pixel value. 16-bit channels are widened by repeating their
// top bits (0x1F becomes 0xFF); an index outside the palette is black.
COLORREF DecodePixel(PixelFormat format, std::span<const PALETTEENTRY> palette, DWORD value);

// Index of the palette entry nearest to the colour (squared RGB distance, the
// lowest index on a tie); 0 for an empty palette.
UINT NearestPaletteIndex(std::span<const PALETTEENTRY> palette, COLORREF colour);

DWORD ReadPixel(const PixelTarget& target, int x, int y);
// Writes `count` pixels of one value from (x, y) rightwards. No clipping.
void FillSpan(const PixelTarget& target, int x, int y, int count, DWORD value);

}  // namespace plat
