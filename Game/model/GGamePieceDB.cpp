#include "Game/model/GGamePieceDB.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <span>
#include <type_traits>
#include <vector>

#include "Game/base/ByteStream.h"
#include "Game/base/ClientShell.h"
#include "Game/base/GBlockStream.h"
#include "Game/base/TraceError.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GNotifyCodes.h"
#include "Game/model/GUnit.h"
#include "Game/model/GUnitMaker.h"
#include "Game/model/GWorldArrays.h"
#include "Game/model/GameWorld.h"
#include "Game/rules/GRulesFacts.h"

namespace {

// Units destroyed in the order they are added, each some units after it was
// added and asked of the memory then; the rest when it goes.
class UnitsGoing {
 public:
  UnitsGoing() = default;
  UnitsGoing(const UnitsGoing&) = delete;
  UnitsGoing& operator=(const UnitsGoing&) = delete;
  ~UnitsGoing() {
    for (; m_destroyed < m_added; ++m_destroyed) m_breaker.Destroy(m_units[m_destroyed % kAhead]);
  }

  void Add(CGUnit* unit) {
    if (unit == nullptr) return;
    // What the destructor reads lies in the unit's first bytes (GUnit.h):
    // the one or two lines they touch, not the whole unit.
    const auto* bytes = reinterpret_cast<const char*>(unit);
    __builtin_prefetch(bytes, 1);
    __builtin_prefetch(bytes + kDestructorBytes - 1, 1);
    if (m_added - m_destroyed == kAhead) {
      m_breaker.Destroy(m_units[m_destroyed % kAhead]);
      ++m_destroyed;
    }
    m_units[m_added % kAhead] = unit;
    ++m_added;
  }

 private:
  // Far enough ahead for a unit's lines to arrive while the ones before it
  // are destroyed, near enough that they are still there when its turn comes.
  static constexpr std::size_t kAhead = 8;
  static constexpr std::size_t kDestructorBytes = 64;
  // Gives the units' slots back together once the last one has gone.
  UnitBreaker m_breaker;
  std::array<CGUnit*, kAhead> m_units{};
  std::size_t m_added = 0;
  std::size_t m_destroyed = 0;
};

}  // namespace

// Every cell grows 10 slots at a time, the arrays' own step.
CGGamePieceDB::CGGamePieceDB() = default;

CGGamePieceDB::~CGGamePieceDB() {
  // The whole database goes: no counter is kept up to date for it, and each
  // cell lets go of its units all at once rather than one by one (a removal
  // reads the unit's state for the counters, a miss per unit of a game long
  // out of the cache, and shrinks the cell's block as it empties). The cell
  // is emptied before its units are destroyed, so that a unit's destructor
  // asking the database about its design's other users never finds one
  // already on its way out. They go from the last unit of the last cell to
  // the first: their slots, given back in that order, serve the next load in
  // address order again.
  //
  // Each unit is out of the cache by then, and its destructor reads its
  // first line or two: the units are destroyed a few behind the walk that
  // finds them, each asked for as it is found, so that their misses overlap
  // rather than come one after another. Only the cells that ever held a unit
  // are visited.
  UnitsGoing going;
  cells.ForEachMadeBackward([&](std::size_t, ArrayMan<CGUnit>& cell) {
    if (cell.count == 0 && !cell.items) return;
    const auto units = std::move(cell.items);
    const std::uint16_t n = cell.count;
    cell.count = 0;
    cell.capacity = 0;
    cell.cursor = 0xFFFF;
    for (std::uint16_t i = n; i-- > 0;) going.Add(units[i]);
  });
}

int CGGamePieceDB::ChapterLimit() { return 32 + RulesFacts().ChaptersPerGuild(); }

bool CGGamePieceDB::ValidOwner(int owner) { return owner >= 0 && owner < kPieceOwners && owner < ChapterLimit(); }

bool CGGamePieceDB::ValidLocation(int location) {
  return location >= 0 && location < kPieceLocations && location <= World().AsteroidCount();
}

