#include "platform/video/codecpalette.h"

#include <algorithm>

namespace plat::video_impl {
namespace {

constexpr BYTE kStatic[20][3] = {{0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
                                 {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
                                 {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
                                 {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};

constexpr int kCubeStart = 10;
constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

RGBQUAD Quad(int r, int g, int b) { return {static_cast<BYTE>(b), static_cast<BYTE>(g), static_cast<BYTE>(r), 0}; }

CodecPalette MakeDefault() {
  CodecPalette p{};
  for (int i = 0; i < 10; ++i) p[i] = Quad(kStatic[i][0], kStatic[i][1], kStatic[i][2]);
  for (int i = 0; i < 10; ++i) p[246 + i] = Quad(kStatic[10 + i][0], kStatic[10 + i][1], kStatic[10 + i][2]);
  int at = kCubeStart;
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
  cube_ = std::equal(palette.begin(), palette.end(), DefaultCodecPalette().begin(), [](RGBQUAD a, RGBQUAD b) {
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
  });
  nearest_.clear();
}

void PaletteMap::Map(const BYTE* bgr, BYTE* out, int width, int row, int x0) {
  if (cube_) {
    // Thresholds spread over one step of the cube (51): its levels map to
    // themselves, values between them to a pattern of the two around them.
    const int* pattern = kBayer[row & 3];
    for (int x = 0; x < width; ++x, bgr += 3) {
      const int d = (pattern[(x0 + x) & 3] * 2 + 1) * 51 / 32;
      const auto level = [d](BYTE v) { return std::min((v + d) / 51, 5); };
      out[x] = static_cast<BYTE>(kCubeStart + level(bgr[2]) * 36 + level(bgr[1]) * 6 + level(bgr[0]));
    }
    return;
  }
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
