// The order modes over a small game: each mode's checks in their order with
// the text, voice and whether the mode stays, the orders a target gives every
// selected unit, and the packets the modes send.
#include <gtest/gtest.h>

#include "Game/model/GUnit.h"
#include "Game/net/OrderMenuPackets.h"
#include "Game/views/frame/CVGeneric.h"
#include "platform/user/keys.h"
#include "tests/Game/views/frame/order_world.h"

namespace {

using namespace views_test;

class OrderModes : public OrderWorld {
 protected:
  // Enters `mode` for `unit` as the menus do (the unit selected).
  void Enter(std::uint32_t mode, const CGUnit* unit) {
    SharedScreen().commandMode = mode;
    SharedScreen().commandUnitId = unit ? unit->id : 0xFFFFFFFF;
    if (unit) Select(unit);
    SharedScreen().voicePath.clear();
    SharedScreen().statusText.clear();
  }
  // The status text and voice file of the last message.
  void ExpectTold(const char* id, int voice) {
    EXPECT_EQ(SharedScreen().statusText, Text(id)) << id;
    EXPECT_EQ(LastVoice(), voice ? VoiceFile(voice) : "") << id;
  }
  bool ModeKept(std::uint32_t mode) const { return SharedScreen().commandMode == mode; }
};

TEST_F(OrderModes, PowerTransferChecksTheTankerThenItselfThenGives) {
  OrderView& v = Make();
  CGUnit* tanker = Builder(1);
  CGUnit* other = Builder(1);
  ASSERT_NE(tanker->GetTransferRate(), 0);
  Enter(6, tanker);
  EXPECT_EQ(v.ExecuteOrderMode(2, tanker->id), 0);
  ExpectTold("RECHARG3", 19);
  EXPECT_TRUE(ModeKept(kNoCommandMode));
  EXPECT_EQ(g_gameData->GetSelectionCount(), 0u);

  Enter(6, tanker);
  tanker->power = 0;
  EXPECT_EQ(v.ExecuteOrderMode(2, other->id), 0);
  ExpectTold("RECHARG2", 18);
  tanker->power = tanker->GetMaxPower();

  Enter(6, tanker);
  EXPECT_EQ(v.ExecuteOrderMode(2, other->id), 1);
  ExpectTold("RECHARG4", 20);
  EXPECT_EQ(SentOrders(), std::vector<std::uint32_t>{6});
  EXPECT_TRUE(ModeKept(kNoCommandMode));

  // A vanished tanker, and picks that are no unit on an asteroid.
  Enter(6, tanker);
  SharedScreen().commandUnitId = 0x2400FFFF;
  EXPECT_EQ(v.ExecuteOrderMode(2, other->id), 0);
  ExpectTold("TANKDEAD", 0);
  Enter(6, tanker);
  EXPECT_EQ(v.ExecuteOrderMode(0, 1), 0);
  ExpectTold("INVLDTGT", 13);
  EXPECT_TRUE(ModeKept(kNoCommandMode));
  CGUnit* flying = Builder(4);
  Enter(6, tanker);
  EXPECT_EQ(v.ExecuteOrderMode(2, flying->id), 0);
  ExpectTold("CANTINTC", 36);
}

TEST_F(OrderModes, AnotherChaptersUnitIsRefusedWithTheModeKeptExceptInScrapAndScans) {
  OrderView& v = Make();
  CGUnit* own = Builder(1);
  CGUnit* enemy = Builder(1, kOther);
  for (std::uint32_t mode : {6u, 7u, 10u, 17u, 22u, 23u, 25u, 32u}) {
    Enter(mode, own);
    EXPECT_EQ(v.ExecuteOrderMode(2, enemy->id), 0) << mode;
    ExpectTold("INVLDTGT", 13);
    EXPECT_TRUE(ModeKept(mode)) << mode;
    EXPECT_EQ(g_gameData->GetSelectionCount(), 1u) << mode;
    g_gameData->ClearSelection();
  }
  // Scanning another chapter's unseen design gives the scan order.
  enemy->GetTemplate()->visible = 0;
  Enter(11, own);
  EXPECT_EQ(v.ExecuteOrderMode(2, enemy->id), 1);
  ExpectTold("SCANINIT", 14);
  EXPECT_EQ(SentOrders(), std::vector<std::uint32_t>{12});
}

TEST_F(OrderModes, ScrapAndDecommissionKeepTheModeOnAnAsteroidAndScrapFarOffMovesFirst) {
  OrderView& v = Make();
  CGUnit* scrapper = Builder(1);
  CGUnit* wreck = Unit({kComputer}, 1, kLocal, 3000);
  for (std::uint32_t mode : {9u, 10u, 23u}) {
    Enter(mode, scrapper);
    EXPECT_EQ(v.ExecuteOrderMode(12, 1), 0) << mode;
    ExpectTold("INVLDTGT", 13);
    EXPECT_TRUE(ModeKept(mode));
    g_gameData->ClearSelection();
  }
  Enter(9, scrapper);
  EXPECT_EQ(v.ExecuteOrderMode(2, scrapper->id), 0);
  ExpectTold("DECOMFD3", 33);
  Enter(9, scrapper);
  ASSERT_EQ(scrapper->IsUnitInRange(9, wreck, kWorkRangeSq), 0u);
  EXPECT_EQ(v.ExecuteOrderMode(2, wreck->id), 1);
  ExpectTold("DECOINIT", 34);
  // The move to the wreck (a unit of its own: go to unit), the scrap appended behind it.
  EXPECT_EQ(SentOrders(), (std::vector<std::uint32_t>{1, 9}));
  ASSERT_EQ(scrapper->GetOrderCount(), 2u);
  EXPECT_EQ(scrapper->GetOrder(1)->type, 9u);

  // Decommission asks the target (or a selected unit) for construction: two hulls have none.
  CGUnit* hulk = Unit({kComputer}, 1);
  Enter(10, hulk);
  EXPECT_EQ(v.ExecuteOrderMode(2, wreck->id), 0);
  ExpectTold("DECOMFD2", 32);
  Enter(10, hulk);
  EXPECT_EQ(v.ExecuteOrderMode(2, scrapper->id), 1);
  ExpectTold("DECOINIT", 34);
  EXPECT_EQ(SentOrders(), std::vector<std::uint32_t>{10});
}

TEST_F(OrderModes, ScanSwitchesBetweenAsteroidAndUnitAndAVisibleDesignOpensTheDesignView) {
  OrderView& v = Make(VIEW_ASTEROID_SPACE);
  CGUnit* scout = Builder(1);
  CGUnit* friendShip = Builder(1);
  Enter(11, scout);
  EXPECT_EQ(v.ExecuteOrderMode(1, 0), 0);
  EXPECT_EQ(v.views, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{VIEW_SOLAR, 0xFFFFFFFF}}));
  EXPECT_EQ(v.ExecuteOrderMode(12, 7), 0);  // no such asteroid: nothing said
  EXPECT_TRUE(ModeKept(11));
  EXPECT_EQ(v.ExecuteOrderMode(12, 2), 1);
  ExpectTold("SRVYINIT", 15);
  EXPECT_EQ(SentOrders().back(), 11u);  // behind the move there

  v.views.clear();
  Enter(12, scout);
  EXPECT_EQ(v.ExecuteOrderMode(2, friendShip->id), 1);
  EXPECT_EQ(v.views, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{VIEW_DESIGN, friendShip->id}}));
  EXPECT_EQ(scout->GetOrderCount(), 0u);
  EXPECT_TRUE(ModeKept(kNoCommandMode));
}

