// The rasterizer's fixed-point multiplies, gradient and float conversion.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "sg/raster/fixed.h"

namespace {

TEST(FixedPoint, MultipliesShiftTheFullProductArithmetically) {
  EXPECT_EQ(ISGFixedMulShift16(0x18000, 0x20000), 0x30000);
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

}  // namespace
