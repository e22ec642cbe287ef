#include <gtest/gtest.h>

#include <vector>

#include "media/PointerRegistry.h"

namespace {

// The registry is process-wide: each test leaves it empty.
TEST(PointerRegistry, FilesAsksAndTakesOut) {
  int a = 0, b = 0;
  EXPECT_EQ(PointerRegistryContains(&a), 0);
  EXPECT_EQ(PointerRegistryRemove(&a), 0);
  ASSERT_EQ(PointerRegistryAdd(&a), 1);
  ASSERT_EQ(PointerRegistryAdd(&b), 1);
  EXPECT_EQ(PointerRegistryContains(&a), 1);
  EXPECT_EQ(PointerRegistryRemove(&a), 1);
  EXPECT_EQ(PointerRegistryContains(&a), 0);
  EXPECT_EQ(PointerRegistryContains(&b), 1) << "taking one out leaves the others";
  // Filed twice, it stays filed until taken out twice.
  ASSERT_EQ(PointerRegistryAdd(&b), 1);
  EXPECT_EQ(PointerRegistryRemove(&b), 1);
  EXPECT_EQ(PointerRegistryContains(&b), 1);
  EXPECT_EQ(PointerRegistryRemove(&b), 1);
  EXPECT_EQ(PointerRegistryContains(&b), 0);
  EXPECT_EQ(PointerRegistryAdd(nullptr), 0);
  EXPECT_EQ(PointerRegistryContains(nullptr), 0);
}

TEST(PointerRegistry, HoldsTwoThousandAndFortyEightAndNoMore) {
  std::vector<char> items(kPointerRegistrySlots + 1);
  for (std::size_t i = 0; i < kPointerRegistrySlots; ++i) ASSERT_EQ(PointerRegistryAdd(&items[i]), 1) << i;
  EXPECT_EQ(PointerRegistryAdd(&items.back()), 0);
  EXPECT_EQ(PointerRegistryContains(&items.back()), 0);
  EXPECT_EQ(PointerRegistryContains(&items[kPointerRegistrySlots - 1]), 1) << "the last slot is searched too";
  // A slot emptied in the middle is the one the next filing takes.
  ASSERT_EQ(PointerRegistryRemove(&items[700]), 1);
  EXPECT_EQ(PointerRegistryAdd(&items.back()), 1);
  EXPECT_EQ(PointerRegistryContains(&items.back()), 1);
  EXPECT_EQ(PointerRegistryRemove(&items.back()), 1);
  for (std::size_t i = 0; i < kPointerRegistrySlots; ++i) {
    if (i != 700) {
      ASSERT_EQ(PointerRegistryRemove(&items[i]), 1) << i;
    }
  }
  EXPECT_EQ(PointerRegistryContains(&items[0]), 0);
}

}  // namespace
