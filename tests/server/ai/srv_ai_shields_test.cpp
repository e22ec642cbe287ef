// A computer chapter's warship judges whether its hits would get past an
// enemy's shields as the battle does: one whose every hit would be held stops
// attacking and takes another target or leaves; one whose hits get through
// only from nearer, within its weapon's effective range, closes in first.
#include <gtest/gtest.h>

#include <cmath>

#include "Game/base/Packets.h"
#include "Game/model/GUnit.h"
#include "Game/model/GUnitModules.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GTemplateDB.h"
#include "Game/rules/GUnitTem.h"
#include "server/ai/SrvAiSight.h"
#include "server/battle/SrvSpaceBattle.h"
#include "tests/server/ai/srv_ai_fixture.h"

namespace {

using srv_ai_test::OrderFor;
using srv_ai_test::RulesGame;

constexpr std::uint16_t kRaiders = 8;
constexpr std::uint16_t kDefenders = 0;
constexpr std::uint8_t kHard = 2;

class SrvAiShields : public ::testing::Test {
 protected:
  SrvAiShields() {
    // A place of nobody's where no unit stands: the only enemies there are
    // the test's own.
    for (std::uint16_t a = 0; a < CGSolarDB::GetAsteroidCount(); ++a) {
      bool empty = game.world.solar.GetAsteroid(a)->controller == kNoChapter;
      for (std::uint16_t c = 0; empty && c < kMaxChapters; ++c)
        empty = game.world.pieces->CountOperationalUnits(a, static_cast<std::int16_t>(c)) == 0;
      if (empty) {
        place = a;
        break;
      }
    }
    CGUnitTemplate* warship = srv_ai_test::WarshipOf(game, kRaiders);
    EXPECT_NE(warship, nullptr);
    if (warship == nullptr) return;
    raider = game.world.CreateUnit(kRaiders, warship, Location{place, 0, 0, 0});
    slot = SrvFirstArmedSlot(*raider);
    // The one weapon decides, and the battle plan fires at any chance.
    for (int s = 1; s < kUnitSlots; ++s)
      if (s != slot && IsWeapon(SlotModule(raider->design, s))) raider->modules[s].SetFiringLevel(0);
    raider->targeting[4] = 0;
    kind = SlotModule(raider->design, slot)->AttackKind();
  }

  // A warship of the defenders' with a shield fitted that holds a hit of up
  // to `stops` of the raider's attack kind, standing `x` from the raider.
  CGUnit* Shielded(std::uint32_t stops, std::int16_t x) {
    CGUnitTemplate* design = srv_ai_test::WarshipOf(game, kDefenders);
    int free = 1;
    while (free < kUnitSlots && SlotFitted(design, free) != 0) ++free;
    std::uint16_t shield = kNoModuleId;
    for (int m = 0; m < game.world.modules->GetCount() && shield == kNoModuleId; ++m)
      if (const ModuleRecord* r = game.world.modules->GetRecord(m);
          r != nullptr && r->type == MODULE_DEFENSE && r->TypeByte(1 + (kind & 7)) != 0)
        shield = static_cast<std::uint16_t>(m);
    EXPECT_LT(free, kUnitSlots);
    EXPECT_NE(shield, kNoModuleId);
    design->FitModule(free, shield);
    design->defences[kind & 7] = static_cast<std::uint16_t>(stops);
    CGUnit* u = game.world.CreateUnit(kDefenders, design, Location{place, x, 0, 0});
    u->RecomputeStats();
    EXPECT_EQ(SrvShieldStrength(*u, kind), stops);
    return u;
  }

  // The battle the two would fight: its shots, and those that did damage;
  // their ammunition is given back after it.
  std::pair<std::uint32_t, std::uint32_t> Fight(CGUnit& a, CGUnit& b) {
    const auto modulesA = a.modules, modulesB = b.modules;
    CGUnit* units[] = {&a, &b};
    SrvRandom random(7);
    const SrvSpaceBattleResult r = SrvFightSpaceBattle(units, random);
    a.modules = modulesA;
    b.modules = modulesB;
    a.RecomputeStats();
    b.RecomputeStats();
    return {r.ShotCount(), r.DamagingCount()};
  }

  // Only the raider fires: the target's weapons are set not to.
  static void Silence(CGUnit& u) {
    for (int s = 1; s < kUnitSlots; ++s)
      if (IsWeapon(SlotModule(u.design, s))) u.modules[s].SetFiringLevel(0);
  }

