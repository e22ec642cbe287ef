#pragma once
// Conversions of the world model's floating-point results to integers, which
// client and server must make identically.

#include <cmath>
#include <limits>

// Truncation toward zero that stays defined: NaN gives 0, and values beyond
// the int range stop at its ends.
inline int TruncToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<int>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}
