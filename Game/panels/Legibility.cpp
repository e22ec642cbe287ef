#include "Game/panels/Legibility.h"

#include <algorithm>
#include <cmath>

namespace infopage {
namespace {

double Linear(unsigned channel) {
  const double c = channel / 255.0;
  return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(plat::COLORREF c) {
  return 0.2126 * Linear(c & 0xFF) + 0.7152 * Linear((c >> 8) & 0xFF) + 0.0722 * Linear((c >> 16) & 0xFF);
}

}  // namespace

double ContrastRatio(plat::COLORREF a, plat::COLORREF b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

std::uint8_t LightGroundPercent(plat::COLORREF ink) {
  for (unsigned percent = 0; percent <= 100; ++percent) {
    // The darkest grey a shade of this percent over black can leave.
    const unsigned grey = (31 * percent / 100) << 3;
    if (ContrastRatio(ink, grey * 0x010101u) >= kReadableContrast) return static_cast<std::uint8_t>(percent);
  }
  return 100;
}

}  // namespace infopage
