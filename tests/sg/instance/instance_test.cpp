#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <tuple>

#include "../sgtest.h"
#include "sg/instance/instance.h"
#include "sg/model/model.h"
#include "sg/scene/scene.h"

namespace {

SGInstance* Make(std::uint32_t type) {
  SGInstance* inst = nullptr;
  EXPECT_EQ(SGInstanceCreate(nullptr, type, &inst), SG_ERROR_NONE);
  return inst;
}

bool OnList(SGInstance* head, SGInstance* SGInstance::*next, const SGInstance* inst) {
  for (SGInstance* i = head; i != nullptr; i = i->*next) {
    if (i == inst) {
      return true;
    }
  }
  return false;
}

void ExpectOrthonormal(const SGMatrix& m) {
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      const float dot = m.m[i][0] * m.m[j][0] + m.m[i][1] * m.m[j][1] + m.m[i][2] * m.m[j][2];
      EXPECT_NEAR(dot, i == j ? 1.f : 0.f, 1e-5f) << i << "," << j;
    }
  }
}

// A scene record with nothing in it; instances added to it are destroyed by the test.
std::unique_ptr<SGScene> EmptyScene() { return std::make_unique<SGScene>(); }

TEST(Instance, NewInstances) {
  SGInstance* model = Make(SG_INST_TYPE_MODEL_TWO);
  SGMatrix id;
  SGMatrixIdentity(&id);
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      EXPECT_EQ(model->instXform.m[i][j], id.m[i][j]);
    }
  }
  EXPECT_EQ(std::make_tuple(model->instCollideMask, model->instSortPriority, model->instAttributes),
            std::make_tuple(1u, 1.f, 0u));
  EXPECT_NE(model->instCullState, nullptr);
  EXPECT_EQ(model->instFlags & SG_INST_MODE_ANGLES, 0u);  // consumed by the update in create
  ISGInstanceDestroy(model);

  SGInstance* camera = Make(SG_INST_TYPE_CAMERA);
  EXPECT_EQ(camera->instAttributes, SG_ATTR_NO_WRAP);
  const auto* vi = static_cast<const SGViewData*>(camera->instData);
  EXPECT_EQ(std::make_tuple(vi->viFov, vi->viAspect, vi->viHither, vi->viYon, vi->viFlags),
            std::make_tuple(40.f, 1.f, 0.001f, 1.f, 0u));
  ISGInstanceDestroy(camera);

  for (std::uint32_t type : {SG_INST_TYPE_CAMERA, SG_INST_TYPE_MODEL_TWO, SG_INST_TYPE_LIGHT, 5u}) {
    sgtest::ExpectCleanOutOfMemory([type] {
      SGInstance* inst = nullptr;
      const SGError err = SGInstanceCreate(nullptr, type, &inst);
      if (err == SG_ERROR_NONE) {
        ISGInstanceDestroy(inst);
      }
      return err;
    });
  }
}

TEST(Instance, OrientationIsRebuiltOncePerSetter) {
  SGInstance* inst = Make(SG_INST_TYPE_MODEL_TWO);
  const float fwd[3] = {1.f, 0.f, 0.f};
  const float up[3] = {0.f, 0.f, 1.f};
  SGInstanceSetOrientation(inst, fwd, up);
  ASSERT_EQ(SGInstanceUpdate(inst), SG_ERROR_NONE);
  float got[3];
  SGInstanceGetForward(inst, got);
  EXPECT_NEAR(got[0], 1.f, 1e-6f);
  SGInstanceGetUp(inst, got);
  EXPECT_NEAR(got[2], 1.f, 1e-6f);
  ExpectOrthonormal(inst->instXform);
  inst->instForward[0] = 0.f;
  inst->instForward[1] = 1.f;
  SGInstanceUpdate(inst);
  SGInstanceGetForward(inst, got);
  EXPECT_NEAR(got[0], 1.f, 1e-6f);  // no setter, no rebuild

  // Parallel vectors fall back on the current rows and stay orthonormal.
  const float along[3] = {0.f, 0.f, 2.f};
  SGInstanceSetOrientation(inst, along, up);
  SGInstanceUpdate(inst);
  ExpectOrthonormal(inst->instXform);
  SGInstanceSetOrientationUp(inst, up, along);
  SGInstanceUpdate(inst);
  ExpectOrthonormal(inst->instXform);
  SGInstanceGetUp(inst, got);
  EXPECT_NEAR(got[2], 1.f, 1e-6f);  // up is the exact one
  // A zero up vector gives a degenerate rotation, not a failure.
  const float zero[3] = {0.f, 0.f, 0.f};
  SGInstanceSetOrientation(inst, fwd, zero);
  EXPECT_EQ(SGInstanceUpdate(inst), SG_ERROR_NONE);
  ISGInstanceDestroy(inst);
}

