#include <gtest/gtest.h>

#include <cmath>

#include "../sgtest.h"
#include "sg/cull/cull.h"
#include "sg/instance/instance.h"

namespace {

const float kGround[4] = {0.f, 0.f, 1.f, 0.f};
const double kEye[3] = {0.f, 0.f, 0.f};

int CountObjects(SGCullObject* co) {
  int n = 0;
  for (; co != nullptr; co = co->coORs) {
    ++n;
    for (std::uint32_t i = 0; i < co->coNumANDs; ++i) {
      n += CountObjects(co->coANDs[i]);
    }
  }
  return n;
}

// A plane z = height that cuts away what lies beyond it from an eye above.
SGCullObject* Floor(float height) {
  const float plane[4] = {0.f, 0.f, 1.f, height};
  const double centre[3] = {0.0, 0.0, height};
  SGCullObject* co = nullptr;
  EXPECT_EQ(ISGCullCreatePlane(plane, centre, SG_CULL_OPT_BEYOND, &co), SG_ERROR_NONE);
  return co;
}

class Cull : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SGInstanceCreate(nullptr, SG_INST_TYPE_MODEL_TWO, &inst_), SG_ERROR_NONE);
    inst_->instReach = 1.f;
  }
  void TearDown() override { ISGInstanceDestroy(inst_); }
  // Classifies the instance at eye-relative height z.
  std::uint32_t At(SGCullObject* tree, float z) {
    inst_->instXform.m[3][2] = z;
    inst_->instFade = 1.f;
    ISGCullStateClear(inst_->instCullState);
    return ISGCullTestInstance(tree, inst_);
  }
  SGInstance* inst_ = nullptr;
};

TEST_F(Cull, PolygonTurningOneWayIsOneOrRun) {
  const double cw[4][3] = {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}};
  SGCullObject* tree = nullptr;
  ASSERT_EQ(SGCullCreatePolygon(kGround, 4, cw, SG_CULL_OPT_CLOSED, &tree), SG_ERROR_NONE);
  EXPECT_EQ(CountObjects(tree), 4);
  EXPECT_EQ(tree->coNumANDs, 0u);
  EXPECT_EQ(tree->coParent, nullptr);
  int inRun = 0;
  for (SGCullObject* co = tree->coORs; co != nullptr; co = co->coORs) {
    EXPECT_NE(co->coFlags & SG_CULL_FLAG_LINK_OR, 0u);
    ++inRun;
  }
  EXPECT_EQ(inRun, 3);
  EXPECT_EQ(tree->coRadius, static_cast<float>(std::sqrt(0.5)));
  EXPECT_EQ(tree->coCenter[0], 0.5);
  SGCullDestroy(tree);

  const double ccw[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  ASSERT_EQ(SGCullCreatePolygon(kGround, 4, ccw, 0, &tree), SG_ERROR_NONE);
  EXPECT_EQ(tree->coNumANDs, 2u);
  EXPECT_EQ(tree->coORs, nullptr);
  SGCullDestroy(tree);
}

TEST_F(Cull, PlaneOfAPolygonSitsAtItsCentre) {
  // A right turn, then a left one: the root becomes an AND link node, which has
  // no centre of its own. The polygon lies in the plane z = 5.
  const float plane[4] = {0.f, 0.f, 1.f, 5.f};
  const double zigzag[4][3] = {{0, 0, 5}, {1, 0, 5}, {1, -1, 5}, {2, -1, 5}};
  SGCullObject* tree = nullptr;
  ASSERT_EQ(SGCullCreatePolygon(plane, 4, zigzag, SG_CULL_OPT_BEYOND, &tree), SG_ERROR_NONE);
  ASSERT_EQ(tree->coNumANDs, 2u);
  const SGCullObject* edges = tree->coANDs[1];
  ASSERT_EQ(edges->coFlags & SG_CULL_FLAG_LEAF, 0u);
  SGCullObject* planeObject = tree->coANDs[0];
  ASSERT_NE(planeObject->coFlags & SG_CULL_FLAG_BEYOND, 0u);
  EXPECT_DOUBLE_EQ(planeObject->coCenter[0], 1.0);
  EXPECT_DOUBLE_EQ(planeObject->coCenter[1], -0.5);
  EXPECT_DOUBLE_EQ(planeObject->coCenter[2], 5.0);
  // Wrapping near the eye moves nothing and keeps the plane where it was.
  const float dir[2] = {0.f, 0.f};
  const float world[2] = {100.f, 100.f};
  ISGCullWrapToEye(tree, kEye, dir, world, 0);
  EXPECT_EQ(planeObject->coPlane[3], 5.f);
  SGCullDestroy(tree);
}

