// The cloud cover's two halves around the scene's own frame.

#include <cmath>

#include "support/terraindrawfixture.h"

#include "sg/instance/instance.h"
#include "sg/render/renderer.h"
#include "sg/terrain/terrain.h"

namespace terraintest {
namespace {

// A covered scene whose sub-scene is the fixture's terrain (flat at height 10),
// with the cover at 100 and a camera above it.
class Cloud : public TerrainTest {
 protected:
  void SetUp() override {
    TerrainTest::SetUp();
    World w;
    w.files = {HeightFile(17, Flat(17, 50))};
    Open(w);
    ASSERT_EQ(SGRendererCreate(ctx_, &rend_), SG_ERROR_NONE);
    ASSERT_EQ(SGSceneCreate(ctx_, &super_), SG_ERROR_NONE);
    ASSERT_EQ(SGSceneAttachSubScene(super_, Scene()), SG_ERROR_NONE);
    SGSceneCloudsOn(super_);
    ASSERT_EQ(SGSceneSetCoverHeight(super_, 100.f, 0.f), SG_ERROR_NONE);
    ASSERT_EQ(SGInstanceCreate(ctx_, SG_INST_TYPE_CAMERA, &camera_), SG_ERROR_NONE);
    camera_->instPos[2] = 150.0;
  }
  void TearDown() override {
    ISGInstanceDestroy(camera_);
    SGSceneDestroy(super_);  // and its sub-scene
    terrain_.scene_ = nullptr;
    SGRendererDestroy(rend_);
    TerrainTest::TearDown();
  }
  SGRenderer* rend_ = nullptr;
  SGScene* super_ = nullptr;
  SGInstance* camera_ = nullptr;
};

// The sub-scene's own draw leaves its instances alone; from above the cover,
// one with fog of its own is brought up to date (here: a deleted instance goes).
TEST_F(Cloud, FromAboveASubSceneWithItsOwnFogHasItsInstancesUpdated) {
  SGSceneSetCoverThreshold(super_, 20.f);  // the ground at 10: no cloud under the camera
  SGInstance* gone = nullptr;
  ASSERT_EQ(SGInstanceCreate(ctx_, SG_INST_TYPE_MODEL_ONE, &gone), SG_ERROR_NONE);
  ASSERT_EQ(SGSceneAddInstance(Scene(), gone), SG_ERROR_NONE);
  SGInstanceDelete(gone);
  ASSERT_EQ(ISGCloudDrawBelow(rend_, super_, camera_), SG_ERROR_NONE);
  EXPECT_EQ(Scene()->scnInstances, gone);
  Scene()->scnFlags |= SG_SCN_FLAG_OWN_FOG;
  ASSERT_EQ(ISGCloudDrawBelow(rend_, super_, camera_), SG_ERROR_NONE);
  EXPECT_EQ(Scene()->scnInstances, nullptr);
}

// The ceiling's own frame sets the LOD scale for its distances; the scene's
// terrain, drawn after it, keeps its own.
TEST_F(TerrainDraw, TheCeilingLeavesTheSceneItsOwnLevelScale) {
  ASSERT_EQ(SGSceneSetCoverHeight(scene_, 40.f, -0.8f), SG_ERROR_NONE);
  clouds_ = OpenTerrain("ceiling", [](std::uint32_t, std::uint32_t) { return terraintest::Flat(17, 100); }, 234, 250);
  ASSERT_EQ(SGSceneAttachSubScene(scene_, clouds_.scene), SG_ERROR_NONE);
  SGSceneCloudsOn(scene_);
  clouds_.scene->scnLODScale = 4.f;
  Hook(clouds_);
  LookFrom(20.0, -6.0, 24.0, 0.3f, 0.9f, 0.1f);
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  const float g = 2.f * std::fabs(rend_->renViewDir[2]) + 1.f;
  EXPECT_FLOAT_EQ(rend_->renLOD->lodDistScale, scene_->scnLODDist * g);
  EXPECT_NE(clouds_.scene->scnLODDist, scene_->scnLODDist);
}

// A layer without depth still has an inside: from below, a camera above the
// ceiling's lower surface sees only cloud.
TEST_F(TerrainDraw, ACameraAboveTheCeilingOfAFlatLayerIsInTheCloud) {
  ASSERT_EQ(SGSceneSetCoverHeight(scene_, 40.f, -0.15f), SG_ERROR_NONE);
  clouds_ = OpenTerrain("layer", [](std::uint32_t, std::uint32_t) { return terraintest::Flat(17, 100); }, 239, 255);
  ASSERT_EQ(SGSceneAttachSubScene(scene_, clouds_.scene), SG_ERROR_NONE);
  SGSceneCloudsOn(scene_);
  SGSceneSetCoverColour(scene_, 0xC0C0C000u);
  Hook(clouds_);
  LookFrom(20.0, -6.0, 39.0, 0.f, 1.f, 0.f);  // the ceiling hangs down to 38.5
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  EXPECT_EQ(Pixel(3, 3), Pixel(292, 183));
  EXPECT_NE(Pixel(3, 3), 0u);
}

}  // namespace
}  // namespace terraintest
