// Where a strip's levels start along it, and the blend weights by distance.

#include <cmath>

#include "support/terrainfixture.h"

#include "sg/fb/framebuffer.h"
#include "sg/render/renderer.h"
#include "sg/terrain/lod.h"

namespace terraintest {
namespace {

// Page size 1, 17 samples, LOD value derived (2): level L starts at a squared
// distance of lodDist[L] / 2, that is radii 0.71, 1.41, 2.83 and 5.66.
class LodBands : public LodScene {
 protected:
  void SetUp() override {
    LodScene::SetUp();
    if (HasFatalFailure()) return;
    SGRendererSetLOD(rend_, 0.f);
    ASSERT_EQ(ISGLodCreate(rend_, scene_), SG_ERROR_NONE);
  }
  // A strip along x (or y) from (x, y), rows walked toward the eye from +y.
  void Bands(float x, float y, int along, std::uint32_t finest = 0, std::uint32_t coarsest = 4, bool alongX = true) {
    const int dir[2] = {alongX ? along : -1, alongX ? -1 : along};
    ASSERT_EQ(ISGLodStripBands(rend_, scene_, x, y, alongX, dir, finest, coarsest, bands_, &level_, &top_, &bottom_),
              SG_ERROR_NONE);
  }
  float bands_[2 * SG_LOD_MAX_LEVELS];
  std::uint32_t level_ = 99, top_ = 99, bottom_ = 99;
};

TEST_F(LodBands, EachLevelStartsWhereItsCircleCrossesTheRow) {
  Bands(-10.f, 2.f, 1);  // two units ahead: levels 4 and 3 start on the row, 2 nowhere
  EXPECT_EQ(level_, 4u);
  EXPECT_EQ(top_, 4u);  // one coarser than the start, but no coarser than the strip may go
  EXPECT_EQ(bottom_, 2u);
  EXPECT_FLOAT_EQ(bands_[8], -std::sqrt(28.f));
  EXPECT_FLOAT_EQ(bands_[9], std::sqrt(28.f));
  EXPECT_FLOAT_EQ(bands_[6], -2.f);
  EXPECT_EQ(bands_[5], 0.f);
  Bands(10.f, 2.f, -1);  // walking the other way meets the second start first
  EXPECT_FLOAT_EQ(bands_[6], 2.f);
  Bands(2.f, -10.f, 1, 0, 4, false);  // along y the axes exchange roles
  EXPECT_EQ(bottom_, 2u);
  EXPECT_FLOAT_EQ(bands_[7], 2.f);
  Bands(-1.5f, 0.5f, 1);  // nearer: the top is one coarser than the start's level
  EXPECT_EQ(level_, 2u);
  EXPECT_EQ(top_, 3u);
  EXPECT_EQ(bottom_, 0u);
  EXPECT_FLOAT_EQ(bands_[3], 0.5f);
  // A row a unit ahead stops at level 1; one a unit past the eye stands at the eye.
  Bands(-10.f, 1.f, 1);
  EXPECT_EQ(bottom_, 1u);
  Bands(-10.f, -1.f, 1);
  EXPECT_EQ(bottom_, 0u);
  EXPECT_FLOAT_EQ(bands_[3], std::sqrt(0.5f));
  Bands(-10.f, -1.f, 1, 2, 3);  // a strip kept to levels 2..3 stops there
  EXPECT_EQ(bottom_, 2u);
  EXPECT_EQ(bands_[3], 0.f);
  EXPECT_EQ(bands_[8], 0.f);
}

TEST_F(LodBands, WeightsFollowTheDistanceAndFreeingTwiceIsRefused) {
  float weight = -1.f;
  std::uint32_t level = 0;
  const float near[3] = {0.f, 0.f, 10.f};
  // The brightness table needs the frame buffer's colours.
  EXPECT_EQ(SGRendererSetLODWeights(rend_, 7, 1, 16, 256.f, 0.5f), SG_ERROR_NO_LUT);
  SGPalEntry colours[4] = {{0, 0, 0, 0}, {64, 64, 64, 0}, {128, 128, 128, 0}, {255, 255, 255, 0}};
  SGFrameBuffer fb{};
  fb.fbColours = colours;
  fb.fbColourCount = 4;
  rend_->renFrameBuffer = &fb;
  // The outer radius must lie beyond the inner one (a fraction of 0 gives none); the table is bounded.
  EXPECT_EQ(SGRendererSetLODWeights(rend_, 7, 1, 16, 256.f, 0.f), SG_ERROR_UNSUPPORTED);
  EXPECT_EQ(SGRendererSetLODWeights(rend_, 7, 1, 100000, 256.f, 0.5f), SG_ERROR_UNSUPPORTED);
  ASSERT_EQ(SGRendererSetLODWeights(rend_, 7, 1, 16, 256.f, 0.5f), SG_ERROR_NONE);
  const SGLODState* lod = rend_->renLOD;
  ASSERT_EQ(lod->lodWeightsLen, 256u);
  EXPECT_EQ(lod->lodWeights[64], 0u);       // the inner radius: no halving, weight 0
  EXPECT_EQ(lod->lodWeights[100], 62u);     // radius 10: (10 - 8) / (16.13 - 8) of 256, less one
  EXPECT_EQ(lod->lodWeights[16] >> 8, 1u);  // radius 4 is half of 8
  ASSERT_EQ(ISGLodForDistance(rend_, scene_, near, &level, &weight), SG_ERROR_NONE);
  EXPECT_FLOAT_EQ(weight, 62.f / 255.f);
  // Brightness rows: 8 keeps each colour, 0 halves it, 15 nearly doubles it.
  const std::uint8_t* rows = lod->lodWeightColours;
  EXPECT_EQ(rows[8 * 256 + 2], 2u);
  EXPECT_EQ(rows[0 * 256 + 2], 1u);
  EXPECT_EQ(rows[15 * 256 + 1], 2u);
  EXPECT_EQ(SGRendererFreeLODWeights(rend_), SG_ERROR_NONE);
  EXPECT_EQ(SGRendererFreeLODWeights(rend_), SG_ERROR_NO_WEIGHTS);
  ASSERT_EQ(ISGLodForDistance(rend_, scene_, near, &level, &weight), SG_ERROR_NONE);
  EXPECT_EQ(weight, 0.f);
  ISGLodDestroy(rend_);
  EXPECT_EQ(SGRendererFreeLODWeights(rend_), SG_ERROR_NO_LOD);
}

}  // namespace
}  // namespace terraintest
