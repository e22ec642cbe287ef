// Instances against generated ground: a flat field at height 20 (4 x 4 pages
// of 16 units), spheres and boxes standing on it, falling on it, and seen
// past it.

#include <vector>

#include "../terrain/support/terrainfixture.h"
#include "sg/instance/instance.h"
#include "sg/model/model.h"
#include "sg/query/collide.h"
#include "sg/query/raypick.h"

namespace terraintest {
namespace {

struct Contact {
  SGInstance* a;
  SGInstance* b;
  float time;
};

void Record(std::uintptr_t arg, SGInstance* a, SGInstance* b, float time) {
  reinterpret_cast<std::vector<Contact>*>(arg)->push_back({a, b, time});
}

class Ground : public TerrainTest {
 protected:
  void SetUp() override {
    TerrainTest::SetUp();
    World w;
    w.files = {HeightFile(17, Flat(17, 100))};
    Open(w);
  }
  void TearDown() override {
    for (SGModel* m : models_) {
      SGModelFree(m);
    }
    TerrainTest::TearDown();
  }

  SGInstance* Add(double x, double y, double z, float radius, float fall) {
    SGInstance* inst = nullptr;
    EXPECT_EQ(SGInstanceCreate(ctx_, SG_INST_TYPE_MODEL_ONE, &inst), SG_ERROR_NONE);
    const double pos[3] = {x, y, z};
    SGInstanceSetPosition(inst, pos);
    SGInstanceSetRadius(inst, radius);
    const float motion[3] = {0.f, 0.f, -fall};
    SGInstanceSetMotion(inst, motion);
    EXPECT_EQ(SGSceneAddInstance(Scene(), inst), SG_ERROR_NONE);
    return inst;
  }

  // A box model of half height 1 (its corners 1 below its position).
  SGInstance* AddBox(double x, double y, double z, float fall) {
    SGModel* model = SGModelCreate();
    SGModelAddLod(model, 0.f);
    for (int k = 0; k < 3; ++k) {
      model->modMin[k] = -1.f;
      model->modMax[k] = 1.f;
    }
    model->modRadius = 1.8f;
    models_.push_back(model);
    SGInstance* inst = Add(x, y, z, 0.f, fall);
    EXPECT_EQ(SGInstanceSetModel(inst, model), SG_ERROR_NONE);
    SGInstanceUpdate(inst);
    return inst;
  }

  std::vector<SGModel*> models_;
};

TEST_F(Ground, SpheresOnTheGroundAndFallingOnIt) {
  SGInstance* standing = Add(5.0, 5.0, 20.3, 0.5f, 0.f);
  SGInstance* falling = Add(30.0, 9.0, 21.0, 0.5f, 2.f);
  float time = -1.f;
  ASSERT_EQ(ISGCollideInstanceTerrain(Scene(), standing, 0, 1.f, &time), SG_COLLIDE_TERRAIN);
  EXPECT_EQ(time, 0.f);
  EXPECT_EQ(ISGCollideInstanceTerrain(Scene(), falling, 0, 1.f, &time), SG_ERROR_NONE);
  ASSERT_EQ(ISGCollideInstanceTerrain(Scene(), falling, SG_COLLIDE_MOTION, 1.f, &time), SG_COLLIDE_TERRAIN);
  EXPECT_NEAR(time, 0.25f, 1e-4f);  // its underside, 0.5 above the ground, falls 2 a step
  EXPECT_EQ(ISGCollideInstanceTerrain(Scene(), falling, SG_COLLIDE_MOTION, 0.2f, &time), SG_ERROR_NONE);
  // The scene reports both against the ground, with no other instance.
  std::vector<Contact> contacts;
  SGSceneCollide(Scene(), Record, reinterpret_cast<std::uintptr_t>(&contacts), SG_COLLIDE_MOTION, 1.f);
  ASSERT_EQ(contacts.size(), 2u);
  for (const Contact& c : contacts) {
    EXPECT_EQ(c.b, nullptr);
  }
  contacts.clear();
  SGSceneCollide(Scene(), Record, reinterpret_cast<std::uintptr_t>(&contacts), SG_COLLIDE_NO_TERRAIN, 1.f);
  EXPECT_TRUE(contacts.empty());
}

TEST_F(Ground, BoxesMeetTheGroundWithTheirLowestCorners) {
  SGInstance* resting = AddBox(8.0, 8.0, 20.5, 0.f);
  SGInstance* dropping = AddBox(40.0, 24.0, 23.0, 4.f);
  SGInstance* rising = AddBox(24.0, 40.0, 23.0, -4.f);
  float time = -1.f;
  ASSERT_EQ(ISGCollideInstanceTerrain(Scene(), resting, 0, 1.f, &time), SG_COLLIDE_TERRAIN);
  EXPECT_EQ(time, 0.f);
  ASSERT_EQ(ISGCollideInstanceTerrain(Scene(), dropping, SG_COLLIDE_MOTION, 1.f, &time), SG_COLLIDE_TERRAIN);
  EXPECT_NEAR(time, 0.5f, 1e-4f);  // corners 2 above the ground, 4 a step
  EXPECT_EQ(ISGCollideInstanceTerrain(Scene(), rising, SG_COLLIDE_MOTION, 1.f, &time), SG_ERROR_NONE);
}

TEST_F(Ground, TheGroundHidesWhatLiesBehindItFromTheCone) {
  SGInstance* buried = Add(40.0, 8.0, 15.0, 0.5f, 0.f);
  const double origin[3] = {8.0, 8.0, 25.0};
  const float dir[3] = {32.f, 0.f, -10.f};
  SGInstance* found = nullptr;
  EXPECT_EQ(SGSceneFindInCone(Scene(), origin, dir, 100.f, 5.f, 0, &found), SG_ERROR_NONE);
  ASSERT_EQ(SGSceneFindInCone(Scene(), origin, dir, 100.f, 5.f, SG_COLLIDE_NO_TERRAIN, &found), SG_HIT_INSTANCE);
  EXPECT_EQ(found, buried);
}

}  // namespace
}  // namespace terraintest
