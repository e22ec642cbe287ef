#include <gtest/gtest.h>

#include <vector>

#include "Game/frontend/ScreenHistory.h"

namespace {

struct History {
  std::array<std::uint16_t, kHistorySize> entries{};
  std::uint16_t count = 0;
  ScreenHistory rules{entries, count};

  // Requests each id in turn; the ids shown.
  std::vector<int> Walk(std::initializer_list<int> ids) {
    std::vector<int> shown;
    for (int id : ids) shown.push_back(rules.Next(static_cast<std::int16_t>(id)));
    return shown;
  }
  std::vector<int> Entries() const { return {entries.begin(), entries.begin() + count}; }
};

TEST(ScreenHistory, BackRetracesTheWayAndEndsAtTheTitle) {
  History h;
  EXPECT_EQ(h.Walk({1, 2, 11, 13}), (std::vector<int>{1, 2, 11, 13}));
  EXPECT_EQ(h.Entries(), (std::vector<int>{1, 2, 11}));
  EXPECT_EQ(h.Walk({100, 100, 100, 100}), (std::vector<int>{11, 2, 1, 1}));
  EXPECT_EQ(h.count, 0);
}

TEST(ScreenHistory, BackFromTheFirstScreenWithNothingRecordedShowsTheTitle) {
  History h;
  EXPECT_EQ(h.Walk({2, 100}), (std::vector<int>{2, 1}));
}

TEST(ScreenHistory, TheTitleEmptiesTheHistoryAtAnyDepth) {
  History h;
  h.Walk({1, 8, 9, 10, 13, 16});
  ASSERT_EQ(h.count, 5);
  h.Walk({1});
  EXPECT_EQ(h.count, 0);
  EXPECT_EQ(h.rules.last, 1);
  h.Walk({2});
  EXPECT_EQ(h.Entries(), (std::vector<int>{1}));
}

TEST(ScreenHistory, GoingDownUnwindsToTheScreensBelow) {
  History h;
  h.Walk({1, 8, 9, 10, 13, 21});
  h.Walk({9});  // from the waiting room back to the session list
  EXPECT_EQ(h.Entries(), (std::vector<int>{1, 8}));
  EXPECT_EQ(h.rules.last, 9);
  EXPECT_EQ(h.Walk({100}), (std::vector<int>{8}));
}

TEST(ScreenHistory, ALobbyStartThenALowerScreenLeavesNothingBehind) {
  History h;
  h.Walk({13, 2});
  EXPECT_TRUE(h.Entries().empty());
  EXPECT_EQ(h.Walk({100}), (std::vector<int>{1}));
}

TEST(ScreenHistory, TheFiftyFirstNestedScreenIsShownButNotRecorded) {
  History h;
  for (int id = 2; id <= 52; ++id) h.rules.Next(static_cast<std::int16_t>(id));  // 51 screens after the first
  ASSERT_EQ(h.count, kHistorySize);
  EXPECT_EQ(h.rules.Next(60), 60);
  EXPECT_EQ(h.count, kHistorySize);
  EXPECT_EQ(h.entries[kHistorySize - 1], 51);
  EXPECT_EQ(h.rules.Next(100), 51);  // back pops the newest entry
}

TEST(ScreenHistory, TheSameScreenAgainIsNotRecordedTwice) {
  History h;
  h.Walk({2, 11, 11});
  EXPECT_EQ(h.Entries(), (std::vector<int>{2}));
}

}  // namespace
