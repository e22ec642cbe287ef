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

#include "Game/arrayman/SlotBlocks.h"
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

// A maker's units, made many at a time as a load makes them and destroyed
// in any order, have places of their own, as have units made by new while a
// maker holds the free slots; the slots a maker did not use go back to the
// pool.
TEST_F(UnitSlots, AMakersUnitsKeepTheirPlacesAndItsUnusedSlotsGoBack) {
  std::mt19937 random(57);
  std::vector<std::pair<int, std::unique_ptr<CGUnit>>> alive;
  int next = 0;
  for (int round = 0; round < 4; ++round) {
    UnitMaker maker;
    for (int i = 0; i < 300; ++i) {
      auto unit = maker.Make();
      ASSERT_NE(unit, nullptr);
      EXPECT_EQ(unit->GetOrderCount(), 0);
      EXPECT_EQ(unit->design, nullptr);
      unit->id = 0x5000000u + static_cast<std::uint32_t>(next);
      unit->SetName(("Unit number " + std::to_string(next) + " of the slot test").c_str());
      unit->hullDamage = static_cast<std::uint8_t>(next);
      alive.emplace_back(next++, std::move(unit));
      if (i % 50 == 0) {
        alive.emplace_back(next, Made(next));
        ++next;
      }
    }
    std::shuffle(alive.begin(), alive.end(), random);
    alive.resize(alive.size() / 2);
    ExpectIntact(alive);
  }
#ifndef QUEN_SLOTS_FROM_HEAP
  // Half the units destroyed above left their slots free: a maker takes them
  // all, and gives back all but the two it used. The second goes back by
  // itself, behind the maker's rest: as many units as the maker left unused
  // are made by new before one takes it.
  void* second = nullptr;
  std::unique_ptr<CGUnit> first;
  {
    UnitMaker maker;
    first = maker.Make();
    auto unit = maker.Make();
    second = unit.get();
  }
  std::vector<std::unique_ptr<CGUnit>> rest;
  for (auto unit = std::make_unique<CGUnit>(); unit.get() != second && rest.size() < 1000000;
       unit = std::make_unique<CGUnit>())
    rest.push_back(std::move(unit));
  EXPECT_GT(rest.size(), 100u);
  EXPECT_LT(rest.size(), 1000000u);
#endif
  ExpectIntact(alive);
}

}  // namespace
}  // namespace units_test
