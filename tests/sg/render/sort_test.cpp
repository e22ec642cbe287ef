// The painter's order between two instances, and the wrapping of instances
// around the eye in a world that repeats.

#include <gtest/gtest.h>

#include "sg/core/context.h"
#include "sg/instance/instance.h"
#include "sg/render/instsort.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"

namespace {

SGInstance Sorted(float priority, float near, float far, double distance) {
  SGInstance inst{};
  inst.instSortPriority = priority;
  for (int k = 0; k < 3; ++k) {
    inst.instSortNear[k] = k == 1 ? near : 0.f;
    inst.instSortFar[k] = k == 1 ? far : 1.f;
  }
  inst.instPos[1] = distance;
  return inst;
}

// Priority wins whatever the distances; then the nearer box; of equal boxes,
// the one whose centre is nearer the eye is drawn last.
TEST(SortOrder, PriorityThenBoxesThenCentres) {
  const SGRenderer rend{};
  const struct {
    SGInstance front, back;
    const char* why;
  } rows[] = {
      {Sorted(2.f, 50.f, 52.f, 51.0), Sorted(1.f, 10.f, 12.f, 11.0), "priority"},
      {Sorted(1.f, 10.f, 12.f, 11.0), Sorted(1.f, 20.f, 22.f, 21.0), "separate boxes"},
      {Sorted(1.f, 10.f, 12.f, 10.5), Sorted(1.f, 10.f, 12.f, 11.5), "equal boxes"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.why);
    EXPECT_TRUE(ISGInstSortInFront(&rend, &r.front, &r.back));
    EXPECT_FALSE(ISGInstSortInFront(&rend, &r.back, &r.front));
  }
}

class Wrap : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGContextCreate(&ctx_), SG_ERROR_NONE);
    ASSERT_EQ(SGSceneCreate(ctx_, &scene_), SG_ERROR_NONE);
    rend_.renViewDir[0] = 1.f;
  }
  void TearDown() override {
    SGSceneDestroy(scene_);
    SGContextDestroy(ctx_);
  }

  SGInstance* Add(std::uint32_t type, double x, double y) {
    SGInstance* inst = nullptr;
    EXPECT_EQ(SGInstanceCreate(ctx_, type, &inst), SG_ERROR_NONE);
    const double pos[3] = {x, y, 7.0};
    SGInstanceSetPosition(inst, pos);
    SGSceneAddInstance(scene_, inst);
    return inst;
  }

  SGContext* ctx_ = nullptr;
  SGScene* scene_ = nullptr;
  SGRenderer rend_{};
};

TEST_F(Wrap, InstancesMoveToTheRepetitionAheadOfTheEye) {
  SGInstance* behind = Add(SG_INST_TYPE_MODEL_ONE, -600.0, 100.0);
  SGInstance* side = Add(SG_INST_TYPE_MODEL_ONE, 100.0, 700.0);
  SGInstance* camera = Add(SG_INST_TYPE_CAMERA, -3000.0, 0.0);
  ASSERT_EQ(ISGSceneUpdateInstances(&rend_, scene_), SG_ERROR_NONE);
  EXPECT_EQ(behind->instPos[0], 400.0);
  EXPECT_EQ(behind->instXform.m[3][0], 400.f);
  EXPECT_EQ(side->instPos[1], -300.0);  // across the view: the nearest repetition
  EXPECT_EQ(side->instXform.m[3][2], 7.f);
  EXPECT_EQ(camera->instPos[0], -3000.0);
}

// However far out an instance lies, its wrap costs a few steps: a world of no
// extent or a position of 1e15 ends at once.
TEST_F(Wrap, FarOutPositionsWrapAtOnce) {
  SGInstance* far = Add(SG_INST_TYPE_MODEL_ONE, 1e15, -1e15);
  ASSERT_EQ(ISGSceneUpdateInstances(&rend_, scene_), SG_ERROR_NONE);
  EXPECT_GE(far->instXform.m[3][0], -1.f);
  EXPECT_LE(far->instXform.m[3][0], 1001.f);
  EXPECT_GE(far->instXform.m[3][1], -501.f);
  EXPECT_LE(far->instXform.m[3][1], 501.f);
  scene_->scnWorldExtent[0] = scene_->scnWorldExtent[1] = 0.f;
  ASSERT_EQ(ISGSceneUpdateInstances(&rend_, scene_), SG_ERROR_NONE);
}

TEST_F(Wrap, OnlyPositionedLightsWrap) {
  SGInstance* sun = Add(SG_INST_TYPE_LIGHT, 900.0, 0.0);
  SGInstance* lamp = Add(SG_INST_TYPE_LIGHT, 900.0, 0.0);
  SGInstanceSetLight(lamp, SG_LIGHT_POSITIONED, 1.f);
  Add(SG_INST_TYPE_MODEL_ONE, 0.0, 0.0);  // the update runs for scenes with instances
  ASSERT_EQ(ISGSceneUpdateInstances(&rend_, scene_), SG_ERROR_NONE);
  EXPECT_EQ(sun->instPos[0], 900.0);
  EXPECT_EQ(lamp->instPos[0], -100.0);
  EXPECT_EQ(lamp->instXform.m[3][0], -100.f);
}

}  // namespace