TEST_F(OrderModes, ConstructRefusesEveryClickAndModifyWaitsForTheTemplate) {
  OrderView& v = Make();
  CGUnit* yard = Builder(1);
  CGUnit* hull = Builder(1);
  Enter(16, yard);
  EXPECT_EQ(v.ExecuteOrderMode(2, hull->id), 0);
  ExpectTold("INVLDTGT", 13);
  EXPECT_TRUE(ModeKept(kNoCommandMode));
  Enter(17, yard);
  EXPECT_EQ(v.ExecuteOrderMode(2, hull->id), 1);
  EXPECT_EQ(SharedScreen().statusText, Text("SELCTTPT"));
  EXPECT_TRUE(ModeKept(17));
  EXPECT_EQ(SharedScreen().modifyTargetId, hull->id);
  EXPECT_TRUE(SentOrders().empty());
}

TEST_F(OrderModes, RefuelAtAnAsteroidSendsOnlyForAShipInRangeAndAlwaysEnds) {
  OrderView& v = Make();
  CGUnit* near = Builder(2);
  CGUnit* far = Unit({kComputer, kPower}, 2, kLocal, 5000);  // no drive: a wider range, still too far
  auto enter = [&] {
    Enter(8, nullptr);
    SharedScreen().commandUnitId = kAsteroidSubject | 2;
  };
  enter();
  EXPECT_EQ(v.ExecuteOrderMode(2, far->id), 1);
  ExpectTold("NOINRNGE", 0);
  EXPECT_TRUE(packets.empty());
  EXPECT_TRUE(ModeKept(kNoCommandMode));
  enter();
  EXPECT_EQ(v.ExecuteOrderMode(0, 2), 1);
  ExpectTold("INVLDTGT", 13);
  enter();
  EXPECT_EQ(v.ExecuteOrderMode(2, near->id), 1);
  ExpectTold("RECHARG5", 21);
  ASSERT_EQ(packets.size(), 1u);
  RefuelAtAsteroidPacket sent;
  ASSERT_TRUE(RefuelAtAsteroidPacket::Parse(packets[0], &sent));
  EXPECT_EQ(packets[0].size(), 16u);
  EXPECT_EQ(packets[0][0], 126);
  EXPECT_EQ(sent.unitId, near->id);
  EXPECT_EQ(sent.asteroid, 2);
  EXPECT_EQ(SharedScreen().commandUnitId, 0xFFFFFFFFu);
}