void CGGamePieceDB::DestroyCell(int owner, int location) {
  if (!cells.IsMade(CellIndex(owner, location))) return;
  ArrayMan<CGUnit>& cell = CellToChange(owner, location);
  // Each unit leaves the cell before it is destroyed, so a unit's destructor
  // that asks the database about the design's other users never finds it.
  while (cell.count != 0)
    delete RemoveUnitAt(static_cast<std::uint16_t>(owner), static_cast<std::uint16_t>(location),
                        static_cast<std::uint16_t>(cell.count - 1));
  cell.items.reset();
  cell.capacity = 0;
  cell.cursor = 0xFFFF;
}

void CGGamePieceDB::AddCellUnits(int owner, int location, std::vector<const CGUnit*>* out) const {
  const ArrayMan<CGUnit>& cell = Cell(owner, location);
  for (std::uint16_t i = 0; i < cell.count; ++i) out->push_back(cell.GetAt(i));
}

void CGGamePieceDB::ForgetTargets(std::vector<const CGUnit*> gone) {
  if (gone.empty()) return;
  std::sort(gone.begin(), gone.end());
  cells.ForEachMade([&](std::size_t, const ArrayMan<CGUnit>& cell) {
    for (std::uint16_t i = 0; i < cell.count; ++i) {
      const CGUnit* u = cell.GetAt(i);
      for (std::uint16_t k = 0; u != nullptr && k < u->GetOrderCount(); ++k) {
        UnitOrder* order = u->GetOrder(k);
        if (order != nullptr && order->target != nullptr &&
            std::binary_search(gone.begin(), gone.end(), order->target)) {
          order->target = nullptr;
        }
      }
    }
  });
}

CGUnit* CGGamePieceDB::CreateUnit(CGUnitTemplate* design, const Location* loc, std::uint8_t owner,
                                  std::uint32_t unitId) {
  if (loc == nullptr || !ValidOwner(owner) || !ValidLocation(loc->asteroid)) return nullptr;
  auto unit = std::make_unique<CGUnit>(design, loc, owner, unitId);
  if (!AddUnit(unit.get(), owner, loc->asteroid)) return nullptr;
  return unit.release();
}

bool CGGamePieceDB::AddUnit(CGUnit* unit, std::uint8_t owner, std::uint16_t location) {
  if (unit == nullptr || owner >= kPieceOwners || location >= kPieceLocations) return false;
  ArrayMan<CGUnit>& cell = CellToChange(owner, location);
  if (cell.count == 0xFFFF) return false;
  ++ownerCounters[owner].total;
  ++locationCounters[location].total;
  if (!unit->IsOperational()) {
    cell.SetAt(unit, ArrayMan<CGUnit>::kAtEnd);
    ++Unop(owner, location);
    return true;
  }
  if (Unop(owner, location) > cell.count) {
    TraceError("Unoperational count above the cell's units", __FILE__, __LINE__);
    --ownerCounters[owner].total;
    --locationCounters[location].total;
    Recount();
    ++ownerCounters[owner].total;
    ++locationCounters[location].total;
  }
  if (Unop(owner, location) != 0) {
    cell.InsertAt(unit, static_cast<std::uint16_t>(cell.count - Unop(owner, location)));
  } else {
    cell.SetAt(unit, ArrayMan<CGUnit>::kAtEnd);
  }
  ++ownerCounters[owner].operational;
  ++locationCounters[location].operational;
  return true;
}

CGUnit* CGGamePieceDB::RemoveUnitAt(std::uint16_t owner, std::uint16_t location, std::uint16_t k) {
  if (owner >= kPieceOwners || location >= kPieceLocations || !cells.IsMade(CellIndex(owner, location))) return nullptr;
  CGUnit* unit = CellToChange(owner, location).RemoveAt(k);
  if (unit == nullptr) return nullptr;
  --ownerCounters[owner].total;
  --locationCounters[location].total;
  if (unit->IsOperational()) {
    --ownerCounters[owner].operational;
    --locationCounters[location].operational;
  } else if (Unop(owner, location) != 0) {
    --Unop(owner, location);
  }
  return unit;
}

