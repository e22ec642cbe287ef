// The painter's sort of a whole scene: the order it leaves in the buckets
// for a crowd of boxes that overlap, reach past the eye, differ in priority
// and sort flat, and the instances' links it leaves behind.

#include <cstdint>
#include <map>
#include <vector>

#include "sg/render/instsort.h"
#include "sg/scene/scene.h"
#include "support/renderfixture.h"

namespace rendertest {
namespace {

class SortBuckets : public RenderTest {
 protected:
  // `count` boxes of sizes and places drawn from a fixed sequence, about and
  // ahead of the camera, in the order they joined the scene.
  void PlaceCrowd(int count) {
    for (int i = 0; i < count; ++i) {
      const float h[3] = {Next(0.2f, 5.f), Next(0.2f, 5.f), Next(0.2f, 5.f)};
      SGInstance* inst = Place(Keep(Box(h[0], h[1], h[2], 1)), {Flat(static_cast<std::uint8_t>(i))}, Next(-35.f, 35.f),
                               Next(-25.f, 160.f), Next(-12.f, 12.f));
      if (i % 11 == 0) SGInstanceSetSortPriority(inst, 2.f);
      if (i % 7 == 0) SGInstanceSetAttributes(inst, SG_ATTR_FLAT_SORT);
      placed_.push_back(inst);
    }
  }

  // The placed boxes' indices in drawing order, farthest bucket first; -1
  // for a link that does not lead back to its instance.
  std::vector<int> DrawingOrder() const {
    std::map<const SGInstance*, int> index;
    for (std::size_t i = 0; i < placed_.size(); ++i) index[placed_[i]] = static_cast<int>(i);
    std::vector<int> order;
    for (SGInstance** b = scene_->scnSortFarthest; b >= scene_->scnInstVector; --b) {
      for (SGInstance** link = b; *link != nullptr; link = &(*link)->instNext) {
        order.push_back((*link)->instBack == link ? index.at(*link) : -1);
      }
    }
    return order;
  }

  static std::uint64_t Hash(const std::vector<int>& order) {
    std::uint64_t h = 1469598103934665603ull;
    for (const int i : order) h = (h ^ static_cast<std::uint32_t>(i)) * 1099511628211ull;
    return h;
  }

  float Next(float low, float high) {
    seed_ = seed_ * 6364136223846793005ull + 1442695040888963407ull;
    return low + (high - low) * static_cast<float>(seed_ >> 40) / static_cast<float>(1 << 24);
  }

  std::vector<SGInstance*> placed_;
  std::uint64_t seed_ = 57;
};

// The order is pinned: a sort that is only meant to be faster must leave
// every instance where it was, or the frames' pictures change with it.
TEST_F(SortBuckets, CrowdKeepsItsPinnedOrder) {
  PlaceCrowd(240);
  LookFrom(0.0, -20.0, 0.0, 0.3f, 0.95f, 0.f);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ASSERT_EQ(ISGSceneBuildInstVector(rend_, scene_), SG_ERROR_NONE);
  const std::vector<int> order = DrawingOrder();
  EXPECT_EQ(order.size(), 201u);
  EXPECT_EQ(Hash(order), 11131044412246655498ull);
  // A second sort of the same frame, in the room the first one made, agrees.
  ASSERT_EQ(ISGSceneBuildInstVector(rend_, scene_), SG_ERROR_NONE);
  EXPECT_EQ(DrawingOrder(), order);
}

// With a yon so far that every box falls in the nearest bucket, the pass
// that moves instances after those they must follow does all the work.
TEST_F(SortBuckets, CrowdInOneBucketKeepsItsPinnedOrder) {
  SGInstanceSetCamera(camera_, 45.f, 585.f / 367.f, 0.5f, 1e6f);
  PlaceCrowd(240);
  LookFrom(0.0, -20.0, 0.0, 0.3f, 0.95f, 0.f);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ASSERT_EQ(ISGSceneBuildInstVector(rend_, scene_), SG_ERROR_NONE);
  EXPECT_EQ(scene_->scnSortFarthest, scene_->scnInstVector);
  const std::vector<int> order = DrawingOrder();
  EXPECT_EQ(order.size(), 201u);
  EXPECT_EQ(Hash(order), 9024694442088277946ull);
}

// A scene that gains instances between frames sorts them all, and one that
// loses them leaves none of the lost in its buckets.
TEST_F(SortBuckets, ScenesGrowingAndShrinkingSortEveryVisibleInstance) {
  PlaceCrowd(3);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  PlaceCrowd(300);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ASSERT_EQ(ISGSceneBuildInstVector(rend_, scene_), SG_ERROR_NONE);
  const std::size_t all = DrawingOrder().size();
  EXPECT_GT(all, 150u);
  for (std::size_t i = 3; i < placed_.size(); i += 2) SGInstanceSetAttributes(placed_[i], SG_ATTR_HIDDEN);
  ASSERT_EQ(ISGSceneBuildInstVector(rend_, scene_), SG_ERROR_NONE);
  const std::vector<int> order = DrawingOrder();
  EXPECT_LT(order.size(), all);
  for (const int i : order) {
    ASSERT_GE(i, 0);
    EXPECT_TRUE(i < 3 || i % 2 == 0) << i;
  }
}

}  // namespace
}  // namespace rendertest