TEST_F(OrderModes, AGroupMoveGivesEveryUnitTheSlowestArrivalAndOtherModesAreNotImplemented) {
  OrderView& v = Make();
  CGUnit* fast = Builder(0);
  CGUnit* slow = Unit({kComputer, kCrawler}, 0);
  CGUnit* there = Builder(3);
  Enter(25, fast);
  Select(slow);
  Select(there);
  EXPECT_EQ(v.ExecuteOrderMode(2, slow->id), 0);
  ExpectTold("INVLDTGT", 13);
  EXPECT_TRUE(ModeKept(25));
  // The slowest of those that can get there (a unit already there counts too).
  std::uint32_t slowest = 0;
  for (CGUnit* u : {fast, slow, there}) {
    std::int32_t failure = 0;
    const std::uint32_t turns = u->GetTurnsToAsteroid(3, &failure);
    if (turns != kUnreachable) slowest = std::max(slowest, turns);
  }
  ASSERT_EQ(slow->GetOrderCount(), 0u);
  EXPECT_EQ(v.ExecuteOrderMode(0, 3), 1);
  ExpectTold("FORMINIT", 16);
  EXPECT_EQ(fast->stage, std::min<std::uint32_t>(slowest, 255));
  EXPECT_EQ(fast->GetOrder(0)->type, 2u);
  EXPECT_EQ(slow->stage, fast->stage);    // the group arrives together
  EXPECT_EQ(there->GetOrderCount(), 0u);  // already there
  EXPECT_EQ(g_gameData->GetSelectionCount(), 0u);

  for (std::uint32_t mode : {13u, 0xFFu, 34u}) {
    Enter(mode, fast);
    EXPECT_EQ(v.ExecuteOrderMode(0, 1), 1);
    ExpectTold("NOTIMPYT", 0);
    EXPECT_TRUE(ModeKept(kNoCommandMode));
  }
  // Bombard: the solar entry keeps the selection, another unit does not.
  Enter(32, fast);
  EXPECT_EQ(v.ExecuteOrderMode(1, 0), 0);
  EXPECT_EQ(g_gameData->GetSelectionCount(), 1u);
  EXPECT_EQ(v.ExecuteOrderMode(2, slow->id), 0);
  EXPECT_EQ(g_gameData->GetSelectionCount(), 0u);
}

