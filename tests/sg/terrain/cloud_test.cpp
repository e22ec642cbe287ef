// The cloud cover's two halves around the scene's own frame.

#include <cmath>

#include "support/terraindrawfixture.h"

#include "sg/instance/instance.h"

namespace terraintest {
namespace {

class Clouds : public TerrainDraw {
 protected:
  // A flat layer (10 units thick) hung at 40 with its heights scaled by `bottom` seen from below.
  void Layer(const std::string& name, float bottom) {
    ASSERT_EQ(SGSceneSetCoverHeight(scene_, 40.f, bottom), SG_ERROR_NONE);
    clouds_ = OpenTerrain(
        name, [](std::uint32_t, std::uint32_t) { return terraintest::Flat(17, 100); }, 239, 255);
    ASSERT_EQ(SGSceneAttachSubScene(scene_, clouds_.scene), SG_ERROR_NONE);
    SGSceneCloudsOn(scene_);
    Hook(clouds_);
  }
};

// A sub-scene's own draw leaves its instances alone; from above the cover, one
// with fog of its own is brought up to date (here: a deleted instance goes).
TEST_F(Clouds, FromAboveASubSceneWithItsOwnFogHasItsInstancesUpdated) {
  Layer("over", -0.8f);
  SGSceneSetCoverThreshold(scene_, 20.f);  // no cloud under the camera: it is not inside
  SGInstance* gone = nullptr;
  ASSERT_EQ(SGInstanceCreate(ctx_, SG_INST_TYPE_MODEL_ONE, &gone), SG_ERROR_NONE);
  ASSERT_EQ(SGSceneAddInstance(clouds_.scene, gone), SG_ERROR_NONE);
  SGInstanceDelete(gone);
  LookFrom(20.0, -6.0, 70.0, 0.f, 0.7f, -0.7f);
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  EXPECT_EQ(clouds_.scene->scnInstances, gone);
  clouds_.scene->scnFlags |= SG_SCN_FLAG_OWN_FOG;
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  EXPECT_EQ(clouds_.scene->scnInstances, nullptr);
}

// The ceiling's own frame sets the LOD scale for its distances; the scene's
// terrain, drawn after it, keeps its own.
TEST_F(Clouds, TheCeilingLeavesTheSceneItsOwnLevelScale) {
  Layer("ceiling", -0.8f);
  clouds_.scene->scnLODScale = 4.f;
  LookFrom(20.0, -6.0, 24.0, 0.3f, 0.9f, 0.1f);
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  const float g = 2.f * std::fabs(rend_->renViewDir[2]) + 1.f;
  EXPECT_FLOAT_EQ(rend_->renLOD->lodDistScale, scene_->scnLODDist * g);
  EXPECT_NE(clouds_.scene->scnLODDist, scene_->scnLODDist);
}

// A layer without depth still has an inside: from below, a camera above the
// ceiling's lower surface sees only cloud.
TEST_F(Clouds, ACameraAboveTheCeilingOfAFlatLayerIsInTheCloud) {
  Layer("layer", -0.15f);
  SGSceneSetCoverColour(scene_, 0xC0C0C000u);
  LookFrom(20.0, -6.0, 39.0, 0.f, 1.f, 0.f);  // the ceiling hangs down to 38.5
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  EXPECT_EQ(Pixel(3, 3), Pixel(292, 183));
  EXPECT_NE(Pixel(3, 3), 0u);
}

}  // namespace
}  // namespace terraintest
