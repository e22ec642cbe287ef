// The session's packets byte for byte where a field's place is easy to get
// wrong (the names and the flags after them), read back, and refused short.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "Game/net/AutosavePacket.h"
#include "Game/net/GuildPackets.h"
#include "Game/net/SessionPackets.h"
#include "platform/core/bytes.h"

namespace {

TEST(SessionPackets, ChapterClaimKeepsItsNameBeforeTheGrant) {
  ChapterClaimPacket claim{9, "A name a good deal longer than thirty-one", 1};
  const auto image = claim.Build();
  EXPECT_EQ(std::make_tuple(image.bytes[0], image.bytes[1], image.bytes[8]), std::make_tuple(3, 0, 9));
  EXPECT_EQ(image.bytes[43], 0) << "the name is cut to leave its NUL";
  EXPECT_EQ(image.bytes[44], 1);
  ChapterClaimPacket back;
  ASSERT_TRUE(ChapterClaimPacket::Parse(image.bytes, &back));
  EXPECT_EQ(back.name, claim.name.substr(0, 31));
  EXPECT_EQ(back.granted, 1u);
  EXPECT_FALSE(ChapterClaimPacket::Parse(std::span(image.bytes).first(47), &back));
}

TEST(SessionPackets, ChapterNameHasTheTakenFlagBeforeTheName) {
  const auto image = ChapterNamePacket{17, 1, "Orrin"}.Build();
  EXPECT_EQ(std::make_tuple(image.bytes[0], image.bytes[8], image.bytes[12], image.bytes[16]),
            std::make_tuple(25, 17, 1, 'O'));
  ChapterNamePacket back;
  ASSERT_TRUE(ChapterNamePacket::Parse(image.bytes, &back));
  EXPECT_EQ(std::make_tuple(back.chapter, back.taken, back.name), std::make_tuple(17, 1u, std::string("Orrin")));
  EXPECT_FALSE(ChapterNamePacket::Parse(std::span(image.bytes).first(47), &back));
}

TEST(SessionPackets, PlayerNameFillsItsFieldToThePacketsEnd) {
  auto image = PlayerNamePacket{5, "Vel"}.Build();
  std::fill(image.bytes.begin() + 10, image.bytes.end(), std::uint8_t{'v'});
  PlayerNamePacket back;
  ASSERT_TRUE(PlayerNamePacket::Parse(image.bytes, &back));
  EXPECT_EQ(back.name, std::string(34, 'v')) << "a name without its NUL ends with the field";
  EXPECT_FALSE(PlayerNamePacket::Parse(std::span(image.bytes).first(43), &back));
}

TEST(SessionPackets, SmallOnesReadBackAndRefuseShortImages) {
  EndTurnPacket turn;
  ASSERT_TRUE(EndTurnPacket::Parse(EndTurnPacket{12}.Build().bytes, &turn));
  EXPECT_EQ(turn.turn, 12u);
  StatusPacket status;
  ASSERT_TRUE(StatusPacket::Parse(StatusPacket{3, 1}.Build().bytes, &status));
  EXPECT_EQ(std::make_tuple(status.chapter, status.sessionOpen), std::make_tuple(3, 1u));
  ReadyPacket ready;
  const auto readyImage = ReadyPacket{7, 2}.Build();
  ASSERT_TRUE(ReadyPacket::Parse(readyImage.bytes, &ready));
  EXPECT_EQ(std::make_tuple(ready.player, ready.state), std::make_tuple(7u, 2u));
  EXPECT_FALSE(ReadyPacket::Parse(std::span(readyImage.bytes).first(15), &ready));
  ChapterReportsPacket reports;
  const auto reportsImage = ChapterReportsPacket{105}.Build();
  EXPECT_EQ(std::make_tuple(reportsImage.bytes[0], reportsImage.bytes[8]), std::make_tuple(23, 105));
  ASSERT_TRUE(ChapterReportsPacket::Parse(reportsImage.bytes, &reports));
  EXPECT_EQ(reports.chapters, 105);
  EXPECT_FALSE(ChapterReportsPacket::Parse(std::span(reportsImage.bytes).first(11), &reports));
  RemovePlayerPacket removed;
  const auto removal = RemovePlayerPacket{0x01020304}.Build();
  EXPECT_FALSE(RemovePlayerPacket::Parse(std::span(removal.bytes).first(11), &removed));
  ASSERT_TRUE(RemovePlayerPacket::Parse(removal.bytes, &removed));
  EXPECT_EQ(removed.player, 0x01020304u);
  std::uint32_t on = 0;
  const auto autosave = BuildAutosaveSwitchPacket(true);
  ASSERT_TRUE(ParseAutosavePacket(autosave.bytes, &on));
  EXPECT_EQ(on, 1u);
  EXPECT_FALSE(ParseAutosavePacket(std::span(autosave.bytes).first(11), &on));
}

TEST(SessionPackets, SaveAndLoadAreReadByTheirOwnLengths) {
  std::array<std::uint8_t, kLoadGameSize> load{};
  plat::ByteWriter w(load);
  w.WriteAt<std::uint16_t>(0, PKT_LOAD_GAME);
  w.WriteAt(8, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>("turn9.svr"), 9));
  w.WriteAt<std::uint32_t>(264, 0x00090001);
  w.WriteAt<std::uint16_t>(268, 12);
  w.WriteAt<std::uint32_t>(272, 1);
  SaveOrLoadPacket back;
  ASSERT_TRUE(SaveOrLoadPacket::Parse(load, &back));
  EXPECT_EQ(std::make_tuple(back.load, back.name, back.identifier, back.chapter, back.fromScenarios),
            std::make_tuple(true, std::string("turn9.svr"), 0x00090001u, 12, 1u));
  EXPECT_FALSE(SaveOrLoadPacket::Parse(std::span(load).first(kLoadGameSize - 1), &back));

