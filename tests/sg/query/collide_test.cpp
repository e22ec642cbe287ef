// Sphere contacts and cone finds among hand-placed instances: hits, misses,
// grazing contacts, masks, the world seam, and off-centre model spheres.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "sg/core/context.h"
#include "sg/instance/instance.h"
#include "sg/model/model.h"
#include "sg/query/collide.h"
#include "sg/query/raypick.h"
#include "sg/query/wrap.h"
#include "sg/scene/scene.h"

namespace {

struct Contact {
  SGInstance* a;
  SGInstance* b;
  float time;
};

void Record(std::uintptr_t arg, SGInstance* a, SGInstance* b, float time) {
  reinterpret_cast<std::vector<Contact>*>(arg)->push_back({a, b, time});
}

class Collide : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGContextCreate(&ctx_), SG_ERROR_NONE);
    ASSERT_EQ(SGSceneCreate(ctx_, &scene_), SG_ERROR_NONE);
  }
  void TearDown() override {
    SGSceneDestroy(scene_);
    for (SGModel* m : models_) {
      SGModelFree(m);
    }
    SGContextDestroy(ctx_);
  }

  // A sphere of radius r at (x, y, z) moving by `motion` per step, in group 1 reacting to group 1.
  SGInstance* Sphere(double x, double y, double z, float r, float mx = 0.f, float my = 0.f) {
    SGInstance* inst = nullptr;
    EXPECT_EQ(SGInstanceCreate(ctx_, SG_INST_TYPE_MODEL_ONE, &inst), SG_ERROR_NONE);
    const double pos[3] = {x, y, z};
    SGInstanceSetPosition(inst, pos);
    SGInstanceSetRadius(inst, r);
    const float motion[3] = {mx, my, 0.f};
    SGInstanceSetMotion(inst, motion);
    SGInstanceSetCollideGroup(inst, 1);
    SGInstanceSetCollideMask(inst, 0x2);
    EXPECT_EQ(SGSceneAddInstance(scene_, inst), SG_ERROR_NONE);
    return inst;
  }

  // A model instance whose sphere of radius 0.5 sits `offset` along the model's own x axis.
  SGInstance* OffCentre(double x, float offset, float yaw) {
    SGModel* model = SGModelCreate();
    SGModelAddLod(model, 0.f);
    model->modRadius = 0.5f;
    model->modCentre[0] = offset;
    models_.push_back(model);
    SGInstance* inst = Sphere(x, 0.0, 0.0, 0.f);
    EXPECT_EQ(SGInstanceSetModel(inst, model), SG_ERROR_NONE);
    const float angles[3] = {0.f, 0.f, yaw};
    SGInstanceSetAngles(inst, angles);
    SGInstanceUpdate(inst);
    return inst;
  }

  std::vector<Contact> Run(std::uint32_t mode, float limit) {
    std::vector<Contact> contacts;
    EXPECT_EQ(SGSceneCollide(scene_, Record, reinterpret_cast<std::uintptr_t>(&contacts), mode, limit), SG_ERROR_NONE);
    return contacts;
  }

  SGInstance* Cone(const double origin[3], float dx, float dy, float range, float degrees, std::uint32_t mode) {
    SGInstance* found = nullptr;
    const float dir[3] = {dx, dy, 0.f};
    const SGError err = SGSceneFindInCone(scene_, origin, dir, range, degrees, mode, &found);
    EXPECT_EQ(err, found != nullptr ? SG_HIT_INSTANCE : SG_ERROR_NONE);
    return found;
  }

  SGContext* ctx_ = nullptr;
  SGScene* scene_ = nullptr;
  std::vector<SGModel*> models_;
};

