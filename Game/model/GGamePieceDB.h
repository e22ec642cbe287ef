#pragma once
// Where every unit of the game is. Units are filed in cells by owner chapter
// (0..39) and location index (an asteroid index, or the asteroid count for
// solar space; 0..151); inside a cell the operational units stand ahead of
// the unoperational ones. Counters per cell, per owner and per location
// answer "how many here" without a scan. The database owns its units:
// deleting one destroys it, and the orders of the other units that held a
// pointer to it forget that pointer.
//
// Saved form, inside the game data's block: for owner 0..39, for location
// 0 .. asteroid count: u32 number of units, then each unit (GUnit.h).
// Main thread only.

#include <array>
#include <cstdint>
#include <vector>

#include "Game/arrayman/ArrayMan.h"
#include "Game/model/GCellsMadeOnUse.h"
#include "Game/model/GLocation.h"
#include "platform/core/files.h"

class BlockReader;
class BlockWriter;

class CGUnit;
class CGUnitTemplate;

constexpr int kPieceOwners = 40;
constexpr int kPieceLocations = 152;
// Squared distance within which a unit in solar space detects an asteroid (1800 squared).
constexpr std::uint32_t kDetectRangeSq = 3240000;

class CGGamePieceDB {
 public:
  CGGamePieceDB();
  // Destroys every unit.
  ~CGGamePieceDB();
  CGGamePieceDB(const CGGamePieceDB&) = delete;
  CGGamePieceDB& operator=(const CGGamePieceDB&) = delete;

  // A new unit from `design` filed under `owner` and the location's asteroid;
  // null for an owner or location outside the cells.
  CGUnit* CreateUnit(CGUnitTemplate* design, const Location* loc, std::uint8_t owner, std::uint32_t unitId);
  // Files a unit (owned from here); false (not filed) outside the cells.
  bool AddUnit(CGUnit* unit, std::uint8_t owner, std::uint16_t location);
  // Takes the k-th unit out of the cell, not destroying it; null beyond the cell.
  CGUnit* RemoveUnitAt(std::uint16_t owner, std::uint16_t location, std::uint16_t k);
  // Refiles the unit from the cell of its Location to `newLocation`; 0 when it is not there.
  int MoveUnit(CGUnit* unit, const std::uint16_t* newLocation);
  int MarkUnitUnoperational(CGUnit* unit);
  // Destroys the unit of that id wherever it is; 0 when there is none.
  int DeleteUnit(std::uint32_t unitId);
  void DeleteUnitsAt(std::uint16_t location);
  void ClearForeignUnitsInSpace();
  void Recount();

  // Queries; owner < 0 means every owner where the column says so.
  std::uint32_t CountOperationalUnits(std::uint16_t location, std::int16_t owner) const;
  std::uint32_t CountUnits(std::uint16_t location, std::int16_t owner) const;
  std::uint32_t CountOwnerUnits(std::uint16_t owner, bool operationalOnly) const;
  int HasOperationalUnits(std::uint16_t location, std::uint16_t owner) const;
  CGUnit* GetUnitAt(std::uint16_t location, std::uint16_t owner, std::uint16_t k) const;
  CGUnit* GetOperationalUnitAt(std::uint16_t location, std::uint16_t owner, std::uint16_t k) const;
  CGUnit* FindUnitAt(std::uint16_t location, std::uint32_t unitId) const;
  CGUnit* FindOperationalUnitAt(std::uint16_t location, std::uint32_t unitId) const;
  CGUnit* FindUnit(std::uint32_t unitId, std::uint16_t* outLocation) const;
  CGUnit* FindOperationalUnit(std::uint32_t unitId, std::uint16_t* outLocation) const;
  int HasSingleMovingUnit(std::uint16_t location, std::uint16_t owner) const;
  CGUnit* FindNearestUnit(const Location* loc, std::uint32_t excludedId, std::uint32_t* outDistSq,
                          int includeUnoperational) const;
  CGUnit* FindNearestEnemyUnit(const Location* loc, std::uint32_t ownUnitId, std::uint32_t* outDistSq) const;
  CGUnit* FindBattleTarget(const Location* loc, const CGUnit* unit, std::uint32_t* outDistSq,
                           const std::uint8_t plan[5]) const;
  // All bits set when the asteroid's owner is `owner`, else 0.
  static std::uint32_t IsAsteroidOwnedBy(std::uint16_t owner, std::uint16_t asteroid);
  // The first owner number not in play: 32 + the chapters per guild.
  static int ChapterLimit();

  void DetectAsteroidsNearUnitsInSpace(bool silent);
  int EditSelectionBattlePlan();

  int Save(plat::FILE* fp) const;
  int Save(BlockWriter& w) const;
  // Replaces nothing: the database must be empty. 0 as soon as a unit fails.
  int Load(plat::FILE* fp);
  int Load(BlockReader& r);

 private:
  struct Counter {
    std::uint32_t operational = 0;
    std::uint32_t total = 0;
  };
  static bool ValidOwner(int owner);
  static bool ValidLocation(int location);
  // The cell as it stands (an empty one where no unit was ever filed), and
  // the cell to file units in or take them out of, made on first use.
  const ArrayMan<CGUnit>& Cell(int owner, int location) const { return cells[CellIndex(owner, location)]; }
  ArrayMan<CGUnit>& CellToChange(int owner, int location) { return cells.Make(CellIndex(owner, location)); }
  static std::size_t CellIndex(int owner, int location) {
    return static_cast<std::size_t>(owner * kPieceLocations + location);
  }
  std::uint16_t& Unop(int owner, int location) { return unoperationalCounts[owner * kPieceLocations + location]; }
  std::uint16_t Unop(int owner, int location) const { return unoperationalCounts[owner * kPieceLocations + location]; }
  CGUnit* FindInCell(std::uint16_t location, std::uint32_t unitId, bool operationalOnly) const;
  CGUnit* FindAnywhere(std::uint32_t unitId, std::uint16_t* outLocation, bool operationalOnly) const;
  // The index of the unit in its cell, -1 when absent.
  int IndexInCell(int owner, int location, const CGUnit* unit) const;
  bool IsAllied(std::uint32_t ownChapter, std::uint32_t otherChapter) const;
  // Calls visit(unit) for every operational unit at the location's index of a
  // chapter neither `ownChapter` nor allied to it.
  template <class F>
  void ForEachOperationalEnemy(const Location* loc, std::uint32_t ownChapter, F&& visit) const;
  void DestroyCell(int owner, int location);
  // The owner and location counters from the cells' counts and their
  // unoperational counts as they stand.
  void SumCounters();
  // Clears every order's cached pointer to one of `gone` (units about to be
  // destroyed); the orders look their targets up by id again.
  void ForgetTargets(std::vector<const CGUnit*> gone);
  void AddCellUnits(int owner, int location, std::vector<const CGUnit*>* out) const;

  CellsMadeOnUse<ArrayMan<CGUnit>, kPieceOwners * kPieceLocations> cells;
  std::array<std::uint16_t, kPieceOwners * kPieceLocations> unoperationalCounts{};
  std::array<Counter, kPieceOwners> ownerCounters{};
  std::array<Counter, kPieceLocations> locationCounters{};
};
