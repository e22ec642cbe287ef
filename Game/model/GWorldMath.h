#pragma once
// Conversions of the world model's floating-point results to integers, which
// client and server must make identically.

#include <cmath>
#include <cstdint>
#include <limits>

// Truncation toward zero that stays defined: NaN gives 0, and values beyond
// the int range stop at its ends.
inline int TruncToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<int>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

// The same into an unsigned 32-bit value: below 0 gives 0, beyond the range
// its top.
inline std::uint32_t TruncToU32(double v) {
  if (std::isnan(v) || v <= 0.0) return 0;
  if (v >= 4294967295.0) return 0xFFFFFFFFu;
  return static_cast<std::uint32_t>(v);
}
