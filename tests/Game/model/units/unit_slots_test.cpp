// Units live in blocks of slots that destroyed units hand back. Made and
// destroyed in a shuffled order across several blocks, every unit alive must
// have a place of its own and keep what it holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "Game/arrayman/SlotBlocks.h"  // QUEN_SLOTS_FROM_HEAP: units are heap blocks of their own
#include "Game/model/GUnitMaker.h"
#include "tests/Game/model/units/units_fixture.h"

namespace units_test {
namespace {

class UnitSlots : public UnitWorld {
 protected:
  std::unique_ptr<CGUnit> Made(int n) {
    auto unit = std::make_unique<CGUnit>();
    unit->id = 0x5000000u + static_cast<std::uint32_t>(n);
    unit->SetName(("Unit number " + std::to_string(n) + " of the slot test").c_str());
    unit->hullDamage = static_cast<std::uint8_t>(n);
    return unit;
  }
  static void ExpectIntact(const std::vector<std::pair<int, std::unique_ptr<CGUnit>>>& alive) {
    std::set<const CGUnit*> places;
    for (const auto& [n, unit] : alive) {
      EXPECT_TRUE(places.insert(unit.get()).second) << "two live units share a place: " << n;
      EXPECT_EQ(unit->id, 0x5000000u + static_cast<std::uint32_t>(n));
      EXPECT_EQ(unit->name, "Unit number " + std::to_string(n) + " of the slot test");
      EXPECT_EQ(unit->hullDamage, static_cast<std::uint8_t>(n));
    }
  }
};

TEST_F(UnitSlots, UnitsMadeAndDestroyedInAnyOrderKeepTheirOwnPlaces) {
  std::mt19937 random(57);
  std::vector<std::pair<int, std::unique_ptr<CGUnit>>> alive;
  int next = 0;
  // Past the first blocks (64, then 128 and 256 units), then back down and up again.
  for (int round = 0; round < 6; ++round) {
    const int make = round % 2 == 0 ? 400 : 150;
    for (int i = 0; i < make; ++i) {
      alive.emplace_back(next, Made(next));
      ++next;
    }
    std::shuffle(alive.begin(), alive.end(), random);
    alive.resize(alive.size() * 2 / 3);
    ExpectIntact(alive);
  }
  // Units in the game-piece database go the same way.
  const Location at{1, 10, 20, 30};
  CGUnitTemplate* design = Builder();
  std::vector<std::uint32_t> ids;
  for (int i = 0; i < 100; ++i) ids.push_back(Unit(design, at)->id);
  for (std::size_t i = 0; i < ids.size(); i += 2) ASSERT_EQ(pieces.DeleteUnit(ids[i]), 1);
  for (int i = 0; i < 50; ++i) Unit(design, at);
  EXPECT_EQ(pieces.CountUnits(1, 0), 100u);
  ExpectIntact(alive);
}

// A maker's units, and units made by new while it holds the free slots,
// have places of their own; the slots a maker did not use go back to the
// pool, ahead of a slot given back while it lived.
TEST_F(UnitSlots, AMakersUnitsKeepTheirPlacesAndItsUnusedSlotsGoBack) {
  std::vector<std::pair<int, std::unique_ptr<CGUnit>>> alive;
  for (int n = 0; n < 600; n += 3) alive.emplace_back(n, Made(n));
  alive.resize(50);                         // 150 slots free
  [[maybe_unused]] void* second = nullptr;  // looked for only where units come from slots
  {
    UnitMaker maker;
    for (int n = 1; n < 600; n += 3) {
      auto unit = maker.Make();
      unit->id = 0x5000000u + static_cast<std::uint32_t>(n);
      unit->SetName(("Unit number " + std::to_string(n) + " of the slot test").c_str());
      unit->hullDamage = static_cast<std::uint8_t>(n);
      alive.emplace_back(n, std::move(unit));
      alive.emplace_back(n + 1, Made(n + 1));
    }
    second = maker.Make().get();
  }
  ExpectIntact(alive);
#ifndef QUEN_SLOTS_FROM_HEAP
  std::vector<std::unique_ptr<CGUnit>> rest;
  for (auto unit = std::make_unique<CGUnit>(); unit.get() != second && rest.size() < 100000;
       unit = std::make_unique<CGUnit>())
    rest.push_back(std::move(unit));
  EXPECT_GT(rest.size(), 0u);
  EXPECT_LT(rest.size(), 100000u);
#endif
}

// A breaker destroys each unit as it is given (its design is released then),
// and the slots come back together when it goes, in the order deleting the
// units one by one would have left them: the last one destroyed is the next
// one taken. Units made meanwhile keep places of their own.
TEST_F(UnitSlots, ABreakersUnitsGoAtOnceAndTheirSlotsComeBackInOrder) {
  CGUnitTemplate* design = Builder();
  const std::int32_t before = design->references;
  std::vector<std::pair<int, std::unique_ptr<CGUnit>>> alive;
  std::vector<CGUnit*> doomed;
  for (int n = 0; n < 300; ++n) {
    if (n % 3 == 0) {
      CGUnit* unit = Made(n).release();
      unit->design = design;
      ++design->references;
      doomed.push_back(unit);
    } else {
      alive.emplace_back(n, Made(n));
    }
  }
  ASSERT_EQ(design->references, before + 100);
  {
    UnitBreaker breaker;
    for (CGUnit* unit : doomed) {
      breaker.Destroy(unit);
      const int n = 1000 + static_cast<int>(alive.size());
      alive.emplace_back(n, Made(n));
    }
    breaker.Destroy(nullptr);
    EXPECT_EQ(design->references, before) << "every unit is destroyed as it is given";
  }
  ExpectIntact(alive);
#ifndef QUEN_SLOTS_FROM_HEAP
  std::vector<std::unique_ptr<CGUnit>> again;
  for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) {
    again.push_back(std::make_unique<CGUnit>());
    EXPECT_EQ(again.back().get(), *it) << "the slot of doomed unit " << (doomed.rend() - it - 1);
  }
#endif
}

}  // namespace
}  // namespace units_test
