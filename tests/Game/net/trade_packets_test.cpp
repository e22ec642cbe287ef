// The trade panel's packets byte for byte, and their readers on short input.
#include <gtest/gtest.h>

#include <vector>

#include "Game/net/TradePackets.h"

namespace {

std::vector<std::uint8_t> Bytes(std::span<const std::uint8_t> s) { return {s.begin(), s.end()}; }

TEST(TradePackets, WithdrawalsOfMineralAndVoteOffers) {
  const auto mineral = MineralOfferWithdrawnPacket{0x1A, 7, 3}.Build();
  EXPECT_EQ(Bytes(mineral.bytes), (std::vector<std::uint8_t>{0x29, 0x02, 0, 0, 0, 0, 0, 0, 0x1A, 7, 3, 0}));
  const auto vote = VoteOfferWithdrawnPacket{1, 5, 42}.Build();
  EXPECT_EQ(Bytes(vote.bytes), (std::vector<std::uint8_t>{0x93, 0x01, 0, 0, 0, 0, 0, 0, 1, 5, 42, 0}));
  MineralOfferWithdrawnPacket m;
  ASSERT_TRUE(MineralOfferWithdrawnPacket::Parse(mineral.bytes, &m));
  EXPECT_EQ(m.mineral, 3);
  EXPECT_FALSE(MineralOfferWithdrawnPacket::Parse(std::span(mineral.bytes).first(11), &m));
  VoteOfferWithdrawnPacket v;
  ASSERT_TRUE(VoteOfferWithdrawnPacket::Parse(vote.bytes, &v));
  EXPECT_EQ(v.asteroid, 42);
  EXPECT_FALSE(VoteOfferWithdrawnPacket::Parse(std::span(vote.bytes).first(11), &v));
}

TEST(TradePackets, TransferCarriesAmountTransitAndAZeroWord) {
  const auto image = MineralTransferPacket{9, 4, 11, 2, 0x1234, 0xFFFF}.Build();
  const std::vector<std::uint8_t> expected = {0x2B, 0x02, 0,    0,    0,    0,    0, 0, 9, 4,
                                              11,   2,    0x34, 0x12, 0xFF, 0xFF, 0, 0, 0, 0};
  EXPECT_EQ(Bytes(image.bytes), expected);
  MineralTransferPacket back;
  ASSERT_TRUE(MineralTransferPacket::Parse(image.bytes, &back));
  EXPECT_EQ(back.amount, 0x1234);
  EXPECT_EQ(back.transit, 0xFFFF);
  EXPECT_EQ(back.standing, 0u);
  EXPECT_FALSE(MineralTransferPacket::Parse(std::span(image.bytes).first(19), &back));
  // A standing transfer's turn says so in the last word.
  const auto standing = MineralTransferPacket{9, 4, 11, 2, 0x1234, 0xFFFF, 1}.Build();
  EXPECT_EQ(standing.bytes[16], 1);
  ASSERT_TRUE(MineralTransferPacket::Parse(standing.bytes, &back));
  EXPECT_EQ(back.standing, 1u);
}

TEST(TradePackets, BidsForShipsAndVotes) {
  ShipBidPacket ship;
  ship.guild = 1;
  ship.slot = 3;
  ship.unitId = 0x2C000105;
  ship.unitClass = 7;
  ship.pool = 0x0102;
  ship.bid = {10, 0x10000, 0, 0xFFFFFFFF};
  const auto shipImage = ship.Build();
  const std::vector<std::uint8_t> shipBytes = {0xC9, 0x01, 0,    0,    0, 0, 0,    0,    1,    0,    3,    0,
                                               0x05, 0x01, 0x00, 0x2C, 7, 0, 0x02, 0x01, 10,   0,    0,    0,
                                               0,    0,    1,    0,    0, 0, 0,    0,    0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(Bytes(shipImage.bytes), shipBytes);
  ShipBidPacket shipBack;
  ASSERT_TRUE(ShipBidPacket::Parse(shipImage.bytes, &shipBack));
  EXPECT_EQ(shipBack.unitId, ship.unitId);
  EXPECT_EQ(shipBack.bid, ship.bid);
  EXPECT_FALSE(ShipBidPacket::Parse(std::span(shipImage.bytes).first(35), &shipBack));

  VoteBidPacket vote;
  vote.guild = 4;
  vote.slot = 7;
  vote.asteroid = 300;
  vote.pool = 12;
  vote.bid = {1, 2, 3, 4};
  const auto voteImage = vote.Build();
  const std::vector<std::uint8_t> voteBytes = {0xCE, 0x01, 0, 0, 0, 0, 0, 0, 4, 0, 7, 0, 0x2C, 0x01, 12, 0,
                                               1,    0,    0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4,    0,    0,  0};
  EXPECT_EQ(Bytes(voteImage.bytes), voteBytes);
  VoteBidPacket voteBack;
  ASSERT_TRUE(VoteBidPacket::Parse(voteImage.bytes, &voteBack));
  EXPECT_EQ(voteBack.asteroid, 300);
  EXPECT_EQ(voteBack.bid, vote.bid);
  EXPECT_FALSE(VoteBidPacket::Parse(std::span(voteImage.bytes).first(31), &voteBack));
}

}  // namespace
