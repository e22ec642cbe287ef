// A saved game is read from memory, where runs of empty cells are passed over
// a word pair at a time and a cell's block is sized from its count: the cells
// must come out as a read from a file gives them, and a count block cut short
// anywhere must fail the load.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "Game/base/GBlockStream.h"
#include "tests/Game/model/units/units_fixture.h"

namespace units_test {
namespace {

class GamePieceMemoryLoad : public UnitWorld {
 protected:
  GamePieceMemoryLoad() { numAsteroids = 40; }

  static std::span<const std::uint8_t> Bytes(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
  }
  // Every cell's unit ids, in saved order.
  static std::string Cells(const CGGamePieceDB& db, std::uint16_t locations) {
    std::string out;
    for (std::uint16_t owner = 0; owner < kPieceOwners; ++owner)
      for (std::uint16_t loc = 0; loc < locations; ++loc)
        for (std::uint16_t k = 0; const CGUnit* u = db.GetUnitAt(loc, owner, k); ++k)
          out += std::to_string(owner) + "/" + std::to_string(loc) + ":" + std::to_string(u->id) + " ";
    return out;
  }
};

TEST_F(GamePieceMemoryLoad, SparseCellsLoadFromMemoryAsFromAFile) {
  CGUnitTemplate* design = Design(0, {kComputer, kDrive});
  // Empty runs of every length from 0 to 4 between cells, at both ends of an
  // owner's row, and a cell of 25 units (three grow steps).
  for (std::uint16_t loc : {0, 1, 3, 6, 10, 15, 39, 40}) Unit(design, {loc, 1, 2, 3}, 0);
  for (int i = 0; i < 25; ++i) Unit(design, {7, 0, 0, 0}, 0);
  Unit(design, {40, 0, 0, 0}, 0);
  Unit(Design(39, {kComputer}), {0, 0, 0, 0}, 39);
  const std::string bytes = box.SavedOf(pieces);

  auto fromFile = std::make_unique<CGGamePieceDB>();
  g_unitLinks.pieces = fromFile.get();
  ASSERT_EQ(box.LoadedInto(*fromFile, bytes), 1);
  auto fromMemory = std::make_unique<CGGamePieceDB>();
  g_unitLinks.pieces = fromMemory.get();
  BlockReader r(Bytes(bytes));
  ASSERT_EQ(fromMemory->Load(r), 1);
  EXPECT_EQ(r.Pos(), bytes.size());
  g_unitLinks.pieces = &pieces;

  EXPECT_EQ(Cells(*fromMemory, 41), Cells(pieces, 41));
  EXPECT_EQ(Cells(*fromFile, 41), Cells(pieces, 41));
  EXPECT_EQ(box.SavedOf(*fromMemory, "again.bin"), bytes);
  for (std::uint16_t loc = 0; loc <= 40; ++loc) ASSERT_EQ(fromMemory->CountUnits(loc, -1), pieces.CountUnits(loc, -1));
  EXPECT_EQ(fromMemory->CountOwnerUnits(39, false), 1u);
  EXPECT_EQ(fromMemory->CountOwnerUnits(0, false), 34u);
}

TEST_F(GamePieceMemoryLoad, ACountBlockCutShortFailsTheLoad) {
  CGUnitTemplate* design = Design(0, {kComputer, kDrive});
  Unit(design, {2, 0, 0, 0}, 0);
  const std::string bytes = box.SavedOf(pieces);
  // Cut inside the leading zeros, inside the unit and inside the trailing zeros.
  for (std::size_t n : {std::size_t{0}, std::size_t{3}, std::size_t{8}, std::size_t{13}, std::size_t{40},
                        bytes.size() - 5, bytes.size() - 1}) {
    CGGamePieceDB cut;
    g_unitLinks.pieces = &cut;
    BlockReader r(Bytes(bytes).first(n));
    EXPECT_EQ(cut.Load(r), 0) << n;
  }
  // A count beyond what the bytes left could hold is refused as it reads.
  std::string hostile(4 * 3, '\0');
  hostile += std::string("\xFE\xFF\x00\x00", 4) + std::string(64, '\x01');
  CGGamePieceDB refused;
  g_unitLinks.pieces = &refused;
  BlockReader r(Bytes(hostile));
  EXPECT_EQ(refused.Load(r), 0);
  EXPECT_EQ(refused.CountUnits(3, -1), 0u);
  g_unitLinks.pieces = &pieces;
}

}  // namespace
}  // namespace units_test
