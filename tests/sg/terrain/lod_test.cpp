// Levels of detail: the renderer's record for a scene, level choice and
// blending, and the auto-adjuster under a fake clock.

#include <cmath>

#include "support/terrainfixture.h"

#include "sg/core/stopwatch.h"
#include "sg/instance/instance.h"
#include "sg/render/renderer.h"
#include "sg/terrain/lod.h"

namespace terraintest {
namespace {

using Lod = LodScene;

// The terrain's LOD value is its own: the instances' LOD scale stays as it was.
TEST_F(Lod, ValueZeroIsDerivedFromThePageAndLevelsStartAtPowersOfFour) {
  SGRendererSetLOD(rend_, 0.f);
  ASSERT_EQ(ISGLodCreate(rend_, scene_), SG_ERROR_NONE);
  EXPECT_FLOAT_EQ(rend_->renLODValue, 2.f);
  EXPECT_FLOAT_EQ(rend_->renLODScale, 1.f);
  EXPECT_FLOAT_EQ(rend_->renLODDistFactor, 2.f);
  const SGLODState* lod = rend_->renLOD;
  EXPECT_EQ(lod->lodFirst, 0u);
  const float starts[] = {0.f, 1.f, 4.f, 16.f, 64.f, 256.f};
  for (std::uint32_t l = 0; l < 6; ++l) {
    EXPECT_EQ(lod->lodDist[l], starts[l]) << l;
  }
  EXPECT_EQ(lod->lodDist[7], -1.f);
  EXPECT_FLOAT_EQ(lod->lodInvDist[2], 1.f / 12.f);
  EXPECT_FLOAT_EQ(lod->lodCeilingFactor, (256.f - 64.f) / 4.f);
  EXPECT_FLOAT_EQ(scene_->scnLODDist, 2.f);
}

// The distance table covers the levels up to two past the coarsest: at 257
// samples a page it takes a megabyte, not the 4 GiB of a table running to
// twice the coarsest level; pages it cannot hold are refused.
TEST_F(Lod, DistanceTableIsBoundedAndRefusedWhenTooLarge) {
  scene_->scnPageNumVerts = 257;
  scene_->scnMaxLOD = 8;
  ASSERT_EQ(ISGLodCreate(rend_, scene_), SG_ERROR_NONE);
  EXPECT_EQ(rend_->renLOD->lodLUTLen, (1u << 18) + 1);
  EXPECT_EQ(rend_->renLOD->lodLast, 10u);
  EXPECT_GT(rend_->renLOD->lodCeilingFactor, 0.f);
  SGLODState* kept = rend_->renLOD;
  scene_->scnPageNumVerts = 1025;
  scene_->scnMaxLOD = 10;
  EXPECT_EQ(ISGLodCreate(rend_, scene_), SG_ERROR_UNSUPPORTED);
  EXPECT_EQ(rend_->renLOD, kept);
}

TEST_F(Lod, CallersTableGivesTheLevelsAndIsChecked) {
  const std::uint32_t table[] = {0, 0, 1, 1, 1, 3, 3, 4};
  ASSERT_EQ(SGRendererSetLODTable(rend_, table, 8), SG_ERROR_NONE);
  const SGLODState* lod = rend_->renLOD;
  EXPECT_EQ(lod->lodDist[1], 2.f);
  EXPECT_EQ(lod->lodDist[2], 5.f);  // skipped levels start where the next one does
  EXPECT_EQ(lod->lodDist[3], 5.f);
  EXPECT_EQ(lod->lodDist[4], 7.f);
  EXPECT_EQ(lod->lodLast, 4u);
  EXPECT_FLOAT_EQ(lod->lodInvDist[2], lod->lodInvDist[1]);  // no span of its own: the previous one's
  const std::uint32_t falling[] = {0, 2, 1};
  EXPECT_EQ(SGRendererSetLODTable(rend_, falling, 3), SG_ERROR_UNSUPPORTED);
  const std::uint32_t tooDeep[] = {0, 16};
  EXPECT_EQ(SGRendererSetLODTable(rend_, tooDeep, 2), SG_ERROR_UNSUPPORTED);
  EXPECT_EQ(rend_->renLOD, lod);
}

// Level (int)sqrt(i) at squared distance i: level L from L x L on, the table
// ending at the scene's coarsest level; coarser than 15 cannot be held.
TEST_F(Lod, SquareRootTableEndsAtTheCoarsestLevel) {
  scene_->scnMaxLOD = 4;
  ASSERT_EQ(ISGLodBuildLUTSqrt(rend_, scene_), SG_ERROR_NONE);
  const SGLODState* lod = rend_->renLOD;
  EXPECT_EQ(lod->lodLUTLen, 17u);
  EXPECT_EQ(lod->lodLUT[15], 3u);
  EXPECT_EQ(lod->lodLUT[16], 4u);
  const float starts[] = {0.f, 1.f, 4.f, 9.f, 16.f};
  for (std::uint32_t l = 0; l < 5; ++l) EXPECT_EQ(lod->lodDist[l], starts[l]) << l;
  EXPECT_EQ(lod->lodLast, 4u);
  scene_->scnMaxLOD = 0;
  ASSERT_EQ(ISGLodBuildLUTSqrt(rend_, scene_), SG_ERROR_NONE);
  EXPECT_EQ(rend_->renLOD->lodLUTLen, 1u);
  scene_->scnMaxLOD = 16;
  const SGLODState* kept = rend_->renLOD;
  EXPECT_EQ(ISGLodBuildLUTSqrt(rend_, scene_), SG_ERROR_UNSUPPORTED);
  EXPECT_EQ(rend_->renLOD, kept);
}

TEST_F(Lod, ChoiceFollowsSquaredDistanceWithBlendAndClamps) {
  ASSERT_EQ(ISGLodCreate(rend_, scene_), SG_ERROR_NONE);
  rend_->renLOD->lodDistScale = 1.f;
  std::uint32_t level = 99;
  float f = -1.f;
  ASSERT_EQ(ISGLodChoose(rend_, scene_, 1.9f, 0.f, &level, &f), SG_ERROR_NONE);  // d = 3.61
  EXPECT_EQ(level, 1u);
  EXPECT_NEAR(f, (3.61f - 1.f) / 3.f, 1e-5);
  ASSERT_EQ(ISGLodChoose(rend_, scene_, 0.f, std::sqrt(10.f), &level, &f), SG_ERROR_NONE);
  EXPECT_EQ(level, 2u);
  EXPECT_NEAR(f, 0.5f, 1e-5);
  ASSERT_EQ(ISGLodChoose(rend_, scene_, 17.f, 0.f, &level, &f), SG_ERROR_NONE);  // level 5 clamps
  EXPECT_EQ(level, 4u);
  EXPECT_EQ(f, 0.f);
  ASSERT_EQ(ISGLodChoose(rend_, scene_, 1e4f, 0.f, &level, &f), SG_ERROR_NONE);  // past the table
  EXPECT_EQ(level, 4u);
  scene_->scnMinLOD = 2;
  ASSERT_EQ(ISGLodChoose(rend_, scene_, 0.5f, 0.f, &level, &f), SG_ERROR_NONE);
  EXPECT_EQ(level, 2u);
  EXPECT_EQ(f, 0.f);
  // A negative scale reads the table's start, never before it.
  scene_->scnMinLOD = 0;
  rend_->renLOD->lodDistScale = -1.f;
  ASSERT_EQ(ISGLodChoose(rend_, scene_, 100.f, 0.f, &level, &f), SG_ERROR_NONE);
  EXPECT_EQ(level, 0u);
}

// A vertex between two of the next level's samples morphs towards their mean.
TEST_F(Lod, BlendedHeightMovesTowardsTheCoarserSurface) {
  scene_->scnHeightScale = 0.5f;
  std::vector<std::uint8_t> grid(17 * 17, 0);
  grid[4 * 17 + 4] = 10;
  grid[4 * 17 + 6] = 30;
  grid[4 * 17 + 5] = 100;  // u odd at level 0, v even
  grid[3 * 17 + 3] = 8;
  grid[5 * 17 + 7] = 4;  // diagonal of (5, 5)... unused
  grid[5 * 17 + 5] = 50;
  grid[4 * 17 + 4] = 10;
  grid[6 * 17 + 6] = 30;
  EXPECT_FLOAT_EQ(ISGLodBlendHeight(scene_, grid.data(), 5, 4, 0, 0.f), 50.f);
  EXPECT_FLOAT_EQ(ISGLodBlendHeight(scene_, grid.data(), 5, 4, 0, 0.5f), (100 * 0.5f + 20 * 0.5f) * 0.5f);
  EXPECT_FLOAT_EQ(ISGLodBlendHeight(scene_, grid.data(), 5, 5, 0, 1.f), 20 * 0.5f);  // diagonal mean
  EXPECT_FLOAT_EQ(ISGLodBlendHeight(scene_, grid.data(), 4, 4, 0, 1.f), 10 * 0.5f);  // on the coarser grid
  EXPECT_FLOAT_EQ(ISGLodBlendHeight(scene_, grid.data(), 5, 4, 4, 1.f), 50.f);       // coarsest: no blend
}

TEST_F(Lod, BudgetsSetTheirBandsAndReachTheSubScene) {
  SGScene* sub = nullptr;
  ASSERT_EQ(SGSceneCreate(ctx_, &sub), SG_ERROR_NONE);
  scene_->scnSubScene = sub;
  sub->scnSuperScene = scene_;
  std::int32_t v = 0;
  EXPECT_EQ(SGSceneGetLODTimeBudget(scene_, &v), SG_ERROR_NO_ADJUST);
  ASSERT_EQ(SGSceneSetLODTimeBudget(scene_, 50.f), SG_ERROR_NONE);
  const SGLODAdjust* laj = scene_->scnLODAdjust;
  EXPECT_EQ(laj->lajTargetMax, 22000000u);
  EXPECT_EQ(laj->lajTargetMin, 18000000u);
  EXPECT_EQ(laj->lajSaneMax, 44000000u);
  EXPECT_EQ(laj->lajSaneMin, 7200000u);
  EXPECT_EQ(laj->lajFlags & (SG_LAJ_FLAG_TIME_BASE | SG_LAJ_FLAG_POLY_BASE), SG_LAJ_FLAG_TIME_BASE);
  ASSERT_NE(sub->scnLODAdjust, nullptr);
  EXPECT_EQ(sub->scnLODAdjust->lajTargetMax, 22000000u);
  ASSERT_EQ(SGSceneSetLODPolyBudget(scene_, 1000), SG_ERROR_NONE);
  EXPECT_EQ(sub->scnLODAdjust->lajTargetMin, 900u);
  EXPECT_EQ(sub->scnLODAdjust->lajFlags & (SG_LAJ_FLAG_TIME_BASE | SG_LAJ_FLAG_POLY_BASE), SG_LAJ_FLAG_POLY_BASE);
  ASSERT_EQ(SGSceneGetLODPolyBudget(sub, &v), SG_ERROR_NONE);
  EXPECT_EQ(v, 1000);
  ASSERT_EQ(SGSceneSetLODHeightParams(scene_, 1, 10.f, 0.5f, 100.f, 3, 1.f), SG_ERROR_NONE);
  std::uint32_t lowLevel = 0, highLevel = 0;
  float lowHeight = 0, lowYon = 0, highHeight = 0, highYon = 0;
  ASSERT_EQ(SGSceneGetLODHeightParams(scene_, &lowLevel, &lowHeight, &lowYon, &highHeight, &highLevel, &highYon),
            SG_ERROR_NONE);
  EXPECT_EQ(lowLevel, 1u);
  EXPECT_EQ(lowHeight, 10.f);
  EXPECT_EQ(lowYon, 0.5f);
  EXPECT_EQ(highHeight, 100.f);
  EXPECT_EQ(highLevel, 3u);
  EXPECT_EQ(highYon, 1.f);
  scene_->scnSubScene = nullptr;
  SGSceneDestroy(sub);
}

TEST_F(Lod, AdjustmentStepsIgnoreInsaneReadingsAndDampOscillation) {
  ASSERT_EQ(SGSceneSetLODTimeBudget(scene_, 50.f), SG_ERROR_NONE);
  scene_->scnLODDist = 1.f;
  ISGLodAdjustStep(scene_, 50000000);  // 2.5 x the target
  EXPECT_EQ(scene_->scnLODDist, 1.f);
  ISGLodAdjustStep(scene_, 30000000);  // 1.5 x: coarser
  EXPECT_NEAR(scene_->scnLODDist, 1.5f, 1e-5);
  ISGLodAdjustStep(scene_, 30000000);  // again after a coarser step: squared
  EXPECT_NEAR(scene_->scnLODDist, 1.5f * 2.25f, 1e-4);
  ISGLodAdjustStep(scene_, 16000000);  // 0.8 x after coarser: sqrt, then squared
  EXPECT_NEAR(scene_->scnLODDist, 1.5f * 2.25f * 0.8f, 1e-4);
  ISGLodAdjustStep(scene_, 20000000);  // in the band
  EXPECT_EQ(scene_->scnLODAdjust->lajLastStep, 0u);
}

// The begin of a frame reads the last frame's triangles and clears the
// counters; a scene drawn inside an open frame (a cloud cover) or to an
// off-screen frame buffer leaves the distances alone.
TEST_F(Lod, PolygonBudgetStepsOnlyBetweenFramesAndClearsTheCounters) {
  SGInstance* camera = nullptr;
  ASSERT_EQ(SGInstanceCreate(ctx_, SG_INST_TYPE_CAMERA, &camera), SG_ERROR_NONE);
  rend_->renViewData = static_cast<SGViewData*>(camera->instData);
  scene_->scnFlags |= SG_SCN_FLAG_TERRAIN;
  ASSERT_EQ(ISGSceneUpdateLOD(rend_, scene_), SG_ERROR_NONE);  // makes the record
  ASSERT_NE(rend_->renLOD, nullptr);
  ASSERT_EQ(SGSceneSetLODPolyBudget(scene_, 1000), SG_ERROR_NONE);
  const float dist = scene_->scnLODDist;
  for (const std::uint32_t flag : {SG_REND_FLAG_FRAME_OPEN, SG_REND_FLAG_OFFSCREEN_FB}) {
    rend_->renFlags |= flag;
    rend_->renTriCount = 1500;
    ASSERT_EQ(ISGSceneUpdateLOD(rend_, scene_), SG_ERROR_NONE);
    EXPECT_EQ(scene_->scnLODDist, dist);
    EXPECT_EQ(rend_->renTriCount, flag == SG_REND_FLAG_FRAME_OPEN ? 1500u : 0u);
    rend_->renFlags &= ~flag;
  }
  rend_->renTriCount = 1500;
  rend_->renFaceCount = 9;
  ASSERT_EQ(ISGSceneUpdateLOD(rend_, scene_), SG_ERROR_NONE);
  EXPECT_NEAR(scene_->scnLODDist, dist * 1.5f, 1e-5);
  EXPECT_EQ(rend_->renTriCount, 0u);
  EXPECT_EQ(rend_->renFaceCount, 0u);
  rend_->renViewData = nullptr;
  ISGInstanceDestroy(camera);
}

// The frame's LOD update reads the yon through the renderer's view data: a
// camera made where a destroyed one lay must not leave it on the old block.
TEST_F(Lod, ACameraAtADestroyedCamerasAddressGetsItsOwnViewData) {
  SGInstance* camera = nullptr;
  ASSERT_EQ(SGInstanceCreate(ctx_, SG_INST_TYPE_CAMERA, &camera), SG_ERROR_NONE);
  SGViewData stale{};
  rend_->renCamera = camera;
  rend_->renViewData = &stale;
  ASSERT_EQ(ISGRendererSetCamera(rend_, camera), SG_ERROR_NONE);
  EXPECT_EQ(rend_->renViewData, camera->instData);
  rend_->renCamera = nullptr;
  rend_->renViewData = nullptr;
  ISGInstanceDestroy(camera);
}

std::uint64_t g_fakeCycles = 0;
std::uint64_t FakeCounter() { return g_fakeCycles; }

// A frame's time falls as the LOD distances grow (coarser terrain): the
// adjuster, reading a fake clock each frame, brings it into the band and keeps it there.
TEST_F(Lod, TimeBudgetConvergesUnderAFakeClock) {
  SGInstance* camera = nullptr;
  ASSERT_EQ(SGInstanceCreate(ctx_, SG_INST_TYPE_CAMERA, &camera), SG_ERROR_NONE);
  SGInstanceSetCamera(camera, 45.f, 1.f, 0.5f, 200.f);
  rend_->renViewData = static_cast<SGViewData*>(camera->instData);
  rend_->renViewDir[2] = 0.f;
  scene_->scnFlags |= SG_SCN_FLAG_TERRAIN;
  ASSERT_EQ(ISGLodCreate(rend_, scene_), SG_ERROR_NONE);
  ASSERT_EQ(SGSceneSetLODTimeBudget(scene_, 50.f), SG_ERROR_NONE);
  ISGSetCycleCounterSource(FakeCounter);
  const double nsPerCycle = g_sgNsPerCycle;
  g_sgNsPerCycle = 1.0;
  ISGStopwatch* timer = scene_->scnLODAdjust->lajTimer;
  ISGStopwatchReset(timer);
  ISGStopwatchStart(timer);
  int inBand = 0;
  int frames = 0;
  for (; frames < 60 && inBand < 5; ++frames) {
    ASSERT_EQ(ISGSceneUpdateLOD(rend_, scene_), SG_ERROR_NONE);
    // 30 ms at the starting distance; the cost falls with the square root of the distance scale.
    const double ns = 30e6 / std::sqrt(rend_->renLOD->lodDistScale);
    g_fakeCycles += static_cast<std::uint64_t>(ns);
    ISGStopwatchStop(timer);
    inBand = ns >= 18e6 && ns <= 22e6 ? inBand + 1 : 0;
  }
  ISGSetCycleCounterSource(nullptr);
  g_sgNsPerCycle = nsPerCycle;
  EXPECT_EQ(inBand, 5) << "after " << frames << " frames";
  EXPECT_LT(frames, 20);
  rend_->renViewData = nullptr;
  ISGInstanceDestroy(camera);
}

}  // namespace
}  // namespace terraintest
