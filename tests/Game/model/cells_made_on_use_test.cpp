// A table of cells made on first use: a cell is made once and keeps what it
// holds, a cell never made reads as an empty one without being made, the
// walks visit the made cells alone in their order across the words of the
// map, and the table's end destroys each made cell once.
#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "Game/arrayman/ArrayMan.h"
#include "Game/model/GCellsMadeOnUse.h"

namespace {

struct Counted {
  static inline int made = 0;
  static inline int destroyed = 0;
  Counted() { ++made; }
  ~Counted() { ++destroyed; }
  Counted(const Counted&) = delete;
  Counted& operator=(const Counted&) = delete;
  int value = 0;
};

class CellsMadeOnUseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The shared empty cell is made at the first read of an unmade cell;
    // made once here so that the counts below are the table's own.
    const Table warm{};
    (void)warm[0];
    Counted::made = 0;
    Counted::destroyed = 0;
  }
  // 130 cells: three words of the map, the last one partly used.
  using Table = CellsMadeOnUse<Counted, 130>;
  static constexpr std::size_t kEdges[] = {0, 63, 64, 127, 128, 129};
};

TEST_F(CellsMadeOnUseTest, ACellIsMadeOnceAndKeepsWhatItHolds) {
  Table table;
  EXPECT_EQ(Counted::made, 0) << "a new table makes no cell";
  for (std::size_t i : kEdges) table.Make(i).value = static_cast<int>(i) + 1;
  for (std::size_t i : kEdges) {
    EXPECT_TRUE(table.IsMade(i)) << i;
    EXPECT_EQ(table.Make(i).value, static_cast<int>(i) + 1) << "made again over its contents: " << i;
    EXPECT_EQ(table[i].value, static_cast<int>(i) + 1) << i;
  }
  EXPECT_EQ(Counted::made, static_cast<int>(std::size(kEdges)));
}

TEST_F(CellsMadeOnUseTest, AnUnmadeCellReadsEmptyAndStaysUnmade) {
  Table table;
  table.Make(5).value = 9;
  EXPECT_EQ(table[4].value, 0);
  EXPECT_EQ(table[129].value, 0);
  EXPECT_FALSE(table.IsMade(4));
  EXPECT_FALSE(table.IsMade(6));
  EXPECT_FALSE(table.IsMade(129));
  EXPECT_EQ(Counted::made, 1);
}

TEST_F(CellsMadeOnUseTest, WalksVisitTheMadeCellsInOrderAcrossTheMap) {
  Table table;
  const std::vector<std::size_t> made = {0, 1, 62, 63, 64, 65, 100, 127, 128, 129};
  for (std::size_t i : made) table.Make(i).value = static_cast<int>(i);

  std::vector<std::size_t> forward;
  table.ForEachMade([&](std::size_t i, const Counted& cell) {
    EXPECT_EQ(cell.value, static_cast<int>(i));
    forward.push_back(i);
  });
  EXPECT_EQ(forward, made);

  std::vector<std::size_t> backward;
  table.ForEachMadeBackward([&](std::size_t i, Counted& cell) {
    EXPECT_EQ(cell.value, static_cast<int>(i));
    backward.push_back(i);
  });
  EXPECT_EQ(backward, std::vector<std::size_t>(made.rbegin(), made.rend()));
}

TEST_F(CellsMadeOnUseTest, TheTablesEndDestroysEachMadeCellOnce) {
  {
    Table table;
    for (std::size_t i : kEdges) table.Make(i);
    table.Make(64);
    (void)table[3];
    EXPECT_EQ(Counted::destroyed, 0);
  }
  EXPECT_EQ(Counted::made, static_cast<int>(std::size(kEdges)));
  EXPECT_EQ(Counted::destroyed, Counted::made);
}

// The model's lists are plain values: a piece database's thousands of cells
// and the zones' three lists each cost their fields alone.
static_assert(sizeof(ArrayMan<int>) == sizeof(void*) + 4 * sizeof(std::uint16_t));

}  // namespace
