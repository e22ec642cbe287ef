// The market and chat packets byte for byte, and their readers on short input.
#include <gtest/gtest.h>

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

}  // namespace
