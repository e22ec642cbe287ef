#include <gtest/gtest.h>

#include <memory>

#include "Game/model/GTerrainRec.h"
#include "Game/net/ReplayFile.h"
#include "server/battle/SrvSpaceBattle.h"
#include "server/battle/SrvTerrainBattle.h"
#include "server/orders/SrvOrders.h"
#include "server/turn/SrvOrderSteps.h"
#include "tests/server/battle/battle_fixture.h"
#include "tests/server/battle/replay_reader.h"

namespace battle_test {
namespace {

constexpr std::uint16_t kField = 1;    // nobody's home
constexpr std::uint16_t kCombine = 8;  // guild 1, which arms mind weapons
constexpr std::uint16_t kOrder = 24;   // guild 3, which bombards

class SpecialWeapons : public BattleWorld {
 protected:
  static std::unique_ptr<UnitOrder> Order(std::uint32_t type, std::uint32_t word0) {
    auto order = std::make_unique<UnitOrder>();
    order->type = type;
    order->SetWord(0, word0);
    return order;
  }
  SrvOrderVerdict Submit(std::uint16_t chapter, const CGUnit& unit, std::uint32_t type, std::uint32_t word0,
                         std::uint8_t insert = kInsertReplace) {
    return SrvSubmitOrder(world, chapter, Bytes(BuildOrderPacket(unit.id, *Order(type, word0), insert)));
  }
  SrvOrderVerdict SubmitPlan(std::uint16_t chapter, CGUnit& unit, int slot, std::uint8_t level) {
    BattlePlanPacket plan;
    unit.BuildBattlePlanPacket(&plan);
    plan.firingLevels[static_cast<std::size_t>(slot)] = level;
    return SrvSubmitOrder(world, chapter, Bytes(plan.Build()));
  }
  // One turn of the unit's orders (no battles).
  std::unique_ptr<SrvTurnContext> Advance(CGUnit& unit) {
    auto turn = std::make_unique<SrvTurnContext>(SrvTurnContext{world, setup, log, random});
    SrvAdvanceUnitOrder(*turn, unit);
    SrvDrainNotifications(*turn);
    return turn;
  }
  ReadReplay ClientReplay(const SrvTurnContext& turn, std::uint16_t chapter) {
    g_replayWriter.Reset();
    box.Write(std::to_string(kField) + ".rpl", std::string());
    for (const SrvPacket& p : OfType(turn, chapter, 503)) EXPECT_TRUE(g_replayWriter.AddPart(p));
    return ReadReplayFile(box.Dos(std::to_string(kField) + ".rpl"));
  }
  static std::vector<SrvPacket> Notices(const SrvTurnContext& turn, std::uint16_t chapter, std::uint16_t code) {
    std::vector<SrvPacket> out;
    for (const SrvPacket& p : OfType(turn, chapter, 1500))
      if (ReadU16(p, 8) == 1 && ReadU16(p, 10) == code) out.push_back(p);
    return out;
  }
  static bool Stunned(const CGUnit& u) { return u.GetOrderCount() != 0 && u.GetOrder(0)->type == ORDER_STUNNED; }
  CGZone& Zone(std::uint16_t z) { return *world.solar.GetAsteroid(kField)->GetZone(z); }
};

TEST_F(SpecialWeapons, AMindWeaponFiresOnlyOnceArmedAndItsHitStunsTheTarget) {
  CGUnit* mystic = Fleet(kCombine, Design(kCombine, {kDrive, kMind}), 1, kField)[0];
  mystic->targeting = {0, 1, 0, 0, 0};  // anyone, the nearest
  CGUnit* target = Fleet(0, Design(0, {kDrive}), 1, kField, 100)[0];
  target->orders.InsertAt(Order(ORDER_MOVE_TO_LOCATION, kField).release(), 0);
  ASSERT_EQ(mystic->IsSpecialWeaponArmed(), 0) << "a new ship's mind weapon is disarmed";
  auto turn = Resolve();
  EXPECT_TRUE(OfType(*turn, kCombine, 503).empty()) << "a disarmed mind weapon opens no battle";
  EXPECT_FALSE(Stunned(*target));

  // The player arms it (314 with firing level 2 on its slot).
  ASSERT_EQ(SubmitPlan(kCombine, *mystic, 1, 2), SrvOrderVerdict::kAccepted);
  ASSERT_EQ(mystic->IsSpecialWeaponArmed(), 1);
  turn = Resolve();
  ASSERT_TRUE(Stunned(*target));
  EXPECT_EQ(target->GetOrder(0)->Word(0), 3u) << "the weapon's strength in turns";
  EXPECT_EQ(target->GetOrder(1)->type, static_cast<std::uint32_t>(ORDER_MOVE_TO_LOCATION)) << "kept behind the stun";
  EXPECT_EQ(target->hullDamage + target->lifeSupportDamage, 0);
  // The owner's client puts the stun first; the stunner's owner hears of it once.
  const auto told = OfType(*turn, 0, 301);
  ASSERT_EQ(told.size(), 1u);
  OrderPacket order;
  ASSERT_TRUE(ParseOrderPacket(told[0], &order));
  EXPECT_EQ(order.type, static_cast<std::uint32_t>(ORDER_STUNNED));
  EXPECT_EQ(order.insertMode, kInsertFront);
  const auto stunned = Notices(*turn, kCombine, 112);
  ASSERT_EQ(stunned.size(), 1u);
  EXPECT_EQ(ReadU32(stunned[0], 148), mystic->id);
  // The replay's shot carries the stun, which the review log tells as such.
  bool stunShot = false;
  for (const ReadShot& shot : ClientReplay(*turn, 0).Shots())
    for (const ReadPart& part : shot.parts)
      stunShot |= part.code == kShotHit && part.value == kHitStun && part.amount == 3;
  EXPECT_TRUE(stunShot);

  // A stunned ship is no mind weapon's target: its stun is not drawn out.
  turn = Resolve();
  EXPECT_TRUE(OfType(*turn, kCombine, 503).empty());
  EXPECT_EQ(target->GetOrder(0)->Word(0), 3u);

  // Disarmed again, it holds its fire.
  ASSERT_EQ(SubmitPlan(kCombine, *mystic, 1, 0), SrvOrderVerdict::kAccepted);
  turn = Resolve();
  EXPECT_TRUE(OfType(*turn, kCombine, 503).empty());
}

// "Retreat without weapons" counts an armed mind weapon as one: else the ship
// left every battle after its first round, one shot a battle.
TEST_F(SpecialWeapons, AnArmedMindWeaponKeepsAShipThatRetreatsWithoutWeaponsInTheBattle) {
  CGUnit* mystic = Fleet(kCombine, Design(kCombine, {kDrive, kMind}), 1, kField)[0];
  mystic->targeting = {0, 1, 0, 0, 0};
  mystic->retreat = {100, 100, 1};
  CGUnit* target = Fleet(0, Design(0, {kDrive}), 1, kField, 100)[0];
  ASSERT_EQ(SubmitPlan(kCombine, *mystic, 1, 2), SrvOrderVerdict::kAccepted);
  std::vector<CGUnit*> units{mystic, target};
  const SrvSpaceBattleResult r = SrvFightSpaceBattle(units, random);
  ASSERT_FALSE(r.rounds.empty());
  EXPECT_TRUE(r.retreated.empty());
  EXPECT_TRUE(r.stuns.size() == 1 || r.rounds.size() == static_cast<std::size_t>(kMaxBattleRounds))
      << "it fires round after round until its target is stunned";
}

TEST_F(SpecialWeapons, AStunKeepsItsQueueForItsTurnsHoldsFireAndThenLifts) {
  CGUnit* gunner = Fleet(0, Design(0, {kDrive, kGun}), 1, kField)[0];
  Fleet(kCombine, Design(kCombine, {kDrive}), 1, kField, 100);
  gunner->orders.InsertAt(Order(ORDER_STUNNED, 2).release(), 0);
  // Stunned, its gun is silent: nobody else can fire, so there is no battle.
  EXPECT_TRUE(OfType(*Resolve(), 0, 503).empty());

  // Its queue cannot be replaced, nor its stun cancelled; an order may wait behind it.
  EXPECT_EQ(Submit(0, *gunner, ORDER_MOVE_TO_ASTEROID, 2), SrvOrderVerdict::kStunned);
  EXPECT_EQ(SrvSubmitOrder(world, 0, Bytes(BuildCancelOrdersPacket(gunner->id, kField, 0))), SrvOrderVerdict::kStunned);
  EXPECT_TRUE(SrvRefusedOrderNotice(
                  world, 0, Bytes(BuildOrderPacket(gunner->id, *Order(ORDER_MOVE_TO_ASTEROID, 2), kInsertReplace)),
                  SrvOrderVerdict::kStunned)
                  .empty())
      << "a 303 would end the stun on the client alone";
  ASSERT_EQ(gunner->GetOrderCount(), 1);
  EXPECT_EQ(Submit(0, *gunner, ORDER_MOVE_TO_ASTEROID, 2, kInsertAppend), SrvOrderVerdict::kAccepted);
  ASSERT_EQ(gunner->GetOrderCount(), 2);

  auto turn = Advance(*gunner);
  ASSERT_TRUE(Stunned(*gunner));
  EXPECT_EQ(gunner->GetOrder(0)->Word(0), 1u);
  EXPECT_TRUE(OfType(*turn, 0, 303).empty());
  turn = Advance(*gunner);
  ASSERT_EQ(gunner->GetOrderCount(), 1);
  EXPECT_EQ(gunner->GetOrder(0)->type, static_cast<std::uint32_t>(ORDER_MOVE_TO_ASTEROID));
  EXPECT_EQ(OfType(*turn, 0, 303).size(), 1u);
  EXPECT_EQ(gunner->location.asteroid, CGSolarDB::GetAsteroidCount()) << "the order behind took the same turn";
  const auto lifted = Notices(*turn, 0, 101);
  ASSERT_EQ(lifted.size(), 1u);
  EXPECT_EQ(ReadU32(lifted[0], 144), static_cast<std::uint32_t>(ORDER_STUNNED));
}

// A stun ends in a turn's orders, before its battles: an armed mind weapon
// standing by stunned the ship again in that battle, turn after turn, and its
// player, who cannot order a stunned ship, never had a turn to move it.
TEST_F(SpecialWeapons, AShipWhoseStunRanOutIsNotStunnedAgainBeforeItsPlayerCanOrderIt) {
  CGUnit* mystic = Fleet(kCombine, Design(kCombine, {kDrive, kMind}), 1, kField)[0];
  mystic->targeting = {0, 1, 0, 0, 0};
  ASSERT_EQ(SubmitPlan(kCombine, *mystic, 1, 2), SrvOrderVerdict::kAccepted);
  CGUnit* target = Fleet(0, Design(0, {kDrive}), 1, kField, 100)[0];
  target->orders.InsertAt(Order(ORDER_STUNNED, 1).release(), 0);

  auto turn = Advance(*target);
  ASSERT_FALSE(Stunned(*target));
  EXPECT_EQ(turn->released, std::vector<std::uint32_t>{target->id});
  SrvResolveBattles(*turn);
  EXPECT_FALSE(Stunned(*target));
  EXPECT_TRUE(OfType(*turn, 0, 503).empty()) << "the mind weapon had nobody to fire at";
  EXPECT_TRUE(OfType(*turn, 0, 301).empty());

  // The next turn it is fair game again.
  turn = Resolve();
  EXPECT_TRUE(Stunned(*target));
  EXPECT_EQ(OfType(*turn, 0, 301).size(), 1u);
}

TEST_F(SpecialWeapons, AMentalAttackNeedsAMindWeaponAndItsRangeAndEndsWithTheStun) {
  CGUnit* mystic = Fleet(kCombine, Design(kCombine, {kDrive, kMind}), 1, kField)[0];
  mystic->targeting = {0, 1, 0, 0, 0};
  CGUnit* plain = Fleet(kCombine, Design(kCombine, {kDrive, kGun}), 1, kField, 20)[0];
  plain->modules[1].SetFiringLevel(0);  // the mind weapon alone fires
  CGUnit* near = Fleet(0, Design(0, {kDrive}), 1, kField, 100)[0];
  CGUnit* far = Fleet(0, Design(0, {kDrive}), 1, kField, 20000)[0];
  EXPECT_EQ(Submit(kCombine, *plain, ORDER_MENTAL_ATTACK, near->id), SrvOrderVerdict::kBadOrder);
  EXPECT_EQ(Submit(kCombine, *plain, ORDER_SPECIAL_ATTACK, near->id), SrvOrderVerdict::kBadOrder);
  EXPECT_EQ(Submit(kCombine, *mystic, ORDER_MENTAL_ATTACK, far->id), SrvOrderVerdict::kOutOfRange);
  EXPECT_EQ(Submit(kCombine, *mystic, ORDER_MENTAL_ATTACK, plain->id), SrvOrderVerdict::kBadTarget);
  EXPECT_EQ(mystic->GetOrderCount(), 0);
  ASSERT_EQ(Submit(kCombine, *mystic, ORDER_MENTAL_ATTACK, near->id), SrvOrderVerdict::kAccepted);
  mystic->ArmSpecialWeapons(false);

  auto turn = Resolve();
  EXPECT_TRUE(Stunned(*near));
  EXPECT_FALSE(Stunned(*far));
  EXPECT_EQ(mystic->GetOrderCount(), 0) << "the attack has done its work";
  const auto done = Notices(*turn, kCombine, 101);
  ASSERT_EQ(done.size(), 1u);
  EXPECT_EQ(ReadU32(done[0], 144), static_cast<std::uint32_t>(ORDER_MENTAL_ATTACK));

  // An attack whose target has gone is over.
  ASSERT_EQ(Submit(kCombine, *mystic, ORDER_MENTAL_ATTACK, near->id), SrvOrderVerdict::kAccepted);
  const Location away{2, 0, 0, 0};
  near->SetLocation(&away);
  turn = Advance(*mystic);
  EXPECT_EQ(mystic->GetOrderCount(), 0);
  EXPECT_EQ(Notices(*turn, kCombine, 102).size(), 1u);
}

TEST_F(SpecialWeapons, ABattlePlanArmsOnlyTheCombinesMindWeaponsAndRaisesNoEmptySlot) {
  CGUnit* mystic = Fleet(kCombine, Design(kCombine, {kDrive, kMind}), 1, kField)[0];
  CGUnit* foreign = Fleet(0, Design(0, {kDrive, kMind}), 1, kField, 50)[0];
  EXPECT_EQ(SubmitPlan(0, *mystic, 1, 2), SrvOrderVerdict::kNotOwner);
  EXPECT_EQ(mystic->IsSpecialWeaponArmed(), 0);
  EXPECT_EQ(SubmitPlan(kCombine, *mystic, 5, 2), SrvOrderVerdict::kBadOrder) << "slot 5 is empty";
  EXPECT_EQ(mystic->GetFiringLevel(5), 0);
  EXPECT_EQ(SubmitPlan(kCombine, *mystic, 0, 3), SrvOrderVerdict::kAccepted) << "a drive runs at its level too";
  const std::uint8_t level = foreign->GetFiringLevel(1);
  EXPECT_EQ(SubmitPlan(0, *foreign, 1, level == 0 ? 2 : 0), SrvOrderVerdict::kBadOrder);
  EXPECT_EQ(foreign->GetFiringLevel(1), level);
  // A plan leaving the levels as they are passes, whatever the slots hold.
  EXPECT_EQ(SubmitPlan(0, *foreign, 0, foreign->GetFiringLevel(0)), SrvOrderVerdict::kAccepted);
}

TEST_F(SpecialWeapons, ABombardStrikesTheZonesAtvsThenItsFacilitiesAndTheReplayShowsEachShot) {
  // The zone is the asteroid's only one held by anybody.
  const CGAsteroid& field = *world.solar.GetAsteroid(kField);
  for (std::uint16_t z = 0; z < field.GetZoneCount(); ++z) {
    Zone(z).owner = kZoneNobody;
    Zone(z).SetAtvCounts(0, 0, 0, 0);
    Zone(z).SetFacilities(0);
  }
  CGZone& zone = Zone(4);
  zone.owner = 0;
  zone.facilityOwner = 0;
  zone.SetAtvCounts(1, 0, 0, 0);
  zone.SetFacilities(FACILITY_POWER | FACILITY_MINING);
  CGUnit* bomber = Fleet(kOrder, Design(kOrder, {kDrive, kBombard}), 1, kField)[0];
  // A star, or what is not an asteroid's index, is no target; nor a missing asteroid.
  EXPECT_EQ(Submit(kOrder, *bomber, ORDER_BOMBARD, 0xFFFF0000u | kField), SrvOrderVerdict::kBadTarget);
  EXPECT_EQ(Submit(kOrder, *bomber, ORDER_BOMBARD, CGSolarDB::GetAsteroidCount()), SrvOrderVerdict::kBadTarget);
  EXPECT_EQ(bomber->GetOrderCount(), 0);
  ASSERT_EQ(Submit(kOrder, *bomber, ORDER_BOMBARD, kField), SrvOrderVerdict::kAccepted);

  int shots = 0;
  for (int turn = 0; turn < 30 && zone.owner != kZoneNobody; ++turn) {
    auto t = Resolve();
    for (std::uint16_t chapter : {kOrder, std::uint16_t{0}}) {
      CRecorder recorder;
      for (const SrvPacket& p : OfType(*t, chapter, 603)) {
        if (ReadU16(p, 10) == kField) {
          EXPECT_EQ(recorder.AddTerrainEventPacket(p), 1);
        }
      }
      int told = 0;
      for (std::uint16_t i = 0; i < recorder.GetTerrainEventCount(); ++i) {
        const TerrainEvent& e = *recorder.GetTerrainEvent(i);
        if (e.a != kTerrainBombardment) continue;
        ++told;
        EXPECT_EQ(e.g, 4u);
        EXPECT_EQ(e.w, kOrder);
      }
      if (chapter == kOrder) shots += told;
      EXPECT_LE(told, 3) << "strength 15: three shots a turn";
    }
  }
  EXPECT_EQ(zone.owner, kZoneNobody) << "ATV and facilities gone, the zone is free";
  EXPECT_EQ(zone.facilities, 0u);
  EXPECT_GE(shots, 3);
}

}  // namespace
}  // namespace battle_test
