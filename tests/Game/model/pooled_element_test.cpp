#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Game/arrayman/ArrayMan.h"
#include "Game/arrayman/PooledElement.h"
#include "tests/Game/base/sandbox.h"

namespace {

struct Pooled : PooledElement<Pooled> {
  std::uint32_t value = 0;
};
// Another size: its objects come from the heap, never from Pooled's slots.
struct Larger : Pooled {
  std::uint8_t more[100] = {};
};

struct PooledRecordIO {
  static constexpr std::size_t kRecordSize = 4;
  static void Write(plat::ByteWriter& w, const Pooled& item) { w.U32(item.value); }
  static std::unique_ptr<Pooled> Read(plat::ByteReader& r) {
    auto item = std::make_unique<Pooled>();
    item->value = r.U32();
    return item;
  }
};

std::string Bytes(std::initializer_list<std::uint8_t> b) { return std::string(b.begin(), b.end()); }

// A list of pooled elements loads as any other, a cut one up to its last
// whole element.
TEST(PooledElementTest, ListsLoadFromARunOfSlots) {
  model_test::Sandbox box;
  ArrayMan<Pooled, PooledRecordIO> list;
  const std::string bytes = Bytes({3, 0, 1, 0, 0, 0, 2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF});
  ASSERT_EQ(box.Loaded(bytes, [&](plat::FILE* fp) { return list.Load(fp); }), 1);
  ASSERT_EQ(list.count, 3);
  EXPECT_EQ(list.GetAt(2)->value, 0xFFFFFFFFu);
  ArrayMan<Pooled, PooledRecordIO> cut;
  EXPECT_EQ(box.Loaded(Bytes({3, 0, 1, 0, 0, 0, 2, 0}), [&](plat::FILE* fp) { return cut.Load(fp); }), 0);
  ASSERT_EQ(cut.count, 1);
  EXPECT_EQ(cut.GetAt(0)->value, 1u);
  {
    ElementReturn<Pooled> together;
    for (std::uint16_t i = 0; i < list.count; ++i) delete list.GetAt(i);
  }
  delete cut.GetAt(0);
#ifndef QUEN_SLOTS_FROM_HEAP
  // A slot taken alone after the runs is one they gave back: the cut list's.
  auto* next = new Pooled;
  EXPECT_EQ(next, cut.GetAt(0));
  delete next;
#endif
}

#ifndef QUEN_SLOTS_FROM_HEAP
// Made in a run and destroyed together, elements leave the free slots in the
// order made and destroyed one at a time would.
TEST(PooledElementTest, RunsAndReturnsLeaveTheSlotsAsSingleCallsWould) {
  std::vector<Pooled*> single;
  for (int i = 0; i < 3; ++i) single.push_back(new Pooled);
  for (Pooled* p : single) delete p;
  std::vector<Pooled*> run;
  {
    ElementRun<Pooled> making;
    for (int i = 0; i < 3; ++i) run.push_back(new Pooled);
    ElementRun<Pooled> nested;  // does nothing of its own
    run.push_back(new Pooled);
  }
  EXPECT_EQ(std::vector<Pooled*>(run.begin(), run.begin() + 3), std::vector<Pooled*>(single.rbegin(), single.rend()));
  {
    ElementReturn<Pooled> together;
    for (Pooled* p : run) delete p;
  }
  for (auto it = run.rbegin(); it != run.rend(); ++it) {
    Pooled* again = new Pooled;
    EXPECT_EQ(again, *it);
    single.push_back(again);
  }
  for (std::size_t i = 3; i < single.size(); ++i) delete single[i];
}

// An object of a derived type of another size never enters the slots, even
// when it is made and destroyed within the scopes.
TEST(PooledElementTest, ALargerTypeKeepsToTheHeap) {
  Pooled* larger = nullptr;
  {
    ElementRun<Pooled> making;
    larger = new Larger;
    larger->value = 7;
  }
  {
    ElementReturn<Pooled> together;
    delete static_cast<Larger*>(larger);
  }
  // Chained, it would be the first slot given out.
  ElementRun<Pooled> making;
  const auto next = std::make_unique<Pooled>();
  EXPECT_NE(next.get(), larger);
}
#endif

}  // namespace
