// The terrain grid: every zone and kind of every size class and rotation is
// drawn where a click finds it again, the rings' cells run clockwise from
// their top-left corner, and points off the asteroid hit nothing.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <utility>

#include "Game/views/flat/TerrainGeometry.h"

namespace {

using namespace terrain;

// The screen point at the middle of a cell.
std::pair<int, int> Middle(const Cell& c) { return {30 + kCellWidth * c.column + 20, 99 + kCellHeight * c.row + 16}; }

TEST(TerrainGeometry, PlacingAndHittingAgreeForEverySizeAndRotation) {
  const int rotations[] = {-128, -9, -8, -7, -5, -4, -3, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 15, 127};
  for (int size = 0; size <= kMaxSizeClass; ++size) {
    for (int t : rotations) {
      std::int8_t ring[5];
      for (int k = 0; k < 5; ++k) ring[k] = static_cast<std::int8_t>(t + k);  // each ring its own rotation
      std::set<std::pair<int, int>> cells;
      for (int zone = 1; zone < ZoneCountOfSize(size); ++zone) {
        for (int kind = 0; kind < 4; ++kind) {
          const Cell c = CellOfZone(zone, kind, ring);
          const auto [x, y] = Middle(c);
          Hit hit;
          ASSERT_TRUE(HitTest(x, y, size, ring, &hit)) << "size " << size << " rotation " << t;
          EXPECT_EQ(hit.zone, zone) << "size " << size << " rotation " << t << " kind " << kind;
          EXPECT_EQ(hit.kind, kind) << "size " << size << " rotation " << t << " zone " << zone;
          EXPECT_EQ(hit.ring, RingOfZone(zone));
          cells.insert({c.column, c.row});
        }
      }
      // Every cell of the rings shows exactly one zone's kind.
      const int ringCells = (2 * size + 3) * (2 * size + 3) - 1;
      EXPECT_EQ(static_cast<int>(cells.size()), ringCells) << "size " << size << " rotation " << t;
    }
  }
}

TEST(TerrainGeometry, RingsRunClockwiseFromTheirTopLeftCorner) {
  // Ring 0: the eight cells around the centre.
  const std::pair<int, int> ring0[8] = {{4, 4}, {5, 4}, {6, 4}, {6, 5}, {6, 6}, {5, 6}, {4, 6}, {4, 5}};
  for (int p = 0; p < 8; ++p) {
    const Cell c = CellAt(0, p);
    EXPECT_EQ(std::make_pair(c.column, c.row), ring0[p]) << p;
  }
  // Ring 4's corners.
  EXPECT_EQ(CellAt(4, 0).column, 0);
  EXPECT_EQ(CellAt(4, 10).column, 10);
  EXPECT_EQ(CellAt(4, 10).row, 0);
  EXPECT_EQ(CellAt(4, 20).row, 10);
  EXPECT_EQ(CellAt(4, 20).column, 10);
  EXPECT_EQ(CellAt(4, 30).column, 0);
  EXPECT_EQ(CellAt(4, 30).row, 10);
  EXPECT_EQ(CellAt(4, 39).row, 1);
  // Zones per ring and rings per zone.
  EXPECT_EQ(ZoneCountOfSize(0), 3);
  EXPECT_EQ(ZoneCountOfSize(4), 31);
  EXPECT_EQ(ZoneCountOfSize(5), 0);
  EXPECT_EQ(RingOfZone(0), kCentreRing);
  EXPECT_EQ(RingOfZone(2), 0);
  EXPECT_EQ(RingOfZone(3), 1);
  EXPECT_EQ(RingOfZone(30), 4);
}

TEST(TerrainGeometry, RotationShiftsZonesAlongTheRing) {
  // Rotation 1 moves zone 1's combat cell one place clockwise; the top-left
  // corner then shows zone 2's seed bank.
  EXPECT_EQ(PositionOfZone(1, 0, 1), 1);
  const ZoneKind corner = ZoneAtPosition(0, 0, 1);
  EXPECT_EQ(corner.zone, 2);
  EXPECT_EQ(corner.kind, 3);
  // A rotation of a whole ring's length changes nothing, nor does a negative one's equivalent.
  EXPECT_EQ(PositionOfZone(5, 2, 16), PositionOfZone(5, 2, 0));
  EXPECT_EQ(PositionOfZone(5, 2, -3), PositionOfZone(5, 2, 13));
}

TEST(TerrainGeometry, SmallestAsteroidAndTheCentre) {
  const std::int8_t flat[5] = {};
  Hit hit;
  // The centre cell is zone 0, ring -1, kind 3, at either half.
  ASSERT_TRUE(HitTest(30 + 52 * 5 + 1, 99 + 33 * 5 + 1, 0, flat, &hit));
  EXPECT_EQ(hit.zone, 0);
  EXPECT_EQ(hit.ring, kCentreRing);
  EXPECT_EQ(hit.kind, 3);
  EXPECT_EQ(hit.rightHalf, 0);
  ASSERT_TRUE(HitTest(30 + 52 * 5 + 27, 99 + 33 * 5 + 1, 0, flat, &hit));
  EXPECT_EQ(hit.rightHalf, 1);
  // Size 0 answers only columns and rows 4..6.
  EXPECT_TRUE(HitTest(30 + 52 * 4, 99 + 33 * 4, 0, flat, &hit));
  EXPECT_TRUE(HitTest(30 + 52 * 7 - 1, 99 + 33 * 7 - 1, 0, flat, &hit));
  EXPECT_FALSE(HitTest(30 + 52 * 4 - 1, 99 + 33 * 5, 0, flat, &hit));
  EXPECT_FALSE(HitTest(30 + 52 * 7, 99 + 33 * 5, 0, flat, &hit));
  EXPECT_FALSE(HitTest(30 + 52 * 5, 99 + 33 * 7, 0, flat, &hit));
  // Left of and above the grid, and size classes a server should never send.
  EXPECT_FALSE(HitTest(29, 300, 4, flat, &hit));
  EXPECT_FALSE(HitTest(300, 98, 4, flat, &hit));
  EXPECT_FALSE(HitTest(30 + 52 * 11, 300, 4, flat, &hit));
  EXPECT_FALSE(HitTest(300, 300, 5, flat, &hit));
  EXPECT_FALSE(HitTest(300, 300, -1, flat, &hit));
}

}  // namespace
