// The rasterizer's fixed-point multiplies, gradient and float conversion.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>

#include "sg/raster/fixed.h"

namespace {

TEST(FixedPoint, MultipliesShiftTheFullProductArithmetically) {
  EXPECT_EQ(ISGFixedMulShift16(0x18000, 0x20000), 0x30000);
  EXPECT_EQ(ISGFixedMulShift20(-1, 1), -1);
  EXPECT_EQ(ISGFixedMulShift10(3 << 10, -5 << 10), -15 << 10);
  EXPECT_EQ(ISGFixedMulShift5(-320, 6553), -65530);
  EXPECT_EQ(ISGFixedMulShift5(-1, 1), -1);
  // The product exceeds 32 bits before the shift.
  EXPECT_EQ(ISGFixedMulShift5(0x10000000, 0x40), 0x20000000);
  EXPECT_EQ(ISGFixedMulShift16(INT32_MIN, INT32_MIN), static_cast<int32_t>(0x4000000000000000LL >> 16));
}

TEST(FixedPoint, GradientIsA16Dot16QuotientTruncatedTowardZero) {
  // 480 texel units over 320 screen units across an area of 3200: 1.5 per pixel.
  EXPECT_EQ(ISGFixedGradient(320, -480, -480, 0, 3200), 98304);
  EXPECT_EQ(ISGFixedGradient(0, 0, 1, 1, 3), 682);  // 2048 / 3
  EXPECT_EQ(ISGFixedGradient(0, 0, 1, 1, -3), -682);
  EXPECT_EQ(ISGFixedGradient(1, 1, 0, 0, 3), -682);
  // Out-of-range inputs wrap rather than trap.
  EXPECT_EQ(ISGFixedGradient(INT32_MIN, INT32_MAX, INT32_MIN, INT32_MIN, -1),
            ISGFixedGradient(INT32_MIN, INT32_MAX, INT32_MIN, INT32_MIN, 1) * -1);
}

TEST(FixedPoint, FloatConversionTruncatesAndGivesTheIndefiniteValueOutOfRange) {
  EXPECT_EQ(ISGFixedFromFloat(31.99f), 31);
  EXPECT_EQ(ISGFixedFromFloat(-0.99f), 0);
  EXPECT_EQ(ISGFixedFromFloat(-32.5f), -32);
  EXPECT_EQ(ISGFixedFromFloat(-2147483648.0f), INT32_MIN);
  EXPECT_EQ(ISGFixedFromFloat(2147483520.0f), 2147483520);
  EXPECT_EQ(ISGFixedFromFloat(2147483648.0f), INT32_MIN);
  EXPECT_EQ(ISGFixedFromFloat(-3e9f), INT32_MIN);
  EXPECT_EQ(ISGFixedFromFloat(std::numeric_limits<float>::infinity()), INT32_MIN);
  EXPECT_EQ(ISGFixedFromFloat(std::numeric_limits<float>::quiet_NaN()), INT32_MIN);
}

TEST(FixedPoint, WrappingHelpersWrapLikeThirtyTwoBitRegisters) {
  EXPECT_EQ(ISGAdd32(INT32_MAX, 1), INT32_MIN);
  EXPECT_EQ(ISGSub32(INT32_MIN, 1), INT32_MAX);
  EXPECT_EQ(ISGNeg32(INT32_MIN), INT32_MIN);
  EXPECT_EQ(ISGShl32(0x00010001, 16), 0x00010000);
  EXPECT_EQ(ISGMul32(0x10000, 0x10000), 0);
}

// The double division gives the exact truncated quotient: random
// operands of every magnitude, exact multiples (remainder 0) and the sizes
// around the switch to the exact division.
TEST(FixedPoint, QuickGradientIsTheExactQuotient) {
  std::mt19937_64 random(3);
  auto any = [&](int bits) {
    const int64_t range = int64_t{1} << bits;
    return static_cast<int32_t>(static_cast<int64_t>(random() % (2 * range + 1)) - range);
  };
  for (int n = 0; n < 200000; ++n) {
    const int bits = 1 + n % 31;
    int32_t area = any(1 + n % 30);
    if (area == 0) area = 1;
    const int32_t a = any(bits), b = any(bits), c = any(bits);
    int32_t d = any(bits);
    if (n % 7 == 0 && b != 0) d = 0;  // difference -a x b, then a multiple of area
    const int32_t mult = n % 7 == 0 ? area : a;
    ASSERT_EQ(ISGFixedGradientQuick(mult, b, c, d, area), ISGFixedGradient(mult, b, c, d, area))
        << mult << " " << b << " " << c << " " << d << " " << area;
  }  // Exact multiples just below a power of two.
  for (int32_t area = -3000; area <= 3000; ++area)
    for (int k = 0; k < 9 && area != 0; ++k)
      ASSERT_EQ(ISGFixedGradientQuick(area, 1 << k, 0, 0, area), -(2048 << k)) << area << " " << k;
}

}  // namespace