int CGGamePieceDB::IndexInCell(int owner, int location, const CGUnit* unit) const {
  const ArrayMan<CGUnit>& cell = Cell(owner, location);
  for (std::uint16_t i = 0; i < cell.count; ++i) {
    const CGUnit* u = cell.GetAt(i);
    if (u != nullptr && u->id == unit->id) {
      if (u != unit) TraceError("Another unit of the same id", __FILE__, __LINE__);
      return i;
    }
  }
  return -1;
}

int CGGamePieceDB::MoveUnit(CGUnit* unit, const std::uint16_t* newLocation) {
  if (unit == nullptr || newLocation == nullptr || *newLocation >= kPieceLocations) return 0;
  const int owner = static_cast<int>(unit->GetChapter());
  const int from = unit->location.asteroid;
  if (owner >= kPieceOwners || from >= kPieceLocations) return 0;
  const int k = IndexInCell(owner, from, unit);
  if (k < 0) return 0;
  RemoveUnitAt(static_cast<std::uint16_t>(owner), static_cast<std::uint16_t>(from), static_cast<std::uint16_t>(k));
  AddUnit(unit, static_cast<std::uint8_t>(owner), *newLocation);
  return 1;
}

int CGGamePieceDB::MarkUnitUnoperational(CGUnit* unit) {
  if (unit == nullptr) return 0;
  const int owner = static_cast<int>(unit->GetChapter());
  const int at = unit->location.asteroid;
  if (owner >= kPieceOwners || at >= kPieceLocations) return 0;
  const int k = IndexInCell(owner, at, unit);
  if (k < 0) return 0;
  RemoveUnitAt(static_cast<std::uint16_t>(owner), static_cast<std::uint16_t>(at), static_cast<std::uint16_t>(k));
  unit->unoperational = 1;
  AddUnit(unit, static_cast<std::uint8_t>(owner), static_cast<std::uint16_t>(at));
  return 1;
}

int CGGamePieceDB::DeleteUnit(std::uint32_t unitId) {
  std::uint16_t at = 0;
  CGUnit* unit = FindUnit(unitId, &at);
  if (unit == nullptr) {
    TraceError("Can't delete unit", __FILE__, __LINE__);
    return 0;
  }
  if (const UnitOrder* first = unit->GetOrder(0); first != nullptr && first->type == ORDER_DECOMMISSION) {
    unit->EndScrapOrdersOnUnit(false);
  }
  const int owner = static_cast<int>(unit->GetChapter());
  const int k = IndexInCell(owner, at, unit);
  if (k < 0) return 0;
  ForgetTargets({unit});
  delete RemoveUnitAt(static_cast<std::uint16_t>(owner), at, static_cast<std::uint16_t>(k));
  return 1;
}

void CGGamePieceDB::DeleteUnitsAt(std::uint16_t location) {
  if (location >= kPieceLocations) return;
  std::vector<const CGUnit*> gone;
  for (int owner = 0; owner < kPieceOwners; ++owner) AddCellUnits(owner, location, &gone);
  ForgetTargets(std::move(gone));
  for (int owner = 0; owner < kPieceOwners; ++owner) DestroyCell(owner, location);
  locationCounters[location] = {};
}

void CGGamePieceDB::ClearForeignUnitsInSpace() {
  if (World().ShipDisplaySetting() != 1) return;
  const std::uint16_t space = World().AsteroidCount();
  if (space >= kPieceLocations) return;
  const int local = RulesFacts().LocalChapterId();
  auto foreign = [local](int owner) {
    return owner != local && World().Chapter(static_cast<std::uint8_t>(owner)) != nullptr;
  };
  std::vector<const CGUnit*> gone;
  for (int owner = 0; owner < kPieceOwners; ++owner) {
    if (foreign(owner)) AddCellUnits(owner, space, &gone);
  }
  ForgetTargets(std::move(gone));
  for (int owner = 0; owner < kPieceOwners; ++owner) {
    if (foreign(owner)) DestroyCell(owner, space);
  }
}

