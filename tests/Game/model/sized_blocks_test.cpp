#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "Game/arrayman/ArrayMan.h"
#include "Game/arrayman/SizedBlocks.h"
#include "Game/arrayman/SlotBlocks.h"

namespace {

// Blocks of every size, pooled and not, taken at once: each holds its own
// bytes, whatever the others write.
TEST(SizedBlocksTest, BlocksOfEverySizeKeepTheirOwnBytes) {
  struct Taken {
    std::size_t bytes;
    std::uint8_t* block;
  };
  std::vector<Taken> taken;
  for (std::size_t bytes : {1u, 7u, 8u, 9u, 16u, 17u, 24u, 100u, 1000u, 2047u, 2048u, 2049u, 524280u}) {
    for (int copy = 0; copy < 3; ++copy) {
      auto* block = static_cast<std::uint8_t*>(TakeSizedBlock(bytes));
      ASSERT_NE(block, nullptr);
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % alignof(void*), 0u);
      taken.push_back({bytes, block});
    }
  }
  const auto pattern = [](std::size_t t, std::size_t i) { return static_cast<std::uint8_t>(t * 31 + i * 7 + 1); };
  for (std::size_t t = 0; t < taken.size(); ++t)
    for (std::size_t i = 0; i < taken[t].bytes; ++i) taken[t].block[i] = pattern(t, i);
  for (std::size_t t = 0; t < taken.size(); ++t) {
    for (std::size_t i = 0; i < taken[t].bytes; ++i)
      ASSERT_EQ(taken[t].block[i], pattern(t, i)) << "block " << t << " byte " << i;
  }
  // Given back in another order than taken: each goes back to its own size.
  for (std::size_t t = taken.size(); t-- > 0;)
    if (t % 2 == 0) GiveSizedBlock(taken[t].block);
  for (std::size_t t = 0; t < taken.size(); ++t)
    if (t % 2 == 1) GiveSizedBlock(taken[t].block);
  GiveSizedBlock(nullptr);
}

#ifndef QUEN_SLOTS_FROM_HEAP
// A block given back serves the next one of its size class (65 to 128
// bytes), and only of it.
TEST(SizedBlocksTest, AGivenBlockServesTheNextOfItsSize) {
  void* sixteen = TakeSizedBlock(128);
  GiveSizedBlock(sixteen);
  void* larger = TakeSizedBlock(129);
  EXPECT_NE(larger, sixteen);
  EXPECT_EQ(TakeSizedBlock(65), sixteen);
  GiveSizedBlock(sixteen);
  GiveSizedBlock(larger);
}
#endif

// Slots of a size that is no multiple of the alignment, across several
// blocks: all distinct, aligned, and apart by at least their size.
TEST(SlotBlocksTest, SlotsAreAlignedApartAndReused) {
  SlotBlocks slots(24, 4);
  std::vector<void*> taken;
  for (int i = 0; i < 4 + 8 + 16 + 3; ++i) taken.push_back(slots.Take());
  for (void* p : taken) {
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % SlotBlocks::kAlign, 0u);
    std::memset(p, 0xAB, 24);
  }
  std::set<std::uintptr_t> at;
  for (void* p : taken) at.insert(reinterpret_cast<std::uintptr_t>(p));
  ASSERT_EQ(at.size(), taken.size());
  for (auto it = std::next(at.begin()); it != at.end(); ++it) EXPECT_GE(*it - *std::prev(it), 24u);
  slots.Give(taken[5]);
  slots.Give(taken[9]);
  EXPECT_EQ(slots.Take(), taken[9]);
  EXPECT_EQ(slots.Take(), taken[5]);
}

// The slots chained from `first` to null, the last of them `last`.
std::vector<void*> Chain(SlotBlocks::FreeSlot* first, SlotBlocks::FreeSlot* last) {
  std::vector<void*> slots;
  for (SlotBlocks::FreeSlot* s = first; s != nullptr && slots.size() < 10000; s = s->next) slots.push_back(s);
  EXPECT_EQ(slots.empty() ? nullptr : slots.back(), last);
  return slots;
}

