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
  GamePieceMemoryLoad() { space.MakeSpace(40, kPlaces); }

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
  links.pieces = fromFile.get();
  ASSERT_EQ(box.LoadedInto(*fromFile, bytes), 1);
  auto fromMemory = std::make_unique<CGGamePieceDB>();
  links.pieces = fromMemory.get();
  BlockReader r(Bytes(bytes));
  ASSERT_EQ(fromMemory->Load(r), 1);
  EXPECT_EQ(r.Pos(), bytes.size());
  links.pieces = &pieces;

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
    links.pieces = &cut;
    BlockReader r(Bytes(bytes).first(n));
    EXPECT_EQ(cut.Load(r), 0) << n;
  }
  // A count beyond what the bytes left could hold is refused as it reads.
  std::string hostile(4 * 3, '\0');
  hostile += std::string("\xFE\xFF\x00\x00", 4) + std::string(64, '\x01');
  CGGamePieceDB refused;
  links.pieces = &refused;
  BlockReader r(Bytes(hostile));
  EXPECT_EQ(refused.Load(r), 0);
  EXPECT_EQ(refused.CountUnits(3, -1), 0u);
  links.pieces = &pieces;
}

// Each unit loaded takes a reference on the design its design's id names in
// the database, or on its design when none is named: a run of units of one
// design looks it up once, and a unit of another design, or one bringing a
// design of its own, starts a new run.
TEST_F(GamePieceMemoryLoad, UnitsReferenceTheDesignTheirIdNames) {
  CGUnitTemplate* first = Design(0, {kComputer, kDrive});
  CGUnitTemplate* second = Design(0, {kComputer});
  // Held in chapter 1's slots under an id of chapter 2: no design is found
  // by that id until a unit of chapter 2 brings one.
  CGUnitTemplate* astray = Design(1, {kComputer});
  const std::uint32_t astrayId = (2u << 26) | 77;
  astray->templateId = astrayId;
  CGUnitTemplate loose(2, static_cast<std::int32_t>(astrayId));
  loose.SetHull(hullDB->GetHull(0, 0));
  std::uint32_t serial = 1000;
  const auto unit = [&](CGUnitTemplate* design, std::uint8_t chapter, std::uint16_t location) {
    const Location at{location, 0, 0, 0};
    const std::uint32_t id = (std::uint32_t{chapter} << 26) | ++serial;
    EXPECT_NE(pieces.CreateUnit(design, &at, 0, id), nullptr);
    return id;
  };
  // Cell 0/0 holds, in order: first, first, second, first, astray, the loose
  // design, astray; cell 0/1 first again.
  for (CGUnitTemplate* d : {first, first, second, first}) unit(d, 0, 0);
  unit(astray, 1, 0);
  const std::uint32_t looseUnit = unit(&loose, 2, 0);
  unit(astray, 1, 0);
  unit(first, 0, 1);
  const std::string bytes = box.SavedOf(pieces);
  const int before[4] = {first->references, second->references, astray->references, loose.references};

  auto loaded = std::make_unique<CGGamePieceDB>();
  links.pieces = loaded.get();
  BlockReader r(Bytes(bytes));
  ASSERT_EQ(loaded->Load(r), 1);
  links.pieces = &pieces;

  EXPECT_EQ(first->references - before[0], 4);
  EXPECT_EQ(second->references - before[1], 1);
  // The astray design's first unit finds nothing by its id; once the loose
  // design has come in under that id, the next unit's reference is its.
  EXPECT_EQ(astray->references - before[2], 1);
  CGUnitTemplate* brought = templates.FindTemplateById(astrayId);
  ASSERT_NE(brought, nullptr);
  ASSERT_NE(brought, astray);
  // The count it was saved with, and its two units.
  EXPECT_EQ(brought->references, before[3] + 2);
  loaded.reset();
  EXPECT_EQ(first->references, before[0]);
  EXPECT_EQ(second->references, before[1]);
  // The loose design goes before the fixture's units do.
  for (std::uint16_t k = 0; const CGUnit* u = pieces.GetUnitAt(0, 0, k); ++k) {
    if (u->id == looseUnit) delete pieces.RemoveUnitAt(0, 0, k);
  }
  EXPECT_EQ(loose.references, before[3] - 1);
}

}  // namespace
}  // namespace units_test