TEST(Instance, AnglesAndAxes) {
  SGInstance* inst = Make(SG_INST_TYPE_MODEL_TWO);
  const float angles[3] = {0.f, 0.f, 1.5707964f};
  SGInstanceSetAngles(inst, angles);
  const double pos[3] = {1.0, 2.0, 3.0};
  SGInstanceSetPosition(inst, pos);
  SGInstanceUpdate(inst);
  EXPECT_NEAR(inst->instXform.m[0][1], 1.f, 1e-6f);  // X turned onto Y
  EXPECT_EQ(inst->instXform.m[3][2], 3.f);
  float back[3];
  SGInstanceGetAngles(inst, back);
  EXPECT_NEAR(back[2], angles[2], 1e-6f);

  const float x[3] = {0.f, 1.f, 0.f};
  const float y[3] = {-1.f, 0.f, 0.f};
  const float z[3] = {0.f, 0.f, 1.f};
  SGInstanceSetAxes(inst, x, y, z);
  SGInstanceUpdate(inst);
  EXPECT_EQ(inst->instXform.m[1][0], -1.f);  // kept by the update
  SGInstanceGetAngles(inst, back);
  EXPECT_NEAR(back[2], 1.5707964f, 1e-6f);
  float local[3];
  const double world[3] = {1.0, 3.0, 3.0};
  ISGInstanceWorldToLocal(inst, world, local);
  EXPECT_FLOAT_EQ(local[0], 1.f);
  EXPECT_FLOAT_EQ(local[1], 0.f);
  ISGInstanceDestroy(inst);
}

TEST(Instance, VelocityWidensReachAndMovesPoints) {
  SGInstance* inst = Make(SG_INST_TYPE_MODEL_TWO);
  inst->instReach = 2.f;
  const float v[3] = {3.f, 4.f, 0.f};
  SGInstanceSetVelocity(inst, v);
  EXPECT_EQ(inst->instReach, 7.f);
  EXPECT_NE(inst->instFlags & SG_INST_MOVING, 0u);
  double p[3] = {0.0, 0.0, 0.0};
  ISGInstanceAddVelocity(inst, p);
  EXPECT_EQ(p[1], 4.0);
  const float none[3] = {0.f, 0.f, 0.f};
  SGInstanceSetVelocity(inst, none);
  EXPECT_EQ(inst->instReach, 2.f);
  EXPECT_EQ(inst->instFlags & SG_INST_MOVING, 0u);
  ISGInstanceDestroy(inst);
}

TEST(Instance, DeleteIsDeferredInsideAScene) {
  auto scene = EmptyScene();
  SGInstance* model = Make(SG_INST_TYPE_MODEL_TWO);
  SGInstance* camera = Make(SG_INST_TYPE_CAMERA);
  ASSERT_EQ(SGSceneAddInstance(scene.get(), model), SG_ERROR_NONE);
  ASSERT_EQ(SGSceneAddInstance(scene.get(), camera), SG_ERROR_NONE);
  EXPECT_TRUE(OnList(scene->scnCollide, &SGInstance::instCollNext, model));
  EXPECT_TRUE(OnList(scene->scnLOS, &SGInstance::instLOSNext, camera));

  const std::size_t live = SGMallocLiveBlocks();
  SGInstanceDelete(camera);  // a camera goes at once
  EXPECT_LT(SGMallocLiveBlocks(), live);
  EXPECT_FALSE(OnList(scene->scnInstances, &SGInstance::instScnNext, camera));

  SGInstanceDelete(model);  // a model is only marked for the scene's next pass
  EXPECT_EQ(model->instAttributes, SG_ATTR_DELETE_MASK);
  EXPECT_TRUE(OnList(scene->scnInstances, &SGInstance::instScnNext, model));
  EXPECT_FALSE(OnList(scene->scnCollide, &SGInstance::instCollNext, model));
  EXPECT_TRUE(OnList(scene->scnLOS, &SGInstance::instLOSNext, model));
  ISGInstanceDestroy(model);
  EXPECT_EQ(scene->scnInstances, nullptr);
  EXPECT_EQ(scene->scnLOS, nullptr);

  SGInstance* loose = Make(SG_INST_TYPE_MODEL_TWO);
  const std::size_t before = SGMallocLiveBlocks();
  SGInstanceDelete(loose);  // in no scene: destroyed at once
  EXPECT_EQ(SGMallocLiveBlocks(), before - 3);
}

