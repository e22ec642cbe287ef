#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <tuple>

#include "Game/model/GUnitOrder.h"
#include "tests/Game/model/units/units_fixture.h"

namespace units_test {
namespace {

using rules_test::Long;
using rules_test::Word;

class OrdersTest : public UnitWorld {
 protected:
  OrdersTest() {
    design = Builder();
    unit = Unit(design, {0, 100, 0, 0});
    other = Unit(design, {0, 900, 0, 0});
    enemy = Unit(Builder(9), {1, 0, 0, 0}, 9);
    links.sent.clear();
  }
  std::vector<std::uint32_t> Types(const CGUnit* u) const {
    std::vector<std::uint32_t> types;
    for (std::uint16_t i = 0; i < u->GetOrderCount(); ++i) types.push_back(u->GetOrder(i)->type);
    return types;
  }
  std::vector<std::uint16_t> SentTypes() const {
    std::vector<std::uint16_t> types;
    for (const auto& s : links.sent) types.push_back(Word(s.bytes, 0));
    return types;
  }

  CGUnitTemplate* design = nullptr;
  CGUnit* unit = nullptr;
  CGUnit* other = nullptr;
  CGUnit* enemy = nullptr;
};

TEST_F(OrdersTest, BuildersQueueTheirOrdersWithMovesFirstWhereNeeded) {
  const Location here{0, 500, 0, 0};
  EXPECT_EQ(unit->OrderToLocation(ORDER_MOVE_TO_LOCATION, &here, kInsertReplace), 1);
  EXPECT_EQ(Types(unit), (std::vector<std::uint32_t>{0}));
  EXPECT_EQ(unit->GetOrder(0)->GetLocation().x, 500);

  const Location far{2, 7, 8, 9};
  EXPECT_EQ(unit->OrderToLocation(ORDER_MOVE_TO_LOCATION, &far, kInsertReplace), 1);
  EXPECT_EQ(Types(unit), (std::vector<std::uint32_t>{2, 0}));
  EXPECT_EQ(unit->GetOrder(0)->Asteroid(), 2);
  EXPECT_EQ(SentTypes(), (std::vector<std::uint16_t>{301, 301, 301}));

  EXPECT_EQ(unit->OrderOnUnit(ORDER_ATTACK_UNIT, enemy, kInsertReplace), 1);
  EXPECT_EQ(Types(unit), (std::vector<std::uint32_t>{2, 5}));
  EXPECT_EQ(unit->GetOrder(1)->Word(0), enemy->id);

  EXPECT_EQ(unit->OrderOnAsteroid(ORDER_SCAN_ASTEROID, 1, kInsertReplace), 1);
  EXPECT_EQ(Types(unit), (std::vector<std::uint32_t>{2, 11}));
  // Work at the unit's own asteroid needs a move back only after a move elsewhere.
  EXPECT_EQ(unit->OrderOnAsteroid(ORDER_SCAN_ASTEROID, 0, kInsertAppend), 1);
  EXPECT_EQ(Types(unit), (std::vector<std::uint32_t>{2, 11, 2, 11}));
  EXPECT_EQ(unit->GetOrder(2)->Asteroid(), 0);
  unit->ClearOrders(false);
  EXPECT_EQ(unit->OrderOnAsteroid(ORDER_RECHARGE_FROM_ASTEROID, 0, kInsertAppend), 1);
  EXPECT_EQ(Types(unit), (std::vector<std::uint32_t>{8}));

  EXPECT_EQ(unit->OrderMoveToAsteroid(1, 7), 1);
  EXPECT_EQ(unit->GetOrder(0)->Word(0), 1u | (7u << 16));
  EXPECT_EQ(unit->stage, 7);

  const std::uint8_t zone[6] = {0, 0, 0, 0, 9, 0};
  const std::uint16_t counts[31] = {0x0021};
  EXPECT_EQ(unit->OrderRecoverAtvs(ORDER_RECOVER_ATVS, zone, counts, kInsertReplace), 1);
  ASSERT_TRUE(unit->GetOrder(0)->recovery);
  std::uint8_t landing[132] = {};
  EXPECT_EQ(unit->OrderLandAtvs(landing, kInsertAppend), 1);
  EXPECT_EQ(Types(unit), (std::vector<std::uint32_t>{15, 14}));
}

TEST_F(OrdersTest, BuildersRefuseWhatCannotBeQueued) {
  EXPECT_EQ(unit->OrderToLocation(ORDER_MOVE_TO_LOCATION, nullptr, kInsertReplace), 0);
  EXPECT_EQ(unit->OrderOnUnit(ORDER_ATTACK_UNIT, nullptr, kInsertReplace), 0);
  EXPECT_EQ(unit->OrderMoveToAsteroid(4, 0), 0);  // the asteroid count is solar space
  EXPECT_EQ(unit->OrderOnAsteroid(ORDER_MOVE_NEXT_TO_ASTEROID, 9, kInsertReplace), 0);
  EXPECT_EQ(unit->OrderOnZone(ORDER_BUILD_ATVS, nullptr, kInsertReplace), 0);
  EXPECT_EQ(unit->OrderLandAtvs(nullptr, kInsertReplace), 0);

  pieces.MarkUnitUnoperational(other);
  EXPECT_EQ(unit->OrderOnUnit(ORDER_ATTACK_UNIT, other, kInsertReplace), 0);
  EXPECT_EQ(unit->OrderOnUnit(ORDER_SCRAP_UNIT, other, kInsertReplace), 1);
  EXPECT_EQ(other->OrderOnUnit(ORDER_ATTACK_UNIT, enemy, kInsertReplace), 0);
  EXPECT_EQ(other->OrderOnUnit(ORDER_DECOMMISSION, unit, kInsertReplace), 1);
  EXPECT_EQ(Types(unit), (std::vector<std::uint32_t>{9}));
}

TEST_F(OrdersTest, InsertModesAndTheStunnedQueue) {
  unit->OrderOnAsteroid(ORDER_SCAN_ASTEROID, 0, kInsertReplace);
  unit->stage = 3;
  unit->OrderOnAsteroid(ORDER_RETREAT, 0, kInsertFront);
  EXPECT_EQ(Types(unit), (std::vector<std::uint32_t>{4, 11}));
  EXPECT_EQ(unit->stage, 3);  // a front insert leaves the stage

  auto stunned = std::make_unique<UnitOrder>();
  stunned->type = ORDER_STUNNED;
  unit->InsertOrder(std::move(stunned), kInsertFront, false);
  EXPECT_EQ(unit->OrderOnAsteroid(ORDER_SCAN_ASTEROID, 0, kInsertReplace), 0);
  EXPECT_EQ(Types(unit), (std::vector<std::uint32_t>{35, 4, 11}));
  EXPECT_EQ(unit->OrderOnAsteroid(ORDER_SCAN_ASTEROID, 0, kInsertAppend), 1);
  EXPECT_EQ(unit->ClearOrders(false), 0u);
  EXPECT_EQ(unit->GetOrderCount(), 4);
  EXPECT_EQ(unit->ClearOrders(true), 1u);
  EXPECT_EQ(unit->GetOrderCount(), 0);
  EXPECT_EQ(unit->stage, kStageNotStarted);
}

TEST_F(OrdersTest, OrderPacketCarriesTheHeadAndNoPointer) {
  std::uint8_t landing[132];
  for (int i = 0; i < 132; ++i) landing[i] = static_cast<std::uint8_t>(i + 1);
  unit->OrderLandAtvs(landing, kInsertReplace);
  ASSERT_EQ(links.sent.size(), 1u);
  const auto& p = links.sent[0].bytes;
  ASSERT_EQ(p.size(), kOrderPacketSize);
  EXPECT_EQ(links.sent[0].slot, -1);
  EXPECT_EQ(Word(p, 0), 301);
  EXPECT_EQ(Long(p, 8), unit->id);
  EXPECT_EQ(Long(p, 12), 14u);
  EXPECT_EQ(p[20], kInsertReplace);
  for (std::size_t i : {2, 3, 4, 5, 6, 7, 21, 22, 23}) EXPECT_EQ(p[i], 0) << i;
  for (std::size_t i = 24; i < 40; ++i) EXPECT_EQ(p[i], 0) << i;  // the head's words 2 and 3 included
  for (std::size_t i = 0; i < 132; ++i) ASSERT_EQ(p[40 + i], i + 1);

  unit->ClearOrders(false);
  links.sent.clear();
  unit->OrderOnUnit(ORDER_TRANSFER_POWER, other, kInsertReplace);
  const auto& q = links.sent.back().bytes;
  EXPECT_EQ(Long(q, 16), 1u);  // the first order caches its target
  EXPECT_EQ(Long(q, 24), other->id);
  for (std::size_t i = 40; i < q.size(); ++i) ASSERT_EQ(q[i], 0) << i;

  OrderPacket parsed;
  EXPECT_FALSE(ParseOrderPacket(std::span(q).first(171), &parsed));
  ASSERT_TRUE(ParseOrderPacket(q, &parsed));
  links.sent.clear();
  other->AddOrderFromPacket(parsed);
  EXPECT_TRUE(links.sent.empty());  // a received order is not sent back
  EXPECT_EQ(Types(other), (std::vector<std::uint32_t>{6}));
  EXPECT_EQ(other->GetOrder(0)->Word(0), other->id);
}

TEST_F(OrdersTest, CancelPacketsAndTheirFlags) {
  unit->OrderOnAsteroid(ORDER_SCAN_ASTEROID, 0, kInsertReplace);
  unit->OrderOnAsteroid(ORDER_RETREAT, 0, kInsertAppend);
  links.sent.clear();
  unit->CancelLastOrder();
  unit->CancelOrders();
  ASSERT_EQ(links.sent.size(), 2u);
  const std::vector<std::uint8_t> last = {0x32, 0x01, 0, 0, 0, 0, 0, 0};
  for (int k = 0; k < 2; ++k) {
    const auto& p = links.sent[k].bytes;
    ASSERT_EQ(p.size(), 16u);
    EXPECT_EQ(std::vector<std::uint8_t>(p.begin(), p.begin() + 8), last);
    EXPECT_EQ(Long(p, 8), unit->id);
    EXPECT_EQ(Word(p, 12), 0);
    EXPECT_EQ(std::make_tuple(p[14], p[15]), std::make_tuple(k, 0));
    CancelOrdersPacket back;
    ASSERT_TRUE(ParseCancelOrdersPacket(p, &back));
    EXPECT_EQ(std::make_tuple(back.unitId, back.asteroid, back.all), std::make_tuple(unit->id, 0, k));
    EXPECT_FALSE(ParseCancelOrdersPacket(std::span(p).first(15), &back));
  }
  EXPECT_EQ(unit->GetOrderCount(), 0);
}

TEST_F(OrdersTest, CancelledLandingReturnsTheAtvsOfEveryZone) {
  unit->SetAtvCargo(0, 0, 0, 0);
  std::uint8_t landing[132] = {};
  landing[8 + 0] = 1;            // kind 0, zone 0
  landing[8 + 30] = 2;           // kind 0, zone 30
  landing[8 + 3 * 31 + 15] = 3;  // kind 3, zone 15
  unit->OrderLandAtvs(landing, kInsertReplace);
  unit->ClearOrders(false);
  EXPECT_EQ(unit->atvCargo, (std::array<std::uint8_t, 4>{3, 0, 0, 3}));

  unit->SetAtvCargo(0, 0, 0, 0);
  unit->OrderLandAtvs(landing, kInsertReplace);
  unit->PopFirstOrder(ORDERFAIL_BOXED_IN, 0);
  EXPECT_EQ(unit->atvCargo, (std::array<std::uint8_t, 4>{3, 0, 0, 3}));
  unit->OrderLandAtvs(landing, kInsertReplace);
  unit->PopFirstOrder(0, 0);  // landed: nothing comes back
  EXPECT_EQ(unit->atvCargo, (std::array<std::uint8_t, 4>{3, 0, 0, 3}));
}

TEST_F(OrdersTest, FailedRecoveryGivesTheAtvsBackToTheirZones) {
  const std::uint8_t zone[6] = {0, 0, 0, 0, 0, 2};
  std::uint16_t counts[31] = {};
  counts[4] = 0x3001;  // one of kind 0, three of kind 3
  unit->OrderRecoverAtvs(ORDER_RECOVER_ATVS, zone, counts, kInsertReplace);
  unit->OrderOnAsteroid(ORDER_RETREAT, 0, kInsertAppend);
  links.localChapter = 5;
  links.sent.clear();
  unit->PopFirstOrder(ORDERFAIL_CANNOT_MOVE, 0);
  const CGZone& back = *space.Asteroid(2).GetZone(4);
  EXPECT_EQ(back.owner, 0);
  EXPECT_EQ(back.atvCounts[0], 1);
  EXPECT_EQ(back.atvCounts[3], 3);
  // Each kind: the zone's new counts to everyone, then the recovery's return.
  ASSERT_EQ(links.sent.size(), 4u);
  const auto& zoneState = links.sent[2].bytes;
  ASSERT_EQ(zoneState.size(), 24u);
  EXPECT_EQ(Word(zoneState, 0), 601);
  EXPECT_EQ(Word(zoneState, 8), 2);
  EXPECT_EQ(Word(zoneState, 10), 4);
  EXPECT_EQ(Word(zoneState, 12), 0);
  EXPECT_EQ(Word(zoneState, 14), 1);
  EXPECT_EQ(Word(zoneState, 20), 3);
  const auto& p = links.sent[3].bytes;
  ASSERT_EQ(p.size(), 20u);
  EXPECT_EQ(Word(p, 0), 609);
  EXPECT_EQ(Word(p, 8), 2);
  EXPECT_EQ(Word(p, 10), 4);
  EXPECT_EQ(Word(p, 12), 5);
  EXPECT_EQ(Word(p, 14), 3);
  EXPECT_EQ(static_cast<std::int16_t>(Word(p, 16)), -3);
  EXPECT_EQ(Word(p, 18), 0);
  EXPECT_EQ(unit->GetOrderCount(), 0);  // a failed order ends the queue
}

TEST_F(OrdersTest, BothRemovalsOfABeConstructedOrderDropTheBorrowedPoints) {
  for (bool viaClear : {false, true}) {
    unit->IssueOrder(ORDER_BE_CONSTRUCTED, other->id, kInsertReplace, other, false);
    unit->receivedPoints = 40;
    if (viaClear) {
      unit->ClearOrders(false);
    } else {
      unit->RemoveLastOrder();
    }
    EXPECT_EQ(unit->receivedPoints, 0) << viaClear;
    EXPECT_EQ(unit->stage, kStageNotStarted);
  }
}

TEST_F(OrdersTest, ScrapOrdersEndWhenTheirTargetLeaves) {
  other->IssueOrder(ORDER_DECOMMISSION, unit->id, kInsertReplace, unit, false);
  unit->IssueOrder(ORDER_SCRAP_UNIT, other->id, kInsertReplace, other, false);
  unit->OrderOnAsteroid(ORDER_RETREAT, 0, kInsertAppend);
  ASSERT_EQ(unit->GetOrder(0)->target, other);
  const std::uint32_t gone = other->id;
  EXPECT_EQ(pieces.DeleteUnit(gone), 1);
  // Ended as "target decayed": the failure clears the rest of the queue.
  EXPECT_EQ(unit->GetOrderCount(), 0);
  EXPECT_EQ(pieces.DeleteUnit(gone), 0);
}

TEST_F(OrdersTest, BindingTargetsFromServerPackets) {
  unit->IssueOrder(ORDER_REPAIR_UNIT, other->id, kInsertReplace, nullptr, false);
  unit->BindFirstOrderTarget(other->id, 4);
  EXPECT_EQ(unit->stage, 4);
  EXPECT_EQ(unit->GetOrder(0)->target, other);

  std::vector<std::uint8_t> p305(20, 0);
  plat::ByteWriter(p305).WriteAt(16, enemy->id);
  EXPECT_TRUE(unit->BindConstructee(p305));
  EXPECT_EQ(unit->GetOrder(0)->target, other);  // not at this asteroid: left as it was
  plat::ByteWriter(p305).WriteAt(16, other->id);
  EXPECT_TRUE(unit->BindConstructee(p305));
  EXPECT_EQ(unit->stage, 200);
  EXPECT_FALSE(unit->BindConstructee(std::span(p305).first(19)));
  EXPECT_TRUE(unit->HasAsteroidTargetOrder() == false);
  unit->OrderOnAsteroid(ORDER_BOMBARD, 0, kInsertReplace);
  EXPECT_TRUE(unit->HasAsteroidTargetOrder());
}

// Games saved before the whole payment was kept still load: their orders lack
// words 3 and 7 of the payment, and a type-18 order its block.
TEST_F(OrdersTest, OrdersOfTheOlderSavedFormStillLoad) {
  auto roundTrip = [this](std::uint32_t type, std::uint8_t version) {
    UnitOrder order;
    order.type = type;
    order.SetWord(0, 0x01020304);
    order.construction = std::make_unique<ConstructionBlock>();
    order.construction->words = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    const std::string bytes = box.Saved([&](plat::FILE* fp) { return WriteUnitOrder(fp, order, version); });
    std::unique_ptr<UnitOrder> back;
    box.Loaded(bytes, [&](plat::FILE* fp) {
      back = ReadUnitOrder(fp, version);
      return 1;
    });
    EXPECT_EQ(back ? back->Word(0) : 0u, 0x01020304u);
    return back;
  };
  auto v2 = roundTrip(ORDER_BUILD_SHIP, 2);
  ASSERT_TRUE(v2 && v2->construction);
  EXPECT_EQ(v2->construction->words, (std::array<std::uint16_t, 9>{1, 2, 3, 0, 5, 6, 7, 0, 9}));
  auto v2repair = roundTrip(ORDER_BUILD_OR_REPAIR_SHIP, 2);
  ASSERT_TRUE(v2repair);
  EXPECT_FALSE(v2repair->construction);
  auto v3 = roundTrip(ORDER_BUILD_OR_REPAIR_SHIP, 3);
  ASSERT_TRUE(v3 && v3->construction);
  EXPECT_EQ(v3->construction->words, (std::array<std::uint16_t, 9>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

// The ID tables of the order texts name only texts the string table holds.
TEST(OrderTextIds, AreAllInTheStringTable) {
  std::ifstream in(std::string(QUEN_SOURCE_DIR) + "/data/strings/strings.txt");
  std::set<std::string> table;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] != '#') table.insert(line.substr(0, line.find(' ')));
  }
  ASSERT_FALSE(table.empty());
  for (std::int32_t code = -30; code < 5; ++code) {
    const char* id = GetOrderFailureTextId(code);
    EXPECT_EQ(id == nullptr, code >= 0 || code < -24 || code == -22 || code == -20 || code == -19 || code == -15)
        << code;
    if (id != nullptr) {
      EXPECT_TRUE(table.count(id)) << id;
    }
  }
  EXPECT_STREQ(GetOrderFailureTextId(-9), "BOXED_IN");
  for (std::uint32_t type = 0; type < kOrderTypeCount + 2; ++type) {
    EXPECT_TRUE(table.count(GetOrderTypeNameId(type, 0))) << type;
  }
  EXPECT_STREQ(GetOrderTypeNameId(21, 1), "BECONSTR");
  EXPECT_STREQ(GetOrderTypeNameId(21, 0), "BEREPAIR");
  for (std::uint32_t type = 0; type < kOrderTypeCount; ++type) {
    if (const char* verb = GetOrderVerbId(type)) {
      EXPECT_TRUE(table.count(verb)) << type;
    }
  }
  EXPECT_STREQ(GetOrderVerbId(ORDER_MODIFY_SHIP), "MODIFY__");
  EXPECT_EQ(GetOrderVerbId(ORDER_BUILD_SHIP), nullptr);
}

TEST_F(OrdersTest, TextsWithoutATextIndexAreEmptyAndLiteralsStay) {
  char out[50] = "x";
  unit->GetOrderStatusText(5, out);
  EXPECT_STREQ(out, "");
  unit->IssueOrder(ORDER_DEFEND, 0, kInsertReplace, nullptr, false);
  unit->IssueOrder(ORDER_DEFEND, 0, kInsertAppend, nullptr, false);
  unit->GetOrderStatusText(1, out);
  EXPECT_STREQ(out, "Will be defending");
  char failure[124] = "x";
  GetOrderFailureText(-22, failure);
  EXPECT_STREQ(failure, "");
}

}  // namespace
}  // namespace units_test
