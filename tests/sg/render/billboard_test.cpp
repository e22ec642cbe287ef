// The image a billboard shows for each direction it is seen from.

#include <gtest/gtest.h>

#include <cmath>

#include "sg/model/model.h"
#include "sg/render/primitives.h"

namespace {

constexpr float kPi = 3.14159265358979f;

// The frame seen from the eye at azimuth `degrees` about the up axis (0 = ahead
// along the forward axis, -z) and `elevation` degrees above the horizon.
ISGBillboardFrame SeenFrom(std::uint32_t numAz, std::uint32_t numPolar, float degrees, float elevation) {
  SGBillboard bil{};
  bil.bilHalfWidth = 1.f;
  bil.bilHalfHeight = 2.f;
  bil.bilNumAzimuth = numAz;
  bil.bilNumPolar = numPolar;
  const float a = degrees * kPi / 180.f;
  const float e = elevation * kPi / 180.f;
  const float eye[3] = {10.f * std::sin(a) * std::cos(e), 10.f * std::sin(e), -10.f * std::cos(a) * std::cos(e)};
  ISGBillboardFrame f{};
  ISGBillboardFrameMake(&bil, eye, &f);
  return f;
}

TEST(BillboardFrame, AzimuthImagesGoRoundAndWrapToTheFirst) {
  for (std::uint32_t i = 0; i < 8; ++i) {
    EXPECT_EQ(SeenFrom(8, 1, 45.f * static_cast<float>(i), 0.f).azimuth, i) << i;
  }
  EXPECT_EQ(SeenFrom(8, 1, 350.f, 0.f).azimuth, 0u);
  EXPECT_EQ(SeenFrom(8, 1, 20.f, 0.f).azimuth, 0u);
  EXPECT_EQ(SeenFrom(8, 1, 25.f, 0.f).azimuth, 1u);
}

TEST(BillboardFrame, PolarRowsFollowTheElevation) {
  EXPECT_EQ(SeenFrom(8, 1, 0.f, 80.f).polar, 0u);
  EXPECT_EQ(SeenFrom(8, 3, 0.f, 80.f).polar, 0u);
  EXPECT_EQ(SeenFrom(8, 3, 0.f, 0.f).polar, 1u);
  EXPECT_EQ(SeenFrom(8, 3, 0.f, -80.f).polar, 2u);
}

TEST(BillboardFrame, FacesTheEyeEvenAlongTheUpAxis) {
  const ISGBillboardFrame f = SeenFrom(8, 3, 0.f, 90.f);
  const float side = std::sqrt(f.side[0] * f.side[0] + f.side[1] * f.side[1] + f.side[2] * f.side[2]);
  const float up = std::sqrt(f.up[0] * f.up[0] + f.up[1] * f.up[1] + f.up[2] * f.up[2]);
  EXPECT_NEAR(side, 1.f, 1e-4f);
  EXPECT_NEAR(up, 2.f, 1e-4f);
  EXPECT_NEAR(f.side[1], 0.f, 1e-4f);
  EXPECT_NEAR(f.up[1], 0.f, 1e-4f);
}

}  // namespace
