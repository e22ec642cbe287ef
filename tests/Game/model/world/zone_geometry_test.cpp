#include <gtest/gtest.h>

#include <set>

#include "tests/Game/model/world/world_fixture.h"

namespace world_test {
namespace {

class ZoneGeometryTest : public WorldTest {
 protected:
  ZoneGeometryTest() { solar.CreateAsteroidArray(2); }
  std::set<int> InnerNeighbours(const CGAsteroid& a, int zone) {
    std::set<int> out;
    for (int z = 0; z < a.GetZoneCount(); ++z)
      if (CGAsteroid::GetZoneRing(z) == CGAsteroid::GetZoneRing(zone) - 1 && a.AreZonesAdjacent(zone, z)) out.insert(z);
    return out;
  }
};

TEST_F(ZoneGeometryTest, RingsAndZoneCountsOfEverySizeClass) {
  const int counts[] = {3, 7, 13, 21, 31};
  for (std::uint8_t s = 0; s <= 4; ++s) {
    CGAsteroid a(0);
    a.sizeClass = s;
    ASSERT_EQ(a.CreateZones(), 1);
    EXPECT_EQ(a.GetZoneCount(), counts[s]);
    EXPECT_EQ(a.GetZone(static_cast<std::uint16_t>(counts[s] - 1))->index, counts[s] - 1);
    EXPECT_EQ(a.GetZone(static_cast<std::uint16_t>(counts[s])), nullptr);
    EXPECT_EQ(CGAsteroid::GetZoneRing(static_cast<std::uint32_t>(counts[s] - 1)), s == 0 ? 0 : s);
  }
  CGAsteroid unset(0);  // an unknown size has no zones rather than 65,793
  unset.CreateZones();
  EXPECT_EQ(unset.GetZoneCount(), 0);
  const int rings[][2] = {{0, -1}, {1, 0}, {2, 0}, {3, 1}, {6, 1}, {7, 2}, {12, 2}, {13, 3}, {20, 3}, {21, 4}, {99, 4}};
  for (const auto& [zone, ring] : rings) EXPECT_EQ(CGAsteroid::GetZoneRing(zone), ring) << zone;
}

TEST_F(ZoneGeometryTest, AnglesFollowTheRingRotation) {
  CGAsteroid a(0);
  a.sizeClass = 2;
  a.ringRotations[1] = 5;
  a.ringRotations[2] = -3;
  int ring = 9;
  EXPECT_EQ(a.GetZoneAngle(0, 3, &ring), 0);
  EXPECT_EQ(ring, -1);
  EXPECT_EQ(a.GetZoneAngle(4, 0, &ring), 9);  // 5 + 4 x 1
  EXPECT_EQ(ring, 1);
  EXPECT_EQ(a.GetZoneAngle(6, 3, &ring), 4);   // (3 + 5 + 12) mod 16
  EXPECT_EQ(a.GetZoneAngle(7, 0, &ring), 21);  // a negative rotation stays on the ring
}

// Ring 0 without rotation: zone 1 covers steps 0..3, zone 2 steps 4..7; the
// windows of the inner angles pick their outer neighbours.
TEST_F(ZoneGeometryTest, WorkedNeighboursOfTheFirstRings) {
  CGAsteroid a(0);
  a.sizeClass = 1;
  a.CreateZones();
  EXPECT_EQ(InnerNeighbours(a, 3), (std::set<int>{1}));
  EXPECT_EQ(InnerNeighbours(a, 4), (std::set<int>{1, 2}));
  EXPECT_EQ(InnerNeighbours(a, 5), (std::set<int>{2}));
  EXPECT_EQ(InnerNeighbours(a, 6), (std::set<int>{1, 2}));
  EXPECT_EQ(a.AreZonesAdjacent(1, 2), 1);
  EXPECT_EQ(a.AreZonesAdjacent(3, 5), 0);
  EXPECT_EQ(a.AreZonesAdjacent(3, 6), 1);             // the ring closes
  EXPECT_EQ(a.AreZonesAdjacent(21, 0x80000015u), 0);  // far past the last zone, and no overflow
}

TEST_F(ZoneGeometryTest, NeighboursOfEverySizeClassAndRotation) {
  for (std::uint8_t s = 0; s <= 4; ++s) {
    for (int rot = -2; rot <= 9; rot += 3) {
      CGAsteroid a(0);
      a.sizeClass = s;
      for (std::int8_t& r : a.ringRotations) r = static_cast<std::int8_t>(rot);
      a.CreateZones();
      SCOPED_TRACE(testing::Message() << "size " << int(s) << " rotation " << rot);
      EXPECT_EQ(a.AreZonesAdjacent(0, 1), 1);
      EXPECT_EQ(a.AreZonesAdjacent(2, 0), 1);
      for (int z1 = 0; z1 < a.GetZoneCount(); ++z1) {
        int sameRing = 0;
        for (int z2 = 0; z2 < a.GetZoneCount(); ++z2) {
          const int adj = a.AreZonesAdjacent(z1, z2);
          EXPECT_EQ(adj, a.AreZonesAdjacent(z2, z1)) << z1 << " " << z2;
          const int r1 = CGAsteroid::GetZoneRing(z1), r2 = CGAsteroid::GetZoneRing(z2);
          if (z1 == z2 || r1 - r2 > 1 || r2 - r1 > 1) {
            EXPECT_EQ(adj, 0) << z1 << " " << z2;
          }
          if (r1 == r2) sameRing += adj;
        }
        if (z1 != 0) {
          EXPECT_EQ(sameRing, CGAsteroid::GetZoneRing(z1) == 0 ? 1 : 2) << z1;
        }
        if (CGAsteroid::GetZoneRing(z1) > 0) {
          EXPECT_FALSE(InnerNeighbours(a, z1).empty()) << z1;
        }
      }
    }
  }
}

TEST_F(ZoneGeometryTest, IntermediateZoneIsAFreeCommonNeighbour) {
  CGAsteroid a(0);
  a.sizeClass = 1;
  a.CreateZones();
  for (int z = 0; z < 7; ++z) a.GetZone(z)->SetAtvLimit(4);
  a.GetZone(3)->owner = 5;
  std::uint32_t via = 99;
  EXPECT_EQ(a.FindIntermediateZone(3, 4, &via), 1);
  EXPECT_EQ(via, 4u);
  EXPECT_EQ(a.FindIntermediateZone(3, 5, &via), 1);
  EXPECT_EQ(via, 4u);
  a.GetZone(4)->owner = 6;  // an enemy's zone is no way through
  EXPECT_EQ(a.FindIntermediateZone(3, 5, &via), 1);
  EXPECT_EQ(via, 6u);  // round the other side of the ring
  a.GetZone(6)->owner = 6;
  EXPECT_EQ(a.FindIntermediateZone(3, 5, &via), 0);
  EXPECT_EQ(via, 0u);
  a.GetZone(4)->owner = 5;
  a.GetZone(4)->SetAtvCounts(1, 1, 1, 1);  // full
  EXPECT_EQ(a.GetZone(4)->GetAtvCount(kAllAtvKinds), 4);
  EXPECT_EQ(a.FindIntermediateZone(3, 5, &via), 0);
  EXPECT_EQ(a.FindIntermediateZone(40, 5, &via), 0);
}

}  // namespace
}  // namespace world_test
