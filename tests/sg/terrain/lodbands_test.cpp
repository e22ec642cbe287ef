// Where a strip's levels start along it, and the blend weights by distance.

#include <cmath>

#include "support/terrainfixture.h"

#include "sg/fb/framebuffer.h"
#include "sg/material/material.h"
#include "sg/render/renderer.h"
#include "sg/terrain/lod.h"

namespace terraintest {
namespace {

// Page size 1, 17 samples, LOD value derived (2): level L starts at a squared
// distance of lodDist[L] / 2, that is radii 0.71, 1.41, 2.83 and 5.66.
class LodBands : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGContextCreate(&ctx_), SG_ERROR_NONE);
    ASSERT_EQ(SGRendererCreate(ctx_, &rend_), SG_ERROR_NONE);
    ASSERT_EQ(SGSceneCreate(ctx_, &scene_), SG_ERROR_NONE);
    scene_->scnPageSize = 1.f;
    scene_->scnPageNumVerts = 17;
    scene_->scnMaxLOD = 4;
    SGRendererSetLOD(rend_, 0.f);
    ASSERT_EQ(ISGLodCreate(rend_, scene_), SG_ERROR_NONE);
  }
  void TearDown() override {
    rend_->renFrameBuffer = nullptr;
    SGSceneDestroy(scene_);
    SGRendererDestroy(rend_);
    SGContextDestroy(ctx_);
  }
  SGContext* ctx_ = nullptr;
  SGRenderer* rend_ = nullptr;
  SGScene* scene_ = nullptr;
  float bands_[2 * SG_LOD_MAX_LEVELS];
  std::uint32_t level_ = 99, top_ = 99, bottom_ = 99;
};

TEST_F(LodBands, EachLevelStartsWhereItsCircleCrossesTheRow) {
  // A row along x two units ahead of the eye, walked toward +x, rows coming toward the eye from +y.
  const int dir[2] = {1, -1};
  ASSERT_EQ(ISGLodStripBands(rend_, scene_, -10.f, 2.f, true, dir, 0, 4, bands_, &level_, &top_, &bottom_),
            SG_ERROR_NONE);
  EXPECT_EQ(level_, 4u);
  EXPECT_EQ(top_, 4u);  // one coarser than the start, but no coarser than the strip may go
  EXPECT_EQ(bottom_, 2u);
  EXPECT_FLOAT_EQ(bands_[8], -std::sqrt(28.f));
  EXPECT_FLOAT_EQ(bands_[9], std::sqrt(28.f));
  EXPECT_FLOAT_EQ(bands_[6], -2.f);
  EXPECT_FLOAT_EQ(bands_[7], 2.f);
  for (int i : {0, 1, 2, 3, 4, 5, 10, 11}) {
    EXPECT_EQ(bands_[i], 0.f) << i;
  }
  // Walking the other way meets the second start first.
  const int back[2] = {-1, -1};
  ASSERT_EQ(ISGLodStripBands(rend_, scene_, 10.f, 2.f, true, back, 0, 4, bands_, &level_, &top_, &bottom_),
            SG_ERROR_NONE);
  EXPECT_FLOAT_EQ(bands_[6], 2.f);
  EXPECT_FLOAT_EQ(bands_[7], -2.f);
  // Along y the roles of the axes exchange.
  const int alongY[2] = {-1, 1};
  ASSERT_EQ(ISGLodStripBands(rend_, scene_, 2.f, -10.f, false, alongY, 0, 4, bands_, &level_, &top_, &bottom_),
            SG_ERROR_NONE);
  EXPECT_EQ(bottom_, 2u);
  EXPECT_FLOAT_EQ(bands_[6], -2.f);
  EXPECT_FLOAT_EQ(bands_[7], 2.f);
}

TEST_F(LodBands, NearRowsReachFinerLevelsAndTheStripsRangeBoundsThem) {
  const int dir[2] = {1, -1};
  // A medium-distance start: the top is one coarser than the level there.
  ASSERT_EQ(ISGLodStripBands(rend_, scene_, -1.5f, 0.5f, true, dir, 0, 4, bands_, &level_, &top_, &bottom_),
            SG_ERROR_NONE);
  EXPECT_EQ(level_, 2u);
  EXPECT_EQ(top_, 3u);
  EXPECT_EQ(bottom_, 0u);
  EXPECT_FLOAT_EQ(bands_[3], 0.5f);
  // A row a unit ahead stays at level 1 and coarser; one a unit past the eye stands at the eye.
  ASSERT_EQ(ISGLodStripBands(rend_, scene_, -10.f, 1.f, true, dir, 0, 4, bands_, &level_, &top_, &bottom_),
            SG_ERROR_NONE);
  EXPECT_EQ(bottom_, 1u);
  ASSERT_EQ(ISGLodStripBands(rend_, scene_, -10.f, -1.f, true, dir, 0, 4, bands_, &level_, &top_, &bottom_),
            SG_ERROR_NONE);
  EXPECT_EQ(bottom_, 0u);
  EXPECT_FLOAT_EQ(bands_[3], std::sqrt(0.5f));
  // A strip kept at level 2 or coarser stops there.
  ASSERT_EQ(ISGLodStripBands(rend_, scene_, -10.f, -1.f, true, dir, 2, 3, bands_, &level_, &top_, &bottom_),
            SG_ERROR_NONE);
  EXPECT_EQ(top_, 3u);
  EXPECT_EQ(bottom_, 2u);
  EXPECT_EQ(bands_[3], 0.f);
  EXPECT_EQ(bands_[8], 0.f);
}