TEST(Instance, AttributesMoveInstancesOnAndOffLists) {
  auto scene = EmptyScene();
  SGInstance* a = Make(SG_INST_TYPE_MODEL_TWO);
  SGInstance* b = Make(SG_INST_TYPE_MODEL_TWO);
  SGInstanceClearAttributes(a, SG_ATTR_NO_COLLIDE);  // in no scene: links nothing
  EXPECT_EQ(a->instCollBack, nullptr);
  SGSceneAddInstance(scene.get(), a);
  SGSceneAddInstance(scene.get(), b);
  EXPECT_EQ(scene->scnCollide, b);

  SGInstanceSetAttributes(a, SG_ATTR_NO_PICK);
  EXPECT_TRUE(OnList(scene->scnLOS, &SGInstance::instLOSNext, a));
  SGInstanceSetAttributes(a, SG_ATTR_NO_LOS);
  EXPECT_FALSE(OnList(scene->scnLOS, &SGInstance::instLOSNext, a));
  SGInstanceClearAttributes(a, SG_ATTR_NO_PICK);
  EXPECT_EQ(scene->scnLOS, a);  // back at the head
  SGInstanceToggleAttributes(a, SG_ATTR_NO_COLLIDE);
  EXPECT_FALSE(OnList(scene->scnCollide, &SGInstance::instCollNext, a));
  SGInstanceToggleAttributes(a, SG_ATTR_NO_COLLIDE);
  EXPECT_EQ(scene->scnCollide, a);
  std::uint32_t attrs = 0;
  SGInstanceGetAttributes(a, &attrs);
  EXPECT_EQ(attrs, SG_ATTR_NO_LOS);
  SGInstanceGetAttributes(a, nullptr);

  static int walked = 0;
  walked = 0;
  SGInstanceSetAttributes(b, SG_ATTR_NO_WALK);
  SGSceneForEachInstance(
      scene.get(),
      [](SGScene*, std::uintptr_t, SGInstance*) {
        ++walked;
        return SG_ERROR_NONE;
      },
      0);
  EXPECT_EQ(walked, 1);

  // Removed instances can join another scene.
  SGInstanceRemove(b);
  EXPECT_EQ(b->instScene, nullptr);
  EXPECT_EQ(scene->scnInstances, a);
  ISGInstanceDestroy(a);
  ISGInstanceDestroy(b);
}

