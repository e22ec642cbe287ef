// Vertex colours and fog become bytes by an inline rounding instead of
// lround: the low byte must be lround's for every float, so the device's
// vertices, and the pixels drawn from them, stay as they were.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "sg/d3d/d3dbyte.h"

namespace {

std::uint8_t LroundByte(float v) { return static_cast<std::uint8_t>(static_cast<std::int64_t>(std::lround(v)) & 0xFF); }

// Every float of magnitude from 1/4 to 512, of both signs: the range colour
// arithmetic reaches, every half and its neighbours included.
TEST(D3DByte, AgreesWithLroundOnEveryFloatFromAQuarterTo512) {
  const std::uint32_t end = std::bit_cast<std::uint32_t>(512.f);
  for (std::uint32_t bits = std::bit_cast<std::uint32_t>(0.25f); bits < end; ++bits) {
    for (const std::uint32_t sign : {0u, 0x80000000u}) {
      const float v = std::bit_cast<float>(bits | sign);
      ASSERT_EQ(ISGD3DByte(v), LroundByte(v)) << v;
    }
  }
}

// Beyond that: tiny values, each of a spread of half-integers and its
// neighbours up to where floats stop holding halves, the edges of 2^31 and 2^63, infinities, NaN and a spread of
// random bit patterns.
TEST(D3DByte, AgreesWithLroundOnHalvesLargeValuesAndSpecials) {
  for (const float v : {0.f, -0.f, 1e-30f, -1e-30f, std::nextafter(0.25f, 0.f), -std::nextafter(0.25f, 0.f)}) {
    EXPECT_EQ(ISGD3DByte(v), LroundByte(v)) << v;
  }
  for (float h = 512.5f; h < 8388608.f; h += 997.f) {
    for (const float v : {h, std::nextafter(h, 0.f), std::nextafter(h, 1e30f), -h, std::nextafter(-h, 0.f)}) {
      ASSERT_EQ(ISGD3DByte(v), LroundByte(v)) << v;
    }
  }
  const float inf = std::numeric_limits<float>::infinity();
  for (const float v :
       {2147483648.f, std::nextafter(2147483648.f, 0.f), -2147483648.f, std::nextafter(-2147483648.f, 0.f),
        9.2233720e18f, -9.2233720e18f, 3e38f, inf, -inf, std::numeric_limits<float>::quiet_NaN()}) {
    EXPECT_EQ(ISGD3DByte(v), LroundByte(v)) << v;
  }
  std::mt19937 random(31);
  for (int i = 0; i < 2000000; ++i) {
    const float v = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
    if (std::isnan(v)) continue;  // lround of a NaN is LONG_MIN, checked above
    ASSERT_EQ(ISGD3DByte(v), LroundByte(v)) << v;
  }
}

}  // namespace