TEST_F(LodBands, WeightsFollowTheDistanceAndFreeingTwiceIsRefused) {
  float weight = -1.f;
  std::uint32_t level = 0;
  const float near[3] = {0.f, 0.f, 10.f};
  ASSERT_EQ(ISGLodForDistance(rend_, scene_, near, &level, &weight), SG_ERROR_NONE);
  EXPECT_EQ(weight, 0.f);
  // The brightness table needs the frame buffer's colours.
  EXPECT_EQ(SGRendererSetLODWeights(rend_, 7, 1, 16, 256.f, 0.5f), SG_ERROR_NO_LUT);
  SGPalEntry colours[4] = {{0, 0, 0, 0}, {64, 64, 64, 0}, {128, 128, 128, 0}, {255, 255, 255, 0}};
  SGFrameBuffer fb{};
  fb.fbColours = colours;
  fb.fbColourCount = 4;
  rend_->renFrameBuffer = &fb;
  // The outer radius must lie beyond the inner one: a fraction of 0 gives none.
  EXPECT_EQ(SGRendererSetLODWeights(rend_, 7, 1, 16, 256.f, 0.f), SG_ERROR_UNSUPPORTED);
  EXPECT_EQ(SGRendererSetLODWeights(rend_, 7, 1, 16, 256.f, -0.5f), SG_ERROR_UNSUPPORTED);
  EXPECT_EQ(SGRendererSetLODWeights(rend_, 7, 1, 100000, 256.f, 0.5f), SG_ERROR_UNSUPPORTED);
  ASSERT_EQ(SGRendererSetLODWeights(rend_, 7, 1, 16, 256.f, 0.5f), SG_ERROR_NONE);
  const SGLODState* lod = rend_->renLOD;
  ASSERT_EQ(lod->lodWeightsLen, 256u);
  EXPECT_EQ(lod->lodWeightMode, 1u);
  EXPECT_EQ(lod->lodWeights[64], 0u);            // the inner radius: no halving, weight 0
  EXPECT_EQ(lod->lodWeights[100], 62u);          // radius 10: (10 - 8) / (16.13 - 8) of 256, less one
  EXPECT_EQ(lod->lodWeights[16] >> 8, 1u);       // radius 4 is half of 8
  EXPECT_EQ(lod->lodWeights[0] >> 8, 15u);       // the centre halves as often as a row allows
  ASSERT_EQ(ISGLodForDistance(rend_, scene_, near, &level, &weight), SG_ERROR_NONE);
  EXPECT_FLOAT_EQ(weight, 62.f / 255.f);
  const float far[3] = {0.f, 20.f, 0.f};
  ASSERT_EQ(ISGLodForDistance(rend_, scene_, far, &level, &weight), SG_ERROR_NONE);
  EXPECT_EQ(weight, 1.f);
  // Brightness rows: 8 keeps each colour, 0 halves it, 15 nearly doubles it.
  const std::uint8_t* rows = lod->lodWeightColours;
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(rows[8 * 256 + 2], 2u);
  EXPECT_EQ(rows[0 * 256 + 2], 1u);
  EXPECT_EQ(rows[15 * 256 + 1], 2u);
  EXPECT_EQ(rows[15 * 256 + 3], 3u);
  EXPECT_EQ(SGRendererFreeLODWeights(rend_), SG_ERROR_NONE);
  EXPECT_EQ(SGRendererFreeLODWeights(rend_), SG_ERROR_NO_WEIGHTS);
  ASSERT_EQ(ISGLodForDistance(rend_, scene_, near, &level, &weight), SG_ERROR_NONE);
  EXPECT_EQ(weight, 0.f);
  ISGLodDestroy(rend_);
  EXPECT_EQ(SGRendererFreeLODWeights(rend_), SG_ERROR_NO_LOD);
  EXPECT_EQ(SGRendererSetLODWeights(rend_, 7, 1, 16, 256.f, 0.5f), SG_ERROR_NO_LOD);
}

}  // namespace
}  // namespace terraintest
