#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "Game/frontend/ChapterBoard.h"

namespace {

using Packet = std::vector<std::uint8_t>;

Packet Make(std::uint16_t type, std::size_t size) {
  Packet p(size);
  p[0] = static_cast<std::uint8_t>(type);
  p[1] = static_cast<std::uint8_t>(type >> 8);
  return p;
}
void Put16(Packet& p, std::size_t at, std::uint16_t v) {
  p[at] = static_cast<std::uint8_t>(v);
  p[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(Packet& p, std::size_t at, std::uint32_t v) {
  Put16(p, at, static_cast<std::uint16_t>(v));
  Put16(p, at + 2, static_cast<std::uint16_t>(v >> 16));
}
void PutText(Packet& p, std::size_t at, const std::string& text) {
  for (std::size_t i = 0; i < text.size() && at + i < p.size(); ++i) p[at + i] = static_cast<std::uint8_t>(text[i]);
}

Packet Counts(std::uint16_t perGuild) {
  Packet p = Make(23, 12);
  Put16(p, 8, perGuild);
  return p;
}
Packet Name(std::uint16_t chapter, std::uint32_t taken, const std::string& name) {
  Packet p = Make(25, 48);
  Put16(p, 8, chapter);
  Put32(p, 12, taken);
  PutText(p, 16, name);
  return p;
}
Packet Answer(std::uint16_t chapter, std::uint32_t granted, const std::string& holder) {
  Packet p = Make(3, 48);
  Put16(p, 8, chapter);
  PutText(p, 12, holder);
  Put32(p, 44, granted);
  return p;
}

ChapterBoard::Event Take(ChapterBoard& board, const Packet& p) {
  std::uint16_t chapter = 0;
  return board.Take(p, chapter);
}

TEST(ChapterBoard, EveryChapterIsTakenUntilTheServerReportsIt) {
  ChapterBoard board(255);
  EXPECT_FALSE(board.Open(0));
  EXPECT_EQ(Take(board, Counts(8)), ChapterBoard::Event::Counts);
  EXPECT_FALSE(board.Complete());
  for (std::uint16_t c = 0; c < 40; ++c) Take(board, Name(c, c == 9 ? 1 : 0, "Chapter " + std::to_string(c + 1)));
  EXPECT_TRUE(board.Complete());
  EXPECT_TRUE(board.Open(0));
  EXPECT_FALSE(board.Open(9));
  EXPECT_TRUE(board.TakenByOther(9));
  EXPECT_EQ(board.Entry(39).name, "Chapter 40");
  EXPECT_FALSE(board.Open(40));
}

TEST(ChapterBoard, WithFourChaptersAGuildTheUpperSlotsAreClosed) {
  ChapterBoard board(255);
  Take(board, Counts(4));
  for (std::uint16_t c = 0; c < 40; ++c) Take(board, Name(c, 0, "x"));
  for (std::uint16_t c = 0; c < 40; ++c) EXPECT_EQ(board.Open(c), c % 8 < 4) << c;
  // A count beyond a guild's eight places, or none at all, is held to them.
  Take(board, Counts(0));
  EXPECT_EQ(board.ChaptersPerGuild(), 1);
  Take(board, Counts(200));
  EXPECT_EQ(board.ChaptersPerGuild(), 8);
}

TEST(ChapterBoard, TheHeldChapterStaysOpenThoughReportedTaken) {
  ChapterBoard board(12);
  Take(board, Counts(8));
  Take(board, Name(12, 1, "Rangers"));
  EXPECT_TRUE(board.Open(12));
  EXPECT_FALSE(board.TakenByOther(12));
}

TEST(ChapterBoard, ARefusalMarksTheChapterTakenWithItsHoldersName) {
  ChapterBoard board(255);
  Take(board, Counts(8));
  Take(board, Name(5, 0, "Order of Reason"));
  std::uint16_t chapter = 0;
  EXPECT_EQ(board.Take(Answer(5, 0, "Somebody Else"), chapter), ChapterBoard::Event::Refused);
  EXPECT_EQ(chapter, 5);
  EXPECT_FALSE(board.Open(5));
  EXPECT_EQ(board.Entry(5).name, "Somebody Else");
  EXPECT_EQ(board.Take(Answer(6, 1, ""), chapter), ChapterBoard::Event::Granted);
  EXPECT_EQ(chapter, 6);
}

TEST(ChapterBoard, ShortOrStrangePacketsChangeNothing) {
  ChapterBoard board(255);
  EXPECT_EQ(Take(board, Packet{23}), ChapterBoard::Event::None);
  EXPECT_EQ(Take(board, Make(23, 9)), ChapterBoard::Event::None);
  EXPECT_FALSE(board.CountsKnown());
  EXPECT_EQ(Take(board, Make(3, 40)), ChapterBoard::Event::None);  // no granted field
  EXPECT_EQ(Take(board, Name(40, 0, "beyond")), ChapterBoard::Event::None);
  EXPECT_EQ(Take(board, Answer(65535, 1, "")), ChapterBoard::Event::None);
  EXPECT_EQ(Take(board, Make(99, 48)), ChapterBoard::Event::None);
  // A name that fills its field without an end is cut to thirty characters.
  Packet p = Name(3, 0, std::string(40, 'n'));
  p.resize(20);
  Take(board, p);
  EXPECT_EQ(board.Entry(3).name, "nnnn");
  Take(board, Name(3, 0, std::string(32, 'm')));
  EXPECT_EQ(board.Entry(3).name, std::string(30, 'm'));
}

TEST(ChapterBoard, AClaimCarriesTheChapterTheHeldOneAndTheNameCut) {
  const auto p = ChapterClaimPacket(17, 3, std::string(35, 'a'));
  Packet expected = Make(3, 48);
  Put16(expected, 8, 17);
  Put16(expected, 10, 3);
  PutText(expected, 12, std::string(30, 'a'));
  EXPECT_EQ(Packet(p.begin(), p.end()), expected);
}

}  // namespace