  RulesGame game{1, 40, 1, kHard};
  std::uint16_t place = 0;
  CGUnit* raider = nullptr;
  int slot = -1;
  std::uint8_t kind = 0;
};

TEST_F(SrvAiShields, AShipWhoseEveryHitIsHeldStopsAttackingAndTakesATargetItCanHurt) {
  ASSERT_NE(raider, nullptr);
  ASSERT_GE(slot, 1);
  const std::uint32_t strength = SrvHitStrength(*raider, slot, true);
  ASSERT_GT(strength, 0u);
  CGUnit* fortress = Shielded(strength, 100);
  ASSERT_FALSE(SrvHitHurts(*raider, slot, *fortress, true));
  Silence(*fortress);
  const auto [shots, damaging] = Fight(*raider, *fortress);
  EXPECT_GT(shots, 0u) << "the battle would go on";
  EXPECT_EQ(damaging, 0u) << "with nothing done";
  EXPECT_FALSE(SrvAiCanHit(*raider, *fortress));
  EXPECT_FALSE(SrvAiInReach(*raider, *fortress));

  // An attack already under way is dropped: the raider leaves.
  SrvPacket order;
  auto attack = std::make_unique<UnitOrder>();
  attack->type = ORDER_ATTACK_UNIT;
  attack->SetWord(0, fortress->id);
  raider->orders.InsertAt(attack.release(), 0);
  ASSERT_EQ(OrderFor(game, kRaiders, *raider, kHard, &order), ORDER_MOVE_TO_ASTEROID);
  EXPECT_NE(ReadU32(order, 24), place);

  // One shield weaker, the raider stays and attacks.
  fortress->design->defences[kind & 7] = static_cast<std::uint16_t>(strength - 1);
  ASSERT_TRUE(SrvAiCanHit(*raider, *fortress));
  EXPECT_EQ(OrderFor(game, kRaiders, *raider, kHard), -1) << "the standing attack now holds";

  // With the shield back, another enemy there it can hurt is its target.
  fortress->design->defences[kind & 7] = static_cast<std::uint16_t>(strength);
  CGUnit* other = game.world.CreateUnit(16, srv_ai_test::WarshipOf(game, 16), Location{place, 200, 0, 0});
  ASSERT_NE(other, nullptr);
  ASSERT_TRUE(SrvAiInReach(*raider, *other));
  ASSERT_EQ(OrderFor(game, kRaiders, *raider, kHard, &order), ORDER_ATTACK_UNIT);
  EXPECT_EQ(ReadU32(order, 24), other->id);
}

TEST_F(SrvAiShields, AShipThatHurtsOnlyWithinItsEffectiveRangeClosesIn) {
  ASSERT_NE(raider, nullptr);
  ASSERT_GE(slot, 1);
  const std::uint32_t range = raider->GetWeaponRange(slot);
  const auto effective = static_cast<std::uint32_t>(std::sqrt(double(raider->GetWeaponEffectiveRangeSq(slot))));
  ASSERT_LT(effective + 20, range) << "the weapon reaches beyond its effective range";
  const std::uint32_t strength = SrvHitStrength(*raider, slot, true);
  ASSERT_GT(SrvHitStrength(*raider, slot, false), 0u);
  ASSERT_LT(SrvHitStrength(*raider, slot, false), strength - 1);
  // Held beyond the effective range, where a hit is halved; not nearer.
  CGUnit* target = Shielded(strength - 1, static_cast<std::int16_t>((effective + range) / 2));
  Silence(*target);
  const auto [shots, damaging] = Fight(*raider, *target);
  EXPECT_GT(shots, 0u);
  EXPECT_EQ(damaging, 0u);
  EXPECT_TRUE(SrvAiCanHit(*raider, *target));
  EXPECT_FALSE(SrvAiInReach(*raider, *target));
  EXPECT_EQ(OrderFor(game, kRaiders, *raider, kHard), ORDER_GO_TO_UNIT);

  target->location.x = static_cast<std::int16_t>(effective / 2);
  EXPECT_TRUE(SrvAiInReach(*raider, *target));
  SrvPacket order;
  ASSERT_EQ(OrderFor(game, kRaiders, *raider, kHard, &order), ORDER_ATTACK_UNIT);
  EXPECT_EQ(ReadU32(order, 24), target->id);
  EXPECT_GT(Fight(*raider, *target).second, 0u) << "from there its hits get through";
}

}  // namespace
