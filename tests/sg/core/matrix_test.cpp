#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "sg/core/matrix.h"
#include "sg/core/point.h"

namespace {

SGMatrix RotationZ(float a) {
  SGMatrix m;
  SGMatrixIdentity(&m);
  m.m[0][0] = std::cos(a);
  m.m[0][1] = std::sin(a);
  m.m[1][0] = -std::sin(a);
  m.m[1][1] = std::cos(a);
  return m;
}

void ExpectNear(const SGMatrix& a, const SGMatrix& b, float eps = 1e-5f) {
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      EXPECT_NEAR(a.m[i][j], b.m[i][j], eps) << i << "," << j;
    }
  }
}

TEST(Matrix, InvertRefusesSingularAndLeavesOutput) {
  SGMatrix m;
  SGMatrixIdentity(&m);
  m.m[2][0] = m.m[2][1] = m.m[2][2] = m.m[2][3] = 0.f;
  SGMatrix out;
  out.m[1][2] = 42.f;
  EXPECT_EQ(SGMatrixInvert(&out, &m), SG_ERROR_SINGULAR);
  EXPECT_EQ(out.m[1][2], 42.f);

  SGMatrix id;
  SGMatrixIdentity(&id);
  ASSERT_EQ(SGMatrixInvert(&out, &id), SG_ERROR_NONE);
  ExpectNear(out, id, 0.f);
}

TEST(Matrix, InvertGeneralAndInPlace) {
  SGMatrix m = RotationZ(0.3f);
  m.m[0][3] = 0.25f;
  m.m[3][0] = 4.f;
  m.m[3][2] = -2.f;
  m.m[1][1] = 3.f;
  SGMatrix inv = m;
  ASSERT_EQ(SGMatrixInvert(&inv, &inv), SG_ERROR_NONE);  // the output may be the input
  SGMatrix prod;
  SGMatrixMultiply(&prod, &m, &inv);
  SGMatrix id;
  SGMatrixIdentity(&id);
  ExpectNear(prod, id, 1e-5f);
}

TEST(Matrix, AffineInverseTransposesRotation) {
  SGMatrix m = RotationZ(0.7f);
  m.m[3][0] = 1.f;
  m.m[3][1] = 2.f;
  m.m[3][2] = 3.f;
  SGMatrix inv;
  ASSERT_EQ(SGMatrixInvertAffine(&inv, &m), SG_ERROR_NONE);
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      EXPECT_FLOAT_EQ(inv.m[i][j], m.m[j][i]);
    }
  }
  SGMatrix prod;
  SGMatrixMultiplyAffine(&prod, &m, &inv);
  SGMatrix id;
  SGMatrixIdentity(&id);
  ExpectNear(prod, id);
}

TEST(Matrix, Perspective) {
  SGMatrix p;
  ASSERT_EQ(SGMatrixPerspective(&p, 90.f, 1.f, 1.f, 3.f), SG_ERROR_NONE);
  EXPECT_NEAR(p.m[0][0], 1.f, 1e-6f);
  EXPECT_NEAR(p.m[1][1], 1.f, 1e-6f);
  EXPECT_FLOAT_EQ(p.m[2][2], -1.5f);
  EXPECT_FLOAT_EQ(p.m[3][2], -1.5f);
  EXPECT_EQ(std::make_tuple(p.m[2][3], p.m[3][3]), std::make_tuple(-1.f, 0.f));
}