TEST_F(Cull, PolygonOfOnePoint) {
  const double p[1][3] = {{2, 3, 4}};
  SGCullObject* tree = reinterpret_cast<SGCullObject*>(1);
  ASSERT_EQ(SGCullCreatePolygon(kGround, 1, p, 0, &tree), SG_ERROR_NONE);
  EXPECT_EQ(tree, nullptr);
  ASSERT_EQ(SGCullCreatePolygon(kGround, 1, p, SG_CULL_OPT_BEYOND, &tree), SG_ERROR_NONE);
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(tree->coFlags, SG_CULL_FLAG_LEAF | SG_CULL_FLAG_BEYOND);
  EXPECT_EQ(tree->coCenter[1], 3.0);
  SGCullDestroy(tree);
}

TEST_F(Cull, PolygonOutOfMemoryFreesPartialTree) {
  const double ccw[5][3] = {{0, 0, 0}, {2, 0, 0}, {3, 1, 0}, {1, 3, 0}, {-1, 1, 0}};
  sgtest::ExpectCleanOutOfMemory([&ccw] {
    SGCullObject* tree = nullptr;
    const SGError err = SGCullCreatePolygon(kGround, 5, ccw, SG_CULL_OPT_CLOSED | SG_CULL_OPT_BEFORE, &tree);
    if (err == SG_ERROR_NONE) {
      EXPECT_EQ(CountObjects(tree), 7);  // link node, plane, five edges
      SGCullDestroy(tree);
    }
    return err;
  });
}

TEST_F(Cull, RemovingAMemberDissolvesItsLink) {
  SGCullObject* a = Floor(1.f);
  SGCullObject* b = Floor(2.f);
  SGCullObject* link = nullptr;
  ASSERT_EQ(SGCullLink(a, b, SG_CULL_LINK_OR, &link), SG_ERROR_NONE);
  EXPECT_EQ(link->coORs, a);
  EXPECT_EQ(a->coORs, b);
  EXPECT_EQ(SGCullRemove(link, a), b);  // the link is freed; b is the new root
  EXPECT_EQ(b->coParent, nullptr);
  EXPECT_EQ(b->coORsBack, nullptr);
  EXPECT_EQ(b->coFlags & (SG_CULL_FLAG_LINK_AND | SG_CULL_FLAG_LINK_OR), 0u);
  EXPECT_EQ(a->coORs, nullptr);

  ASSERT_EQ(SGCullLink(a, b, SG_CULL_LINK_AND, &link), SG_ERROR_NONE);
  EXPECT_EQ(SGCullRemove(link, b), a);
  EXPECT_EQ(SGCullRemove(a, a), nullptr);  // the root has no parent to leave
  SGCullDestroy(a);
  SGCullDestroy(b);
}

TEST_F(Cull, PlaneClassifiesInstances) {
  SGCullObject* floor = Floor(-10.f);
  EXPECT_EQ(ISGCullPrepare(floor, kEye, 0, 5), 6u);
  EXPECT_EQ(floor->coIndex, 5u);
  EXPECT_NE(floor->coFlags & SG_CULL_FLAG_PLANE_READY, 0u);
  EXPECT_EQ(At(floor, -20.f), 3u);
  EXPECT_EQ(SGCullStateCode(inst_->instCullState, 5), 3u);
  EXPECT_EQ(At(floor, 0.f), 0u);
  EXPECT_EQ(At(floor, -10.5f), 1u);
  EXPECT_EQ(inst_->instFade, 1.f);  // no fog, no fading
  // From below the plane the other side is the one cut away.
  const double below[3] = {0.0, 0.0, -30.0};
  ISGCullPrepare(floor, below, 0, 0);
  EXPECT_EQ(At(floor, 25.f), 3u);  // 25 above that eye lies beyond the plane
  EXPECT_EQ(At(floor, 5.f), 0u);

  SGCullSetFogDistance(floor, 10.f);
  ISGCullPrepare(floor, kEye, 0, 0);
  EXPECT_EQ(At(floor, -10.f), 1u);
  EXPECT_FLOAT_EQ(inst_->instFade, 0.5f);
  EXPECT_NE(inst_->instFlags & SG_INST_FADING, 0u);
  SGCullDestroy(floor);
}

