#pragma once
// How the video codecs turn true colour into 8-bit pixels of a palette: the
// codecs' own palette (the 20 static colours at 0-9 and 246-255, a 6 x 6 x 6
// colour cube and 20 greys between them), to which true colour is mapped by
// ordered dithering over the cube (its own colours stay exact), and the
// nearest-colour mapping to any other palette, through a table of the 5-5-5
// colours. Internal to the
// video role; a map on one thread at a time.

#include <array>
#include <vector>

#include "platform/gdi/bitmaps.h"

namespace plat::video_impl {

using CodecPalette = std::array<RGBQUAD, 256>;

const CodecPalette& DefaultCodecPalette();

class PaletteMap {
 public:
  // The palette to map to; the table is rebuilt on the next Map.
  void SetPalette(const CodecPalette& palette);
  const CodecPalette& Palette() const { return palette_; }
  // `width` pixels of B, G, R bytes to palette indexes; `row` and `x0` place
  // the dither pattern.
  void Map(const BYTE* bgr, BYTE* out, int width, int row, int x0);

 private:
  CodecPalette palette_ = DefaultCodecPalette();
  bool cube_ = true;
  std::vector<BYTE> nearest_;
};

}  // namespace plat::video_impl
