// Software points, lines and debugging outlines on the game's frame buffer.

#include "sg/render/primitives.h"
#include "support/renderfixture.h"

namespace rendertest {
namespace {

class PointsTest : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    ASSERT_EQ(Draw(), SG_ERROR_NONE);
    mat_ = Keep(Material(SG_MAT_TYPE_FLAT, 0, nullptr));
    mat_->matColour = 0xFF000000;  // red
  }

  // A vertex at whole pixel (x, y).
  SGTxVertex* At(float x, float y) {
    SGTxVertex* v = nullptr;
    EXPECT_EQ(ISGRendererNewTxVert(rend_, &v), SG_ERROR_NONE);
    v->txvLoc[0] = x * 32.f;
    v->txvLoc[1] = y * 32.f;
    return v;
  }

  void Point(float x, float y) {
    SGTxVertex* v = At(x, y);
    ISGEPDrawPoints(rend_, scene_, mat_, &v);
  }

  void Line(float x0, float y0, float x1, float y1) {
    SGTxVertex* pair[2] = {At(x0, y0), At(x1, y1)};
    ISGEPDrawLines(rend_, scene_, mat_, pair);
  }

  std::vector<std::pair<int, int>> Lit() const {
    std::vector<std::pair<int, int>> out;
    for (int y = 0; y < static_cast<int>(fbtest::kGameHeight); ++y) {
      for (int x = 0; x < static_cast<int>(fbtest::kGameWidth); ++x) {
        if (Pixel(x, y) != 0) {
          out.emplace_back(x, y);
        }
      }
    }
    return out;
  }

  SGMaterial* mat_ = nullptr;
};

TEST_F(PointsTest, PointsOutsideTheBufferAreNotDrawn) {
  Clear();
  Point(-1.f, 10.f);
  Point(10.f, -1.f);
  Point(585.f, 10.f);
  Point(10.f, 367.f);
  EXPECT_TRUE(Lit().empty());
  Point(584.f, 366.f);
  ASSERT_EQ(Lit().size(), 1u);
  EXPECT_EQ(Pixel(584, 366), 0xF800u);
}

TEST_F(PointsTest, ShadedPointsGoThroughTheShadeTable) {
  BuildShadeTable();
  mat_->matAmbient = 0.f;
  mat_->matDiffuse = 1.f;
  Clear();
  SGTxVertex* full = At(5.f, 5.f);
  full->txvFlags = SG_TXV_SHADED;
  full->txvShade = 1.f;
  ISGEPDrawPoints(rend_, scene_, mat_, &full);
  SGTxVertex* half = At(6.f, 5.f);
  half->txvFlags = SG_TXV_SHADED;
  half->txvShade = 0.5f;
  ISGEPDrawPoints(rend_, scene_, mat_, &half);
  EXPECT_EQ(Pixel(5, 5), 30u << 11);  // the last row: 31 * 254 / 255
  EXPECT_EQ(Pixel(6, 5), 15u << 11);
}

TEST_F(PointsTest, TexturedPointsTakeOneTexel) {
  SGMaterial* textured = Keep(Material(SG_MAT_TYPE_TEXTURE, 0, Texture(16, 16, 100, 3)));
  Clear();
  SGTxVertex* v = At(7.f, 7.f);
  v->txvUV[0] = 0.5f;
  v->txvUV[1] = 1.f;  // row 16 wraps to the first
  ISGEPDrawPoints(rend_, scene_, textured, &v);
  EXPECT_EQ(Pixel(7, 7), static_cast<const std::uint16_t*>(fb_->fbPixelTable)[3]);
}

// An end outside the buffer is moved along the line, so the part drawn keeps
// the line's slope instead of bending towards the clamped end.
TEST_F(PointsTest, LinesAreClippedWithoutChangingTheirSlope) {
  Clear();
  Line(-100.f, 0.f, 100.f, 100.f);
  for (const auto& [x, y] : Lit()) {
    EXPECT_NEAR(y, 50 + x / 2, 1) << x;
  }
  EXPECT_NE(Pixel(0, 50), 0u);
  Clear();
  Line(500.f, 300.f, 700.f, 400.f);
  const auto lit = Lit();
  ASSERT_FALSE(lit.empty());
  for (const auto& [x, y] : lit) {
    EXPECT_LT(x, 585);
    EXPECT_LT(y, 367);
    EXPECT_NEAR(y, 300 + (x - 500) / 2, 1) << x;
  }
  Clear();
  Line(-50.f, -50.f, -10.f, 400.f);
  EXPECT_TRUE(Lit().empty());
}

// Outlines stay inside the real buffer: a buffer narrower than 640 pixels
// would otherwise take the overflow on the next row.
TEST_F(PointsTest, OutlinesAreClippedToTheBuffer) {
  Clear();
  OutlinePastTheRightEdge();
  EXPECT_NE(Pixel(583, 10), 0u);
  for (int x = 0; x < 60; ++x) {
    EXPECT_EQ(Pixel(x, 11), 0u) << x;
  }
}

}  // namespace
}  // namespace rendertest