TEST_F(OrderModes, PickingGivesEverySelectedUnitTheOrderAndCtrlAppends) {
  OrderView& v = Make();
  CGUnit* a = Builder(1);
  CGUnit* b = Builder(1);
  CGUnit* enemy = Builder(1, kOther);
  CGUnit* grounded = Unit({kComputer, kThruster}, 2);
  // The only selected unit clicked again: the pick is cancelled, no order.
  Select(a);
  EXPECT_EQ(v.PickTarget(2, a->id), 1);
  EXPECT_TRUE(SentOrders().empty());

  Select(b);
  EXPECT_EQ(v.PickTarget(12, 3), 1);
  EXPECT_EQ(SentOrders(), (std::vector<std::uint32_t>{3, 3}));  // move next to, in asteroid space
  ExpectTold("TRGTAQRD", 38);
  EXPECT_EQ(g_gameData->GetSelectionCount(), 0u);

  Select(a);
  Select(b);
  EXPECT_EQ(v.PickTarget(2, enemy->id), 1);
  EXPECT_EQ(SentOrders(), (std::vector<std::uint32_t>{5, 5}));
  ExpectTold("TRGTAQRD", 12);

  Select(a);
  const std::uint16_t before = a->GetOrderCount();
  backend->KeyDown(plat::VK_CONTROL, 10);
  backend->RunUntilIdle();
  EXPECT_EQ(v.OrderMoveToLocation(2, 0, 2, 0), 1);
  backend->KeyUp(plat::VK_CONTROL, 10);
  backend->RunUntilIdle();
  EXPECT_EQ(a->GetOrderCount(), before + 1);
  EXPECT_EQ(v.OrderMoveToLocation(2, 0, 2, 0), 1);
  EXPECT_EQ(a->GetOrderCount(), 1u);
  g_gameData->ClearSelection();

  // Without a solar drive a unit stays at its asteroid.
  Select(grounded);
  EXPECT_EQ(v.OrderMoveToLocation(2, 0, 3, 0), 0);
  EXPECT_EQ(SharedScreen().statusText, Text("NOTRANSE"));
  g_gameData->ClearSelection();
  // A unit in solar space is never a target; a vanished selection orders nothing.
  CGUnit* flying = Builder(4);
  Select(a);
  EXPECT_EQ(v.PickTarget(2, flying->id), 0);
  ExpectTold("CANTINTC", 36);
  g_gameData->AddToSelection(2, 0x24000999, 1);
  EXPECT_EQ(v.OrderMoveToLocation(2, 0, 2, 0), 0);
}

TEST_F(OrderModes, DeletingOrdersCancelsEverySelectedUnitsQueue) {
  OrderView& v = Make();
  CGUnit* a = Builder(1);
  CGUnit* b = Builder(1);
  Select(a);
  Select(b);
  v.OrderMoveToLocation(2, 0, 2, 0);
  ASSERT_EQ(a->GetOrderCount(), 1u);
  orders.clear();
  v.DeleteAllOrders();
  EXPECT_EQ(a->GetOrderCount(), 0u);
  EXPECT_EQ(b->GetOrderCount(), 0u);
  EXPECT_EQ(SharedScreen().statusText, Text("ALLORDDL"));
  EXPECT_EQ(g_gameData->GetSelectionCount(), 0u);
  EXPECT_EQ(orders.size(), 2u);  // the server hears of both
}