  // A save is four bytes shorter and has no scenario flag.
  auto save = load;
  plat::ByteWriter(save).WriteAt<std::uint16_t>(0, PKT_SAVE_GAME);
  ASSERT_TRUE(SaveOrLoadPacket::Parse(std::span(save).first(kSaveGameSize), &back));
  EXPECT_EQ(std::make_tuple(back.load, back.fromScenarios), std::make_tuple(false, 0u));
}

TEST(SessionPackets, AnswersSayYesOrNoToWhatTheyAnswer) {
  const auto restart = AnswerPacket{true, 1, 7}.Build();
  EXPECT_EQ(std::make_tuple(restart.bytes[0], restart.bytes[8], restart.bytes[12]), std::make_tuple(28, 1, 7));
  AnswerPacket back;
  ASSERT_TRUE(AnswerPacket::Parse(AnswerPacket{false, 0, 3}.Build().bytes, &back));
  EXPECT_EQ(std::make_tuple(back.restart, back.answer, back.answered), std::make_tuple(false, 0u, 3));
  EXPECT_FALSE(AnswerPacket::Parse(std::span(restart.bytes).first(15), &back));
}

// A question names its asker where its kind keeps it: a restart at 8, a load
// (the layout of a loaded game) at 268.
TEST(SessionPackets, AQuestionNamesItsAskerWhereItsKindKeepsIt) {
  const auto restart = QuestionPacket{true, 0x0203}.BuildRestart();
  EXPECT_EQ(std::make_tuple(restart.bytes[0], restart.bytes[8], restart.bytes[9]), std::make_tuple(27, 3, 2));
  QuestionPacket back;
  ASSERT_TRUE(QuestionPacket::Parse(restart.bytes, &back));
  EXPECT_EQ(std::make_tuple(back.restart, back.chapter), std::make_tuple(true, 0x0203));
  EXPECT_FALSE(QuestionPacket::Parse(std::span(restart.bytes).first(kRestartRequestSize - 1), &back));

  std::vector<std::uint8_t> load(kLoadGameSize);
  plat::ByteWriter w(load);
  w.WriteAt<std::uint16_t>(0, PKT_LOAD_REQUEST);
  w.WriteAt<std::uint16_t>(8, 0x7777);  // the file's name, not the asker
  w.WriteAt<std::uint16_t>(268, 5);
  ASSERT_TRUE(QuestionPacket::Parse(load, &back));
  EXPECT_EQ(std::make_tuple(back.restart, back.chapter), std::make_tuple(false, 5));
  // Twelve bytes are a whole restart but a cut load.
  EXPECT_FALSE(QuestionPacket::Parse(std::span(load).first(kRestartRequestSize), &back));
}

TEST(SessionPackets, AChatLinePassedOnLosesOnlyItsInterception) {
  ChatPacket line;
  line.sender = 4;
  line.target = kChatToGuild;
  line.intercepted = 0xAABBCCDD;
  line.text = "hold the rock";
  auto image = line.Build();
  const auto before = image;
  ASSERT_TRUE(ChatPacket::SetIntercepted(image, 0));
  for (std::size_t i = 0; i < image.size(); ++i) EXPECT_EQ(image[i], i >= 12 && i < 16 ? 0 : before[i]) << i;
  EXPECT_FALSE(ChatPacket::SetIntercepted(std::span(image).first(15), 1));
}

}  // namespace
