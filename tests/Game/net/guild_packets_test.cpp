// The market and chat packets byte for byte, and their readers on short input.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "Game/net/GuildPackets.h"

namespace {

std::vector<std::uint8_t> Bytes(std::span<const std::uint8_t> s) { return {s.begin(), s.end()}; }

TEST(GuildPackets, MineralOfferByteForByte) {
  MineralOfferPacket p;
  p.seller = 0x1A;
  p.asteroid = 7;
  p.mineral = 2;
  p.amount = 0x0172;  // 370
  p.price[0] = 5;
  p.price[1] = 0;
  p.price[2] = 0x0102;
  p.price[3] = 9;
  const auto image = p.Build();
  const std::vector<std::uint8_t> expected = {0x28, 0x02, 0, 0, 0, 0, 0,    0,    0x1A, 7, 2, 0,
                                              0x72, 0x01, 5, 0, 0, 0, 0x02, 0x01, 9,    0, 0, 0};
  EXPECT_EQ(Bytes(image.bytes), expected);
  MineralOfferPacket back;
  ASSERT_TRUE(MineralOfferPacket::Parse(image.bytes, &back));
  EXPECT_EQ(back.amount, 370);
  EXPECT_EQ(back.price[2], 0x0102);
  EXPECT_FALSE(MineralOfferPacket::Parse(std::span(image.bytes).first(23), &back));
}

TEST(GuildPackets, MineralPurchaseByteForByte) {
  MineralPurchasePacket p{3, 4, 1, 9, 12, 0, 250};
  const auto image = p.Build();
  const std::vector<std::uint8_t> expected = {0x2A, 0x02, 0, 0, 0, 0, 0, 0, 3, 4, 1, 9, 12, 0, 0xFA, 0};
  EXPECT_EQ(Bytes(image.bytes), expected);
  MineralPurchasePacket back;
  ASSERT_TRUE(MineralPurchasePacket::Parse(image.bytes, &back));
  EXPECT_EQ(back.buyer, 9);
  EXPECT_EQ(back.amount, 250);
  EXPECT_FALSE(MineralPurchasePacket::Parse(std::span(image.bytes).first(15), &back));
}

TEST(GuildPackets, ChatCarriesItsTextWithAZeroAndReadsBounded) {
  ChatPacket p;
  p.sender = 17;
  p.target = kChatToGuild;
  p.text = "Hi";
  const auto image = p.Build();
  const std::vector<std::uint8_t> expected = {0xE2, 0x05, 0, 0, 0, 0, 0, 0, 17, 254, 0, 0, 0, 0, 0, 0, 'H', 'i', 0};
  EXPECT_EQ(image, expected);

  p.text = std::string(900, 'z');
  EXPECT_EQ(p.Build().size(), kChatTextOffset + kMaxChatText + 1);

  ChatPacket back;
  std::vector<std::uint8_t> unterminated(kChatTextOffset, 0);
  unterminated.insert(unterminated.end(), 700, 'q');
  ASSERT_TRUE(ChatPacket::Parse(unterminated, &back));
  EXPECT_EQ(back.text.size(), kMaxChatText);
  EXPECT_FALSE(ChatPacket::Parse(std::span(unterminated).first(15), &back));
  ASSERT_TRUE(ChatPacket::Parse(std::span(unterminated).first(16), &back));
  EXPECT_TRUE(back.text.empty());
}

// The two votes of guild politics: the voter's chapter, the mate's slot and,
// for a renegade, whether for or against.
TEST(GuildPackets, VotesByteForByte) {
  const auto renegade = RenegadeVotePacket{0x0109, 3, 1}.Build();
  EXPECT_EQ(Bytes(renegade.bytes), (std::vector<std::uint8_t>{0xC7, 0x01, 0, 0, 0, 0, 0, 0, 9, 1, 3, 0, 1, 0, 0, 0}));
  RenegadeVotePacket againstBack;
  ASSERT_TRUE(RenegadeVotePacket::Parse(RenegadeVotePacket{9, 2, 0}.Build().bytes, &againstBack));
  EXPECT_EQ(std::make_tuple(againstBack.voter, againstBack.slot, againstBack.renegade), std::make_tuple(9, 2, 0));
  EXPECT_FALSE(RenegadeVotePacket::Parse(std::span(renegade.bytes).first(15), &againstBack));

  const auto imperator = ImperatorVotePacket{17, 4}.Build();
  EXPECT_EQ(Bytes(imperator.bytes), (std::vector<std::uint8_t>{0xC8, 0x01, 0, 0, 0, 0, 0, 0, 17, 0, 4, 0}));
  ImperatorVotePacket back;
  EXPECT_FALSE(ImperatorVotePacket::Parse(std::span(imperator.bytes).first(11), &back));
  ASSERT_TRUE(ImperatorVotePacket::Parse(imperator.bytes, &back));
  EXPECT_EQ(std::make_tuple(back.voter, back.slot), std::make_tuple(17, 4));
}

// The guild's votes lie in tables of eight members; the interregnum names
// its leader and who backs it.
TEST(GuildPackets, GuildVotesAndInterregnumByteForByte) {
  GuildVotesPacket votes;
  votes.guild = 3;
  votes.against[1] = 2;
  votes.held[7] = 5;
  votes.renegadeVotes[2][1] = 1;
  votes.renegadeVotes[7][0] = 1;
  votes.imperatorVote.fill(0xFF);
  votes.imperatorVote[4] = 6;
  votes.total = 0x0102;
  const auto image = votes.Build();
  std::vector<std::uint8_t> expected(100, 0);
  expected[0] = 0x91;  // 401
  expected[1] = 0x01;
  expected[8] = 3;
  expected[11] = 2;
  expected[25] = 5;
  expected[26 + 8 * 2 + 1] = 1;
  expected[26 + 8 * 7] = 1;
  std::fill(expected.begin() + 90, expected.begin() + 98, std::uint8_t{0xFF});
  expected[94] = 6;
  expected[98] = 2;
  expected[99] = 1;
  EXPECT_EQ(Bytes(image.bytes), expected);
  GuildVotesPacket back;
  ASSERT_TRUE(GuildVotesPacket::Parse(image.bytes, &back));
  EXPECT_EQ(back.renegadeVotes, votes.renegadeVotes);
  EXPECT_FALSE(GuildVotesPacket::Parse(std::span(image.bytes).first(99), &back));

  const auto start = InterregnumStartPacket{4, 2, {1, 0, 1, 1, 0, 0, 0, 1}}.Build();
  EXPECT_EQ(Bytes(start.bytes),
            (std::vector<std::uint8_t>{17, 0, 0, 0, 0, 0, 0, 0, 4, 0, 2, 0, 1, 0, 1, 1, 0, 0, 0, 1}));
  const auto end = InterregnumEndPacket{4}.Build();
  EXPECT_EQ(Bytes(end.bytes), (std::vector<std::uint8_t>{18, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0}));
}

}  // namespace
