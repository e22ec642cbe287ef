// The screen vertices the software triangle slot makes, against the library's
// own rounding and clamping: random places (halves, the range's ends, values
// past it, not-a-number) and random light and fog values.

#include <cmath>
#include <limits>
#include <random>

#include "sg/render/primitives.h"
#include "support/renderfixture.h"

namespace rendertest {
namespace {

class ScreenVertexTest : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    BuildShadeTable();
    ASSERT_EQ(Draw(), SG_ERROR_NONE);  // a frame's camera and pools
  }

  SGTxVertex* Vertex(float x, float y, float shade, float fog, std::uint32_t flags) {
    SGTxVertex* v = nullptr;
    EXPECT_EQ(ISGRendererNewTxVert(rend_, &v), SG_ERROR_NONE);
    v->txvLoc[0] = x;
    v->txvLoc[1] = y;
    v->txvLoc[2] = 0.5f;
    v->txvLoc[3] = 0.5f;
    v->txvShade = shade;
    v->txvFog = fog;
    v->txvFlags = flags;
    return v;
  }

  // The library's rounding of a screen coordinate, and INT32_MIN out of range.
  static std::int32_t Rounded(float value) {
    if (!(value > -1073741824.f && value < 1073741824.f)) {
      return INT32_MIN;
    }
    return static_cast<std::int32_t>(std::lrint(value));
  }

  // The level of a screen vertex as the library's fmin and fmax clamp it.
  float Level(const SGMaterial* mat, const SGTxVertex* v, std::uint32_t orFlags) const {
    const float scale = static_cast<float>(rend_->renShadeScale);
    float intensity = 0.f;
    if ((orFlags & SG_TXV_FOGGED) != 0) {
      intensity = (1.f - v->txvFog) * scale;
    } else if ((orFlags & SG_TXV_SHADED) != 0) {
      intensity = (v->txvShade * mat->matDiffuse + mat->matAmbient) * scale;
    }
    return std::fmin(std::fmax(intensity, 0.f), scale) + 16.f;
  }
};

TEST_F(ScreenVertexTest, PlacesRoundAndLevelsClampAsTheLibraryDoes) {
  SGMaterial* mat = Keep(Material(SG_MAT_TYPE_SHADED, 90, nullptr));
  std::mt19937 rng(77);
  auto real = [&rng](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const float special[] = {0.5f,         1.5f,          2.5f,          -0.5f, -1.5f, 100.5f, 101.5f, 1073741760.f,
                           1073741824.f, -1073741824.f, -1073741760.f, 3e9f,  nan,   inf,    -inf,   -0.f};
  const float levels[] = {-1.f, 0.f, 0.25f, 1.f, 1.7f, 40.f, nan, inf, -inf};
  int checked = 0;
  for (int i = 0; i < 3000; ++i) {
    const std::uint32_t flags = i % 3 == 0 ? SG_TXV_FOGGED : (i % 3 == 1 ? SG_TXV_SHADED : 0);
    SGTxVertex* t[3];
    for (auto& v : t) {
      const int pick = static_cast<int>(rng() % 4);
      const float x = pick == 0 ? special[rng() % std::size(special)]
                                : (pick == 1 ? std::floor(real(-2000.f, 20000.f)) + 0.5f : real(-2e4f, 2e4f));
      const float y = pick == 3 ? special[rng() % std::size(special)] : real(-2e4f, 2e4f);
      const float shade = rng() % 3 == 0 ? levels[rng() % std::size(levels)] : real(-0.5f, 1.5f);
      const float fog = rng() % 3 == 0 ? levels[rng() % std::size(levels)] : real(-0.5f, 1.5f);
      v = Vertex(x, y, shade, fog, flags);
    }
    ASSERT_EQ(ISGEPDrawTriangle(rend_, scene_, mat, t), SG_ERROR_NONE);
    for (const SGTxVertex* v : t) {
      ASSERT_NE(v->txvConverted, 0u);
      const SGQVert& q = rend_->renQVerts[v->txvQIndex];
      ASSERT_EQ(q.x, Rounded(v->txvLoc[0])) << "x " << v->txvLoc[0];
      ASSERT_EQ(q.y, Rounded(v->txvLoc[1])) << "y " << v->txvLoc[1];
      const float level = Level(mat, v, flags);
      ASSERT_EQ(q.q, level) << "shade " << v->txvShade << " fog " << v->txvFog;
      ++checked;
    }
  }
  EXPECT_EQ(checked, 9000);
}

}  // namespace
}  // namespace rendertest
