#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <span>

#include "Game/base/GBlockStream.h"
#include "tests/Game/model/units/units_fixture.h"

namespace units_test {
namespace {

class GamePieceTest : public UnitWorld {
 protected:
  // Every counter against a scan of the cells.
  void ExpectCountersMatchAScan() const {
    for (std::uint16_t loc = 0; loc <= g_numAsteroids; ++loc) {
      std::uint32_t total = 0;
      std::uint32_t operational = 0;
      for (std::int16_t owner = 0; owner < kPieceOwners; ++owner) {
        std::uint32_t inCell = 0;
        std::uint32_t opInCell = 0;
        bool seenUnoperational = false;
        for (std::uint16_t k = 0; CGUnit* u = pieces.GetUnitAt(loc, owner, k); ++k) {
          ++inCell;
          EXPECT_EQ(u->location.asteroid, loc);
          EXPECT_EQ(u->GetChapter(), static_cast<std::uint32_t>(owner));
          if (u->IsOperational()) {
            ASSERT_FALSE(seenUnoperational) << "an operational unit behind an unoperational one";
            ++opInCell;
          } else {
            seenUnoperational = true;
          }
        }
        ASSERT_EQ(pieces.CountUnits(loc, owner), inCell);
        ASSERT_EQ(pieces.CountOperationalUnits(loc, owner), opInCell);
        total += inCell;
        operational += opInCell;
      }
      ASSERT_EQ(pieces.CountUnits(loc, -1), total) << loc;
      ASSERT_EQ(pieces.CountOperationalUnits(loc, -1), operational) << loc;
    }
  }
};

TEST_F(GamePieceTest, CountersAgreeWithAScanAfterThousandsOfChanges) {
  CGUnitTemplate* design = Design(0, {kComputer, kDrive});
  std::mt19937 random(7);
  std::vector<std::uint32_t> ids;
  std::uint32_t serial = 0;
  for (int step = 0; step < 6000; ++step) {
    const int action = ids.empty() ? 0 : static_cast<int>(random() % 6);
    if (action <= 1) {
      const auto chapter = static_cast<std::uint8_t>(random() % kPieceOwners);
      const Location at{static_cast<std::uint16_t>(random() % (g_numAsteroids + 1)), 0, 0, 0};
      const std::uint32_t id = (std::uint32_t{chapter} << 26) | ++serial;
      ASSERT_NE(pieces.CreateUnit(design, &at, chapter, id), nullptr);
      ids.push_back(id);
      continue;
    }
    const std::size_t pick = random() % ids.size();
    CGUnit* u = pieces.FindUnit(ids[pick], nullptr);
    ASSERT_NE(u, nullptr);
    if (action == 2 || action == 3) {
      const Location to{static_cast<std::uint16_t>(random() % (g_numAsteroids + 1)), 1, 2, 3};
      u->SetLocation(&to);
    } else if (action == 4) {
      EXPECT_EQ(pieces.MarkUnitUnoperational(u), 1);
    } else {
      EXPECT_EQ(pieces.DeleteUnit(ids[pick]), 1);
      ids.erase(ids.begin() + static_cast<std::ptrdiff_t>(pick));
    }
  }
  ExpectCountersMatchAScan();
  std::uint32_t all = 0;
  for (std::uint16_t owner = 0; owner < kPieceOwners; ++owner) all += pieces.CountOwnerUnits(owner, false);
  EXPECT_EQ(all, ids.size());
  pieces.Recount();
  ExpectCountersMatchAScan();
  pieces.DeleteUnitsAt(2);
  EXPECT_EQ(pieces.CountUnits(2, -1), 0u);
  ExpectCountersMatchAScan();
}

// A chapter and place where no unit was ever filed has none to give or to
// destroy, and asking it leaves every other cell and every counter as it was.
TEST_F(GamePieceTest, CellsNoUnitWasEverFiledInGiveNoneAndLoseNone) {
  space.MakeSpace(150, kPlaces);
  CGUnitTemplate* design = Design(2, {kComputer});
  const Location at{9, 0, 0, 0};
  CGUnit* unit = pieces.CreateUnit(design, &at, 2, (2u << 26) | 1);
  ASSERT_NE(unit, nullptr);
  EXPECT_EQ(pieces.RemoveUnitAt(3, 9, 0), nullptr);
  EXPECT_EQ(pieces.RemoveUnitAt(2, 10, 0), nullptr);
  EXPECT_EQ(pieces.GetUnitAt(10, 2, 0), nullptr);
  pieces.DeleteUnitsAt(10);
  EXPECT_EQ(pieces.GetUnitAt(9, 2, 0), unit);
  EXPECT_EQ(pieces.CountUnits(9, -1), 1u);
  EXPECT_EQ(pieces.CountOwnerUnits(2, false), 1u);
  ExpectCountersMatchAScan();
  // Emptied and used again, a cell files its units as before.
  pieces.DeleteUnitsAt(9);
  EXPECT_EQ(pieces.CountOwnerUnits(2, false), 0u);
  ASSERT_NE(pieces.CreateUnit(design, &at, 2, (2u << 26) | 2), nullptr);
  EXPECT_EQ(pieces.CountUnits(9, 2), 1u);
  ExpectCountersMatchAScan();
}

TEST_F(GamePieceTest, OperationalUnitsStayAheadOfUnoperationalOnes) {
  CGUnitTemplate* design = Design(0, {kComputer});
  CGUnit* a = Unit(design, {1, 0, 0, 0});
  CGUnit* b = Unit(design, {1, 0, 0, 0});
  pieces.MarkUnitUnoperational(a);
  pieces.MarkUnitUnoperational(b);
  CGUnit* c = Unit(design, {1, 0, 0, 0});
  EXPECT_EQ(pieces.GetUnitAt(1, 0, 0), c);  // count - 2 = index 0
  EXPECT_EQ(pieces.GetOperationalUnitAt(1, 0, 0), c);
  EXPECT_EQ(pieces.GetOperationalUnitAt(1, 0, 1), nullptr);
  EXPECT_EQ(pieces.FindOperationalUnitAt(1, a->id), nullptr);
  EXPECT_EQ(pieces.FindUnitAt(1, a->id), a);
  EXPECT_EQ(pieces.HasOperationalUnits(1, 0), 1);
  EXPECT_EQ(pieces.RemoveUnitAt(0, 1, 7), nullptr);
  EXPECT_EQ(pieces.FindUnit((40u << 26) | 1, nullptr), nullptr);
  std::uint16_t where = 99;
  EXPECT_EQ(pieces.FindOperationalUnit(c->id, &where), c);
  EXPECT_EQ(where, 1);
}

TEST_F(GamePieceTest, SingleMovingUnit) {
  CGUnit* u = Unit(Design(0, {kComputer, kDrive}), {1, 0, 0, 0});
  EXPECT_EQ(pieces.HasSingleMovingUnit(1, 0), 0);
  u->OrderOnAsteroid(ORDER_MOVE_TO_ASTEROID, 2, kInsertReplace);
  EXPECT_EQ(pieces.HasSingleMovingUnit(1, 0), 1);
  Unit(u->design, {1, 0, 0, 0});
  EXPECT_EQ(pieces.HasSingleMovingUnit(1, 0), 0);
  EXPECT_EQ(pieces.HasSingleMovingUnit(9, 0), 0);
}

TEST_F(GamePieceTest, NearestUnitsEnemiesAndBattleTargets) {
  CGUnitTemplate* hauler = Design(8, {kComputer, kTransport});  // unarmed, carries ATVs
  CGUnitTemplate* gunboat = Design(9, {kComputer, kWeapon});
  CGUnit* own = Unit(Design(0, {kComputer, kWeapon}), {1, 0, 0, 0}, 0);
  CGUnit* friendInGuild = Unit(Design(1, {kComputer}), {1, 10, 0, 0}, 1);
  CGUnit* near = Unit(hauler, {1, 100, 0, 0}, 8);
  CGUnit* far = Unit(gunboat, {1, 0, 900, 0}, 9);
  const Location at = own->location;
  std::uint32_t d = 0;
  EXPECT_EQ(pieces.FindNearestUnit(&at, own->id, &d, 0), friendInGuild);
  EXPECT_EQ(d, 100u);
  EXPECT_EQ(pieces.FindNearestEnemyUnit(&at, own->id, &d), near);
  EXPECT_EQ(d, 10000u);
  space.guilds.GetChapter(1)->renegade = 1;
  EXPECT_EQ(pieces.FindNearestEnemyUnit(&at, own->id, &d), friendInGuild);
  space.guilds.GetChapter(1)->renegade = 0;

  const std::uint8_t armed[5] = {2, 0, 0, 0, 0};
  EXPECT_EQ(pieces.FindBattleTarget(&at, own, &d, armed), far);
  const std::uint8_t carriers[5] = {1, 0, 0, 0, 0};
  EXPECT_EQ(pieces.FindBattleTarget(&at, own, &d, carriers), near);
  const std::uint8_t primaryOnly[5] = {0, 0, 1, 0, 0};
  EXPECT_EQ(pieces.FindBattleTarget(&at, own, &d, primaryOnly), nullptr);
  pieces.DeleteUnit(far->id);
  EXPECT_EQ(pieces.FindBattleTarget(&at, own, &d, armed), nullptr);
  const std::uint8_t armedOrClosest[5] = {2, 1, 0, 0, 0};
  EXPECT_EQ(pieces.FindBattleTarget(&at, own, &d, armedOrClosest), near);
}

TEST_F(GamePieceTest, SaveAndLoadKeepCellsAndCounters) {
  CGUnitTemplate* design = Design(4, {kComputer, kDrive});
  CGUnit* a = Unit(design, {0, 1, 2, 3}, 4);
  CGUnit* b = Unit(design, {4, 1, 2, 3}, 4);
  CGUnit* c = Unit(design, {0, 5, 5, 5}, 4);
  pieces.MarkUnitUnoperational(a);
  b->OrderOnUnit(ORDER_GO_TO_UNIT, c, kInsertReplace);
  b->GetOrder(1)->target = c;
  const std::string bytes = box.SavedOf(pieces);

  auto loaded = std::make_unique<CGGamePieceDB>();
  links.pieces = loaded.get();
  ASSERT_EQ(box.LoadedInto(*loaded, bytes), 1);
  EXPECT_EQ(loaded->CountUnits(0, 4), 2u);
  EXPECT_EQ(loaded->CountOperationalUnits(0, -1), 1u);
  EXPECT_EQ(loaded->GetUnitAt(0, 4, 0)->id, c->id);
  CGUnit* b2 = loaded->FindUnit(b->id, nullptr);
  ASSERT_NE(b2, nullptr);
  EXPECT_EQ(b2->GetOrder(1)->target, loaded->FindUnit(c->id, nullptr));
  EXPECT_EQ(b2->percents, b->percents);
  EXPECT_EQ(box.SavedOf(*loaded, "again.bin"), bytes);
  links.pieces = &pieces;

  CGGamePieceDB shortOne;
  EXPECT_EQ(box.LoadedInto(shortOne, bytes.substr(0, bytes.size() - 3)), 0);
  EXPECT_EQ(shortOne.CountUnits(0, -1), 2u);  // counters match what was read
  EXPECT_EQ(shortOne.CountOperationalUnits(0, -1), 1u);
}

// A load counts its units cell by cell as they come in: every counter must
// agree with the units the cells hold.
TEST_F(GamePieceTest, ALoadCountsEveryOwnerAndPlaceAsItsCellsHoldThem) {
  CGUnitTemplate* design = Design(0, {kComputer, kDrive});
  std::mt19937 random(11);
  constexpr std::uint32_t kUnits = 900;
  for (std::uint32_t serial = 1; serial <= kUnits; ++serial) {
    const auto chapter = static_cast<std::uint8_t>(random() % kPieceOwners);
    const Location at{static_cast<std::uint16_t>(random() % (g_numAsteroids + 1)), 0, 0, 0};
    CGUnit* u = pieces.CreateUnit(design, &at, chapter, (std::uint32_t{chapter} << 26) | serial);
    ASSERT_NE(u, nullptr);
    if (random() % 3 == 0) pieces.MarkUnitUnoperational(u);
  }
  ExpectCountersMatchAScan();
  const std::string bytes = box.SavedOf(pieces);
  auto loaded = std::make_unique<CGGamePieceDB>();
  links.pieces = loaded.get();
  const auto expectCountersOfCells = [&] {
    std::uint32_t all = 0;
    std::uint32_t allOperational = 0;
    std::vector<std::uint32_t> ownerTotal(kPieceOwners), ownerOperational(kPieceOwners);
    for (std::uint16_t loc = 0; loc <= g_numAsteroids; ++loc) {
      std::uint32_t total = 0;
      std::uint32_t operational = 0;
      for (std::uint16_t owner = 0; owner < kPieceOwners; ++owner) {
        for (std::uint16_t k = 0; const CGUnit* u = loaded->GetUnitAt(loc, owner, k); ++k) {
          ++total;
          ++ownerTotal[owner];
          if (u->IsOperational()) {
            ++operational;
            ++ownerOperational[owner];
          }
        }
      }
      EXPECT_EQ(loaded->CountUnits(loc, -1), total) << loc;
      EXPECT_EQ(loaded->CountOperationalUnits(loc, -1), operational) << loc;
      all += total;
      allOperational += operational;
    }
    for (std::uint16_t owner = 0; owner < kPieceOwners; ++owner) {
      EXPECT_EQ(loaded->CountOwnerUnits(owner, false), ownerTotal[owner]) << owner;
      EXPECT_EQ(loaded->CountOwnerUnits(owner, true), ownerOperational[owner]) << owner;
    }
    EXPECT_EQ(all, kUnits);
    EXPECT_GT(allOperational, 0u);
    EXPECT_LT(allOperational, all);
  };
  ASSERT_EQ(box.LoadedInto(*loaded, bytes), 1);
  expectCountersOfCells();
  links.pieces = &pieces;
}

// Units loaded one after another share their statistics when their design
// and module states agree; every loaded unit must still have what working
// them out afresh gives, a damage above a slot's capacity cut back included.
TEST_F(GamePieceTest, LoadedUnitsHaveTheStatisticsTheirStatesGive) {
  CGUnitTemplate* builder = Builder(3);
  // Two designs whose fresh units have the same module states but not the
  // same modules.
  CGUnitTemplate* scout = Design(3, {kComputer, kScout, kDrive});
  CGUnitTemplate* yard = Design(3, {kComputer, kConstruction, kDrive});
  // Every slot fitted, a weapon in each of the last two: units that differ
  // in those slots' states alone differ in their statistics.
  std::vector<std::uint16_t> full(kUnitSlots - 2, kComputer);
  full.push_back(kWeapon);
  full.push_back(kWeapon);
  CGUnitTemplate* gunship = Design(3, full);
  std::vector<CGUnit*> made;
  for (CGUnitTemplate* d : {builder, builder, builder, scout, yard, builder, builder, builder, builder, builder,
                            gunship, gunship, gunship, gunship})
    made.push_back(Unit(d, {0, 1, 2, 3}, 3));
  made[1]->modules[2].damage = 7;
  made[2]->modules[2].damage = 7;  // the same states as the unit before it
  made[7]->modules[6].SetFiringLevel(0);
  made[8]->modules[1].damage = 3;
  made[11]->modules[kUnitSlots - 1].damage = 40;  // the last slot only
  made[12]->modules[kUnitSlots - 2].ammo = 3;     // the slot before it only
  made[13]->modules[kUnitSlots - 2].ammo = 3;
  for (CGUnit* u : made) u->RecomputeStats();
  // Beyond the slot's capacity, as a saved game may hold it.
  made[5]->modules[0].damage = 250;
  made[6]->modules[0].damage = 250;
  const std::string bytes = box.SavedOf(pieces);
  made[5]->RecomputeStats();
  made[6]->RecomputeStats();

  // From a file, and from memory, where the states are compared in the
  // saved bytes.
  for (const bool fromMemory : {false, true}) {
    SCOPED_TRACE(fromMemory ? "from memory" : "from a file");
    CGGamePieceDB loaded;
    links.pieces = &loaded;
    if (fromMemory) {
      BlockReader r(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
      ASSERT_EQ(loaded.Load(r), 1);
    } else {
      ASSERT_EQ(box.LoadedInto(loaded, bytes), 1);
    }
    for (CGUnit* u : made) {
      CGUnit* read = loaded.FindUnit(u->id, nullptr);
      ASSERT_NE(read, nullptr);
      const auto percents = read->percents;
      const auto states = read->modules;
      read->RecomputeStats();
      EXPECT_EQ(percents, read->percents) << u->id;
      EXPECT_EQ(std::memcmp(states.data(), read->modules.data(), sizeof states), 0) << u->id;
      EXPECT_EQ(percents, u->percents) << u->id;
    }
    EXPECT_LT(loaded.FindUnit(made[6]->id, nullptr)->modules[0].damage, 250);
    links.pieces = &pieces;
  }
  EXPECT_NE(made[3]->percents, made[4]->percents);
  EXPECT_NE(made[10]->percents, made[11]->percents);
}

TEST_F(GamePieceTest, TheGroupBattlePlanGoesToEverySelectedUnit) {
  CGUnitTemplate* design = Design(0, {kComputer, kWeapon});
  CGUnit* a = Unit(design, {1, 0, 0, 0});
  CGUnit* b = Unit(design, {1, 9, 0, 0});
  b->modules[1].SetFiringLevel(6);
  links.selection = {{1, a->id}, {1, 12345}, {1, b->id}};
  EXPECT_EQ(pieces.EditSelectionBattlePlan(), 1);  // no dialog: cancelled
  EXPECT_TRUE(links.sent.empty());
  links.shell.planDialog = [](BattlePlanPacket& plan) {
    plan.targeting = {3, 1, 0, 1, 50};
    return true;
  };
  links.sent.clear();
  EXPECT_EQ(pieces.EditSelectionBattlePlan(), 1);
  ASSERT_EQ(links.sent.size(), 2u);  // the missing unit is passed over
  EXPECT_EQ(a->targeting, b->targeting);
  EXPECT_EQ(b->targeting[0], 3);
  EXPECT_EQ(b->GetFiringLevel(1), 6);  // each keeps its own firing levels
  EXPECT_EQ(rules_test::Long(links.sent[1].bytes, 8), b->id);
  links.selection.clear();
  EXPECT_EQ(pieces.EditSelectionBattlePlan(), 0);
}

TEST_F(GamePieceTest, OrdersForgetATargetThatLeavesTheGame) {
  CGUnitTemplate* design = Design(0, {kComputer, kDrive});
  CGUnitTemplate* foreign = Design(3, {kComputer});
  CGUnit* hunter = Unit(design, {0, 0, 0, 0});
  CGUnit* prey = Unit(foreign, {0, 500, 0, 0}, 3);
  CGUnit* spacer = Unit(design, {4, 0, 0, 0});
  CGUnit* drifter = Unit(foreign, {4, 500, 0, 0}, 3);
  ASSERT_EQ(hunter->OrderOnUnit(ORDER_ATTACK_UNIT, prey, kInsertReplace), 1);
  ASSERT_EQ(spacer->OrderOnUnit(ORDER_ATTACK_UNIT, drifter, kInsertReplace), 1);
  ASSERT_EQ(hunter->GetOrder(0)->target, prey);

  const std::uint32_t preyId = prey->id;
  EXPECT_EQ(pieces.DeleteUnit(preyId), 1);
  EXPECT_EQ(hunter->GetOrder(0)->target, nullptr);
  EXPECT_EQ(hunter->GetETA(), -1);  // looked up again by id: gone
  links.shipDisplay = 1;
  pieces.ClearForeignUnitsInSpace();
  EXPECT_EQ(spacer->GetOrder(0)->target, nullptr);
  // Saving writes the ids of cached targets: none may point at a freed unit.
  EXPECT_FALSE(box.SavedOf(pieces).empty());
}

// The destructor empties every cell: the first and the last cells, a cell
// that shrinks its block step by step as it empties, and lone units with runs
// of empty cells between are all let go of, each unit once.
TEST_F(GamePieceTest, ATornDownDatabaseLetsGoOfEveryUnitOnce) {
  space.MakeSpace(150, kPlaces);
  const int lastOwner = std::min(CGGamePieceDB::ChapterLimit(), kPieceOwners) - 1;
  ASSERT_GT(lastOwner, 1);
  CGUnitTemplate* first = Design(0, {kComputer});
  CGUnitTemplate* middle = Design(1, {kComputer});
  CGUnitTemplate* last = Design(static_cast<std::uint8_t>(lastOwner), {kComputer});
  {
    CGGamePieceDB db;
    std::uint32_t serial = 0;
    const auto make = [&](CGUnitTemplate* design, std::uint8_t owner, std::uint16_t at, int n) {
      const Location place{at, 0, 0, 0};
      for (int i = 0; i < n; ++i)
        ASSERT_NE(db.CreateUnit(design, &place, owner, (std::uint32_t{owner} << 26) | ++serial), nullptr);
    };
    make(first, 0, 0, 3);
    make(middle, 1, 7, 40);
    int scattered = 0;
    for (std::uint16_t at = 20; at <= g_numAsteroids; at += 13, ++scattered) make(middle, 1, at, 1);
    make(last, static_cast<std::uint8_t>(lastOwner), g_numAsteroids, 2);
    EXPECT_EQ(first->references, 3);
    EXPECT_EQ(middle->references, 40 + scattered);
    EXPECT_EQ(last->references, 2);
  }
  EXPECT_EQ(first->references, 0);
  EXPECT_EQ(middle->references, 0);
  EXPECT_EQ(last->references, 0);
}

// A torn-down database's units release their designs, and the last release
// of a design asks the database whether a unit still uses it: none is ever
// found, not even the unit on its way out nor a cell mate it takes along.
TEST_F(GamePieceTest, ATornDownDatabaseHoldsNoUnitWhoseDesignIsReleased) {
  CGUnitTemplate* shared = Design(0, {kComputer});
  CGUnitTemplate* alone = Design(0, {kDrive});
  // The rules, the designs and the asteroids stay the fixture's; the units are looked for in db.
  struct Looking : test_support::TestWorld {
    CGUnit* FindUnitBuiltFrom(const CGUnitTemplate& design, std::uint8_t chapter) const override {
      ++looks;
      for (std::uint16_t at = 0; at <= asteroids; ++at)
        for (std::uint16_t k = 0; CGUnit* u = db->GetUnitAt(at, chapter, k); ++k)
          if (u->GetTemplate() == &design) {
            ++found;
            return u;
          }
      return nullptr;
    }
    const CGGamePieceDB* db = nullptr;
    std::uint16_t asteroids = 0;
    mutable int looks = 0;
    mutable int found = 0;
  };
  Looking looking;
  looking.hulls = links.hulls;
  looking.modules = links.modules;
  looking.solar = links.solar;
  looking.templates = links.templates;
  looking.asteroids = g_numAsteroids;
  {
    CGGamePieceDB db;
    looking.db = &db;
    std::uint32_t serial = 0;
    const Location home{1, 0, 0, 0};
    const Location away{3, 0, 0, 0};
    for (int i = 0; i < 5; ++i) ASSERT_NE(db.CreateUnit(shared, &home, 0, ++serial), nullptr);
    ASSERT_NE(db.CreateUnit(alone, &home, 0, ++serial), nullptr);
    ASSERT_NE(db.CreateUnit(shared, &away, 0, ++serial), nullptr);
  }
  EXPECT_EQ(looking.looks, 2);
  EXPECT_EQ(looking.found, 0);
  EXPECT_EQ(shared->references, 0);
  EXPECT_EQ(alone->references, 0);
}

TEST_F(GamePieceTest, AnEmptyDatabaseSavesZeroCounts) {
  const std::string bytes = box.SavedOf(pieces);
  EXPECT_EQ(bytes, std::string(40 * (g_numAsteroids + 1) * 4, '\0'));
}

TEST_F(GamePieceTest, ForeignShipsInSpaceAndDetection) {
  CGUnitTemplate* design = Design(0, {kComputer, kDrive});
  Unit(design, {4, 0, 0, 0}, 0);
  Unit(Design(3, {kComputer}), {4, 0, 0, 0}, 3);
  Unit(Design(3, {kComputer}), {1, 0, 0, 0}, 3);
  pieces.ClearForeignUnitsInSpace();
  EXPECT_EQ(pieces.CountUnits(4, -1), 2u);  // the setting is off
  links.shipDisplay = 1;
  pieces.ClearForeignUnitsInSpace();
  EXPECT_EQ(pieces.CountUnits(4, -1), 1u);
  EXPECT_EQ(pieces.CountUnits(1, 3), 1u);

  // The local unit stands at (0, 0, 0) in space: asteroid 0 is there, 1 is 10000 away.
  pieces.DetectAsteroidsNearUnitsInSpace(true);
  EXPECT_EQ(space.Asteroid(0).detected, 1u);
  EXPECT_EQ(space.Asteroid(1).detected, 0u);
  EXPECT_EQ(space.notices.GetCount(), 0u);
  pieces.DetectAsteroidsNearUnitsInSpace(false);  // seen already: no news
  EXPECT_EQ(space.notices.GetCount(), 0u);
  space.Asteroid(0).detected = 0;
  pieces.DetectAsteroidsNearUnitsInSpace(false);
  ASSERT_EQ(space.notices.GetCount(), 1u);
  const Notification& news = *space.notices.GetEntry(0);
  EXPECT_EQ(news.code, 414);
  EXPECT_EQ(news.param1, 0);  // the finder, the asteroid found, no unit
  EXPECT_EQ(news.param2, 0u);
  EXPECT_EQ(news.param3, 0xFFFFFFFFu);
}

}  // namespace
}  // namespace units_test
