#include "platform/display/screen.h"

#include <algorithm>

#include "platform/core/lifelong.h"

namespace plat {

Screen& GetScreen() { return Lifelong<Screen>(); }

void SetScreenFormat555(bool is555) {
  Screen& s = GetScreen();
  s.is555 = is555;
  std::fill(s.pixels.begin(), s.pixels.end(), BYTE{0});
}

std::uint32_t Pixel16ToRgb(std::uint16_t p, bool is555) {
  std::uint32_t r, g, b;
  if (is555) {
    r = (p >> 10) & 0x1F;
    g = (p >> 5) & 0x1F;
    b = p & 0x1F;
    g = (g << 3) | (g >> 2);
  } else {
    r = (p >> 11) & 0x1F;
    g = (p >> 5) & 0x3F;
    b = p & 0x1F;
    g = (g << 2) | (g >> 4);
  }
  r = (r << 3) | (r >> 2);
  b = (b << 3) | (b >> 2);
  return (r << 16) | (g << 8) | b;
}

Image ScreenImage() {
  const Screen& s = GetScreen();
  Image img;
  img.width = Screen::kWidth;
  img.height = Screen::kHeight;
  img.rgb.resize(static_cast<std::size_t>(img.width) * img.height);
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x)
      img.rgb[static_cast<std::size_t>(y) * img.width + x] = Pixel16ToRgb(s.At(x, y), s.is555);
  return img;
}

}  // namespace plat
