#pragma once
// Fixed-point helpers of the software rasterizer. Its formats are two's
// complement and wrap on overflow, so every sum, difference and product that
// can overflow goes through the unsigned helpers below and stays defined.
//
// Formats: 27.5 (value x 32) for screen coordinates and vertex attributes,
// 16.16 (value x 65536) for edges, slopes and interpolated attributes.

#include <cstdint>

inline int32_t ISGAdd32(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

inline int32_t ISGSub32(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

inline int32_t ISGMul32(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

inline int32_t ISGNeg32(int32_t a) { return static_cast<int32_t>(0u - static_cast<uint32_t>(a)); }

// Left shift that drops the bits shifted out, as the 32-bit registers do.
inline int32_t ISGShl32(int32_t a, int bits) { return static_cast<int32_t>(static_cast<uint32_t>(a) << bits); }

// The signed 64-bit product a x b shifted right arithmetically by 5; low 32 bits.
// Multiplies a 27.5 value by a value of any format, keeping the second's format.
inline int32_t ISGFixedMulShift5(int32_t a, int32_t b) {
  return static_cast<int32_t>((static_cast<int64_t>(a) * b) >> 5);
}

// The signed 64-bit product a x b shifted right arithmetically by 16; low 32 bits.
inline int32_t ISGFixedMulShift16(int32_t a, int32_t b) {
  return static_cast<int32_t>((static_cast<int64_t>(a) * b) >> 16);
}

// ((c x d - a x b) << 11) / area: products and difference in 64 bits, the
// quotient truncated toward zero and returned as its low 32 bits. With 27.5
// differences and a 27.5 area the result is a 16.16 gradient. `area` must not
// be 0. A quotient that does not fit 32 bits (only for attribute differences
// beyond the caller's limits) wraps instead of trapping.
inline int32_t ISGFixedGradient(int32_t a, int32_t b, int32_t c, int32_t d, int32_t area) {
  // Two products of 32-bit values differ by less than 2^63, so the
  // difference itself cannot overflow; the shift may, and wraps.
  const int64_t difference = static_cast<int64_t>(c) * d - static_cast<int64_t>(a) * b;
  const uint64_t shifted = static_cast<uint64_t>(difference) << 11;
  if (area == -1) return static_cast<int32_t>(0u - shifted);
  return static_cast<int32_t>(static_cast<int64_t>(shifted) / area);
}

// ISGFixedGradient as one double division, which costs less than the
// 64-bit integer one and gives the same quotient while the shifted
// difference s is below 2^51: a quotient rounded up to the next integer
// would lie within half a unit in its last place of it, less than the
// 1 / |area| by which a truncated quotient falls short of it, unless
// |s| + |area| reached 2^53. Beyond that the exact division is done.
inline int32_t ISGFixedGradientQuick(int32_t a, int32_t b, int32_t c, int32_t d, int32_t area) {
  const int64_t difference = static_cast<int64_t>(c) * d - static_cast<int64_t>(a) * b;
  if (difference >= (int64_t{1} << 40) || difference <= -(int64_t{1} << 40)) return ISGFixedGradient(a, b, c, d, area);
  const double quotient = static_cast<double>(difference * 2048) / area;
  return static_cast<int32_t>(static_cast<uint64_t>(static_cast<int64_t>(quotient)));
}

// Float to 27.5 integer by truncation toward zero. A NaN or a value outside
// the 32-bit range gives INT32_MIN, the value the processor's truncating
// conversion yields, so a vertex field left unset converts the same every time.
inline int32_t ISGFixedFromFloat(float value) {
  if (!(value >= -2147483648.0f && value < 2147483648.0f)) return INT32_MIN;
  return static_cast<int32_t>(value);
}

// The signed 64-bit product a x b shifted right arithmetically by 10 or 20;
// low 32 bits. For 12.20 intensities and slopes with 22.10 intermediates.
inline int32_t ISGFixedMulShift10(int32_t a, int32_t b) {
  return static_cast<int32_t>((static_cast<int64_t>(a) * b) >> 10);
}

inline int32_t ISGFixedMulShift20(int32_t a, int32_t b) {
  return static_cast<int32_t>((static_cast<int64_t>(a) * b) >> 20);
}

// Double to integer by truncation toward zero, INT32_MIN for a NaN or a value
// outside the 32-bit range, as ISGFixedFromFloat.
inline int32_t ISGFixedFromDouble(double value) {
  if (!(value > -2147483649.0 && value < 2147483648.0)) return INT32_MIN;
  return static_cast<int32_t>(value);
}