TEST_F(Collide, PairsTouchNowLaterOrNever) {
  SGInstance* a = Sphere(0.0, 0.0, 0.0, 1.f, 4.f);
  SGInstance* b = Sphere(10.0, 0.0, 0.0, 1.f);
  float entry = -1.f, exit = -1.f;
  EXPECT_EQ(ISGCollidePair(a, b, 0, &entry, &exit), 0u);
  ASSERT_EQ(ISGCollidePair(a, b, SG_COLLIDE_MOTION, &entry, &exit), 1u);
  EXPECT_FLOAT_EQ(entry, 2.f);  // 8 units apart at 4 a step
  EXPECT_FLOAT_EQ(exit, 3.f);
  // Overlapping spheres moving apart still touch now.
  SGInstance* c = Sphere(11.5, 0.0, 0.0, 1.f, 5.f);
  ASSERT_EQ(ISGCollidePair(c, b, SG_COLLIDE_MOTION, &entry, &exit), 1u);
  EXPECT_EQ(entry, 0.f);
  // Passing by three units away misses; passing exactly at the sum of the radii grazes.
  SGInstance* far = Sphere(0.0, 3.0, 0.0, 1.f, 20.f);
  EXPECT_EQ(ISGCollidePair(far, b, SG_COLLIDE_MOTION, &entry, &exit), 0u);
  SGInstance* edge = Sphere(0.0, 2.0, 0.0, 1.f, 20.f);
  ASSERT_EQ(ISGCollidePair(edge, b, SG_COLLIDE_MOTION, &entry, &exit), 1u);
  EXPECT_FLOAT_EQ(entry, exit);
  EXPECT_FLOAT_EQ(entry, 0.5f);
}

TEST_F(Collide, OffCentreModelSpheresAreWhereTheModelPutsThem) {
  // a's sphere lies 2 units along its own x axis, turned to world +y by a quarter turn.
  SGInstance* a = OffCentre(0.0, 2.f, 1.5707964f);
  SGInstance* b = Sphere(0.0, 2.8, 0.0, 0.5f);
  SGInstance* behind = Sphere(0.0, -2.0, 0.0, 0.5f);
  float entry = -1.f, exit = -1.f;
  EXPECT_EQ(ISGCollidePair(a, b, 0, &entry, &exit), 1u);
  EXPECT_EQ(ISGCollidePair(b, a, 0, &entry, &exit), 1u);
  EXPECT_EQ(ISGCollidePair(a, behind, 0, &entry, &exit), 0u);
  EXPECT_EQ(ISGCollidePair(behind, a, 0, &entry, &exit), 0u);
  // Two off-centre models whose spheres meet between them.
  SGInstance* left = OffCentre(-10.0, 0.7f, 0.f);
  SGInstance* right = OffCentre(-8.6, -0.7f, 0.f);
  EXPECT_EQ(ISGCollidePair(left, right, 0, &entry, &exit), 1u);
  EXPECT_EQ(ISGCollidePair(right, left, 0, &entry, &exit), 1u);
}

TEST_F(Collide, TheSceneReportsEachContactOnceByItsMasks) {
  SGInstance* a = Sphere(0.0, 0.0, 0.0, 1.f, 4.f);
  SGInstance* b = Sphere(10.0, 0.0, 0.0, 1.f);
  // Limit 0: no motion test, and nothing touches now.
  EXPECT_TRUE(Run(SG_COLLIDE_MOTION, 0.f).empty());
  auto contacts = Run(SG_COLLIDE_MOTION, 2.5f);
  ASSERT_EQ(contacts.size(), 1u);
  EXPECT_FLOAT_EQ(contacts[0].time, 2.f);
  EXPECT_TRUE(Run(SG_COLLIDE_MOTION, 1.5f).empty());
  // Only b reacts to a's group: the contact is reported as (b, a).
  SGInstanceSetCollideMask(a, 0);
  contacts = Run(SG_COLLIDE_MOTION, 2.5f);
  ASSERT_EQ(contacts.size(), 1u);
  EXPECT_EQ(contacts[0].a, b);
  EXPECT_EQ(contacts[0].b, a);
  // Neither names the other's group: never tested.
  SGInstanceSetCollideGroup(a, 3);
  EXPECT_TRUE(Run(SG_COLLIDE_MOTION, 2.5f).empty());
  // A present contact is reported with limit 0, unless one takes no part in collisions.
  SGInstanceSetCollideGroup(a, 1);
  const double near[3] = {9.0, 0.0, 0.0};
  SGInstanceSetPosition(a, near);
  contacts = Run(0, 0.f);
  ASSERT_EQ(contacts.size(), 1u);
  EXPECT_EQ(contacts[0].time, 0.f);
  SGInstanceSetAttributes(b, SG_ATTR_NO_COLLIDE);
  EXPECT_TRUE(Run(0, 0.f).empty());
}

