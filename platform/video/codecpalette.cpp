#include "platform/video/codecpalette.h"

namespace plat::video_impl {
namespace {

constexpr BYTE kStatic[20][3] = {
    {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
    {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
    {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
    {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};

RGBQUAD Quad(int r, int g, int b) {
  return {static_cast<BYTE>(b), static_cast<BYTE>(g), static_cast<BYTE>(r), 0};
}

CodecPalette MakeDefault() {
  CodecPalette p{};
  for (int i = 0; i < 10; ++i) p[i] = Quad(kStatic[i][0], kStatic[i][1], kStatic[i][2]);
  for (int i = 0; i < 10; ++i) p[246 + i] = Quad(kStatic[10 + i][0], kStatic[10 + i][1], kStatic[10 + i][2]);
  int at = 10;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) p[at++] = Quad(r * 51, g * 51, b * 51);
  for (int i = 1; i <= 20; ++i) p[at++] = Quad(i * 12, i * 12, i * 12);
  return p;
}

}  // namespace

const CodecPalette& DefaultCodecPalette() {
  static const CodecPalette palette = MakeDefault();
  return palette;
}

void PaletteMap::SetPalette(const CodecPalette& palette) {
  palette_ = palette;
  nearest_.clear();
}

void PaletteMap::Map(const BYTE* bgr, BYTE* out, int width) {
  if (nearest_.empty()) {
    nearest_.resize(1 << 15);
    for (int c = 0; c < (1 << 15); ++c) {
      const int r = ((c >> 10) & 31) * 255 / 31, g = ((c >> 5) & 31) * 255 / 31, b = (c & 31) * 255 / 31;
      int best = 0, bestDistance = 1 << 30;
      for (int i = 0; i < 256; ++i) {
        const int dr = r - palette_[i].rgbRed, dg = g - palette_[i].rgbGreen, db = b - palette_[i].rgbBlue;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
          best = i;
          bestDistance = d;
        }
      }
      nearest_[static_cast<std::size_t>(c)] = static_cast<BYTE>(best);
    }
  }
  for (int x = 0; x < width; ++x, bgr += 3)
    out[x] = nearest_[static_cast<std::size_t>((bgr[2] >> 3) << 10 | (bgr[1] >> 3) << 5 | bgr[0] >> 3)];
}

}  // namespace plat::video_impl