TEST(Matrix, ProductsAgreeAndAliasSafely) {
  SGMatrix a = RotationZ(0.4f);
  a.m[3][0] = 5.f;
  SGMatrix b = RotationZ(-1.1f);
  b.m[3][1] = -2.f;
  SGMatrix general;
  SGMatrixMultiply(&general, &a, &b);
  SGMatrix affine;
  SGMatrixMultiplyAffine(&affine, &a, &b);
  ExpectNear(general, affine);
  SGMatrix mixed;
  SGMatrixMultAffine(&mixed, &a, &b);
  ExpectNear(general, mixed);

  // prod = mat x prod for each in-place form.
  SGMatrix prod = b;
  SGMatrixMultiplyInPlace(&prod, &a);
  ExpectNear(prod, general);
  prod = b;
  SGMatrixMultiplyBothAffineInPlace(&prod, &a);
  ExpectNear(prod, general);
  prod = b;
  SGMatrixMultiplyAffineInPlace(&prod, &a);
  ExpectNear(prod, general);

  // MultByAffine carries A's last column over and answers A.
  SGMatrix c = a;
  c.m[0][3] = 0.5f;
  c.m[3][3] = 2.f;
  SGMatrix out;
  EXPECT_EQ(SGMatrixMultByAffine(&out, &c, &b), &c);
  EXPECT_EQ(std::make_tuple(out.m[0][3], out.m[3][3]), std::make_tuple(0.5f, 2.f));
  EXPECT_NEAR(out.m[3][1], 2.f * b.m[3][1] + 5.f * b.m[0][1], 1e-5f);
}

TEST(Matrix, AdjointTimesMatrixIsDeterminant) {
  SGMatrix m = RotationZ(0.2f);
  m.m[0][0] = 2.f;
  m.m[3][0] = 1.f;
  m.m[1][3] = 0.5f;
  SGMatrix adj;
  SGMatrixAdjoint(&adj, &m);
  SGMatrix prod;
  SGMatrixMultiply(&prod, &m, &adj);
  const double det = SGMatrixDeterminant(&m);
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(prod.m[i][i], det, 1e-5);
  }
}

TEST(Matrix, Angles) {
  SGMatrix id;
  SGMatrixIdentity(&id);
  float a[3];
  SGMatrixToAngles(a, &id);
  EXPECT_FLOAT_EQ(a[0], 0.f);
  EXPECT_FLOAT_EQ(a[1], 0.f);
  EXPECT_FLOAT_EQ(a[2], 0.f);
  const SGPoint3s forward{0.f, 0.f, -1.f};
  const SGPoint3s up{0.f, 1.f, 0.f};
  SGAnglesFromVectors(a, &forward, &up);
  EXPECT_NEAR(a[0], 0.f, 1e-6f);
  EXPECT_NEAR(a[1], 0.f, 1e-6f);
  EXPECT_NEAR(a[2], 0.f, 1e-6f);
  // Looking straight down the rotation's degenerate case still answers.
  SGMatrix gimbal{};
  gimbal.m[0][2] = -1.f;
  gimbal.m[1][1] = 1.f;
  gimbal.m[2][0] = 1.f;
  gimbal.m[3][3] = 1.f;
  SGMatrixToAngles(a, &gimbal);
  EXPECT_NEAR(a[0], 1.5707963f, 1e-5f);
  EXPECT_FLOAT_EQ(a[2], 0.f);
}

TEST(Point, TransformAndProjective) {
  SGMatrix m = RotationZ(1.5707963f);
  m.m[3][0] = 10.f;
  SGPoint3s p{1.f, 0.f, 0.f};
  SGPoint3sTransform(&p, &m, &p);
  EXPECT_NEAR(p.x, 10.f, 1e-5f);
  EXPECT_NEAR(p.y, 1.f, 1e-5f);

  SGMatrix proj;
  SGMatrixPerspective(&proj, 90.f, 1.f, 1.f, 3.f);
  SGPoint3s out{7.f, 7.f, 7.f};
  const SGPoint3s atEye{0.f, 0.f, 0.f};
  EXPECT_EQ(SGPoint3sTransformProjective(&out, &proj, &atEye), SG_ERROR_SINGULAR);
  EXPECT_EQ(out.x, 7.f);
  const SGPoint3s far{0.f, 0.f, -3.f};
  ASSERT_EQ(SGPoint3sTransformProjective(&out, &proj, &far), SG_ERROR_NONE);
  EXPECT_NEAR(out.z, 1.f, 1e-6f);
}

}  // namespace