TEST_F(Collide, ContactsAcrossTheWorldSeam) {
  SGInstance* a = Sphere(999.5, 0.0, 0.0, 1.f);
  Sphere(0.5, 0.0, 0.0, 1.f);
  const auto contacts = Run(0, 0.f);
  ASSERT_EQ(contacts.size(), 1u);
  double wrapped[3];
  const double point[3] = {0.5, 0.0, 0.0};
  ISGInstanceWrapPosition(a, point, nullptr, 1.f, wrapped);
  EXPECT_DOUBLE_EQ(wrapped[0], -0.5);
  double inside[3];
  const double outside[3] = {-1.25, 2500.0, 3.0};
  ISGSceneWrapPoint(scene_, outside, inside);
  EXPECT_DOUBLE_EQ(inside[0], 998.75);
  EXPECT_DOUBLE_EQ(inside[1], 500.0);
  EXPECT_DOUBLE_EQ(inside[2], 3.0);
  // Offsets absurdly far outside the world wrap at once instead of period by period.
  for (const double far : {-2.28106e21, 1.67489e27, -8.22386e27}) {
    EXPECT_TRUE(std::isfinite(ISGWrapAxis(far, 0.0, 3239.34, nullptr, 0)));
  }
}

TEST_F(Collide, ConeFindsWhatLiesAheadWithinItsAngle) {
  const double origin[3] = {0.0, 0.0, 0.0};
  SGInstance* ahead = Sphere(20.0, 0.0, 0.0, 1.f);
  Sphere(-20.0, 0.0, 0.0, 1.f);  // behind the origin, on the axis
  EXPECT_EQ(Cone(origin, 1.f, 0.f, 50.f, 10.f, 0), ahead);
  EXPECT_EQ(Cone(origin, 1.f, 0.f, 15.f, 10.f, 0), nullptr);  // out of range
  EXPECT_EQ(Cone(origin, 1.f, 0.f, -50.f, 10.f, 0), nullptr);
  // Behind the origin nothing is found, however wide the cone.
  EXPECT_EQ(Cone(origin, 0.f, 1.f, 50.f, 60.f, 0), nullptr);
  // Off the axis by 8 at 20: outside 10 degrees (3.5 + 1), inside 25 (9.3 + 1); grazing the edge counts.
  SGInstanceSetPosition(ahead, std::array<double, 3>{20.0, 8.0, 0.0}.data());
  EXPECT_EQ(Cone(origin, 1.f, 0.f, 50.f, 10.f, 0), nullptr);
  EXPECT_EQ(Cone(origin, 1.f, 0.f, 50.f, 25.f, 0), ahead);
  SGInstanceSetRadius(ahead, 8.f - 20.f * std::tan(10.f * 3.14159265f / 180.f) + 1e-4f);
  EXPECT_EQ(Cone(origin, 1.f, 0.f, 50.f, 10.f, 0), ahead);
}

TEST_F(Collide, ConeNarrowsToTheNearestToItsAxis) {
  const double origin[3] = {0.0, 0.0, 0.0};
  SGInstance* onAxis = Sphere(30.0, 0.5, 0.0, 0.5f);
  SGInstance* offAxis = Sphere(30.0, 6.0, 0.0, 0.5f);  // listed first: added last
  EXPECT_EQ(Cone(origin, 1.f, 0.f, 50.f, 20.f, 0), onAxis);
  EXPECT_EQ(Cone(origin, 1.f, 0.f, 50.f, 20.f, SG_CONE_NO_NARROWING), onAxis);
  // Listed the other way round, the cone no longer narrows past the off-axis one.
  SGInstanceRemove(onAxis);
  SGSceneAddInstance(scene_, onAxis);
  EXPECT_EQ(Cone(origin, 1.f, 0.f, 50.f, 20.f, 0), onAxis);
  EXPECT_EQ(Cone(origin, 1.f, 0.f, 50.f, 20.f, SG_CONE_NO_NARROWING), offAxis);
  // Instances out of sight are passed over.
  SGInstanceSetAttributes(offAxis, SG_ATTR_NO_LOS);
  onAxis->instFlags |= SG_INST_CULLED;
  EXPECT_EQ(Cone(origin, 1.f, 0.f, 50.f, 20.f, SG_CONE_SKIP_CULLED), nullptr);
  EXPECT_EQ(Cone(origin, 1.f, 0.f, 50.f, 20.f, 0), onAxis);
}

}  // namespace
