// A computer chapter's warships fit their guild's bombard beside their guns,
// its guild researches the better one, and a warship fires it at an enemy
// ship by a special attack; mind weapons are neither fitted nor researched.
#include <gtest/gtest.h>

#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GUnit.h"
#include "Game/model/GUnitModules.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GTemplateDB.h"
#include "Game/rules/GUnitClass.h"
#include "server/ai/SrvAiChapter.h"
#include "server/ai/SrvAiDesigns.h"
#include "server/ai/SrvAiLevel.h"
#include "server/ai/SrvAiOrders.h"
#include "server/ai/SrvAiSight.h"
#include "server/ai/SrvAiSubmit.h"
#include "server/battle/SrvSpaceBattle.h"
#include "server/orders/SrvOrders.h"
#include "tests/server/ai/srv_ai_fixture.h"

namespace {

using srv_ai_test::RulesGame;

struct Weapons {
  int guns = 0;
  std::vector<std::uint8_t> specials;
  int specialTech = 0;
};

Weapons WeaponsOf(const RulesGame& game, const CGUnitTemplate& design) {
  Weapons w;
  for (const TemplateModuleSlot& s : design.slots) {
    const ModuleRecord* r = s.fitted != 0 ? game.world.modules->GetRecord(s.moduleId) : nullptr;
    if (r == nullptr || r->type != MODULE_WEAPON) continue;
    if (r->SpecialCode() == 0) {
      ++w.guns;
      continue;
    }
    w.specials.push_back(r->SpecialCode());
    w.specialTech = r->techLevel;
  }
  return w;
}

CGHull* HullOfClass(RulesGame& game, int guild, std::uint8_t unitClass) {
  for (int h = 0; h < game.world.hulls->GetHullCount(guild); ++h)
    if (CGHull* hull = game.world.hulls->GetHull(guild, h); hull != nullptr && hull->unitClass == unitClass)
      return hull;
  return nullptr;
}

int HullPosition(RulesGame& game, int guild, const CGHull* hull) {
  int position = 0;
  while (game.world.hulls->GetHull(guild, position) != hull) ++position;
  return position;
}

void ResearchEverything(RulesGame& game, int guild) {
  for (std::uint16_t& p : game.world.research[static_cast<std::size_t>(guild)].modulePoints) p = kResearched;
}

// With everything researched, a hard chapter's warship of several weapon
// slots takes one bombard, its guild's best, and guns in the others; the other guilds fit
// guns alone (the Emerald Combine's mind weapon too is left out), and an armed
// scout's single weapon slot keeps its gun.
TEST(SrvAiSpecialWeapons, AWarshipFitsItsGuildsBombardBesideItsGuns) {
  RulesGame game(1, 40, 1, 2);
  const struct {
    int guild;
    std::uint8_t code;
  } guilds[] = {{0, 0}, {1, 0}, {2, 0}, {3, kSpecialBombard}, {4, 0}};
  for (const auto& g : guilds) {
    ResearchEverything(game, g.guild);
    const auto chapter = static_cast<std::uint16_t>(g.guild * 8);
    for (const std::uint8_t unitClass : {UNITCLASS_DEST, UNITCLASS_CRUS, UNITCLASS_BATT}) {
      CGHull* hull = HullOfClass(game, g.guild, unitClass);
      ASSERT_NE(hull, nullptr);
      const auto design = SrvAiBestDesign(game.world, chapter, hull, game.Chapter(chapter).nextObjectId, true);
      const Weapons w = WeaponsOf(game, *design);
      SCOPED_TRACE(hull->name);
      EXPECT_GE(w.guns, 1);
      if (g.code == 0) {
        EXPECT_TRUE(w.specials.empty());
        continue;
      }
      ASSERT_EQ(w.specials.size(), 1u);
      EXPECT_EQ(w.specials[0], g.code);
      EXPECT_EQ(w.specialTech, 2) << "the better one, researched";
      auto turn = game.Turn();
      EXPECT_EQ(
          SrvSubmitComputerOrder(
              turn, chapter,
              SrvAiDesignOrder(chapter, 14, static_cast<std::uint8_t>(HullPosition(game, g.guild, hull)), *design)),
          SrvOrderVerdict::kAccepted);
    }
    if (g.code != 0) {
      const auto easy = SrvAiBestDesign(game.world, chapter, HullOfClass(game, g.guild, UNITCLASS_DEST), 1, false);
      EXPECT_TRUE(WeaponsOf(game, *easy).specials.empty()) << "at a level that fits none";
    }
    const auto scout = SrvAiBestDesign(game.world, chapter, HullOfClass(game, g.guild, UNITCLASS_ASCT), 1, true);
    const Weapons w = WeaponsOf(game, *scout);
    EXPECT_EQ(w.guns, 1) << "guild " << g.guild;
    EXPECT_TRUE(w.specials.empty()) << "guild " << g.guild;
  }
}

// The module with the special code and technology level of the guild; -1: none.
int SpecialOf(const RulesGame& game, int guild, std::uint8_t code, int techLevel) {
  for (int m = 0; m < game.world.modules->GetCount(); ++m)
    if (const ModuleRecord* r = game.world.modules->GetRecord(m);
        r->SpecialCode() == code && r->techLevel == techLevel && (r->guildMask & (1u << guild)) != 0)
      return m;
  return -1;
}

// The module the chapter allocates research to this turn; -1: none.
int Researching(RulesGame& game, std::uint16_t chapter, std::uint16_t level) {
  for (const SrvPacket& p : SrvChooseOrders(game.world, chapter, SrvAiLevelOf(level), 5))
    if (ReadU16(p, 0) == PKT_MODULE_ALLOCATION && ReadU16(p, 12) > 0) return ReadU16(p, 10);
  return -1;
}

// Research reaches the better bombard once every other module is done, at
// hard, the level that fits bombards; the better mind weapon is left alone.
TEST(SrvAiSpecialWeapons, TheBetterBombardIsResearchedAndNoMindWeapon) {
  RulesGame game(1, 40, 1, 2);
  ResearchEverything(game, 3);
  const int hammer = SpecialOf(game, 3, kSpecialBombard, 2);
  ASSERT_GE(hammer, 0);
  game.world.research[3].modulePoints[static_cast<std::size_t>(hammer)] = 0;
  EXPECT_EQ(Researching(game, 24, 2), hammer);
  EXPECT_EQ(Researching(game, 24, 1), -1) << "average fits no bombard";
  EXPECT_EQ(Researching(game, 24, 0), -1) << "nor does easy";

  ResearchEverything(game, 1);
  const int choir = SpecialOf(game, 1, kSpecialMind, 2);
  ASSERT_GE(choir, 0);
  game.world.research[1].modulePoints[static_cast<std::size_t>(choir)] = 0;
  EXPECT_EQ(Researching(game, 8, 2), -1);
}

// A warship with a bombard in reach of an enemy ship attacks it with a
// special attack, which the intake takes and which stands while the target
// is in reach; without the bombard in reach it attacks with its guns alone.
TEST(SrvAiSpecialWeapons, ABombardFiresAtAShipInReachBySpecialAttack) {
  RulesGame game(1, 40, 1, 2);
  ResearchEverything(game, 3);
  CGHull* hull = HullOfClass(game, 3, UNITCLASS_DEST);
  const auto best = SrvAiBestDesign(game.world, 24, hull, game.Chapter(24).nextObjectId, true);
  auto turn = game.Turn();
  ASSERT_EQ(SrvSubmitComputerOrder(
                turn, 24, SrvAiDesignOrder(24, 14, static_cast<std::uint8_t>(HullPosition(game, 3, hull)), *best)),
            SrvOrderVerdict::kAccepted);
  CGUnitTemplate* design = game.world.templates->GetTemplate(24, 14, 1);
  ASSERT_NE(design, nullptr);
  const std::uint16_t home = game.Chapter(0).homeAsteroid;
  const CGUnit* defender = game.world.pieces->GetOperationalUnitAt(home, 0, 0);
  ASSERT_NE(defender, nullptr);
  CGUnit* raider = game.world.CreateUnit(24, design, defender->location);
  ASSERT_NE(raider, nullptr);
  const int bombard = SrvSpecialSlot(*raider, kSpecialBombard);
  ASSERT_GE(bombard, 0);
  ASSERT_TRUE(SrvAiBombardReaches(*raider, *defender));

  SrvPacket attack;
  ASSERT_EQ(srv_ai_test::OrderFor(game, 24, *raider, 2, &attack), ORDER_SPECIAL_ATTACK);
  ASSERT_EQ(SrvSubmitComputerOrder(turn, 24, attack), SrvOrderVerdict::kAccepted);
  EXPECT_EQ(srv_ai_test::OrderFor(game, 24, *raider, 2), -1) << "a standing special attack in reach is kept";

  // The bombard destroyed: the guns alone attack.
  raider->CancelOrders();
  raider->modules[bombard].damage = static_cast<std::uint8_t>(raider->GetSlotCapacity(bombard));
  ASSERT_FALSE(SrvAiBombardReaches(*raider, *defender));
  EXPECT_EQ(srv_ai_test::OrderFor(game, 24, *raider, 2), ORDER_ATTACK_UNIT);
}

}  // namespace
