// Picking through a pixel of the drawn frame, the hit list, and the texel test
// by which the game skips the transparent parts of billboards.

#include "sg/query/raypick.h"
#include "support/renderfixture.h"

namespace rendertest {
namespace {

constexpr std::uint32_t kCentre[2] = {292, 183};

class PickTest : public RenderTest {
 protected:
  void TearDown() override {
    SGCollideFreeHits();
    RenderTest::TearDown();
  }

  SGError Pick(const std::uint32_t pixel[2], std::uint32_t mode = SG_COLLIDE_PICK_MODE) {
    picked_ = nullptr;
    return SGCollidePickScreen(rend_, scene_, pixel, mode, &picked_, point_);
  }

  // What the game does with a click: the nearest hit whose billboard texel is
  // not transparent.
  SGInstance* PickOpaque(const std::uint32_t pixel[2]) {
    if (Pick(pixel) != SG_HIT_INSTANCE) {
      return nullptr;
    }
    SGInstance* hits[20];
    float uv[40];
    SGCollideGetHits(hits, nullptr, uv, 20);
    for (int i = 0; i < 20 && hits[i] != nullptr; ++i) {
      std::uint8_t texel = 0;
      const SGError err = SGCollideBillboardTexel(hits[i], uv[2 * i], uv[2 * i + 1], &texel);
      if (err == SG_ERROR_INST_TYPE || (err == SG_ERROR_NONE && texel != 0)) {
        return hits[i];
      }
    }
    return nullptr;
  }

  SGInstance* picked_ = nullptr;
  double point_[3] = {};
};

TEST_F(PickTest, NearestBoxAnswersAndEveryBoxOnTheRayIsListedByDistance) {
  SGModel* box = Keep(Box(1.f, 1.f, 1.f, 1));
  SGInstance* farBox = Place(box, {Flat(40)}, 0.0, 30.0, 0.0);
  SGInstance* nearBox = Place(box, {Flat(50)}, 0.0, 0.0, 0.0);
  SGInstance* middle = Place(box, {Flat(60)}, 0.0, 10.0, 0.0);
  Place(box, {Flat(70)}, 8.0, 10.0, 0.0);  // off the ray
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ASSERT_EQ(Pick(kCentre), SG_HIT_INSTANCE);
  EXPECT_EQ(picked_, nearBox);
  EXPECT_NEAR(point_[1], -1.0, 0.05);  // the box's front face
  EXPECT_NEAR(point_[0], 0.0, 0.05);
  SGInstance* hits[20];
  float dist[20];
  SGCollideGetHits(hits, dist, nullptr, 20);
  EXPECT_EQ(hits[0], nearBox);
  EXPECT_EQ(hits[1], middle);
  EXPECT_EQ(hits[2], farBox);
  EXPECT_NEAR(dist[0], 19.f, 0.05f);
  EXPECT_NEAR(dist[2], 49.f, 0.05f);
  for (int i = 3; i < 20; ++i) {
    EXPECT_EQ(hits[i], nullptr);
    EXPECT_EQ(dist[i], 0.f);
  }
}

TEST_F(PickTest, MissesAndRefusals) {
  SGInstance* box = Place(Keep(Box(1.f, 1.f, 1.f, 1)), {Flat(40)}, 0.0, 0.0, 0.0);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  const std::uint32_t corner[2] = {5, 5};
  EXPECT_EQ(Pick(corner), 0u);
  EXPECT_EQ(picked_, nullptr);
  EXPECT_EQ(point_[1], -20.0);  // the eye
  const std::uint32_t outside[2] = {585, 100};
  EXPECT_EQ(Pick(outside), 0u);
  SGInstanceSetAttributes(box, SG_ATTR_NO_PICK);
  EXPECT_EQ(Pick(kCentre), 0u);
}

TEST_F(PickTest, SpheresAtEqualDistanceListTheLaterTestedFirst) {
  SGModel* box = Keep(Box(1.f, 1.f, 1.f, 1));
  Place(box, {Flat(40)}, 0.0, 5.0, 0.0);
  Place(box, {Flat(50)}, 0.0, 5.0, 0.0);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ASSERT_EQ(Pick(kCentre, SG_COLLIDE_SPHERES), SG_HIT_INSTANCE);
  SGInstance* firstTested = scene_->scnLOS;
  SGInstance* hits[2];
  SGCollideGetHits(hits, nullptr, nullptr, 2);
  EXPECT_EQ(picked_, firstTested);
  EXPECT_EQ(hits[0], firstTested->instLOSNext);
  EXPECT_EQ(hits[1], firstTested);
}

TEST_F(PickTest, SphereAroundTheEyeAnswersDistanceZero) {
  Place(Keep(Box(1.f, 1.f, 1.f, 1)), {Flat(40)}, 0.0, -20.0, 0.0);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ASSERT_EQ(Pick(kCentre, SG_COLLIDE_SPHERES), SG_HIT_INSTANCE);
  float dist = -1.f;
  SGCollideGetHits(nullptr, &dist, nullptr, 1);
  EXPECT_EQ(dist, 0.f);
}

// Straight up, since the world repeats across x and y and would bring a box
// that far away round to the eye.
TEST_F(PickTest, HitBeyondTheRangeIsListedButNotAnswered) {
  SGInstanceSetCamera(camera_, 45.f, 585.f / 367.f, 0.5f, 20000.f);
  LookFrom(0.0, -20.0, 0.0, 0.f, 0.f, 1.f);
  Place(Keep(Box(30.f, 30.f, 30.f, 1)), {Flat(40)}, 0.0, -20.0, 10060.0);  // near side 10008 away
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_EQ(Pick(kCentre, SG_COLLIDE_SPHERES), 0u);
  SGInstance* hit = nullptr;
  SGCollideGetHits(&hit, nullptr, nullptr, 1);
  EXPECT_NE(hit, nullptr);
}

// A billboard with a transparent border in front of a box: a click on its
// border picks the box behind, a click on its middle picks the billboard.
TEST_F(PickTest, TransparentBillboardTexelsAreSkipped) {
  SGInstance* box = Place(Keep(Box(3.f, 1.f, 3.f, 1)), {Flat(40)}, 0.0, 10.0, 0.0);
  SGMaterial* image = Keep(Material(SG_MAT_TYPE_TRANSPARENT_TEXTURE, 0, Texture(32, 32, 90, 0)));
  SGInstance* sprite = Place(Keep(Billboard(2.f, 2.f, 1, 1)), {image}, 0.0, 0.0, 0.0);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_EQ(PickOpaque(kCentre), sprite);
  // 1.9 units off centre on the billboard's plane, 20 units from the eye: its border.
  const std::uint32_t edge[2] = {static_cast<std::uint32_t>(292 + PixelsOff(1.9, 20.0)), 183};
  ASSERT_EQ(Pick(edge), SG_HIT_INSTANCE);
  EXPECT_EQ(picked_, sprite);
  EXPECT_EQ(PickOpaque(edge), box);
}

}  // namespace
}  // namespace rendertest