TEST(Instance, ModelsBoundsAndPartTransforms) {
  SGModel* model = SGModelCreate();
  model->modNumXforms = 2;
  model->modRadius = 2.f;
  for (int k = 0; k < 3; ++k) {
    model->modMin[k] = -1.f;
    model->modMax[k] = 1.f;
  }
  model->modCentre[0] = 3.f;
  model->modCentre[1] = 4.f;
  SGInstance* inst = Make(SG_INST_TYPE_MODEL_TWO);
  ASSERT_EQ(SGInstanceSetModel(inst, model), SG_ERROR_NONE);
  EXPECT_EQ(std::make_tuple(inst->instRadius, inst->instReach), std::make_tuple(2.f, 7.f));
  const auto* mi = static_cast<const SGModelInst*>(inst->instData);
  EXPECT_EQ(mi->miNumXforms, 2u);
  EXPECT_EQ(mi->miXforms[2].m[3][3], 1.f);  // one more, the identity

  const double pos[3] = {10.0, 0.0, 0.0};
  SGInstanceSetPosition(inst, pos);
  SGInstanceUpdate(inst);
  float box[6];
  ASSERT_EQ(SGInstanceGetBounds(inst, box), SG_ERROR_NONE);
  EXPECT_EQ(std::make_tuple(box[0], box[3]), std::make_tuple(9.f, 11.f));
  float centre[3];
  SGInstanceGetCentre(inst, centre);
  EXPECT_EQ(centre[0], 13.f);

  SGMatrix m;
  SGMatrixIdentity(&m);
  m.m[3][0] = 5.f;
  EXPECT_EQ(SGInstanceSetXform(inst, 1, &m), SG_ERROR_NONE);
  EXPECT_EQ(SGInstanceMulXform(inst, 1, &m), SG_ERROR_NONE);
  SGMatrix out;
  ASSERT_EQ(SGInstanceGetXform(inst, 1, &out), SG_ERROR_NONE);
  EXPECT_EQ(out.m[3][0], 10.f);
  EXPECT_EQ(SGInstanceGetXform(inst, 2, &out), SG_ERROR_INST_INDEX);

  ASSERT_EQ(SGInstanceScale(inst, 2.f), SG_ERROR_NONE);  // scales the shared model
  EXPECT_EQ(model->modMax[0], 2.f);
  EXPECT_EQ(inst->instRadius, 4.f);

  // Out of memory: the model is attached but no part transform can be indexed.
  SGMallocFailAt(1);
  EXPECT_EQ(SGInstanceSetModel(inst, model), SG_ERROR_NO_MEMORY);
  EXPECT_EQ(mi->miNumXforms, 0u);
  EXPECT_EQ(SGInstanceGetXform(inst, 0, &out), SG_ERROR_INST_INDEX);

  SGInstance* light = Make(SG_INST_TYPE_LIGHT);
  EXPECT_EQ(SGInstanceSetModel(light, model), SG_ERROR_INST_TYPE);
  EXPECT_EQ(SGInstanceGetBounds(light, box), SG_ERROR_INST_TYPE);
  SGInstance* bare = Make(3);  // a model kind without a block
  EXPECT_EQ(SGInstanceGetBounds(bare, box), SG_ERROR_INST_NO_DATA);
  EXPECT_EQ(SGInstanceSetModel(bare, model), SG_ERROR_INST_NO_DATA);
  // Part transforms: a model kind without a block has no data; lights and complex
  // models are of the wrong type.
  EXPECT_EQ(SGInstanceGetXform(bare, 0, &out), SG_ERROR_INST_NO_DATA);
  EXPECT_EQ(SGInstanceSetXform(bare, 0, &m), SG_ERROR_INST_NO_DATA);
  EXPECT_EQ(SGInstanceMulXform(bare, 0, &m), SG_ERROR_INST_NO_DATA);
  EXPECT_EQ(SGInstanceSetXform(light, 0, &m), SG_ERROR_INST_TYPE);
  SGInstance* complex = Make(SG_INST_TYPE_MODEL_COMPLEX);
  EXPECT_EQ(SGInstanceGetXform(complex, 0, &out), SG_ERROR_INST_TYPE);
  EXPECT_EQ(SGInstanceMulXform(complex, 0, &m), SG_ERROR_INST_TYPE);
  ISGInstanceDestroy(complex);
  bare->instAttributes |= SG_ATTR_PREPPED;
  bare->instWorldBox[4] = 8.f;
  ASSERT_EQ(SGInstanceGetBounds(bare, box), SG_ERROR_NONE);
  EXPECT_EQ(box[4], 8.f);
  ISGInstanceDestroy(bare);
  ISGInstanceDestroy(light);
  ISGInstanceDestroy(inst);
  SGModelFree(model);
}

