#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "Game/rules/GModuleDB.h"
#include "tests/Game/model/world/world_fixture.h"

namespace world_test {
namespace {

std::vector<std::uint8_t> ChatPacket(std::uint8_t sender, const std::string& text, std::uint32_t intercepted = 0,
                                     bool terminated = true) {
  std::vector<std::uint8_t> p(16 + text.size() + (terminated ? 1 : 0), 0);
  p[8] = sender;
  p[9] = 255;
  p[12] = static_cast<std::uint8_t>(intercepted);
  std::copy(text.begin(), text.end(), p.begin() + 16);
  return p;
}

class ChapterTest : public WorldTest {
 protected:
  ChapterTest() : chapter(*Chapter(11)) {}  // guild 1, slot 3
  // A module database holding one researched propulsion module of the local guild.
  void UsePropulsion(std::uint8_t thrust, std::uint8_t mass) {
    modules.records = MakeModuleBlock(1);
    modules.count = modules.capacity = 1;
    ModuleRecord& m = modules.records[0];
    m.type = MODULE_PROPULSION;
    m.guildMask = 1u << (rules.localChapter >> 3);
    m.researchPoints = 10000;
    m.typeData[0] = thrust;
    m.mass = mass;
    rules.modules = &modules;
  }
  CGChapter& chapter;
  CGModuleDB modules{"C:\\none.dat"};
};

TEST_F(ChapterTest, ChatKeepsTwentyMessagesAndGarblesInterceptedOnes) {
  for (int i = 0; i < 21; ++i) EXPECT_EQ(chapter.AddChatMessage(ChatPacket(static_cast<std::uint8_t>(i), "hi")), 1);
  EXPECT_EQ(chapter.chatMessages.count, 20);
  EXPECT_EQ(chapter.GetChatMessage(0)->sender, 1);
  EXPECT_EQ(chapter.GetChatMessage(20), nullptr);
  chapter.DeleteChatMessage(0);
  EXPECT_EQ(chapter.GetChatMessage(0)->sender, 2);
  const std::string secret(120, 'x');
  plat::srand(1);  // the first draw makes 41 percent of the letters unreadable
  chapter.AddChatMessage(ChatPacket(3, secret + " - 7!", 1));
  const std::string got = chapter.GetChatMessage(19)->text.get();
  ASSERT_EQ(got.size(), secret.size() + 5);
  EXPECT_EQ(got.substr(120, 3), " - ");
  EXPECT_NE(got.find('*'), std::string::npos);
  EXPECT_NE(got.find('x'), std::string::npos);
  EXPECT_EQ(got.back(), '!');
  EXPECT_EQ(chapter.AddChatMessage(std::vector<std::uint8_t>(15, 0)), 0);
  // A text without its zero ends with the packet.
  chapter.AddChatMessage(ChatPacket(4, "open", 0, false));
  EXPECT_STREQ(chapter.GetChatMessage(19)->text.get(), "open");
}

TEST_F(ChapterTest, VotesAreSentWhenTheyChange) {
  chapter.SetRenegadeVote(2, 1);
  chapter.SetRenegadeVote(2, 1);
  chapter.ToggleRenegadeVote(2);
  chapter.VoteForImperator(3);  // its own slot already has its vote
  chapter.VoteForImperator(5);
  ASSERT_EQ(rules.sent.size(), 3u);
  EXPECT_EQ(rules.sent[0].bytes, (std::vector<std::uint8_t>{0xC7, 1, 0, 0, 0, 0, 0, 0, 11, 0, 2, 0, 1, 0, 0, 0}));
  EXPECT_EQ(rules.sent[1].bytes[12], 0);
  EXPECT_EQ(rules.sent[2].bytes, (std::vector<std::uint8_t>{0xC8, 1, 0, 0, 0, 0, 0, 0, 11, 0, 5, 0}));
  EXPECT_EQ(std::make_tuple(chapter.imperatorVotes[3], chapter.imperatorVotes[5]), std::make_tuple(0u, 1u));
}

TEST_F(ChapterTest, AtvTechnologyFollowsTheGameVariables) {
  UseGameVariables("ATV_TECH_LEVELS=1 2 1 4 5 6 7 A B\nATV_TECH_LEVELS=1 3 1 9 9 9 9 C D\n");
  chapter.SetATVTechLevels(1, 2);
  EXPECT_EQ(std::vector<std::uint8_t>(chapter.GetATVTechStats(1), chapter.GetATVTechStats(1) + 6),
            (std::vector<std::uint8_t>{4, 5, 6, 7, 'A', 'B'}));
  chapter.UpgradeATVTechLevel(1);
  EXPECT_EQ(chapter.atvTech[1].level, 3);
  EXPECT_EQ(chapter.GetATVTechStats(1)[0], 9);
  chapter.UpgradeATVTechLevel(1);
  EXPECT_EQ(chapter.atvTech[1].level, 3);
  chapter.SetATVTechLevels(7, 0);
  EXPECT_EQ(chapter.GetATVTechStats(7), nullptr);
  EXPECT_EQ(chapter.atvTech[1].level, 3);
}

TEST_F(ChapterTest, TurnStatisticsGoToTheTurnsRow) {
  solar.CreateAsteroidArray(2);
  AddAsteroid(1, 0);
  pools.SetMineral(1, MINERAL_EXOTICS, 70);
  chapter.credits = 1234;
  rules.turn = 57;
  chapter.RecordTurnStatistics();
  std::uint32_t row[kStatFields];
  chapter.GetTurnStatistics(7, row);
  EXPECT_EQ(std::make_tuple(row[6], row[9]), std::make_tuple(70u, 1234u));
  EXPECT_EQ(row[0] + row[8], 0u);
}

TEST_F(ChapterTest, AutoTransfersReplaceByKeyAndAreSent) {
  chapter.SetAutoTransfer(4, 5, MINERAL_METALS, 100);
  chapter.SetAutoTransfer(4, 6, MINERAL_METALS, 200);
  chapter.SetAutoTransfer(4, 6, MINERAL_REACTIVES, 300);
  EXPECT_EQ(chapter.autoTransfers.count, 2);
  EXPECT_EQ(chapter.FindAutoTransfer(4, MINERAL_METALS)->amount, 200);
  EXPECT_EQ(chapter.CancelAutoTransfer(4, MINERAL_REACTIVES), 1);
  EXPECT_EQ(chapter.HasAutoTransfer(4, MINERAL_REACTIVES), 0);
  rules.localChapter = 11;
  chapter.renegade = 1;
  chapter.camp = 1;
  chapter.SendAutoTransfers();
  ASSERT_EQ(rules.sent.size(), 1u);
  EXPECT_EQ(rules.sent[0].bytes,
            (std::vector<std::uint8_t>{0x2B, 2, 0, 0, 0, 0, 0, 0, 11, 4, 6, 0, 200, 0, 0xFF, 0xFF, 1, 0, 0, 0}));
  EXPECT_EQ(std::make_tuple(chapter.previousRenegade, chapter.previousCamp), std::make_tuple(1u, 1u));
}

// Thrust T and mass M move a cargo at 3T / (3 (M + 15)) x 5000 a turn
// squared against the squared distance.
TEST_F(ChapterTest, TransferTurnsFromTheBestPropulsion) {
  rules.localChapter = 11;
  solar.CreateAsteroidArray(3);
  AddAsteroid(0, 0, 0, 0);
  AddAsteroid(1, 0, 30000, 0);
  EXPECT_EQ(CGChapter::ComputeTransferTurns(0, 0), 0);
  EXPECT_EQ(CGChapter::ComputeTransferTurns(0, 1), -1);  // no module database
  UsePropulsion(50, 10);
  EXPECT_EQ(CGChapter::ComputeTransferTurns(0, 1), 10);  // 9e8 / 1e8 + 1
  UsePropulsion(100, 10);                                // 300 does not wrap to 44
  EXPECT_EQ(CGChapter::ComputeTransferTurns(0, 1), 3);
  UsePropulsion(0, 10);
  EXPECT_EQ(CGChapter::ComputeTransferTurns(0, 1), -1);
  UsePropulsion(50, 10);
  EXPECT_EQ(CGChapter::ComputeTransferTurns(0, 2), -1);  // an empty slot
  rules.modules = nullptr;
}

TEST_F(ChapterTest, AlliesShareAGuildAndACampWithoutRenegades) {
  CGChapter& other = *Chapter(12);
  EXPECT_EQ(chapter.IsAlliedWith(1, 4), 1);
  EXPECT_EQ(chapter.IsAlliedWith(2, 4), 0);
  other.camp = 1;
  EXPECT_EQ(chapter.IsAlliedWith(1, 4), 0);
  chapter.camp = 1;
  other.renegade = 1;
  EXPECT_EQ(chapter.IsAlliedWith(1, 4), 0);
  EXPECT_EQ(chapter.SetRenegade(1), 1);
  EXPECT_EQ(chapter.SetRenegade(1), 0);
}

TEST_F(ChapterTest, BlocksOfBothVersionsAndDamagedOnes) {
  chapter.SetName("Ashen Vow");
  chapter.AddChatMessage(ChatPacket(3, "meet at dawn", 1));
  chapter.AddNote("rim");
  chapter.SetAutoTransfer(1, 2, 3, 4);
  std::vector<std::uint8_t> bytes = Saved(chapter);
  CGChapter copy(0, 0);
  ASSERT_EQ(Load(copy, bytes), LoadStatus::kOk);
  EXPECT_EQ(Saved(copy), bytes);
  EXPECT_EQ(copy.GetChatMessage(0)->intercepted, 0u);
  std::vector<std::uint8_t> v1 = bytes;  // transfers of five bytes, no transit turns
  v1.erase(v1.end() - 3, v1.end() - 1);
  v1[0] = 1;
  ASSERT_EQ(Load(copy, v1), LoadStatus::kOk);
  EXPECT_EQ(copy.FindAutoTransfer(1, 3)->transitTurns, 0);
  EXPECT_EQ(copy.FindAutoTransfer(1, 3)->amount, 4);

  CGChapter target(2, 2);
  const std::vector<std::uint8_t> before = Saved(target);
  for (std::size_t n = 0; n < bytes.size(); ++n)
    ASSERT_EQ(Load(target, std::span(bytes).first(n)), LoadStatus::kTruncated) << n;
  const std::size_t messages = 1 + 2 + 2 + 4 + 2 + 20 + 20 + 1 + 4 + 11 + 64 + 2000 + 28;
  ASSERT_EQ(bytes[messages], 1);
  std::vector<std::uint8_t> bad = bytes;
  bad[messages] = 21;
  EXPECT_EQ(Load(target, bad), LoadStatus::kBadCount);
  bad = bytes;
  bad[messages + 4 + 2 + 3] = 0x7F;  // a text of two gigabytes
  EXPECT_EQ(Load(target, bad), LoadStatus::kBadCount);
  EXPECT_EQ(Saved(target), before);
}

// Every turn's statistics come back in their own row and field, each value
// with its four bytes in their order.
TEST_F(ChapterTest, EveryTurnsStatisticsComeBackInPlace) {
  for (int row = 0; row < kStatRows; ++row)
    for (int field = 0; field < kStatFields; ++field)
      chapter.statistics[row].values[field] =
          0x01020304u * static_cast<std::uint32_t>(row + 1) + static_cast<std::uint32_t>(field);
  const std::vector<std::uint8_t> bytes = Saved(chapter);
  CGChapter copy(0, 0);
  ASSERT_EQ(Load(copy, bytes), LoadStatus::kOk);
  for (int row = 0; row < kStatRows; ++row) {
    std::uint32_t values[kStatFields];
    copy.GetTurnStatistics(row, values);
    for (int field = 0; field < kStatFields; ++field)
      ASSERT_EQ(values[field], chapter.statistics[row].values[field]) << row << " " << field;
  }
  EXPECT_EQ(Saved(copy), bytes);
}

// Notes of every length class, from an empty one to the longest kept (its
// zero makes the saved length 65,535), come back whole, and a block cut
// inside a long text leaves the chapter as it was.
TEST_F(ChapterTest, NotesOfEveryLengthComeBackWhole) {
  std::vector<std::string> texts;
  for (std::size_t n : {0u, 1u, 7u, 8u, 9u, 2046u, 2047u, 2048u, 5000u, 65534u}) {
    std::string t(n, ' ');
    for (std::size_t i = 0; i < n; ++i) t[i] = static_cast<char>('a' + (i * 7 + n) % 26);
    texts.push_back(t);
    chapter.AddNote(t.c_str());
  }
  const std::vector<std::uint8_t> bytes = Saved(chapter);
  CGChapter copy(0, 0);
  ASSERT_EQ(Load(copy, bytes), LoadStatus::kOk);
  for (std::size_t i = 0; i < texts.size(); ++i)
    EXPECT_EQ(copy.GetNote(static_cast<int>(i))->text.get(), texts[i]) << i;
  EXPECT_EQ(Saved(copy), bytes);
  const std::vector<std::uint8_t> before = Saved(copy);
  EXPECT_EQ(Load(copy, std::span(bytes).first(bytes.size() - 65535 / 2)), LoadStatus::kTruncated);
  EXPECT_EQ(Saved(copy), before);
}

// A note or chat message longer than a save can carry is kept cut to the
// longest that loads back, so the saved game still loads.
TEST_F(ChapterTest, TextsTooLongForASaveAreCutAndTheGameStillLoads) {
  const std::string longest(65534, 'n');
  chapter.AddNote((longest + "extra").c_str());
  chapter.AddChatMessage(ChatPacket(2, longest + "more"));
  EXPECT_EQ(std::string(chapter.GetNote(0)->text.get()), longest);
  EXPECT_EQ(std::string(chapter.GetChatMessage(0)->text.get()), longest);
  const std::vector<std::uint8_t> bytes = Saved(chapter);
  CGChapter copy(0, 0);
  ASSERT_EQ(Load(copy, bytes), LoadStatus::kOk);
  EXPECT_EQ(std::string(copy.GetNote(0)->text.get()), longest);
}

}  // namespace
}  // namespace world_test