TEST_F(OrderModes, RechargeRepairAndRebuildCheckTheirTargets) {
  OrderView& v = Make();
  CGUnit* ship = Builder(1);
  CGUnit* tanker = Builder(1);
  CGUnit* hulk = Unit({kComputer}, 1);
  // Recharge: from an asteroid is order 8; a unit must have power to give.
  Enter(7, ship);
  EXPECT_EQ(v.ExecuteOrderMode(12, 1), 1);
  EXPECT_EQ(SentOrders(), std::vector<std::uint32_t>{8});
  ExpectTold("RECHARG5", 21);
  Enter(7, ship);
  EXPECT_EQ(v.ExecuteOrderMode(2, hulk->id), 0);
  ExpectTold("RECHARG1", 17);
  Enter(7, ship);
  tanker->power = 0;
  EXPECT_EQ(v.ExecuteOrderMode(2, tanker->id), 0);
  ExpectTold("RECHARG2", 18);
  tanker->power = tanker->GetMaxPower();
  Enter(7, ship);
  EXPECT_EQ(v.ExecuteOrderMode(2, ship->id), 0);
  ExpectTold("RECHARG3", 19);
  Enter(7, ship);
  EXPECT_EQ(v.ExecuteOrderMode(2, tanker->id), 1);
  ExpectTold("RECHARG7", 22);
  EXPECT_EQ(SentOrders(), std::vector<std::uint32_t>{7});
  // A vanished command unit is dead unless a group recharges.
  Enter(7, ship);
  SharedScreen().commandUnitId = 0x2400FFFF;
  EXPECT_EQ(v.ExecuteOrderMode(2, tanker->id), 0);
  ExpectTold("RECHARG6", 0);

  // Get repaired: the repairer needs construction.
  Enter(22, hulk);
  EXPECT_EQ(v.ExecuteOrderMode(2, hulk->id), 0);
  ExpectTold("REPAIR_1", 23);
  Enter(22, hulk);
  EXPECT_EQ(v.ExecuteOrderMode(2, ship->id), 1);
  EXPECT_EQ(SentOrders(), std::vector<std::uint32_t>{22});

  // Rebuild: a vanished target, then one order for each selected unit.
  Enter(23, ship);
  EXPECT_EQ(v.ExecuteOrderMode(2, 0x24000999), 0);
  ExpectTold("RBLDFLD1", 29);
  Enter(23, ship);
  Select(tanker);
  v.ExecuteOrderMode(2, hulk->id);
  EXPECT_TRUE(LastVoice() == VoiceFile(27) || LastVoice() == VoiceFile(28)) << LastVoice();
  EXPECT_TRUE(ModeKept(kNoCommandMode));
  EXPECT_EQ(g_gameData->GetSelectionCount(), 0u);

  // Modify: a vanished constructor.
  Enter(17, ship);
  SharedScreen().commandUnitId = 0x2400FFFF;
  EXPECT_EQ(v.ExecuteOrderMode(2, hulk->id), 0);
  ExpectTold("CONSTDED", 2);
}