void CGGamePieceDB::Recount() {
  for (int owner = 0; owner < kPieceOwners; ++owner) {
    for (int location = 0; location < kPieceLocations; ++location) {
      const ArrayMan<CGUnit>& cell = Cell(owner, location);
      std::uint16_t unop = 0;
      for (std::uint16_t i = 0; i < cell.count; ++i) {
        const CGUnit* u = cell.GetAt(i);
        if (u != nullptr && !u->IsOperational()) ++unop;
      }
      Unop(owner, location) = unop;
    }
  }
  SumCounters();
}

void CGGamePieceDB::SumCounters() {
  ownerCounters.fill({});
  locationCounters.fill({});
  for (int owner = 0; owner < kPieceOwners; ++owner) {
    for (int location = 0; location < kPieceLocations; ++location) {
      const std::uint32_t total = Cell(owner, location).count;
      const std::uint32_t operational = total - Unop(owner, location);
      ownerCounters[owner].total += total;
      ownerCounters[owner].operational += operational;
      locationCounters[location].total += total;
      locationCounters[location].operational += operational;
    }
  }
}

std::uint32_t CGGamePieceDB::CountOperationalUnits(std::uint16_t location, std::int16_t owner) const {
  if (location >= kPieceLocations) return 0;
  if (owner < 0) return locationCounters[location].operational;
  if (owner >= kPieceOwners) return 0;
  return Cell(owner, location).count - Unop(owner, location);
}

std::uint32_t CGGamePieceDB::CountUnits(std::uint16_t location, std::int16_t owner) const {
  if (location >= kPieceLocations) return 0;
  if (owner < 0) return locationCounters[location].total;
  if (owner >= kPieceOwners) return 0;
  return Cell(owner, location).count;
}

std::uint32_t CGGamePieceDB::CountOwnerUnits(std::uint16_t owner, bool operationalOnly) const {
  if (owner >= kPieceOwners) return 0;
  return operationalOnly ? ownerCounters[owner].operational : ownerCounters[owner].total;
}

int CGGamePieceDB::HasOperationalUnits(std::uint16_t location, std::uint16_t owner) const {
  if (location >= kPieceLocations || owner >= kPieceOwners) return 0;
  return Unop(owner, location) < Cell(owner, location).count ? 1 : 0;
}

CGUnit* CGGamePieceDB::GetUnitAt(std::uint16_t location, std::uint16_t owner, std::uint16_t k) const {
  if (location >= kPieceLocations || owner >= kPieceOwners) return nullptr;
  return Cell(owner, location).GetAt(k);
}

CGUnit* CGGamePieceDB::GetOperationalUnitAt(std::uint16_t location, std::uint16_t owner, std::uint16_t k) const {
  if (k >= CountOperationalUnits(location, static_cast<std::int16_t>(owner))) return nullptr;
  return GetUnitAt(location, owner, k);
}

CGUnit* CGGamePieceDB::FindInCell(std::uint16_t location, std::uint32_t unitId, bool operationalOnly) const {
  const auto owner = static_cast<int>(unitId >> 26);
  if (!ValidLocation(location) || !ValidOwner(owner)) return nullptr;
  const ArrayMan<CGUnit>& cell = Cell(owner, location);
  const auto n = static_cast<std::uint16_t>(operationalOnly ? cell.count - Unop(owner, location) : cell.count);
  for (std::uint16_t i = 0; i < n; ++i) {
    CGUnit* u = cell.GetAt(i);
    if (u != nullptr && u->id == unitId) return u;
  }
  return nullptr;
}

