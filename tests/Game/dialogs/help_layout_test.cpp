// The help window's place and size by the text's length, and the text's
// lines: word wrap, kept line ends, over-long words, hostile texts.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "Game/dialogs/CDHelpDlg.h"

namespace {

TEST(HelpWindowRect, SizedByLengthAndKeptOnTheScreen) {
  const plat::RECT small = HelpWindowRect(50, 600, 100, 0);
  EXPECT_EQ(small.left, 540);
  EXPECT_EQ(small.top, 120);
  EXPECT_EQ(small.right - small.left, 256);
  EXPECT_EQ(small.bottom - small.top, 128);
  const plat::RECT big = HelpWindowRect(2000, 300, 300, 0);
  EXPECT_EQ(big.left, 0);
  EXPECT_EQ(big.top, 0);
  EXPECT_EQ(big.right, 512);
  EXPECT_EQ(big.bottom, 512);
  const plat::RECT corner = HelpWindowRect(2000, 700, 550, 0);
  EXPECT_EQ(corner.left, 181);
  EXPECT_EQ(corner.top, 31);
  const plat::RECT middle = HelpWindowRect(500, 100, 400, 0);
  EXPECT_EQ(middle.top, 130);
  EXPECT_EQ(middle.bottom - middle.top, 256);
  // A picture of 36 rows counts as 120 characters more.
  EXPECT_EQ(HelpWindowRect(50, 10, 10, 36).bottom - HelpWindowRect(50, 10, 10, 36).top, 256);
}

TEST(WrapHelpText, WordsFillLinesShorterThanTheWidth) {
  const auto lines = WrapHelpText("aaa bbb ccc dd", 8);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "aaa bbb");
  EXPECT_EQ(lines[1], "ccc dd");
}

TEST(WrapHelpText, LineEndsStayAndEmptyLinesToo) {
  const auto lines = WrapHelpText("one\r\n\r\ntwo three", 40);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "one");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2], "two three");
}

TEST(WrapHelpText, AWordLongerThanALineIsBrokenAtItsWidth) {
  const auto lines = WrapHelpText("go " + std::string(20, 'x') + " on", 8);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "go");
  EXPECT_EQ(lines[1], std::string(7, 'x'));
  EXPECT_EQ(lines[2], std::string(7, 'x'));
  EXPECT_EQ(lines[3], std::string(6, 'x'));
  EXPECT_EQ(lines[4], "on");
}

TEST(WrapHelpText, HostileTextsGiveLinesThatFit) {
  const std::string blankless(64 * 1024, 'q');
  const auto lines = WrapHelpText(blankless, 80);
  EXPECT_EQ(lines.size(), (blankless.size() + 78) / 79);
  std::mt19937 random(123);
  for (int run = 0; run < 200; ++run) {
    std::string text(random() % 3000, ' ');
    for (char& c : text) c = "ab \n\r\t"[random() % 6];
    const int width = 2 + static_cast<int>(random() % 100);
    for (const std::string& line : WrapHelpText(text, width)) EXPECT_LT(line.size(), static_cast<std::size_t>(width));
  }
}

}  // namespace
