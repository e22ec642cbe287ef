// A computer chapter stores designs of what its guild researches, one a turn,
// through the intake a player's design goes through, and refits its ships
// to them.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GTemplateDB.h"
#include "Game/rules/GUnitClass.h"
#include "server/ai/SrvAiBudget.h"
#include "server/ai/SrvAiChapter.h"
#include "server/ai/SrvAiDesigns.h"
#include "server/ai/SrvAiLevel.h"
#include "server/ai/SrvAiOrders.h"
#include "server/ai/SrvAiSubmit.h"
#include "server/orders/SrvOrders.h"
#include "tests/server/ai/srv_ai_fixture.h"

namespace {

using srv_ai_test::RulesGame;

std::vector<SrvPacket> DesignOrders(RulesGame& game, std::uint16_t chapter) {
  std::vector<SrvPacket> designs;
  for (SrvPacket& p : SrvChooseOrders(game.world, chapter, SrvAiLevelOf(2), 5))
    if (ReadU16(p, 0) == PKT_TEMPLATE) designs.push_back(std::move(p));
  return designs;
}

// The guild's module of the kind and technology level (-1: none).
int ModuleOf(const RulesGame& game, int guild, std::uint8_t type, int techLevel) {
  for (int m = 0; m < game.world.modules->GetCount(); ++m) {
    const ModuleRecord* r = game.world.modules->GetRecord(m);
    if (r->type == type && r->techLevel == techLevel && (r->guildMask & (1u << guild)) != 0) return m;
  }
  return -1;
}

int SlotOfHull(const RulesGame& game, std::uint16_t chapter, const CGHull* hull) {
  for (int s = 0; s < kFixedTemplateSlots; ++s)
    if (const CGUnitTemplate* d = game.world.templates->GetTemplate(chapter, s, 1); d != nullptr && d->hull == hull)
      return s;
  return -1;
}

bool Carries(const CGUnitTemplate& design, int module) {
  for (const TemplateModuleSlot& s : design.slots)
    if (s.fitted != 0 && s.moduleId == module) return true;
  return false;
}

// Stores the chapter's design orders of this turn as the turn would; the
// number stored.
int StoreDesigns(RulesGame& game, SrvTurnContext& turn, std::uint16_t chapter) {
  int stored = 0;
  for (const SrvPacket& p : DesignOrders(game, chapter)) {
    EXPECT_EQ(SrvSubmitComputerOrder(turn, chapter, p), SrvOrderVerdict::kAccepted);
    ++stored;
  }
  return stored;
}

// Nothing is stored while nothing improves. A better drive researched
// improves every design that carries a drive: one of them is stored each
// turn, in its own slot, until all carry it; the designs units fly stay with
// them.
TEST(SrvAiDesigns, AResearchedModuleImprovesOneDesignATurn) {
  RulesGame game(2, 40, 1, 2);
  for (std::uint16_t c : {0, 1, 8, 16}) EXPECT_TRUE(DesignOrders(game, c).empty()) << c;
  const int drive = ModuleOf(game, 0, MODULE_PROPULSION, 1), better = ModuleOf(game, 0, MODULE_PROPULSION, 2);
  ASSERT_GE(better, 0);
  int withDrive = 0;
  for (int s = 0; s < kFixedTemplateSlots; ++s)
    if (const CGUnitTemplate* d = game.world.templates->GetTemplate(0, s, 1); d != nullptr && Carries(*d, drive))
      ++withDrive;
  ASSERT_GE(withDrive, 3);
  const CGUnitTemplate* flown = game.world.templates->GetTemplate(0, 0, 1);
  const std::uint32_t flownId = flown->templateId;
  ASSERT_GT(flown->references, 0);
  game.world.research[0].modulePoints[static_cast<std::size_t>(better)] = kResearched;

  int turns = 0;
  for (; turns < 20; ++turns) {
    auto turn = game.Turn();
    const std::vector<SrvPacket> designs = DesignOrders(game, 0);
    if (designs.empty()) break;
    ASSERT_EQ(designs.size(), 1u) << "one a turn";
    const std::uint16_t slot = ReadU16(designs[0], 12);
    const CGHull* hull = game.world.templates->GetTemplate(0, slot, 1)->hull;
    ASSERT_EQ(SrvSubmitComputerOrder(turn, 0, designs[0]), SrvOrderVerdict::kAccepted);
    const CGUnitTemplate* stored = game.world.templates->GetTemplate(0, slot, 1);
    EXPECT_EQ(stored->hull, hull) << "into its own hull's slot";
    EXPECT_TRUE(Carries(*stored, better));
    EXPECT_LE(stored->mass, hull->massLimit);
    EXPECT_EQ(srv_ai_test::OfType(turn, 5, PKT_TEMPLATE).size(), 1u) << "the others are told";
  }
  EXPECT_EQ(turns, withDrive);
  EXPECT_NE(game.world.templates->FindTemplateById(flownId), nullptr) << "the starting units' design stays";
}

// A hull researched later gets a design in the first free slot; every design
// stored, with all the guild's modules researched, keeps within its hull's
// mass limit, and they settle: nothing is stored once each is the best.
TEST(SrvAiDesigns, ANewHullTakesTheNextFreeSlotAndEveryDesignKeepsItsMassLimit) {
  RulesGame game(2, 40, 1, 2);
  SrvGuildResearch& research = game.world.research[0];
  int fresh = -1;
  for (int h = 0; h < game.world.hulls->GetHullCount(0) && fresh < 0; ++h)
    if (research.hullPoints[static_cast<std::size_t>(h)] < kResearched) fresh = h;
  ASSERT_GE(fresh, 0);
  int firstFree = 0;
  while (game.world.templates->GetTemplate(0, firstFree, 1) != nullptr) ++firstFree;
  ASSERT_LT(firstFree, kFixedTemplateSlots);
  research.hullPoints[static_cast<std::size_t>(fresh)] = kResearched;
  {
    auto turn = game.Turn();
    const std::vector<SrvPacket> designs = DesignOrders(game, 0);
    ASSERT_EQ(designs.size(), 1u);
    EXPECT_EQ(ReadU16(designs[0], 12), firstFree);
    EXPECT_EQ(designs[0][46], fresh);
    ASSERT_EQ(SrvSubmitComputerOrder(turn, 0, designs[0]), SrvOrderVerdict::kAccepted);
    EXPECT_EQ(SlotOfHull(game, 0, game.world.hulls->GetHull(0, fresh)), firstFree);
  }

  for (auto& points : {&research.modulePoints, &research.hullPoints})
    for (std::uint16_t& p : *points) p = kResearched;
  int stored = 0, turns = 0;
  for (; turns < 3 * kFixedTemplateSlots; ++turns) {
    auto turn = game.Turn();
    const int now = StoreDesigns(game, turn, 0);
    ASSERT_LE(now, 1);
    if (now == 0) break;
    stored += now;
  }
  EXPECT_LT(turns, 3 * kFixedTemplateSlots) << "the designs settle";
  EXPECT_GE(stored, game.world.hulls->GetHullCount(0) - firstFree - 1);
  for (int h = 0; h < game.world.hulls->GetHullCount(0); ++h) {
    const int slot = SlotOfHull(game, 0, game.world.hulls->GetHull(0, h));
    ASSERT_GE(slot, 0) << "hull " << h;
    const CGUnitTemplate* d = game.world.templates->GetTemplate(0, slot, 1);
    EXPECT_LE(d->mass, d->hull->massLimit) << d->GetName();
  }
}

// The game's hulls take their best modules with room to spare; a hull with
// less room takes lighter modules of the kind, or leaves a slot empty,
// rather than pass its limit, and the intake takes the design.
TEST(SrvAiDesigns, TheBestDesignKeepsItsHullsMassLimit) {
  RulesGame game(2, 40, 1, 2);
  for (std::uint16_t& p : game.world.research[0].modulePoints) p = kResearched;
  const int slot = 1;
  CGHull* hull = game.world.templates->GetTemplate(0, slot, 1)->hull;
  int position = 0;
  while (game.world.hulls->GetHull(0, position) != hull) ++position;
  const auto roomy = SrvAiBestDesign(game.world, 0, hull, 1, true);
  ASSERT_LE(roomy->mass, hull->massLimit);
  const std::uint32_t given = hull->massLimit;
  std::uint32_t limit = roomy->mass - 1;
  for (int tighter = 0; tighter < 3; ++tighter, limit = (limit + hull->mass) / 2) {
    hull->massLimit = limit;
    const auto best = SrvAiBestDesign(game.world, 0, hull, game.Chapter(0).nextObjectId, true);
    EXPECT_LE(best->mass, limit);
    EXPECT_GT(best->moduleCount, 0);
    int lighter = 0;
    for (int s = 0; s < hull->GetSlotCount(); ++s)
      lighter += best->slots[s].fitted == 0 || best->slots[s].moduleId != roomy->slots[s].moduleId ? 1 : 0;
    EXPECT_GT(lighter, 0);
    auto turn = game.Turn();
    EXPECT_EQ(SrvSubmitComputerOrder(turn, 0, SrvAiDesignOrder(0, slot, static_cast<std::uint8_t>(position), *best)),
              SrvOrderVerdict::kAccepted);
  }
  hull->massLimit = given;
}

// Every class's first hull is built from the start: each guild's chapters
// begin with a warship (armed, driven, building and carrying nothing) on its
// cruiser and on its battleship, designs their builds may choose.
TEST(SrvAiDesigns, ANewGameGivesEveryChapterACruiserAndABattleship) {
  RulesGame game(2, 40, 1, 2);
  for (std::uint16_t chapter = 0; chapter < 40; chapter += 8) {
    for (const std::uint8_t unitClass : {UNITCLASS_CRUS, UNITCLASS_BATT}) {
      const CGUnitTemplate* found = nullptr;
      for (int s = 0; s < kFixedTemplateSlots && found == nullptr; ++s)
        if (const CGUnitTemplate* d = game.world.templates->GetTemplate(chapter, s, 1);
            d != nullptr && d->hull != nullptr && d->hull->unitClass == unitClass)
          found = d;
      ASSERT_NE(found, nullptr) << "chapter " << chapter << " unit class " << int{unitClass};
      EXPECT_GT(found->attack, 0u) << found->GetName();
      EXPECT_GT(found->deepThrust, 0u) << found->GetName();
      EXPECT_EQ(found->construction, 0u) << found->GetName();
      EXPECT_EQ(found->atvCapacity, 0u) << found->GetName();
    }
  }
}

// A chapter a player holds designs for itself.
TEST(SrvAiDesigns, AChapterAPlayerHoldsGetsNoDesign) {
  RulesGame game(2, 40, 1, 2);
  const int better = ModuleOf(game, 0, MODULE_PROPULSION, 2);
  game.world.research[0].modulePoints[static_cast<std::size_t>(better)] = kResearched;
  const std::uint32_t before0 = game.world.templates->GetTemplate(0, 0, 1)->templateId;
  const std::uint32_t before1 = game.world.templates->GetTemplate(1, 0, 1)->templateId;
  auto turn = game.Turn();
  turn.human[0] = true;
  SrvPlayComputerChapters(turn);
  EXPECT_EQ(game.world.templates->GetTemplate(0, 0, 1)->templateId, before0);
  EXPECT_NE(game.world.templates->GetTemplate(1, 0, 1)->templateId, before1) << "its computer guild mate's improves";
}

// A ship flying a design its hull's slot now improves on is refitted by a
// builder beside it once the fleet is full, through the intake, and flies
// the slot's design when the work is done.
TEST(SrvAiDesigns, AnIdleShipIsRefittedToItsHullsImprovedDesign) {
  RulesGame game(2, 40, 1, 2);
  const std::uint16_t home = game.Chapter(0).homeAsteroid;
  game.world.turn = kStakeTurns;
  for (std::uint32_t m = 0; m < kMineralTypes; ++m) game.world.poolDB.SetMineral(home, m, 100000);
  game.Chapter(0).credits = 100000;
  CGUnit* builder = nullptr;
  for (std::uint16_t k = 0; CGUnit* u = game.world.pieces->GetOperationalUnitAt(home, 0, k); ++k)
    if (u->GetConstructionCapacity() > 0 && builder == nullptr) builder = u;
  ASSERT_NE(builder, nullptr);
  const int better = ModuleOf(game, 0, MODULE_PROPULSION, 2);
  game.world.research[0].modulePoints[static_cast<std::size_t>(better)] = kResearched;
  for (int t = 0; t < 20; ++t) {
    auto turn = game.Turn();
    if (StoreDesigns(game, turn, 0) == 0) break;
  }
  // A fleet past the level's cap, of a new design: nothing more to build.
  const CGUnitTemplate* fleet = game.world.templates->GetTemplate(0, 0, 1);
  Location away{};
  away.asteroid = static_cast<std::uint16_t>(home == 0 ? 1 : 0);
  for (int i = 0; i < 60; ++i) game.world.CreateUnit(0, const_cast<CGUnitTemplate*>(fleet), away);

  SrvPacket refit;
  ASSERT_EQ(srv_ai_test::OrderFor(game, 0, *builder, 2, &refit), ORDER_MODIFY_SHIP);
  OrderPacket parsed;
  ASSERT_TRUE(ParseOrderPacket(refit, &parsed));
  UnitOrder order;
  std::copy_n(parsed.head.begin(), order.head.size(), order.head.begin());
  std::uint16_t at = 0;
  CGUnit* ship = game.world.pieces->FindUnit(order.Word(1), &at);
  ASSERT_NE(ship, nullptr);
  EXPECT_NE(ship, builder);
  EXPECT_EQ(at, home) << "the ship beside it";
  const CGUnitTemplate* improved =
      game.world.templates->GetTemplate(0, SlotOfHull(game, 0, ship->GetTemplate()->hull), 1);
  ASSERT_NE(improved, ship->GetTemplate());
  EXPECT_EQ(order.Word(0), improved->templateId);
  for (const SrvPacket& p : SrvChooseOrders(game.world, 0, SrvAiLevelOf(2), 5))
    EXPECT_FALSE(ReadU16(p, 0) == PKT_ORDER && ReadU32(p, 8) == ship->id) << "kept for the refit";
  auto turn = game.Turn();
  ASSERT_EQ(SrvSubmitComputerOrder(turn, 0, refit), SrvOrderVerdict::kAccepted);
  for (int t = 0; t < 100 && builder->GetOrderCount() != 0; ++t) SrvResolveOrders(turn);
  EXPECT_EQ(ship->GetTemplate(), improved);
}

}  // namespace
