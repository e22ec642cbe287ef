// The buy, sell and set-price dialogs' numbers: the arrows' steps, what the
// paying mineral's pool allows, the sale's ceiling and the price bounds.
#include <gtest/gtest.h>

#include <vector>

#include "Game/dialogs/CDBuyDlg.h"
#include "Game/dialogs/CDChatDlg.h"
#include "Game/dialogs/CDSellDlg.h"
#include "Game/dialogs/CDSetPriceDlg.h"

namespace {

MineralOffer Offer(std::uint16_t amount, std::uint16_t m, std::uint16_t s, std::uint16_t e, std::uint16_t r,
                   std::uint8_t mineral = 0) {
  MineralOffer o;
  o.seller = 3;
  o.asteroid = 4;
  o.mineral = mineral;
  o.terms[0] = amount;
  o.terms[1] = m;
  o.terms[2] = s;
  o.terms[3] = e;
  o.terms[4] = r;
  return o;
}

// Steps the arrows from 0 in one direction until they stop moving.
std::vector<std::uint32_t> Walk(const MineralOffer& offer, const std::array<std::uint32_t, 4>& pool,
                                std::uint8_t paying, std::uint32_t from, int step, int steps) {
  std::vector<std::uint32_t> seen{from};
  std::uint32_t amount = from;
  for (int i = 0; i < steps; ++i) {
    std::array<std::uint32_t, 4> costs{};
    if (!BuyStep(offer, pool, paying, amount, step, &amount, &costs)) break;
    seen.push_back(amount);
  }
  return seen;
}

TEST(BuyDialog, ArrowsStepByTensAndTakeTheRestOfTheOffer) {
  const MineralOffer offer = Offer(25, 0, 10, 0, 0, 0);
  const std::array<std::uint32_t, 4> pool{0, 1000, 0, 0};
  EXPECT_EQ(Walk(offer, pool, 1, 0, +1, 4), (std::vector<std::uint32_t>{0, 10, 20, 25, 25}));
  EXPECT_EQ(Walk(offer, pool, 1, 25, -1, 4), (std::vector<std::uint32_t>{25, 15, 5, 0, 0}));
}

TEST(BuyDialog, ThePayingPoolStopsTheArrowsAndARefusedStepChangesNoCost) {
  const MineralOffer offer = Offer(200, 0, 10, 0, 3, 0);
  const std::array<std::uint32_t, 4> pool{0, 40, 0, 0};
  EXPECT_EQ(Walk(offer, pool, 1, 0, +1, 10).back(), 40u);
  std::uint32_t amount = 77;
  std::array<std::uint32_t, 4> costs{9, 9, 9, 9};
  EXPECT_FALSE(BuyStep(offer, pool, 1, 40, +1, &amount, &costs));
  EXPECT_EQ(amount, 77u);
  EXPECT_EQ(costs, (std::array<std::uint32_t, 4>{9, 9, 9, 9}));
  ASSERT_TRUE(BuyStep(offer, pool, 1, 30, +1, &amount, &costs));
  EXPECT_EQ(costs, (std::array<std::uint32_t, 4>{0, 40, 0, 12}));
}

TEST(BuyDialog, PayingMineralChoiceAndItsCheck) {
  EXPECT_EQ(FirstPayingMineral(Offer(10, 0, 0, 5, 0, 1)), 2);
  EXPECT_EQ(FirstPayingMineral(Offer(10, 0, 0, 0, 0, 1)), 3);
  const MineralOffer offer = Offer(100, 4, 0, 6, 2, 3);
  EXPECT_TRUE(CanPayWith(offer, 0));
  EXPECT_FALSE(CanPayWith(offer, 1));  // priced 0
  EXPECT_TRUE(CanPayWith(offer, 2));
  EXPECT_FALSE(CanPayWith(offer, 3));  // the mineral offered
  EXPECT_FALSE(CanPayWith(offer, 4));
  // Switching to exotics with 30 of them at 6 a ten: 50 units, not 90.
  const std::array<std::uint32_t, 4> pool{1000, 0, 30, 0};
  EXPECT_EQ(AffordableAmount(offer, pool, 2, 90), 50u);
  EXPECT_EQ(AffordableAmount(offer, pool, 0, 90), 90u);
}

TEST(SellDialog, CeilingIsThePoolUpTo990PlusTheStandingOffer) {
  EXPECT_EQ(SellLimit(1234, 0), 990);
  EXPECT_EQ(SellLimit(1234, 200), 1190);
  EXPECT_EQ(SellLimit(57, 0), 50);
  EXPECT_EQ(SellLimit(0, 25), 20);
  EXPECT_EQ(SellAmount(995, 990), 990);
  EXPECT_EQ(SellAmount(347, 990), 340);
  EXPECT_EQ(SellAmount(5, 990), 0);
}

TEST(SetPriceDialog, TypedValuesStayWithinTheBounds) {
  EXPECT_EQ(ClampPrice(50000, 0, kUnboundedPrice), kUnboundedPrice);
  EXPECT_EQ(ClampPrice(3, 10, 90), 10u);
  EXPECT_EQ(ClampPrice(95, 10, 90), 90u);
  EXPECT_EQ(ClampPrice(40, 10, 90), 40u);
  EXPECT_EQ(ClampPrice(40, 60, 50), 60u);  // a bound below the start keeps the start
}

TEST(ChatDialog, TargetByMode) {
  EXPECT_EQ(ChatTarget(ChatMode::kEveryone, 3, 1), 255);
  EXPECT_EQ(ChatTarget(ChatMode::kGuild, 3, 1), 254);
  EXPECT_EQ(ChatTarget(ChatMode::kChapter, 3, 1), 25);
  EXPECT_EQ(ChatTarget(ChatMode::kChapter, 0, 0), 0);
  EXPECT_EQ(ChatTarget(ChatMode::kChapter, -1, 9), 7);  // no selection is held to the lists
}

}  // namespace