CGUnit* CGGamePieceDB::FindAnywhere(std::uint32_t unitId, std::uint16_t* outLocation, bool operationalOnly) const {
  const std::uint16_t last = World().AsteroidCount();
  for (std::uint32_t location = 0; location <= last && location < kPieceLocations; ++location) {
    if (CGUnit* u = FindInCell(static_cast<std::uint16_t>(location), unitId, operationalOnly)) {
      if (outLocation != nullptr) *outLocation = static_cast<std::uint16_t>(location);
      return u;
    }
  }
  return nullptr;
}

CGUnit* CGGamePieceDB::FindUnitAt(std::uint16_t location, std::uint32_t unitId) const {
  return FindInCell(location, unitId, false);
}

CGUnit* CGGamePieceDB::FindOperationalUnitAt(std::uint16_t location, std::uint32_t unitId) const {
  return FindInCell(location, unitId, true);
}

CGUnit* CGGamePieceDB::FindUnit(std::uint32_t unitId, std::uint16_t* outLocation) const {
  return FindAnywhere(unitId, outLocation, false);
}

CGUnit* CGGamePieceDB::FindOperationalUnit(std::uint32_t unitId, std::uint16_t* outLocation) const {
  return FindAnywhere(unitId, outLocation, true);
}

int CGGamePieceDB::HasSingleMovingUnit(std::uint16_t location, std::uint16_t owner) const {
  if (!ValidLocation(location) || !ValidOwner(owner)) return 0;
  if (CountOperationalUnits(location, static_cast<std::int16_t>(owner)) != 1) return 0;
  const UnitOrder* first = Cell(owner, location).GetAt(0)->GetOrder(0);
  return first != nullptr && (first->type == ORDER_MOVE_TO_ASTEROID || first->type == ORDER_MOVE_NEXT_TO_ASTEROID) ? 1
                                                                                                                   : 0;
}

CGUnit* CGGamePieceDB::FindNearestUnit(const Location* loc, std::uint32_t excludedId, std::uint32_t* outDistSq,
                                       int includeUnoperational) const {
  std::uint32_t best = 0xFFFFFFFFu;
  CGUnit* found = nullptr;
  if (loc != nullptr && loc->asteroid < kPieceLocations) {
    const int limit = std::min(ChapterLimit(), kPieceOwners);
    for (int owner = 0; owner < limit; ++owner) {
      const ArrayMan<CGUnit>& cell = Cell(owner, loc->asteroid);
      const std::uint16_t n =
          includeUnoperational != 0 ? cell.count : static_cast<std::uint16_t>(cell.count - Unop(owner, loc->asteroid));
      for (std::uint16_t i = 0; i < n; ++i) {
        CGUnit* u = cell.GetAt(i);
        if (u == nullptr || u->id == excludedId) continue;
        const std::uint32_t d = GetLocationDistanceSq(loc, &u->location);
        if (d < best) {
          best = d;
          found = u;
        }
      }
    }
  }
  if (outDistSq != nullptr) *outDistSq = best;
  return found;
}

bool CGGamePieceDB::IsAllied(std::uint32_t ownChapter, std::uint32_t otherChapter) const {
  const auto own = static_cast<std::uint8_t>(ownChapter);
  const auto other = static_cast<std::uint8_t>(otherChapter);
  return (ownChapter >> 3) == (otherChapter >> 3) && World().InOneCamp(own, other);
}

template <class F>
void CGGamePieceDB::ForEachOperationalEnemy(const Location* loc, std::uint32_t ownChapter, F&& visit) const {
  if (loc == nullptr || loc->asteroid >= kPieceLocations) return;
  const int limit = std::min(ChapterLimit(), kPieceOwners);
  for (int owner = 0; owner < limit; ++owner) {
    if (static_cast<std::uint32_t>(owner) == ownChapter || IsAllied(ownChapter, static_cast<std::uint32_t>(owner))) {
      continue;
    }
    const ArrayMan<CGUnit>& cell = Cell(owner, loc->asteroid);
    const auto n = static_cast<std::uint16_t>(cell.count - Unop(owner, loc->asteroid));
    for (std::uint16_t i = 0; i < n; ++i) {
      if (CGUnit* u = cell.GetAt(i)) visit(u);
    }
  }
}

