// The host's session packets at the bytes the clients read, and their readers
// on short input.
#include <gtest/gtest.h>

#include <vector>

#include "Game/net/AutosavePacket.h"
#include "Game/net/HostPackets.h"

namespace {

template <std::size_t N>
std::vector<std::uint8_t> Bytes(const PacketImage<N>& p) {
  return {p.bytes.begin(), p.bytes.end()};
}

TEST(HostPackets, PlayersLampsAndRepliesLieWhereTheClientsReadThem) {
  EXPECT_EQ(Bytes(PlayerIdPacket{9, 0x01020304}.Build()),
            (std::vector<std::uint8_t>{4, 0, 0, 0, 0, 0, 0, 0, 9, 0, 0, 0, 4, 3, 2, 1}));
  EXPECT_EQ(Bytes(TurnLampsPacket{9, 3}.Build()), (std::vector<std::uint8_t>{31, 0, 0, 0, 0, 0, 0, 0, 9, 0, 3, 0}));
  EXPECT_EQ(Bytes(LoadReplyPacket{1, 2}.Build()),
            (std::vector<std::uint8_t>{10, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0}));
  EXPECT_EQ(Bytes(SaveDonePacket{1}.Build()), (std::vector<std::uint8_t>{9, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(Bytes(GameStartedPacket{1}.Build()), (std::vector<std::uint8_t>{24, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(Bytes(BuildAutosaveRequestPacket(0x0A0B0C0D)),
            (std::vector<std::uint8_t>{8, 0, 0, 0, 0, 0, 0, 0, 0x0D, 0x0C, 0x0B, 0x0A}));

  const auto id = PlayerIdPacket{9, 7}.Build();
  PlayerIdPacket idBack;
  ASSERT_TRUE(PlayerIdPacket::Parse(id.bytes, &idBack));
  EXPECT_EQ(idBack.player, 7u);
  EXPECT_FALSE(PlayerIdPacket::Parse(std::span(id.bytes).first(15), &idBack));
  const auto reply = LoadReplyPacket{1, 2}.Build();
  LoadReplyPacket replyBack;
  ASSERT_TRUE(LoadReplyPacket::Parse(reply.bytes, &replyBack));
  EXPECT_EQ(replyBack.lampsLit, 2);
  EXPECT_FALSE(LoadReplyPacket::Parse(std::span(reply.bytes).first(15), &replyBack));
  TurnLampsPacket lamps;
  SaveDonePacket saved;
  GameStartedPacket started;
  EXPECT_FALSE(TurnLampsPacket::Parse(std::span(reply.bytes).first(11), &lamps));
  EXPECT_FALSE(SaveDonePacket::Parse(std::span(reply.bytes).first(11), &saved));
  EXPECT_FALSE(GameStartedPacket::Parse(std::span(reply.bytes).first(11), &started));
}

TEST(HostPackets, ARenamedChapterKeepsItsNamesEndWithinTheField) {
  const auto image = ChapterRenamedPacket{2, 5, std::string(40, 'r')}.Build();
  ASSERT_EQ(image.bytes.size(), 48u);
  EXPECT_EQ(image.U16(0), 451);
  EXPECT_EQ(image.U16(8), 2);
  EXPECT_EQ(image.U16(10), 5);
  EXPECT_EQ(image.U8(12 + 31), 0);
  ChapterRenamedPacket back;
  ASSERT_TRUE(ChapterRenamedPacket::Parse(image.bytes, &back));
  EXPECT_EQ(back.name, std::string(31, 'r'));
  EXPECT_FALSE(ChapterRenamedPacket::Parse(std::span(image.bytes).first(47), &back));
}

}  // namespace
