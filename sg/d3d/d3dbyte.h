#pragma once
// A 0..255 colour value of the Direct3D back end as a byte: the low byte of
// lround(v), without the library call.

#include <cmath>
#include <cstdint>

// v + 0.5 away from zero is exact in a double, and truncating it then rounds
// as lround does. From 2^31 on a float is a multiple of 256, so the low byte
// is 0; so it is for infinities and NaN, where lround answers LONG_MIN.
inline std::uint8_t ISGD3DByte(float v) {
  if (!(std::fabs(v) < 2147483648.f)) {
    return 0;
  }
  const double d = v;
  return static_cast<std::uint8_t>(static_cast<std::int64_t>(d < 0.0 ? d - 0.5 : d + 0.5) & 0xFF);
}