CGUnit* CGGamePieceDB::FindNearestEnemyUnit(const Location* loc, std::uint32_t ownUnitId,
                                            std::uint32_t* outDistSq) const {
  std::uint32_t best = 0xFFFFFFFFu;
  CGUnit* found = nullptr;
  ForEachOperationalEnemy(loc, ownUnitId >> 26, [&](CGUnit* u) {
    if (u->id == ownUnitId) return;
    const std::uint32_t d = GetLocationDistanceSq(loc, &u->location);
    if (d < best) {
      best = d;
      found = u;
    }
  });
  if (outDistSq != nullptr) *outDistSq = best;
  return found;
}

CGUnit* CGGamePieceDB::FindBattleTarget(const Location* loc, const CGUnit* unit, std::uint32_t* outDistSq,
                                        const std::uint8_t plan[5]) const {
  if (outDistSq != nullptr) *outDistSq = 0xFFFFFFFFu;
  if (loc == nullptr || unit == nullptr || plan == nullptr || plan[2] != 0) return nullptr;
  if (plan[0] == 0) return FindNearestEnemyUnit(loc, unit->id, outDistSq);
  std::uint32_t best = 0xFFFFFFFFu;
  CGUnit* match = nullptr;
  std::uint32_t fallbackBest = 0xFFFFFFFFu;
  CGUnit* fallback = nullptr;
  ForEachOperationalEnemy(loc, unit->GetChapter(), [&](CGUnit* u) {
    if (u == unit) return;
    const bool matches = (plan[0] == 1 && u->GetAtvCapacity() != 0) || (plan[0] == 2 && u->GetAttackStrength() != 0) ||
                         (plan[0] == 3 && u->GetConstructionCapacity() != 0);
    const std::uint32_t d = GetLocationDistanceSq(loc, &u->location);
    if (matches) {
      if (d < best) {
        best = d;
        match = u;
      }
    } else if (match == nullptr && plan[1] != 0 && d < fallbackBest) {
      fallbackBest = d;
      fallback = u;
    }
  });
  if (match != nullptr) {
    if (outDistSq != nullptr) *outDistSq = best;
    return match;
  }
  if (fallback != nullptr && outDistSq != nullptr) *outDistSq = fallbackBest;
  return fallback;
}

std::uint32_t CGGamePieceDB::IsAsteroidOwnedBy(std::uint16_t owner, std::uint16_t asteroid) {
  const CGAsteroid* a = World().Asteroid(asteroid);
  return a != nullptr && a->owner == owner ? 0xFFFFFFFFu : 0u;
}

void CGGamePieceDB::DetectAsteroidsNearUnitsInSpace(bool silent) {
  const std::uint16_t count = World().AsteroidCount();
  const int local = RulesFacts().LocalChapterId();
  if (count >= kPieceLocations || local >= kPieceOwners) return;
  const ArrayMan<CGUnit>& cell = Cell(local, count);
  for (std::uint16_t i = 0; i < cell.count; ++i) {
    const CGUnit* u = cell.GetAt(i);
    if (u == nullptr) continue;
    for (std::uint16_t a = 0; a < count; ++a) {
      CGAsteroid* asteroid = World().Asteroid(a);
      if (asteroid == nullptr || asteroid->detected != 0) continue;
      Location position;
      if (!World().AsteroidPosition(a, &position)) continue;
      position.asteroid = u->location.asteroid;
      if (GetLocationRangeSq(&u->location, &position) >= kDetectRangeSq) continue;
      asteroid->detected = 1;
      if (!silent) {
        World().Notify(static_cast<std::uint16_t>(local), notify::kGameEvent, notify::kAsteroidLocated, nullptr,
                       nullptr, static_cast<std::uint16_t>(local), a, 0xFFFFFFFFu);
      }
    }
  }
}

