#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/Game/model/world/world_fixture.h"

namespace world_test {
namespace {

class PoolTest : public WorldTest {};

TEST_F(PoolTest, StartingPoolsFollowTheStartingValues) {
  UseGameVariables("CHAPTER_METALS=1000\nCHAPTER_EXOTICS=333\nCHAPTER_CREDITS_POOL=5000\n");
  rules.localChapter = 12;
  Chapter(12)->homeAsteroid = 7;
  const std::pair<int, std::uint32_t> settings[] = {{0, 1500}, {2, 500}, {1, 1000}, {-1, 1000}};
  for (auto [setting, metals] : settings) {
    rules.startingResources = setting;
    pools.SetMineral(3, 0, 9);
    pools.InitForNewGame();
    EXPECT_EQ(pools.GetMineral(7, MINERAL_METALS), metals) << setting;
    EXPECT_EQ(pools.GetMineral(3, MINERAL_METALS), 0u);
    EXPECT_EQ(pools.GetStorageFacilities(7), 1);
  }
  EXPECT_EQ(pools.GetMineral(7, MINERAL_EXOTICS), 333u);
  EXPECT_EQ(Chapter(12)->credits, 5000u);
  rules.startingResources = 2;
  pools.InitForNewGame();
  EXPECT_EQ(pools.GetMineral(7, MINERAL_EXOTICS), 166u);  // truncated
}

TEST_F(PoolTest, TakingIsAllOrNothing) {
  const std::uint32_t held[4] = {10, 10, 0, 50};
  pools.SetMinerals(4, held);
  const std::uint32_t tooMuch[4] = {10, 20, 0, 5};
  EXPECT_EQ(pools.TakeMinerals(4, tooMuch), 0);
  std::uint32_t now[4];
  pools.GetMinerals(4, now);
  EXPECT_EQ(std::vector<std::uint32_t>(now, now + 4), (std::vector<std::uint32_t>{10, 10, 0, 50}));
  const std::uint32_t fits[4] = {10, 5, 0, 50};
  EXPECT_EQ(pools.HasMinerals(4, fits), 1);
  EXPECT_EQ(pools.TakeMinerals(4, fits), 1);
  EXPECT_EQ(pools.GetMineral(4, 0), 0u);
  EXPECT_EQ(pools.TakeMineral(4, 1, 5), 1);
  EXPECT_EQ(pools.TakeMineral(4, 1, 1), 0);
  EXPECT_EQ(pools.GetStorageFacilities(150), 0);
}

TEST_F(PoolTest, SavedPools) {
  pools.SetBlockade(149, 1);
  pools.AddStorageFacility(149);
  pools.SetMineral(149, 3, 77);
  const std::vector<std::uint8_t> bytes = Saved(pools);
  ASSERT_EQ(bytes.size(), 1 + 150 * 21 + 1u);
  CGPoolDB copy;
  ASSERT_EQ(Load(copy, bytes), LoadStatus::kOk);
  EXPECT_EQ(copy.IsBlockaded(149), 1u);
  EXPECT_EQ(copy.GetMineral(149, 3), 77u);
  std::vector<std::uint8_t> bad = bytes;
  bad[0] = 2;
  EXPECT_EQ(Load(copy, bad), LoadStatus::kBadVersion);
  bad = bytes;
  bad.back() = 0xDB;
  copy.SetMineral(0, 0, 5);
  EXPECT_EQ(Load(copy, bad), LoadStatus::kBadEndByte);
  EXPECT_EQ(Load(copy, std::span(bytes).first(bytes.size() - 1)), LoadStatus::kTruncated);
  EXPECT_EQ(copy.GetMineral(0, 0), 5u);
}

class NotifyTest : public WorldTest {};

TEST_F(NotifyTest, TheListGrowsAheadOfItsLastEntry) {
  struct Panel : IViewNotices {
    int lines = 0;
    void NotificationPanelNewLine() override { ++lines; }
  } panel;
  RegisterViewNotices(&panel);
  const int& lines = panel.lines;
  for (int i = 0; i < 19; ++i) notes.Add(3, 1, 101, nullptr, nullptr, 0, 0, 0);
  EXPECT_EQ(notes.GetCapacity(), 20);
  notes.Add(5, 1, 101, nullptr, "second only", 0, 0, 0);
  EXPECT_EQ(notes.GetCapacity(), 30);
  EXPECT_STREQ(notes.GetEntry(19)->text1, "");
  EXPECT_STREQ(notes.GetEntry(19)->text2, "second only");
  EXPECT_EQ(lines, 20);
  notes.SetCodeFilter(0, 0, 1);
  notes.Add(5, 1, 101, std::string(100, 'a').c_str(), nullptr, 0, 0, 0);
  EXPECT_EQ(lines, 20);  // filtered: the panel stays
  EXPECT_EQ(std::strlen(notes.GetEntry(20)->text1), 63u);
  RegisterViewNotices(nullptr);
}

TEST_F(NotifyTest, ClearingAndFilters) {
  for (int i = 0; i < 4; ++i)
    notes.Add(i % 2 == 0 ? 3 : 5, 2, static_cast<std::uint16_t>(201 + i), "t", nullptr, 0, 0, 0);
  notes.Clear(3);
  EXPECT_EQ(notes.GetCount(), 4);
  EXPECT_EQ(notes.FindVisible(0, 3), -1);
  EXPECT_EQ(notes.FindVisible(1, 5), 3);
  EXPECT_EQ(notes.FindVisible(-1, 5), -1);
  notes.ToggleCodeFilter(1);  // code 202
  EXPECT_EQ(notes.IsFiltered(1), 1);
  EXPECT_EQ(notes.HasFilteredEntries(), 1);
  EXPECT_EQ(notes.FindVisible(0, 5), 3);
  EXPECT_EQ(notes.CountVisible(), 3);
  notes.showAll = 1;
  EXPECT_EQ(notes.CountVisible(), 4);
  EXPECT_EQ(notes.FindVisible(0, 5), 1);
  notes.categoryFilters[1] = 1;
  EXPECT_EQ(notes.FindVisible(0, 5), -1);
  notes.GetEntry(3)->read = 1;
  EXPECT_EQ(notes.IsRead(3), 1u);
  EXPECT_EQ(notes.IsRead(4), 0u);
  notes.Clear(kAllChapters);
  EXPECT_EQ(notes.GetCount(), 0);
}

TEST_F(NotifyTest, SavedListKeepsCapacityFiltersAndEntries) {
  for (int i = 0; i < 21; ++i) notes.Add(3, 4, 414, "rock", nullptr, static_cast<std::uint16_t>(i), 2, 3);
  notes.SetCodeFilter(5, 29, 1);
  const std::vector<std::uint8_t> bytes = Saved(notes);
  EXPECT_EQ(bytes.size(), 752 + 21 * 148 + 1u);  // the entry's fields add up to 148 bytes
  CGNotificationList copy;
  ASSERT_EQ(Load(copy, bytes), LoadStatus::kOk);
  EXPECT_EQ(copy.GetCapacity(), 30);
  EXPECT_EQ(copy.GetEntry(20)->param1, 20);
  EXPECT_EQ(Saved(copy), bytes);
  std::vector<std::uint8_t> bad = bytes;
  bad[2] = 30;  // as many entries as slots: none left free
  EXPECT_EQ(Load(copy, bad), LoadStatus::kBadCount);
  bad = bytes;
  std::fill(bad.begin() + 752 + 6, bad.begin() + 752 + 6 + 64, 'z');  // a text that fills its field
  ASSERT_EQ(Load(copy, bad), LoadStatus::kOk);
  EXPECT_EQ(std::strlen(copy.GetEntry(0)->text1), 63u);
  CGNotificationList target;
  for (std::size_t n = 0; n < bytes.size(); n += 13)
    ASSERT_EQ(Load(target, std::span(bytes).first(n)), LoadStatus::kTruncated) << n;
  EXPECT_EQ(target.GetCapacity(), 20);
}

}  // namespace
}  // namespace world_test