// Every free slot taken at once comes in the order single takes give, and
// ends where its last slot says, whether free slots were given back or a
// new block was made for it; the part given back serves the takes after,
// ahead of what was free when it came back.
TEST(SlotBlocksTest, AllFreeSlotsTakenAtOnceAndTheirRestGivenBack) {
  SlotBlocks slots(40, 4);
  std::vector<void*> single;
  for (int i = 0; i < 4 + 8; ++i) single.push_back(slots.Take());
  for (std::size_t i = single.size(); i-- > 0;) slots.Give(single[i]);
  void* first = slots.Take();
  SlotBlocks::FreeSlot* last = nullptr;
  SlotBlocks::FreeSlot* chain = slots.TakeAll(&last);
  const auto taken = Chain(chain, last);
  EXPECT_EQ(taken, std::vector<void*>(single.begin() + 1, single.end()));
  slots.Give(first);
  slots.GiveChain(static_cast<SlotBlocks::FreeSlot*>(taken[4]), last);
  for (std::size_t i = 4; i < taken.size(); ++i) EXPECT_EQ(slots.Take(), taken[i]);
  EXPECT_EQ(slots.Take(), first);
  chain = slots.TakeAll(&last);
  for (void* p : Chain(chain, last)) EXPECT_EQ(std::count(single.begin(), single.end(), p), 0);
}

// Threads taking and giving slots of one pool at once, singly and all the
// free ones together: a slot one thread holds is never handed to another
// meanwhile (each marks its slots and finds its own mark when it gives them
// back), and the free slots at the end are chained each once, at least as
// many as one thread held.
TEST(SlotBlocksTest, ThreadsAtOnceNeverShareASlot) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 2000;
  constexpr int kHeld = 8;
  SlotBlocks slots(sizeof(std::uintptr_t), 4);
  std::vector<int> wrong(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      void* held[kHeld];
      for (int round = 0; round < kRounds; ++round) {
        const auto mark = static_cast<std::uintptr_t>(t * kRounds + round);
        for (void*& p : held) {
          p = slots.Take();
          *static_cast<std::uintptr_t*>(p) = mark;
        }
        if (round % 64 == 0) {
          SlotBlocks::FreeSlot* last = nullptr;
          SlotBlocks::FreeSlot* chain = slots.TakeAll(&last);
          slots.GiveChain(chain, last);
        }
        for (void* p : held) {
          if (*static_cast<std::uintptr_t*>(p) != mark) ++wrong[t];
          slots.Give(p);
        }
      }
    });
  }
  for (std::thread& t : threads) t.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(wrong[t], 0) << "thread " << t;
  // Walked with a bound, in case a slot given twice chains the list into a loop.
  SlotBlocks::FreeSlot* last = nullptr;
  std::set<void*> free;
  std::size_t chained = 0;
  for (SlotBlocks::FreeSlot* s = slots.TakeAll(&last); s != nullptr && chained <= 1u << 22; s = s->next) {
    free.insert(s);
    ++chained;
    if (s->next == nullptr) {
      EXPECT_EQ(s, last);
    }
  }
  EXPECT_EQ(free.size(), chained);
  EXPECT_GE(chained, std::size_t{kHeld});
}

// An array whose block grows from pooled sizes past them to the heap and
// shrinks back keeps its elements in order at every step.
TEST(SizedBlocksTest, AnArrayGrowsAndShrinksAcrossPooledAndHeapBlocks) {
  std::vector<int> values(700);
  ArrayMan<int> a;
  a.growStep = 7;
  for (int i = 0; i < 700; ++i) {
    values[i] = i;
    a.SetAt(&values[i], ArrayMan<int>::kAtEnd);
  }
  ASSERT_EQ(a.count, 700);
  while (a.count > 3) {
    ASSERT_EQ(a.RemoveAt(0), &values[700 - a.count]);
    for (std::uint16_t i = 0; i < a.count; i += 97) ASSERT_EQ(a.GetAt(i), &values[700 - a.count + i]);
  }
  EXPECT_LT(a.capacity, 3 + 2 * 7);
  ArrayMan<int> b;
  std::swap(a.items, b.items);
  EXPECT_EQ(b.items[2], &values[699]);
}

}  // namespace