int CGGamePieceDB::EditSelectionBattlePlan() {
  const int count = World().SelectionCount();
  std::uint16_t location = 0;
  std::uint32_t unitId = 0;
  if (count <= 0 || !World().SelectedAt(0, &location, &unitId)) return 0;
  CGUnit* firstUnit = FindUnitAt(location, unitId);
  if (firstUnit == nullptr) return 0;
  BattlePlanPacket plan;
  firstUnit->BuildBattlePlanPacket(&plan);
  if (!ClientShell().RunGroupBattlePlanDialog(plan)) return 1;
  for (int i = 0; i < count; ++i) {
    CGUnit* unit = World().SelectedAt(i, &location, &unitId) ? FindUnitAt(location, unitId) : nullptr;
    if (unit == nullptr) {
      TraceError("Set BP error", __FILE__, __LINE__);
      continue;
    }
    BattlePlanPacket own = plan;
    own.unitId = unit->id;
    own.asteroid = unit->location.asteroid;
    for (int s = 0; s < kUnitSlots; ++s) own.firingLevels[s] = unit->GetFiringLevel(s);
    unit->ApplyBattlePlanPacket(own);
    CGUnit::SendBattlePlanPacket(own);
  }
  return 1;
}

int CGGamePieceDB::Save(plat::FILE* fp) const {
  BlockWriter w(fp);
  return Save(w);
}

int CGGamePieceDB::Save(BlockWriter& w) const {
  const std::uint16_t last = World().AsteroidCount();
  for (int owner = 0; owner < kPieceOwners; ++owner) {
    for (int location = 0; location <= last && location < kPieceLocations; ++location) {
      const ArrayMan<CGUnit>& cell = Cell(owner, location);
      if (!w.U32(cell.count)) return 0;
      for (std::uint16_t i = 0; i < cell.count; ++i) {
        CGUnit* u = cell.GetAt(i);
        if (u == nullptr || u->Save(w) == 0) return 0;
      }
    }
  }
  return 1;
}

int CGGamePieceDB::Load(plat::FILE* fp) {
  BlockReader r(fp);
  return Load(r);
}

namespace {

// Whether two units' module states are the same, compared eight bytes at a
// time in line: a call to the library's compare for every unit loaded costs
// more than the compare.
bool SameStates(const std::uint8_t* a, const std::uint8_t* b) {
  static_assert(kUnitStatesSize >= 8);
  const auto word = [](const std::uint8_t* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
  };
  std::uint64_t differ = 0;
  for (std::size_t at = 0; at + 8 <= kUnitStatesSize; at += 8) differ |= word(a + at) ^ word(b + at);
  // The last eight bytes, over the last word's when the size is no multiple of eight.
  differ |= word(a + kUnitStatesSize - 8) ^ word(b + kUnitStatesSize - 8);
  return differ == 0;
}

// A unit's statistics follow from its design and its modules' states alone,
// and a chapter's units come in one after another, mostly of a few designs
// and with their modules as built: the last unit's statistics serve the next
// unit with the same design and states.
class StatsOfLastUnit {
 public:
  // `saved` is the unit's module states as its block holds them, which its
  // load copied into it. They are compared there: the unit was just written
  // all over, and reading its memory back would wait for it to come in.
  void Apply(CGUnit& unit, std::span<const std::uint8_t, kUnitStatesSize> saved) {
    static_assert(sizeof(ModuleSlotState) == 3 && sizeof unit.modules == kUnitStatesSize &&
                  std::is_trivially_copyable_v<ModuleSlotState>);
    if (m_last != nullptr && m_last->design == unit.design && SameStates(saved.data(), m_states.data())) {
      unit.modules = m_last->modules;
      unit.percents = m_last->percents;
    } else {
      std::memcpy(m_states.data(), saved.data(), kUnitStatesSize);
      unit.RecomputeStats(0);
    }
    m_last = &unit;
  }