TEST(Instance, HardPointsHoldPointers) {
  SGModel* model = SGModelCreate();
  SGModelAddLod(model, 0.f);
  for (std::uint32_t id = 0; id < 3; ++id) {
    auto* hp = static_cast<SGGeoHardPoint*>(SGCalloc(1, sizeof(SGGeoHardPoint)));
    hp->ghpId = id;
    model->modLods[0].mdlData =
        ISGGeoChainAppend(model->modLods[0].mdlData, ISGGeoNodeCreate(SG_GD_TYPE_HARDPOINT, hp));
  }
  SGInstance* ship = Make(SG_INST_TYPE_MODEL_TWO);
  SGInstance* turret = Make(SG_INST_TYPE_MODEL_TWO);
  SGInstanceSetModel(ship, model);
  ASSERT_EQ(SGInstanceAllocHardPoints(ship, model, -1), SG_ERROR_NONE);
  EXPECT_EQ(static_cast<const SGModelInst*>(ship->instData)->miNumHardPoints, 3u);
  SGInstanceSetHardPoint(ship, reinterpret_cast<std::uintptr_t>(turret), 2);
  std::uintptr_t held = 0;
  SGInstanceGetHardPoint(ship, &held, 2);
  EXPECT_EQ(reinterpret_cast<SGInstance*>(held), turret);
  ASSERT_EQ(SGInstanceAllocHardPoints(ship, model, 5), SG_ERROR_NONE);  // replaces, no leak
  EXPECT_DEATH(SGInstanceSetHardPoint(ship, 0, 5), "miNumHardPoints > which");
  ISGInstanceDestroy(turret);
  ISGInstanceDestroy(ship);
  SGModelFree(model);
}

TEST(Instance, LightsLightTheirScene) {
  auto scene = EmptyScene();
  scene->scnFlags = SG_SCN_FLAG_LIGHT_SHADES;
  scene->scnNormals[7][2] = 1.f;
  SGInstance* light = Make(SG_INST_TYPE_LIGHT);
  SGInstanceSetLight(light, SG_LIGHT_DIRECTIONAL, 0.5f);
  const float down[3] = {0.f, 0.f, -1.f};
  const float north[3] = {0.f, 1.f, 0.f};
  SGInstanceSetOrientation(light, down, north);
  const double pos[3] = {5.0, 5.0, 5.0};
  SGInstanceSetPosition(light, pos);
  ASSERT_EQ(SGSceneAddInstance(scene.get(), light), SG_ERROR_NONE);
  EXPECT_EQ(scene->scnLights, light);
  EXPECT_EQ(scene->scnCollide, nullptr);
  EXPECT_EQ(light->instXform.m[3][0], 0.f);  // the position does not move a light
  EXPECT_FLOAT_EQ(light->instForward[2], -0.5f);
  ASSERT_NE(scene->scnShadeTable, nullptr);
  EXPECT_FLOAT_EQ(scene->scnShadeTable[7], 0.5f);
  EXPECT_EQ(scene->scnShadeTable[0], 0.f);
  ISGInstanceDestroy(light);
  EXPECT_EQ(scene->scnShadeTable, nullptr);
}

TEST(Camera, ViewportAndWindow) {
  SGInstance* camera = Make(SG_INST_TYPE_CAMERA);
  SGInstance* model = Make(SG_INST_TYPE_MODEL_TWO);
  EXPECT_EQ(SGInstanceSetCamera(model, 40.f, 1.f, 1.f, 400.f), SG_ERROR_INST_TYPE);
  const std::int32_t origin[2] = {29, 98};
  const std::int32_t size[2] = {585, 367};
  EXPECT_EQ(SGInstanceSetViewport(model, origin, size), SG_ERROR_INST_TYPE);
  ASSERT_EQ(SGInstanceSetCamera(camera, 20.f, 2.f, 1.f, 400.f), SG_ERROR_NONE);
  ASSERT_EQ(SGInstanceSetViewport(camera, origin, size), SG_ERROR_NONE);
  const auto* vi = static_cast<const SGViewData*>(camera->instData);
  EXPECT_EQ(std::make_tuple(vi->viMaxYon, vi->viScale[0], vi->viOffset[1], vi->viFlags),
            std::make_tuple(400.f, 292.f, 98.5f, SG_VI_VIEWPORT));
  ASSERT_EQ(SGInstanceSetViewWindow(camera, 0.25f, 0.75f, 0.f, 0.5f), SG_ERROR_NONE);
  EXPECT_EQ(std::make_tuple(vi->viWindowLo[0], vi->viWindowHi[1]), std::make_tuple(-0.5f, 0.f));
  float lx, hx, ly, hy;
  SGInstanceSetViewWindow(camera, 0.5f, 0.5f, 0.f, 1.f);  // empty: dropped
  EXPECT_EQ(vi->viFlags & SG_VI_WINDOW, 0u);
  SGInstanceGetViewWindow(camera, &lx, &hx, &ly, &hy);
  EXPECT_EQ(lx, 0.f);
  EXPECT_EQ(hx, 1.f);
  EXPECT_EQ(SGInstanceGetViewWindow(model, &lx, &hx, &ly, &hy), SG_ERROR_INST_TYPE);
  EXPECT_DEATH(SGInstanceSetViewWindow(camera, 0.f, 1.0001f, 0.f, 1.f), "hiX <= 1.f");
  ISGInstanceDestroy(model);
  ISGInstanceDestroy(camera);
}

