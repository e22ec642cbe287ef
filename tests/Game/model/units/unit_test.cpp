#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "Game/rules/GDefBP.h"
#include "tests/Game/model/units/units_fixture.h"

namespace units_test {
namespace {

using rules_test::Long;
using rules_test::Word;

class UnitTest : public UnitWorld {};

TEST_F(UnitTest, NewUnitsTakeTheirNameClassPlanAndModuleStates) {
  CGUnitTemplate* design = Design(13, {kComputer, kWeapon, kScout});
  CGUnit* u = pieces.CreateUnit(design, std::data({Location{1, 2, 3, 4}}), 13, (13u << 26) | 7);
  ASSERT_NE(u, nullptr);
  EXPECT_EQ(u->name, "cons 13-7");
  EXPECT_EQ(design->references, 1);
  EXPECT_EQ(std::make_tuple(u->stage, u->statusWord), std::make_tuple(kStageNotStarted, 1u));
  const std::uint8_t* plan = GetDefaultTargetingPlan(design->unitClass);
  EXPECT_EQ(std::vector<std::uint8_t>(u->targeting.begin(), u->targeting.end()),
            std::vector<std::uint8_t>(plan, plan + 5));
  EXPECT_EQ(u->modules[1].FiringLevel(), 2);
  EXPECT_EQ(u->modules[1].ammo, 40);  // the weapon's maximum
  EXPECT_EQ(u->modules[2].ammo, 255);
  EXPECT_EQ(u->modules[5].flags, 0);  // not fitted
  EXPECT_EQ(pieces.DeleteUnit(u->id), 1);
  EXPECT_EQ(design->references, 0);
}

TEST_F(UnitTest, StatisticsFollowTheModuleStates) {
  CGUnit* u = Unit(Design(0, {kComputer, kConstruction, kConstruction, kWeapon, kPower, kTransport}), {0, 0, 0, 0});
  EXPECT_EQ(u->percents[PCT_CONSTRUCTION], 100);
  EXPECT_EQ(u->percents[PCT_ATTACK], 100);
  EXPECT_EQ(u->percents[PCT_POWER_STORAGE], 100);
  EXPECT_EQ(u->percents[PCT_DEEP_DRIVE], 0);  // no drive at all

  u->modules[3].ammo = 0;
  u->RecomputeStats();
  EXPECT_EQ(u->percents[PCT_ATTACK], 0);

  // A destroyed slot 0 halves every working sum as it grows: (a/2 + a)/2 over 2a.
  u->modules[0].damage = 255;
  u->RecomputeStats();
  EXPECT_EQ(u->modules[0].damage, u->GetSlotCapacity(0));  // clamped to the capacity
  EXPECT_EQ(u->percents[PCT_CONSTRUCTION], 37);
  EXPECT_EQ(u->percents[PCT_POWER_STORAGE], 100);  // storage is never halved
  EXPECT_EQ(u->GetSlotDamagePercent(0), 100u);
  EXPECT_EQ(u->GetSlotDamagePercent(19), 100u);  // not fitted
  EXPECT_EQ(u->GetDamagePercent(), 100u / 6);

  u->modules[4].damage = 10;  // half the power module's capacity of 20
  u->RecomputeStats();
  EXPECT_EQ(u->percents[PCT_POWER_STORAGE], 50);
  EXPECT_EQ(u->GetMaxPower(), 150);
  u->power = 400;
  EXPECT_EQ(u->GetPower(), 150);
  EXPECT_EQ(u->power, 150);

  u->modules[1].SetFiringLevel(4);
  u->modules[0].damage = 0;
  u->RecomputeStats();
  EXPECT_EQ(u->percents[PCT_CONSTRUCTION], 150);
  EXPECT_EQ(u->GetModulePowerUse(MODULE_CONSTRUCTION, kAllSlots, kAllSlots), 8u * 4 / 2 + 8u);
  EXPECT_EQ(u->GetModulePowerUse(MODULE_DEFENSE, kAllSlots, 8), 0u);

  CGUnit* empty = Unit(Design(0, {}), {0, 0, 0, 0});
  EXPECT_EQ(empty->GetDamagePercent(), 100u);
}

TEST_F(UnitTest, CargoAndBorrowedPoints) {
  CGUnit* u = Unit(Builder(), {0, 0, 0, 0});
  ASSERT_EQ(u->GetAtvCapacity(), 10);
  u->SetAtvCargo(2, 3, 2, 0);
  u->AddAtvsKind1(5);
  EXPECT_EQ(u->atvCargo, (std::array<std::uint8_t, 4>{2, 6, 2, 0}));
  EXPECT_EQ(u->GetFreeAtvCapacity(), 0);

  u->IssueOrder(ORDER_BE_CONSTRUCTED, 0, kInsertReplace, nullptr, false);
  u->AddConstructionPoints(30);
  u->UseConstructionPoints(10, true);
  EXPECT_EQ(u->receivedPoints, 20);
  EXPECT_EQ(u->GetOrder(0)->target, nullptr);
  u->UseConstructionPoints(25, true);
  EXPECT_EQ(u->receivedPoints, 0);
  EXPECT_EQ(u->GetOrder(0)->target, u);  // it can build itself
}

TEST_F(UnitTest, StatusRecordAndBattlePlanPacket) {
  CGUnit* u = Unit(Builder(), {2, 0, 0, 0});
  std::vector<std::uint8_t> record(kUnitStatusRecordSize, 0);
  record[14] = 30;
  record[15] = 40;
  record[20 + 3 * 6] = 7;  // slot 6 damage
  plat::ByteWriter(record).WriteAt(96, std::uint16_t{55});
  plat::ByteWriter(record).WriteAt(104, std::uint32_t{9});
  EXPECT_FALSE(u->ApplyStatusUpdate(std::span(record).first(107)));
  ASSERT_TRUE(u->ApplyStatusUpdate(record));
  EXPECT_EQ(u->hullDamage, 30);
  EXPECT_EQ(std::make_tuple(u->lifeSupportDamage, u->modules[6].damage, u->receivedPoints, u->statusWord),
            std::make_tuple(40, 7, 55, 9u));
  EXPECT_EQ(u->GetRepairPoints(), 77);

  u->targeting = {1, 2, 3, 4, 5};
  u->retreat = {6, 7, 8};
  u->modules[3].SetFiringLevel(5);
  BattlePlanPacket plan;
  u->BuildBattlePlanPacket(&plan);
  auto image = plan.Build();
  const std::vector<std::uint8_t> p(image.bytes.begin(), image.bytes.end());
  EXPECT_EQ(Word(p, 0), 314);
  EXPECT_EQ(Long(p, 8), u->id);
  EXPECT_EQ(Word(p, 12), 2);
  EXPECT_EQ(p[14 + 3], 5);
  EXPECT_EQ(std::vector<std::uint8_t>(p.begin() + 34, p.end()),
            (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 0}));
  BattlePlanPacket back;
  ASSERT_TRUE(BattlePlanPacket::Parse(p, &back));
  EXPECT_FALSE(BattlePlanPacket::Parse(std::span(p).first(47), &back));
  CGUnit* v = Unit(Builder(), {2, 0, 0, 0});
  v->ApplyBattlePlanPacket(back);
  EXPECT_EQ(std::make_tuple(v->targeting, v->retreat), std::make_tuple(u->targeting, u->retreat));
  EXPECT_EQ(v->GetFiringLevel(3), 5);
}

TEST_F(UnitTest, SpecialWeapons) {
  CGUnit* bomber = Unit(Design(0, {kComputer, kSpecial}), {0, 0, 0, 0}, 0);
  std::uint32_t type = 0;
  EXPECT_EQ(bomber->HasSpecialWeapon(&type), 1);
  EXPECT_EQ(type, 32u);
  bomber->modules[1].damage = static_cast<std::uint8_t>(bomber->GetSlotCapacity(1));
  EXPECT_EQ(bomber->HasSpecialWeapon(nullptr), 0);
  CGUnit* guild2 = Unit(Design(16, {kComputer, kSpecial}), {0, 0, 0, 0}, 16);
  EXPECT_EQ(guild2->HasSpecialWeapon(nullptr), 0);
}

TEST_F(UnitTest, SaveAndLoadKeepEveryField) {
  CGUnitTemplate* design = Builder(3);
  CGUnit* u = Unit(design, {1, -5, 6, -7}, 3);
  CGUnit* target = Unit(design, {1, 500, 0, 0}, 3);
  u->name = "Harbinger";
  u->hullDamage = 12;
  u->receivedPoints = 300;
  u->SetAtvCargo(1, 2, 3, 4);
  u->targeting = {1, 2, 3, 4, 5};
  u->IssueOrder(ORDER_REPAIR_UNIT, target->id, kInsertReplace, target, false);
  std::uint8_t landing[132] = {};
  landing[9] = 2;
  u->OrderLandAtvs(landing, kInsertAppend);
  u->stage = 9;
  const std::string bytes = box.SavedOf(*u);
  EXPECT_EQ(static_cast<std::uint8_t>(bytes.back()), kUnitEndByte);

  CGUnit loaded;
  ASSERT_EQ(box.LoadedInto(loaded, bytes), 1);
  EXPECT_EQ(loaded.id, u->id);
  EXPECT_EQ(loaded.name, "Harbinger");
  EXPECT_EQ(std::make_tuple(loaded.design, loaded.location.z, loaded.stage), std::make_tuple(design, -7, 9));
  EXPECT_EQ(std::make_tuple(loaded.hullDamage, loaded.receivedPoints, loaded.atvCargo, loaded.targeting),
            std::make_tuple(12, 300, u->atvCargo, u->targeting));
  ASSERT_EQ(loaded.GetOrderCount(), 2);
  EXPECT_EQ(loaded.GetOrder(0)->savedTargetId, target->id);
  loaded.ResolveOrderTargets();
  EXPECT_EQ(loaded.GetOrder(0)->target, target);
  EXPECT_EQ(loaded.GetOrder(1)->landing->bytes[9], 2);

  // Cut anywhere, the block is refused.
  for (std::size_t cut : {std::size_t{0}, std::size_t{1}, std::size_t{40}, bytes.size() / 2, bytes.size() - 1}) {
    CGUnit partial;
    EXPECT_EQ(box.LoadedInto(partial, bytes.substr(0, cut)), 0) << cut;
  }
  std::string later = bytes;
  later[0] = 4;
  CGUnit refused;
  EXPECT_EQ(box.LoadedInto(refused, later), 0);
}

// A saved build order holds the design it names as the order given did: a
// load that took no hold would let the design go while a ship still flies it.
TEST_F(UnitTest, ALoadedBuildOrderHoldsItsDesignUntilItGoes) {
  CGUnitTemplate* built = Design(3, {kComputer});
  CGUnit* u = Unit(Builder(3), {1, 0, 0, 0}, 3);
  auto order = std::make_unique<UnitOrder>();
  order->type = ORDER_BUILD_SHIP;
  order->SetWord(0, built->templateId);
  order->SetWord(1, kNoTargetId);
  ASSERT_EQ(u->InsertOrder(std::move(order), kInsertReplace, false), 1u);
  const int held = built->references;
  const std::string bytes = box.SavedOf(*u);
  {
    CGUnit loaded;
    ASSERT_EQ(box.LoadedInto(loaded, bytes), 1);
    ASSERT_EQ(loaded.GetOrderCount(), 1);
    EXPECT_EQ(built->references, held + 1);
  }
  EXPECT_EQ(built->references, held);
}

TEST_F(UnitTest, AFirstOrderOnAVanishedTargetEmptiesTheSavedQueue) {
  CGUnit* u = Unit(Builder(), {0, 0, 0, 0});
  CGUnit* prey = Unit(Builder(9), {0, 100, 0, 0}, 9);
  u->OrderOnUnit(ORDER_ATTACK_UNIT, prey, kInsertReplace);
  pieces.DeleteUnit(prey->id);
  box.SavedOf(*u);
  EXPECT_EQ(u->GetOrderCount(), 0);
}

TEST_F(UnitTest, ADesignNoDatabaseHoldsIsSavedInline) {
  CGUnitTemplate loose(2, static_cast<std::int32_t>((2u << 26) | 999));
  loose.SetHull(hullDB->GetHull(0, 0));
  loose.FitModule(0, kComputer);
  CGUnit u(&loose, std::data({Location{0, 0, 0, 0}}), 2, (2u << 26) | 5);
  const std::string bytes = box.SavedOf(u);
  CGUnit loaded;
  ASSERT_EQ(box.LoadedInto(loaded, bytes), 1);
  ASSERT_NE(loaded.design, nullptr);
  EXPECT_TRUE(loaded.design->IsSameDesign(loose));
  EXPECT_EQ(templates.GetTemplateIndex(*loaded.design, 2, nullptr), 0);  // now a design of its chapter
}

}  // namespace
}  // namespace units_test