 private:
  const CGUnit* m_last = nullptr;
  // The last unit's module states before its statistics were worked out.
  std::array<std::uint8_t, kUnitStatesSize> m_states{};
};

// How many of the (at most `most`) u32 counts at the front of `bytes` are
// zero, eight bytes at a time.
std::size_t LeadingZeroCounts(std::span<const std::uint8_t> bytes, std::size_t most) {
  const std::size_t words = std::min(most, bytes.size() / 4);
  const std::uint8_t* p = bytes.data();
  std::size_t n = 0;
  for (; n + 2 <= words; n += 2) {
    std::uint64_t pair;
    std::memcpy(&pair, p + 4 * n, sizeof pair);
    if (pair != 0) break;
  }
  for (; n < words; ++n) {
    std::uint32_t one;
    std::memcpy(&one, p + 4 * n, sizeof one);
    if (one != 0) break;
  }
  return n;
}

}  // namespace

int CGGamePieceDB::Load(BlockReader& r) {
  // Each unit's statistics and its cell's operational count are worked out as
  // the unit comes in, while its bytes are at hand: a saved game holds
  // thousands of units, and every later pass over them all costs a miss per
  // unit. Only the units with orders need a second look, once every unit is
  // in, for the units their orders name.
  const std::uint16_t last = World().AsteroidCount();
  std::vector<CGUnit*> withOrders;
  StatsOfLastUnit lastStats;
  DesignRefs designRefs;
  UnitMaker maker;
  // The counters are added up cell by cell as the (empty) cells fill.
  const int locations = std::min<int>(last + 1, kPieceLocations);
  for (int owner = 0; owner < kPieceOwners; ++owner) {
    for (int location = 0; location < locations; ++location) {
      // Most cells are empty: a run of zero counts is passed over whole.
      if (const std::size_t empty = LeadingZeroCounts(r.Rest(), static_cast<std::size_t>(locations - location));
          empty != 0) {
        r.Skip(empty * 4);
        location += static_cast<int>(empty) - 1;
        continue;
      }
      std::uint8_t scratch[4];
      const auto count = r.Block(scratch);
      const std::uint32_t n = count.empty() ? 0 : plat::DecodeLE<std::uint32_t>(count.first<4>());
      if (count.empty() || n > 0xFFFE) {
        Recount();
        return 0;
      }
      if (n == 0) continue;
      ArrayMan<CGUnit>& cell = CellToChange(owner, location);
      // A unit is its version byte and fixed head at the least.
      ReserveForBlock(cell, n, r, 1 + kUnitHeadSize);
      std::uint16_t unop = 0;
      bool partitioned = true;
      for (std::uint32_t i = 0; i < n; ++i) {
        auto unit = maker.Make();
        const std::span<const std::uint8_t> block = r.Rest();
        if (unit->Load(r, &designRefs) == 0) {
          Recount();
          return 0;
        }
        // Read from memory, the block is at hand; from a file, the unit holds
        // the states its block had.
        std::array<std::uint8_t, kUnitStatesSize> states;
        if (block.size() >= kUnitStatesAt + kUnitStatesSize) {
          lastStats.Apply(*unit, block.subspan(kUnitStatesAt).first<kUnitStatesSize>());
        } else {
          std::memcpy(states.data(), unit->modules.data(), kUnitStatesSize);
          lastStats.Apply(*unit, states);
        }
        if (unit->GetOrderCount() != 0) withOrders.push_back(unit.get());
        // A file whose cell lists an operational unit after an unoperational
        // one would break the order every query relies on.
        if (!unit->IsOperational())
          ++unop;
        else if (unop != 0)
          partitioned = false;
        cell.SetAt(unit.release(), ArrayMan<CGUnit>::kAtEnd);
      }
      if (!partitioned) {
        const auto operational = [](const CGUnit* u) { return u != nullptr && u->IsOperational(); };
        std::stable_partition(cell.items.get(), cell.items.get() + cell.count, operational);
      }
      Unop(owner, location) = unop;
      ownerCounters[owner].total += n;
      ownerCounters[owner].operational += n - unop;
      locationCounters[location].total += n;
      locationCounters[location].operational += n - unop;
    }
  }
  for (CGUnit* u : withOrders) u->ResolveOrderTargets();
  return 1;
}
