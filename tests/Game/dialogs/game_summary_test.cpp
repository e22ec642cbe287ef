// The end-of-game ranking: shared places, id order among equals, absent
// chapters counted, and the game-over packet's figures read as far as it goes.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "Game/dialogs/CDGameSummaryDlg.h"

namespace {

using Scores = std::array<std::int32_t, kSummaryRows>;

TEST(RankSummary, EqualTopScoresShareThePlaceInIdOrder) {
  Scores scores{};
  scores[9] = 300;  // guild 1, slot 1
  scores[1] = 300;
  scores[16] = 200;
  scores[0] = 50;
  const SummaryTable rows = RankSummary(scores, 3, {});
  EXPECT_EQ(rows[0].chapter, 1);
  EXPECT_EQ(rows[0].place, 1);
  EXPECT_EQ(rows[1].chapter, 9);
  EXPECT_EQ(rows[1].place, 1);
  EXPECT_EQ(rows[2].chapter, 16);
  EXPECT_EQ(rows[2].place, 3);
  EXPECT_EQ(rows[3].chapter, 0);
  EXPECT_EQ(rows[3].place, 4);
}

// Three chapters a guild: fifteen present ids; a score of 0 sits among the
// absent ids by id order, a negative one below them all.
TEST(RankSummary, AbsentChaptersTakeTheirLinesAndCount) {
  Scores scores{};
  for (int g = 0; g < 5; ++g)
    for (int s = 0; s < 3; ++s) scores[g * 8 + s] = 100 + g * 8 + s;
  SummaryTable rows = RankSummary(scores, 3, {});
  for (int r = 0; r < 15; ++r) EXPECT_NE(rows[r].chapter, kEmptySummaryRow) << r;
  for (int r = 15; r < kSummaryRows; ++r) EXPECT_EQ(rows[r].chapter, kEmptySummaryRow) << r;
  scores[34] = 0;   // guild 4, slot 2
  scores[33] = -7;  // guild 4, slot 1
  rows = RankSummary(scores, 3, {});
  // 13 positive rows, then the zeros in id order: the absent ids 3..7, 11..15,
  // 19..23 and 27..31 come before id 34, which is the 21st of them.
  EXPECT_EQ(rows[13 + 20].chapter, 34);
  EXPECT_EQ(rows[13 + 20].place, 14);
  EXPECT_EQ(rows[13 + 19].chapter, kEmptySummaryRow);
  EXPECT_EQ(rows[39].chapter, 33);
  EXPECT_EQ(rows[39].place, 40);
}

TEST(RankSummary, FiguresComeFromThePacketAndStopWhereItEnds) {
  Scores scores{};
  scores[2] = 10;
  std::vector<std::uint8_t> packet(1012, 0);
  packet[8 + 2] = 2;
  packet[50 + 2] = 7;
  packet[90 + 2] = 9;
  packet[132 + 8] = 0x10;
  packet[132 + 9] = 0x27;  // 10,000
  for (std::size_t block : {292u, 452u, 612u, 772u}) packet[block + 8] = 5;
  packet[932 + 4] = 0x34;
  packet[932 + 5] = 0x12;
  SummaryTable rows = RankSummary(scores, 8, packet);
  EXPECT_EQ(rows[0].chapter, 2);
  EXPECT_EQ(rows[0].result, 2);
  EXPECT_EQ(rows[0].counts[0], 7);
  EXPECT_EQ(rows[0].counts[1], 9);
  EXPECT_EQ(rows[0].firstAmount, 10000u);
  EXPECT_EQ(rows[0].amountSum, 20u);
  EXPECT_EQ(rows[0].lastFigure, 0x1234);
  // Cut inside the last figures and then inside the amounts.
  rows = RankSummary(scores, 8, std::span(packet).first(932 + 5));
  EXPECT_EQ(rows[0].lastFigure, 0);
  EXPECT_EQ(rows[0].amountSum, 20u);
  rows = RankSummary(scores, 8, std::span(packet).first(600));
  EXPECT_EQ(rows[0].amountSum, 10u);
  EXPECT_EQ(rows[0].firstAmount, 10000u);
  rows = RankSummary(scores, 8, std::span(packet).first(9));
  EXPECT_EQ(rows[0].result, 0);
  EXPECT_EQ(rows[0].counts[0], 0);
}

}  // namespace