TEST_F(Cull, SwitchedOffObjectsKeepTheirIndex) {
  SGCullObject* a = Floor(-1.f);
  SGCullObject* b = Floor(-2.f);
  SGCullObject* c = Floor(-3.f);
  SGCullObject* root = nullptr;
  ASSERT_EQ(SGCullLink(a, b, SG_CULL_LINK_AND, &root), SG_ERROR_NONE);
  ISGCullAddOR(root, c);
  a->coIndex = b->coIndex = 99;
  SGCullSetActive(root, 0);
  EXPECT_EQ(ISGCullPrepare(root, kEye, 0, 0), 2u);
  EXPECT_EQ(root->coIndex, 0u);
  EXPECT_EQ(c->coIndex, 1u);
  EXPECT_EQ(a->coIndex, 99u);
  EXPECT_NE(root->coFlags & SG_CULL_FLAG_SKIP, 0u);
  EXPECT_EQ(At(root, -5.f), 3u);  // c alone still cuts
  EXPECT_EQ(SGCullStateCode(inst_->instCullState, 0), 0u);

  SGCullSetActive(root, 1);
  EXPECT_EQ(ISGCullPrepare(root, kEye, 0, 0), 4u);
  EXPECT_NE(root->coFlags & SG_CULL_FLAG_GROUP_READY, 0u);
  // AND: cut only where both a and b cut.
  EXPECT_EQ(At(root, -1.5f), 1u);
  SGCullDestroy(root);
}

TEST_F(Cull, TwoHundredFiftySixObjectsFillAState) {
  SGCullObject* root = Floor(5.f);
  for (int i = 1; i < 256; ++i) {
    ISGCullAddOR(root, Floor(5.f));
  }
  ASSERT_EQ(ISGCullPrepare(root, kEye, 0, 0), 256u);
  EXPECT_EQ(At(root, 5.f), 1u);
  EXPECT_EQ(inst_->instCullState->csWords[15] >> 30, 1u);
  EXPECT_EQ(SGCullStateCode(inst_->instCullState, 255), 1u);
  SGCullDestroy(root);
}

TEST_F(Cull, RelativeObjectsFollowTheirInstance) {
  SGCullObject* floor = Floor(0.f);
  SGCullAttach(floor, inst_);
  EXPECT_EQ(inst_->instCullObject, floor);
  SGMatrixIdentity(&inst_->instXform);
  inst_->instXform.m[3][2] = -5.f;  // the instance's frame, eye-relative
  ISGCullPrepare(floor, kEye, 0, 0);
  const float z = floor->coEyePlane[2] * -20.f - floor->coEyePlane[3];
  EXPECT_FLOAT_EQ(z, -15.f);
  SGCullDetach(floor);
  EXPECT_EQ(inst_->instCullObject, nullptr);
  EXPECT_EQ(floor->coFlags & SG_CULL_FLAG_RELATIVE, 0u);
  SGCullAttach(floor, inst_);
  SGCullDestroy(floor);
  EXPECT_EQ(inst_->instCullObject, nullptr);
}

TEST_F(Cull, BoxesStraddleInsideTheFog) {
  SGCullObject* floor = Floor(-10.f);
  SGCullSetFogDistance(floor, 10.f);
  ISGCullPrepare(floor, kEye, 0, 0);
  float box[8][3];
  for (int i = 0; i < 8; ++i) {
    box[i][0] = static_cast<float>(i & 1);
    box[i][1] = static_cast<float>((i >> 1) & 1);
    box[i][2] = (i & 4) != 0 ? -9.5f : -9.f;
  }
  SGCullState state{};
  EXPECT_EQ(ISGCullClassifyBox(floor, box, false, &state), 0u);
  EXPECT_EQ(ISGCullClassifyBox(floor, box, true, &state), 1u);
  EXPECT_EQ(SGCullStateCode(&state, 0), 1u);
  for (auto& c : box) c[2] -= 5.f;
  EXPECT_EQ(ISGCullClassifyBox(floor, box, false, nullptr), 3u);
  SGCullDestroy(floor);
}

TEST_F(Cull, WrapMovesObjectsToTheNearestCopy) {
  const double square[4][3] = {{94, 0, 0}, {96, 0, 0}, {96, 2, 0}, {94, 2, 0}};
  SGCullObject* tree = nullptr;
  ASSERT_EQ(SGCullCreatePolygon(kGround, 4, square, SG_CULL_OPT_CLOSED, &tree), SG_ERROR_NONE);
  const float dir[2] = {0.f, 0.f};
  const float world[2] = {100.f, 100.f};
  ISGCullWrapToEye(tree, kEye, dir, world, 0);
  EXPECT_DOUBLE_EQ(tree->coCenter[0], -5.0);

  EXPECT_LT(tree->coPoints[0][0], 0.0);
  EXPECT_DOUBLE_EQ(tree->coCenter[1], 1.0);
  SGCullDestroy(tree);
}

}  // namespace
