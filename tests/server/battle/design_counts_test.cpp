// A space battle on its designs' counters: shots, hits, shots and hits
// taken, units lost and units destroyed, and every player told of them.
#include <gtest/gtest.h>

#include "Game/rules/GUnitTem.h"
#include "server/battle/SrvDesignCounts.h"
#include "tests/server/battle/battle_fixture.h"

namespace battle_test {
namespace {

constexpr std::uint16_t kBattleAsteroid = 1;

using DesignCounts = BattleWorld;

SrvShot Shot(std::uint32_t from, std::uint32_t at, std::initializer_list<SrvShotCode> codes) {
  SrvShot s;
  s.unitId = from;
  s.targetId = at;
  for (SrvShotCode c : codes) s.parts[s.partCount++].code = c;
  return s;
}

TEST_F(DesignCounts, ABattleCountsOnBothSidesDesignsAndEveryoneIsTold) {
  CGUnitTemplate* strong = Design(0, {kDrive, kGun, kGun, kGun});
  CGUnitTemplate* weak = Design(8, {kDrive, kGun});
  Fleet(0, strong, 4, kBattleAsteroid);
  const auto lost = Fleet(8, weak, 1, kBattleAsteroid, 100);
  auto turn = Resolve();
  ASSERT_FALSE(lost[0]->IsOperational());

  EXPECT_EQ(weak->trailingWords[0], 1u) << "dead";
  EXPECT_EQ(strong->trailingWords[1], 1u) << "kills";
  EXPECT_EQ(strong->trailingWords[0], 0u);
  EXPECT_EQ(weak->trailingWords[1], 0u);
  EXPECT_GT(strong->trailingLongs[0], 0u) << "shots";
  EXPECT_GT(strong->trailingLongs[1], 0u) << "hits";
  EXPECT_LE(strong->trailingLongs[1], strong->trailingLongs[0]);
  // With two designs in the fight, what one fires the other takes.
  EXPECT_EQ(weak->trailingLongs[2], strong->trailingLongs[0]);
  EXPECT_EQ(weak->trailingLongs[3], strong->trailingLongs[1]);
  EXPECT_EQ(strong->trailingLongs[2], weak->trailingLongs[0]);
  EXPECT_EQ(strong->trailingLongs[3], weak->trailingLongs[1]);

  // A chapter that was not there hears of both, as it heard of them at the start.
  for (std::uint16_t chapter : {0, 8, 16}) {
    int told = 0;
    for (const SrvPacket& p : OfType(*turn, chapter, 201)) {
      const CGUnitTemplate* d = ReadU32(p, 8) == strong->templateId ? strong
                                : ReadU32(p, 8) == weak->templateId ? weak
                                                                    : nullptr;
      if (d == nullptr) continue;
      ++told;
      EXPECT_EQ(ReadU16(p, 16), d->trailingWords[0]);
      EXPECT_EQ(ReadU16(p, 18), d->trailingWords[1]);
      for (int i = 0; i < 4; ++i) EXPECT_EQ(ReadU32(p, 20 + 4 * i), d->trailingLongs[i]);
    }
    EXPECT_EQ(told, 2) << chapter;
  }
}

TEST_F(DesignCounts, AHeldShotIsNoHitAndAShotAtNoUnitCountsOnlyOnItsFirer) {
  CGUnitTemplate* a = Design(0, {kDrive, kGun});
  CGUnitTemplate* b = Design(8, {kDrive, kShield});
  CGUnitTemplate* idle = Design(16, {kDrive});
  const auto ua = Fleet(0, a, 1, kBattleAsteroid);
  const auto ub = Fleet(8, b, 1, kBattleAsteroid, 100);
  const auto ui = Fleet(16, idle, 1, kBattleAsteroid, 200);
  SrvSpaceBattleResult r;
  r.rounds.push_back({Shot(ua[0]->id, ub[0]->id, {kShotShieldHeld}), Shot(ua[0]->id, ub[0]->id, {kShotMiss}),
                      Shot(ua[0]->id, kAsteroidTargetTag | kBattleAsteroid, {kShotHit})});
  r.rounds.push_back({Shot(ua[0]->id, ub[0]->id, {kShotHit, kShotDestroyed})});
  r.destroyed.push_back(ub[0]->id);
  std::vector<CGUnit*> units = {ua[0], ub[0], ui[0]};
  const auto changed = SrvCountBattleOnDesigns(r, units);
  EXPECT_EQ(changed, (std::vector<CGUnitTemplate*>{a, b}));
  EXPECT_EQ(a->trailingLongs[0], 4u);
  EXPECT_EQ(a->trailingLongs[1], 2u);
  EXPECT_EQ(a->trailingWords[1], 1u);
  EXPECT_EQ(b->trailingLongs[2], 3u);
  EXPECT_EQ(b->trailingLongs[3], 1u);
  EXPECT_EQ(b->trailingWords[0], 1u);
  // A counter at its greatest value stays there.
  a->trailingWords[1] = 0xFFFF;
  SrvCountBattleOnDesigns(r, units);
  EXPECT_EQ(a->trailingWords[1], 0xFFFFu);
}

}  // namespace
}  // namespace battle_test