TEST(Complex, SubInstancesShareAttributesAndBounds) {
  SGInstance* complex = Make(SG_INST_TYPE_MODEL_COMPLEX);
  const double pos[3] = {1.0, 2.0, 3.0};
  SGInstanceSetPosition(complex, pos);
  SGInstanceUpdate(complex);
  EXPECT_EQ(std::make_tuple(complex->instWorldBox[0], complex->instWorldBox[5], complex->instRadius),
            std::make_tuple(1.f, 3.f, 0.f));

  SGModel* model = SGModelCreate();
  for (int k = 0; k < 3; ++k) {
    model->modMin[k] = -1.f;
    model->modMax[k] = 1.f;
  }
  model->modRadius = 1.f;
  SGInstance* a = Make(SG_INST_TYPE_MODEL_TWO);
  SGInstance* b = Make(SG_INST_TYPE_MODEL_TWO);
  for (SGInstance* sub : {a, b}) {
    SGInstanceSetModel(sub, model);
  }
  const double pa[3] = {-4.0, 0.0, 0.0};
  const double pb[3] = {4.0, 0.0, 0.0};
  SGInstanceSetPosition(a, pa);
  SGInstanceSetPosition(b, pb);
  SGInstanceUpdate(a);
  SGInstanceUpdate(b);
  ASSERT_EQ(SGInstanceAddSubInstance(complex, a, pa), SG_ERROR_NONE);
  ASSERT_EQ(SGInstanceAddSubInstance(complex, b, pb), SG_ERROR_NONE);
  const auto* root = static_cast<const SGBsp*>(complex->instData);
  EXPECT_EQ(root->bspInstance, nullptr);     // split between the two
  EXPECT_EQ(root->bspBack->bspInstance, b);  // the newcomer behind, the one held in front
  EXPECT_EQ(root->bspFront->bspInstance, a);
  EXPECT_GT(root->bspPlane.plnNormal[0] * -4.f + root->bspPlane.plnDist, 0.f);
  SGInstanceUpdate(complex);
  EXPECT_EQ(complex->instWorldBox[0], -4.f);  // the sub boxes through the complex transform
  EXPECT_EQ(complex->instWorldBox[3], 6.f);
  EXPECT_FLOAT_EQ(complex->instRadius, std::sqrt(17.f));

  SGInstanceSetAttributes(complex, SG_ATTR_HIDDEN);
  EXPECT_NE(a->instAttributes & SG_ATTR_HIDDEN, 0u);
  EXPECT_NE(b->instAttributes & SG_ATTR_HIDDEN, 0u);
  float c[3];
  EXPECT_EQ(SGInstanceGetCentre(complex, c), SG_ERROR_UNSUPPORTED);
  EXPECT_EQ(SGInstanceScale(complex, 2.f), SG_ERROR_UNSUPPORTED);
  ISGInstanceDestroy(complex);  // the tree goes, its sub-instances stay
  ISGInstanceDestroy(a);
  ISGInstanceDestroy(b);
  SGModelFree(model);
}

TEST(Instance, CollideMaskBitsWrapAtThirtyTwo) {
  SGInstance* inst = Make(SG_INST_TYPE_MODEL_TWO);
  SGInstanceSetCollideMaskBit(inst, 33);
  EXPECT_EQ(inst->instCollideMask, 3u);
  SGInstanceClearCollideMaskBit(inst, 0);
  EXPECT_EQ(inst->instCollideMask, 2u);
  // The test reads the bit asked for from the collision mask.
  std::uint32_t set = 9;
  SGInstanceTestCollideMaskBit(inst, 1, &set);
  EXPECT_EQ(set, 1u);
  SGInstanceTestCollideMaskBit(inst, 32, &set);
  EXPECT_EQ(set, 0u);
  ISGInstanceDestroy(inst);
}

}  // namespace
