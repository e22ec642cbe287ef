#pragma once
// How well a text colour reads on its ground: the contrast ratio of two
// colours by their relative luminance (1:1 to 21:1), and the light ground a
// colour too dark for the panels' dim tint needs under it.

#include <cstdint>

#include "platform/core/types.h"

namespace infopage {

// The ratio a player reads comfortably at the panels' text sizes.
constexpr double kReadableContrast = 4.5;

double ContrastRatio(plat::COLORREF a, plat::COLORREF b);

// The percent a shade towards white must reach, laid over black, for `ink` to
// read on it at kReadableContrast; 0 when `ink` reads on black already. The
// shade is judged as a 16-bit screen keeps it, five bits a channel.
std::uint8_t LightGroundPercent(plat::COLORREF ink);

}  // namespace infopage
