#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <tuple>

#include "Game/model/GLocation.h"
#include "Game/model/GVector.h"
#include "tests/Game/base/sandbox.h"

namespace {

Location L(std::uint16_t ast, std::int16_t x, std::int16_t y, std::int16_t z) { return Location{ast, x, y, z}; }

TEST(LocationTest, DistancesAndRange) {
  const Location a = L(3, 0, 0, 0), b = L(3, 3, 4, 0), other = L(4, 3, 4, 0);
  EXPECT_DOUBLE_EQ(GetLocationDistance(&a, &b), 5.0);
  EXPECT_EQ(GetLocationDistance(&a, &other), std::numeric_limits<double>::max());
  EXPECT_EQ(GetLocationDistanceSq(&a, &other), 25u);  // asteroids not compared

  const Location o = L(0, 0, 0, 0), p = L(0, 3, -7, 5);
  EXPECT_EQ(GetLocationRangeSq(&o, &p), 49u);
  EXPECT_EQ(GetLocationRangeSq(&a, &other), 0xFFFFFFFFu);

  // Far corners: the per-axis difference needs 17 bits and its square 32.
  const Location lo = L(1, -32768, 0, 0), hi = L(1, 32767, 0, 0);
  EXPECT_EQ(GetLocationRangeSq(&lo, &hi), 65535u * 65535u);
  EXPECT_DOUBLE_EQ(GetLocationDistance(&lo, &hi), 65535.0);
  const Location hi3 = L(1, 32767, 32767, 32767), lo3 = L(1, -32768, -32768, -32768);
  EXPECT_DOUBLE_EQ(GetLocationDistance(&lo3, &hi3), 65535.0 * std::sqrt(3.0));
}

TEST(LocationTest, DirectionAndFrame) {
  double x = 0, y = 0, z = 0;
  const Location from = L(0, 1, 1, 1), to = L(0, 1, 4, 5);
  GetLocationDirection(&from, &to, &x, &y, &z);
  EXPECT_DOUBLE_EQ(x, 0.0);
  EXPECT_DOUBLE_EQ(y, 0.6);
  EXPECT_DOUBLE_EQ(z, 0.8);
  GetLocationDirection(&from, &from, &x, &y, &z);
  EXPECT_EQ(x + y + z, 0.0);

  Location c = L(9, 1, 0, 0);
  const Location a = L(0, 0, 1, 0), b = L(0, 0, 0, 1);
  ExpressLocationInFrame(&c, &a, &b);
  EXPECT_EQ(std::make_tuple(c.asteroid, c.x, c.y, c.z), std::make_tuple(9, -1024, 0, 0));

  Location d = L(0, 0, 5, 0);
  ExpressLocationInFrame(&d, &a, &b);  // lies along a: (0, 5, 0) scaled
  EXPECT_EQ(d.y, 1024);
  Location zero = L(0, 0, 0, 0);
  ExpressLocationInFrame(&zero, &a, &b);
  EXPECT_EQ(zero.x, 0);
  Location keep = L(0, 7, 8, 9);
  ExpressLocationInFrame(&keep, nullptr, &b);
  EXPECT_EQ(std::make_tuple(keep.x, keep.z), std::make_tuple(7, 9));

  // Large coordinates: the products exceed 32 bits but the direction holds.
  Location big = L(0, 0, 0, 30000);
  const Location ba = L(0, 30000, 0, 0), bb = L(0, 0, 30000, 0);
  ExpressLocationInFrame(&big, &ba, &bb);  // -(a x b) . c = -2.7e13
  EXPECT_EQ(std::make_tuple(big.x, big.y, big.z), std::make_tuple(-1024, 0, 0));
}

TEST(LocationTest, SaveAndLoadAreFourWords) {
  model_test::Sandbox box;
  const Location a = L(0x0102, -2, 0x0304, 0x7FFF);
  plat::FILE* fp = plat::fopen("C:\\loc.bin", "wb");
  EXPECT_EQ(SaveLocation(&a, fp), 1);
  plat::fclose(fp);
  EXPECT_EQ(box.Read("c/loc.bin"), std::string("\x02\x01\xFE\xFF\x04\x03\xFF\x7F", 8));

  Location b;
  fp = plat::fopen("C:\\loc.bin", "rb");
  EXPECT_EQ(LoadLocation(&b, fp), 1);
  EXPECT_EQ(LoadLocation(&b, fp), 0);  // nothing left; b keeps its value
  plat::fclose(fp);
  EXPECT_EQ(std::make_tuple(b.asteroid, b.x, b.z), std::make_tuple(a.asteroid, -2, 0x7FFF));
}

TEST(VectorTest, Normalize) {
  CVector3f v{0, 0, 0};
  v.Normalize();
  EXPECT_EQ(v.z, 0.0f);
  v = {0, 0, 1.00004f};
  v.Normalize();
  EXPECT_EQ(v.z, 1.00004f);
  v = {0, 0, 2};
  v.Normalize();
  EXPECT_EQ(v.z, 1.0f);
  v = {std::numeric_limits<float>::quiet_NaN(), 0, 0};
  v.Normalize();
  EXPECT_TRUE(std::isnan(v.x));

  CVector3d d{3, 0, 4};
  d.Normalize();
  EXPECT_DOUBLE_EQ(d.x, 0.6);
  d.Scale(10.0f);
  EXPECT_DOUBLE_EQ(d.z, 8.0);
  CVector3d origin{};
  EXPECT_DOUBLE_EQ(GetVector3dDistance(&origin, &d), 10.0);
}

TEST(VectorTest, RotationIsCounterClockwiseAboutTheAxis) {
  const float quarter = static_cast<float>(std::numbers::pi / 2);
  const CVector3f x{1, 0, 0}, zAxis{0, 0, 1};
  CVector3f out;
  RotateVector3fAboutAxis(&out, &x, &zAxis, quarter);
  EXPECT_NEAR(out.x, 0.0f, 1e-6f);
  EXPECT_NEAR(out.y, 1.0f, 1e-6f);
  EXPECT_NEAR(out.z, 0.0f, 1e-6f);

  CVector3f inPlace{1, 0, 0};
  RotateVector3fAboutAxis(&inPlace, &inPlace, &zAxis, quarter);
  EXPECT_NEAR(inPlace.y, 1.0f, 1e-6f);

  CVector3d y{0, 1, 0};
  const CVector3d xAxis{1, 0, 0};
  RotateVector3dAboutAxis(&y, &y, &xAxis, quarter);
  EXPECT_NEAR(y.z, 1.0, 1e-7);

  CVector3f scaled{0, 2, 0};  // the member form normalises afterwards
  scaled.RotateAboutAxis(1, 0, 0, quarter);
  EXPECT_NEAR(scaled.z, 1.0f, 1e-6f);
  CVector3d kept{0, 2, 0};  // the double form does not
  kept.RotateAboutAxis(1, 0, 0, quarter);
  EXPECT_NEAR(kept.z, 2.0, 1e-6);
}

}  // namespace
