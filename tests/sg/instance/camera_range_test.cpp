// The camera's far plane moved on its own, as the game's world owner does
// every frame.
#include <gtest/gtest.h>

#include "sg/instance/instance.h"

namespace {

TEST(CameraRange, MovesBothFarWordsOfACameraAndNothingElse) {
  SGInstance* camera = nullptr;
  ASSERT_EQ(SGInstanceCreate(nullptr, SG_INST_TYPE_CAMERA, &camera), SG_ERROR_NONE);
  ASSERT_EQ(SGInstanceSetCamera(camera, 50.f, 1.5f, 1.f, 400.f), SG_ERROR_NONE);
  ASSERT_EQ(SGInstanceSetCameraRange(camera, 250.f), SG_ERROR_NONE);
  const auto* vi = static_cast<const SGViewData*>(camera->instData);
  EXPECT_FLOAT_EQ(vi->viYon, 250.f);
  EXPECT_FLOAT_EQ(vi->viMaxYon, 250.f);
  EXPECT_FLOAT_EQ(vi->viHither, 1.f);
  EXPECT_FLOAT_EQ(vi->viFov, 50.f);
  SGInstanceDelete(camera);
  SGInstance* model = nullptr;
  ASSERT_EQ(SGInstanceCreate(nullptr, SG_INST_TYPE_MODEL_ONE, &model), SG_ERROR_NONE);
  EXPECT_EQ(SGInstanceSetCameraRange(model, 250.f), SG_ERROR_INST_TYPE);
  SGInstanceDelete(model);
}

}  // namespace
