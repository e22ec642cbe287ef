#include "platform/core/handle_table.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

struct Thing {
  int value = 0;
};

std::vector<int> Values(const plat::HandleTable<Thing>& table) {
  std::vector<int> seen;
  table.ForEach([&](const Thing& t) { seen.push_back(t.value); });
  return seen;
}

// Objects made and freed over and over reuse the tables' nodes: what the
// table finds and the order it visits must not show it.
TEST(HandleTable, ObjectsAddedAfterRemovalsAreFoundAndVisitedInOrder) {
  plat::HandleTable<Thing> table;
  std::vector<Thing*> live;
  for (int i = 0; i < 20; ++i) live.push_back(table.Add(std::make_unique<Thing>(Thing{i})));
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 12; ++i) {
      std::unique_ptr<Thing> taken = table.Take(live[static_cast<std::size_t>(i)]);
      ASSERT_TRUE(taken);
      EXPECT_EQ(taken->value, live[static_cast<std::size_t>(i)]->value);
      EXPECT_FALSE(table.Contains(taken.get()));
    }
    live.erase(live.begin(), live.begin() + 12);
    for (int i = 0; i < 12; ++i) live.push_back(table.Add(std::make_unique<Thing>(Thing{100 * (round + 1) + i})));
    ASSERT_EQ(table.Size(), 20u);
    std::vector<int> expected;
    for (Thing* t : live) {
      ASSERT_EQ(table.Find(t), t);
      expected.push_back(t->value);
    }
    EXPECT_EQ(Values(table), expected) << "oldest first, also for objects in reused nodes";
  }
  EXPECT_EQ(table.Take(nullptr), nullptr);
  EXPECT_FALSE(table.Erase(&live));
}

}  // namespace
