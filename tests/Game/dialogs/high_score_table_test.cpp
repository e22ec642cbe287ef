// "hiscore.dat": the records as the old text-mode file held them, placing a
// finished game, and hostile files read as far as they are valid.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "Game/dialogs/HighScoreTable.h"

namespace {

HighScoreEntry Entry(const char* name, std::int32_t score) {
  HighScoreEntry e;
  e.SetName(name);
  e.score = score;
  e.guild = 3;
  e.chapters = 40;
  e.asteroids = 120;
  e.turns = 87;
  e.owned = 17;
  e.conditions = kConditionCaptureFlag | kConditionInterregnum;
  e.result = 2;
  return e;
}

TEST(HighScoreTable, RecordsRoundTripWithTheirLayout) {
  HighScoreTable table{};
  table[0] = Entry("Alpha", 70000);  // a winner's score beyond 16 bits stays whole
  table[1] = Entry("Beta", 12);
  const std::vector<std::uint8_t> file = EncodeHighScores(table);
  ASSERT_EQ(file.size(), kHighScoreRecordSize * kHighScoreRows);
  EXPECT_EQ(file[40], 3);
  EXPECT_EQ(file[41], 40);
  EXPECT_EQ(file[43], 87);
  EXPECT_EQ(file[46] | file[47] << 8 | file[48] << 16, 70000);
  EXPECT_EQ(file[50], 18);
  const HighScoreTable back = DecodeHighScores(file);
  EXPECT_STREQ(back[0].name, "Alpha");
  EXPECT_EQ(back[0].score, 70000);
  EXPECT_EQ(back[0].conditions, 18);
  EXPECT_EQ(back[1].score, 12);
  EXPECT_TRUE(back[2].Empty());
}

// A score of 10 is the byte 10: stored as 13, 10 and read back as 10.
TEST(HighScoreTable, ByteTenTakesTwoBytesAndReadsBack) {
  HighScoreTable table{};
  table[0] = Entry("Alpha", 10);
  table[0].conditions = 0;
  const std::vector<std::uint8_t> file = EncodeHighScores(table);
  ASSERT_EQ(file.size(), kHighScoreRecordSize * kHighScoreRows + 1);
  EXPECT_EQ(file[46], 13);
  EXPECT_EQ(file[47], 10);
  EXPECT_EQ(DecodeHighScores(file)[0].score, 10);
  EXPECT_EQ(DecodeHighScores(file)[1].score, 0);
}

TEST(HighScoreTable, PlacingTiesGoBelowAndLowScoresStayOut) {
  HighScoreTable table{};
  EXPECT_EQ(PlaceHighScore(&table, Entry("Zero", 0)), -1);
  EXPECT_EQ(PlaceHighScore(&table, Entry("Negative", -5)), -1);
  EXPECT_EQ(PlaceHighScore(&table, Entry("First", 1)), 0);
  EXPECT_EQ(PlaceHighScore(&table, Entry("Top", 500)), 0);
  EXPECT_EQ(PlaceHighScore(&table, Entry("Tie", 500)), 1);
  EXPECT_STREQ(table[0].name, "Top");
  EXPECT_STREQ(table[2].name, "First");
  for (int i = 0; i < kHighScoreRows; ++i) PlaceHighScore(&table, Entry("Mid", 300));
  EXPECT_STREQ(table[8].name, "Mid");  // "First" dropped off the end
  const HighScoreTable full = table;
  EXPECT_EQ(PlaceHighScore(&table, Entry("Low", 299)), -1);
  EXPECT_EQ(EncodeHighScores(table), EncodeHighScores(full));
}

TEST(HighScoreTable, LongNamesAreCutToTheField) {
  HighScoreEntry e;
  e.SetName(std::string(60, 'n'));
  EXPECT_EQ(std::strlen(e.name), kHighScoreNameSize - 1);
}

TEST(HighScoreTable, HostileFilesReadAsFarAsTheyGo) {
  HighScoreTable table{};
  table[0] = Entry("Alpha", 900);
  table[1] = Entry("Beta", 800);
  std::vector<std::uint8_t> file = EncodeHighScores(table);
  // Cut inside the second record's score: the first stays, the second is empty.
  const HighScoreTable cut = DecodeHighScores(std::span(file).first(kHighScoreRecordSize + 47));
  EXPECT_EQ(cut[0].score, 900);
  EXPECT_TRUE(cut[1].Empty());
  // A name without its zero ends one short of the field.
  std::vector<std::uint8_t> unterminated(kHighScoreRecordSize * kHighScoreRows, 'x');
  EXPECT_EQ(std::strlen(DecodeHighScores(unterminated)[0].name), kHighScoreNameSize - 1);
  // Lone 13s and 0x1A are bytes like others; bytes past the ninth record are ignored.
  std::vector<std::uint8_t> odd = file;
  odd[46] = 13;
  odd[47] = 0x1A;
  odd.resize(odd.size() + 4000, 10);
  EXPECT_EQ(DecodeHighScores(odd)[0].score, 13 | 0x1A << 8);
  std::mt19937 random(44);
  for (int run = 0; run < 300; ++run) {
    std::vector<std::uint8_t> noise(random() % 700);
    for (auto& b : noise) b = static_cast<std::uint8_t>(random() % 4 ? random() : (random() % 2 ? 10 : 13));
    const HighScoreTable read = DecodeHighScores(noise);
    for (const HighScoreEntry& e : read) EXPECT_LT(std::strlen(e.name), kHighScoreNameSize);
  }
}

}  // namespace