TEST_F(OrderModes, SelectingTogglesUnitsAndTheSelectionsStandInIsTheFirstNotBookmarked) {
  OrderView& v = Make();
  CGUnit* a = Builder(1);
  CGUnit* b = Builder(1);
  std::uint16_t kind = 0;
  std::uint32_t id = 0;
  EXPECT_FALSE(v.GetSingleSelection(&kind, &id));
  EXPECT_EQ(v.SelectObject(2, a->id), 1);
  EXPECT_EQ(g_gameData->GetSelectionCount(), 1u);
  EXPECT_EQ(v.SelectObject(5, b->id), 1);  // without Shift the first goes
  EXPECT_EQ(g_gameData->IsSelected(2, a->id), 0);
  EXPECT_EQ(SharedScreen().commandUnitId, 0xFFFFFFFFu);
  EXPECT_EQ(v.SelectObject(2, b->id), 1);  // a second click lets it go
  EXPECT_EQ(g_gameData->GetSelectionCount(), 0u);
  EXPECT_EQ(v.SelectObject(0, 1), 1);  // asteroids are not selected here
  EXPECT_EQ(g_gameData->GetSelectionCount(), 0u);

  Select(a);
  Select(b);
  v.SetGotoSlot(4, GOTO_UNIT, a->id, 0);
  ASSERT_TRUE(v.GetSingleSelection(&kind, &id));
  EXPECT_EQ(id, b->id);
  SharedScreen().gotoSlots[57] = GotoEntry{GOTO_UNIT, b->id};  // another group counts too
  ASSERT_TRUE(v.GetSingleSelection(&kind, &id));
  EXPECT_EQ(id, a->id);
  v.UpdateSelectionDisplay(1);
  EXPECT_EQ(g_gameData->GetSelectionCount(), 0u);
  EXPECT_EQ(SharedScreen().pendingOrderOption, 0xFF);

  // A full selection takes no more (with Shift held it is kept).
  for (std::uint32_t n = 0; n < kMaxSelection; ++n) g_gameData->AddToSelection(0, n, 0);
  backend->KeyDown(plat::VK_SHIFT, 10);
  backend->RunUntilIdle();
  SharedScreen().commandUnitId = b->id;
  EXPECT_EQ(v.SelectUnitForOrder(), 0);
  EXPECT_EQ(g_gameData->GetSelectionCount(), kMaxSelection);
  EXPECT_EQ(g_gameData->IsSelected(2, b->id), 0);
  backend->KeyUp(plat::VK_SHIFT, 10);
  backend->RunUntilIdle();
  g_gameData->ClearSelection();

  // A stunned unit is not taken for an order.
  auto stun = std::make_unique<UnitOrder>();
  stun->type = ORDER_STUNNED;
  a->InsertOrder(std::move(stun), kInsertReplace, false);
  SharedScreen().commandUnitId = a->id;
  EXPECT_EQ(v.SelectUnitForOrder(), 0);
  EXPECT_EQ(SharedScreen().statusText, Text("NOORDSTN"));
  EXPECT_EQ(g_gameData->GetSelectionCount(), 0u);
}

TEST(OrderMenuPackets, TheFourPacketsByteForByteAndShortImagesRefused) {
  RefuelAtAsteroidPacket refuel{0x24000007, 3};
  const auto r = refuel.Build();
  EXPECT_EQ(std::vector<std::uint8_t>(r.bytes.begin(), r.bytes.end()),
            (std::vector<std::uint8_t>{126, 0, 0, 0, 0, 0, 0, 0, 7, 0, 0, 0x24, 3, 0, 0, 0}));
  ShipOfferWithdrawnPacket withdrawn{1, 1, 0x24000007};
  const auto w = withdrawn.Build();
  EXPECT_EQ(std::vector<std::uint8_t>(w.bytes.begin(), w.bytes.end()),
            (std::vector<std::uint8_t>{0x92, 1, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 7, 0, 0, 0x24}));
  DistributeResourcesPacket spread{1, 1, 300};
  const auto d = spread.Build();
  EXPECT_EQ(std::vector<std::uint8_t>(d.bytes.begin(), d.bytes.end()),
            (std::vector<std::uint8_t>{0x95, 1, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0x2C, 1, 0, 0}));
  VoteOfferPostedPacket votes{1, 1, 5, {10, 20, 0x10000, 0}};
  const auto o = votes.Build();
  EXPECT_EQ(std::vector<std::uint8_t>(o.bytes.begin(), o.bytes.end()),
            (std::vector<std::uint8_t>{0xCD, 1, 0, 0, 0,  0, 0, 0, 1, 0, 1, 0, 5, 0, 0, 0,
                                       10,   0, 0, 0, 20, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0}));
  VoteOfferPostedPacket back;
  ASSERT_TRUE(VoteOfferPostedPacket::Parse(o.bytes, &back));
  EXPECT_EQ(back.prices, votes.prices);
  EXPECT_FALSE(VoteOfferPostedPacket::Parse(std::span(o.bytes).first(31), &back));
  RefuelAtAsteroidPacket shortRefuel;
  EXPECT_FALSE(RefuelAtAsteroidPacket::Parse(std::span(r.bytes).first(15), &shortRefuel));
}

}  // namespace
