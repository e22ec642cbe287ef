#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

#include "Game/arrayman/ArrayMan.h"
#include "Game/arrayman/IndexedArray.h"
#include "Game/base/ByteStream.h"
#include "tests/Game/base/sandbox.h"

namespace {

struct Item {
  std::uint32_t value = 0;
};

struct ItemIO {
  static int Write(plat::FILE* fp, const Item& item) { return FileWriter(fp).Write(item.value) ? 1 : 0; }
  static std::unique_ptr<Item> Read(plat::FILE* fp) {
    auto item = std::make_unique<Item>();
    if (!FileReader(fp).Read(item->value)) return nullptr;
    return item;
  }
};

// Elements owned by the test; the arrays only point at them.
class ArrayManTest : public ::testing::Test {
 protected:
  Item* Make(std::uint32_t v) {
    m_items.push_back(std::make_unique<Item>(Item{v}));
    return m_items.back().get();
  }
  void Fill(ArrayMan<Item>& a, int n) {
    for (int i = 0; i < n; ++i) a.SetAt(Make(static_cast<std::uint32_t>(i)), ArrayMan<Item>::kAtEnd);
  }
  // The values of the used slots, -1 for an empty one.
  template <class A>
  static std::vector<int> Values(A& a) {
    std::vector<int> v;
    for (std::uint16_t i = 0; i < a.count; ++i) v.push_back(a.GetAt(i) ? static_cast<int>(a.GetAt(i)->value) : -1);
    return v;
  }
  template <class A>
  std::string Save(A& a, int expected = 1) {
    return box.Saved([&](plat::FILE* fp) { return a.Save(fp); }, "a.bin", expected);
  }
  template <class A>
  int Load(A& a, const std::string& bytes) {
    return box.Loaded(bytes, [&](plat::FILE* fp) { return a.Load(fp); });
  }
  std::vector<std::unique_ptr<Item>> m_items;
  model_test::Sandbox box;
};

TEST_F(ArrayManTest, SetAtAppendsFillsWithNullAndGrowsByStep) {
  ArrayMan<Item> a;
  EXPECT_EQ(a.GetAt(0), nullptr);
  Fill(a, 10);
  EXPECT_EQ(a.capacity, 10);
  a.SetAt(Make(99), 0xFFFF);
  EXPECT_EQ(a.capacity, 20);
  EXPECT_EQ(Values(a), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 99}));
  EXPECT_EQ(a.GetAt(11), nullptr);

  ArrayMan<Item> b;
  Item* p = Make(1);
  b.SetAt(p, 25);  // past the end: empty slots before it, the capacity rounded up
  EXPECT_EQ(std::make_tuple(b.capacity, b.count), std::make_tuple(30, 26));
  for (std::uint16_t i = 0; i < 25; ++i) EXPECT_EQ(b.GetAt(i), nullptr);
  EXPECT_EQ(b.GetAt(25), p);
  // Inside the capacity but past the count: count follows, nothing shifts.
  Item* q = Make(2);
  b.SetAt(q, 28);
  EXPECT_EQ(std::make_tuple(b.capacity, b.count), std::make_tuple(30, 29));
  EXPECT_EQ(b.GetAt(25), p);
  b.SetAt(q, 3);  // overwrite
  EXPECT_EQ(b.count, 29);
  EXPECT_EQ(b.GetAt(3), q);
}

TEST_F(ArrayManTest, InsertAtShiftsFillsGapsAndGrows) {
  ArrayMan<Item> a;
  a.SetAt(Make(1), 0xFFFF);
  a.SetAt(Make(2), 0xFFFF);
  a.InsertAt(Make(3), 0);
  EXPECT_EQ(Values(a), (std::vector<int>{3, 1, 2}));
  a.InsertAt(Make(4), 7);
  EXPECT_EQ(Values(a), (std::vector<int>{3, 1, 2, -1, -1, -1, -1, 4}));
  EXPECT_EQ(a.capacity, 10);
  a.InsertAt(Make(5), 33);  // past the capacity: grows like SetAt
  EXPECT_EQ(std::make_tuple(a.capacity, a.count), std::make_tuple(40, 34));
  a.InsertAt(Make(6), 0xFFFF);
  EXPECT_EQ(a.GetAt(34)->value, 6u);

  ArrayMan<Item> full;
  Fill(full, 10);
  full.InsertAt(Make(42), 5);
  EXPECT_EQ(full.capacity, 20);
  EXPECT_EQ(Values(full), (std::vector<int>{0, 1, 2, 3, 4, 42, 5, 6, 7, 8, 9}));
}

TEST_F(ArrayManTest, RemoveAtShiftsShrinksAndRefusesPastEnd) {
  ArrayMan<Item> a;
  Fill(a, 3);
  EXPECT_EQ(a.RemoveAt(3), nullptr);
  EXPECT_EQ(a.count, 3);

  Item* middle = a.GetAt(1);
  EXPECT_EQ(a.RemoveAt(1), middle);
  EXPECT_EQ(Values(a), (std::vector<int>{0, 2}));
  EXPECT_EQ(a.items[2], nullptr);  // the freed end slot

  ArrayMan<Item> b;
  b.growStep = 30;
  Fill(b, 5);
  b.growStep = 10;
  ASSERT_EQ(b.capacity, 30);
  Item* first = b.GetAt(0);
  EXPECT_EQ(b.RemoveAt(0), first);
  EXPECT_EQ(std::make_tuple(b.capacity, b.count), std::make_tuple(20, 4));
  EXPECT_EQ(b.GetAt(0)->value, 1u);
}

TEST_F(ArrayManTest, RemovingEverythingFreesTheBlock) {
  ArrayMan<Item> a;
  a.growStep = 2;
  Fill(a, 5);  // capacity 6
  while (a.count > 0) a.RemoveAt(0);
  EXPECT_LE(a.capacity, 2);
  a.Shrink();
  EXPECT_EQ(a.capacity, 0);
  EXPECT_EQ(a.items, nullptr);
}

TEST_F(ArrayManTest, StaysWithinSixteenBitLimits) {
  ArrayMan<Item> a;
  Item* p = Make(1);
  a.SetAt(p, 65534);  // the last real index
  EXPECT_EQ(std::make_tuple(a.capacity, a.count), std::make_tuple(65535, 65535));
  EXPECT_EQ(a.GetAt(65534), p);
  a.SetAt(Make(2), 0xFFFF);  // full: refused
  a.InsertAt(Make(3), 0);
  EXPECT_EQ(a.count, 65535);
  EXPECT_EQ(a.GetAt(0), nullptr);

  ArrayMan<Item> b;
  b.growStep = 0;  // must still make room
  b.SetAt(p, 0xFFFF);
  b.SetAt(p, 4);
  EXPECT_EQ(b.count, 5);
  EXPECT_EQ(b.GetAt(4), p);

  ArrayMan<Item> c;
  Fill(c, 5);
  c.Shrink();  // would drop used slots: refused
  EXPECT_EQ(c.capacity, 10);
}

TEST_F(ArrayManTest, SavesAndLoadsCountAndElements) {
  ArrayMan<Item> empty;
  EXPECT_EQ(Save(empty), std::string(2, '\0'));
  EXPECT_EQ(Load(empty, std::string(2, '\0')), 1);
  EXPECT_EQ(empty.count, 0);

  ArrayMan<Item, ItemIO> a;
  for (std::uint32_t v : {0x01020304u, 7u, 0xFFFFFFFFu}) a.SetAt(Make(v), 0xFFFF);
  const std::string bytes = Save(a);
  EXPECT_EQ(bytes, std::string("\x03\x00\x04\x03\x02\x01\x07\x00\x00\x00\xFF\xFF\xFF\xFF", 14));
  ArrayMan<Item, ItemIO> b;
  EXPECT_EQ(Load(b, bytes), 1);
  ASSERT_EQ(b.count, 3);
  std::vector<std::unique_ptr<Item>> loaded;
  for (std::uint16_t i = 0; i < 3; ++i) loaded.emplace_back(b.GetAt(i));
  EXPECT_EQ(std::make_tuple(loaded[0]->value, loaded[2]->value), std::make_tuple(0x01020304u, 0xFFFFFFFFu));

  // The generic form writes the count only and discards it when loading.
  ArrayMan<Item> generic;
  generic.SetAt(Make(5), 0xFFFF);
  EXPECT_EQ(Save(generic), std::string("\x01\x00", 2));
}

TEST_F(ArrayManTest, LoadStopsAtAShortElementAndKeepsWhatWasRead) {
  ArrayMan<Item, ItemIO> a;  // 3 promised, 1 and a half there
  EXPECT_EQ(Load(a, std::string("\x03\x00\x01\x00\x00\x00\x02\x00", 8)), 0);
  ASSERT_EQ(a.count, 1);
  std::unique_ptr<Item> kept(a.GetAt(0));
  EXPECT_EQ(kept->value, 1u);
  ArrayMan<Item> b;
  EXPECT_EQ(Load(b, "\x01"), 0);
}

// The record form moves the list in one block, with the same bytes and the
// same partial result as the element-by-element form.
struct ItemRecordIO {
  static constexpr std::size_t kRecordSize = 4;
  static void Write(plat::ByteWriter& w, const Item& item) { w.U32(item.value); }
  static std::unique_ptr<Item> Read(plat::ByteReader& r) { return std::make_unique<Item>(Item{r.U32()}); }
};

TEST_F(ArrayManTest, RecordFormMatchesTheElementForm) {
  ArrayMan<Item, ItemIO> byElement;
  ArrayMan<Item, ItemRecordIO> byRecord;
  for (std::uint32_t v = 0; v < 300; ++v) {
    Item* item = Make(v * 0x01010101u);
    byElement.SetAt(item, 0xFFFF);
    byRecord.SetAt(item, 0xFFFF);
  }
  const std::string bytes = Save(byElement);
  EXPECT_EQ(Save(byRecord), bytes);
  ArrayMan<Item, ItemRecordIO> loaded;
  ASSERT_EQ(Load(loaded, bytes), 1);
  EXPECT_EQ(Values(loaded), Values(byElement));
  EXPECT_EQ(loaded.capacity, 300);  // as 300 appends in steps of 10 leave it
  for (std::uint16_t i = 0; i < loaded.count; ++i) delete loaded.GetAt(i);

  ArrayMan<Item, ItemRecordIO> cut;  // 3 promised, 1 and a half there
  EXPECT_EQ(Load(cut, std::string("\x03\x00\x01\x00\x00\x00\x02\x00", 8)), 0);
  ASSERT_EQ(cut.count, 1);
  std::unique_ptr<Item> kept(cut.GetAt(0));
  EXPECT_EQ(kept->value, 1u);
}

TEST_F(ArrayManTest, SavingAnEmptySlotFails) {
  ArrayMan<Item, ItemIO> a;
  a.SetAt(Make(1), 2);  // slots 0 and 1 are empty
  Save(a, 0);
}

TEST(IndexedArrayTest, GetTakeSetAndResize) {
  int a = 1, b = 2;
  IndexedArray<int> arr;
  arr.create(0);
  EXPECT_EQ(arr.size, 0);
  EXPECT_EQ(arr.get(0), nullptr);
  EXPECT_EQ(arr.take(0), nullptr);

  arr.create(3);
  EXPECT_EQ(arr.size, 3);
  arr.set(1, &a);
  EXPECT_EQ(arr.get(1), &a);
  EXPECT_EQ(arr.get(3), nullptr);
  EXPECT_EQ(arr.take(1), &a);
  EXPECT_EQ(arr.get(1), nullptr);

  arr.set(0, &b);
  arr.set(5, &a);  // grows to index + 2
  EXPECT_EQ(arr.size, 7);
  EXPECT_EQ(arr.get(0), &b);
  EXPECT_EQ(arr.get(5), &a);
  EXPECT_EQ(arr.get(6), nullptr);

  EXPECT_EQ(arr.Resize(0), 0);
  EXPECT_EQ(arr.size, 7);
  EXPECT_EQ(arr.Resize(9), 1);
  EXPECT_EQ(arr.get(5), &a);
  EXPECT_EQ(arr.get(8), nullptr);

  IndexedArray<int> big;
  big.set(65534, &a);  // i + 2 would not fit 16 bits
  EXPECT_EQ(big.size, 65535);
  EXPECT_EQ(big.get(65534), &a);
  big.set(65535, &b);  // no such slot
  EXPECT_EQ(big.get(65535), nullptr);
}

// A list whose length is known first makes its block once: the array then
// filled must be the one the appends alone make, capacity included, and the
// appends must not move the block again.
TEST_F(ArrayManTest, ReserveMakesTheBlockTheAppendsWouldEndWith) {
  for (const std::uint16_t step : {0, 1, 3, 10}) {
    for (const int n : {0, 1, 9, 10, 11, 31, 200}) {
      for (const int before : {0, 4}) {
        ArrayMan<Item> grown, reserved;
        grown.growStep = reserved.growStep = step;
        Fill(grown, before);
        Fill(reserved, before);
        ASSERT_TRUE(reserved.Reserve(static_cast<std::uint32_t>(n)));
        Item* const* const block = reserved.items.get();
        Fill(grown, n);
        Fill(reserved, n);
        SCOPED_TRACE(testing::Message() << "step " << step << " n " << n << " before " << before);
        EXPECT_EQ(reserved.capacity, grown.capacity);
        EXPECT_EQ(reserved.count, grown.count);
        if (n != 0) {
          EXPECT_EQ(reserved.items.get(), block);
        }
      }
    }
  }
  ArrayMan<Item> a;
  Fill(a, 3);
  EXPECT_FALSE(a.Reserve(65533));  // 3 + 65,533 passes the limit
  EXPECT_EQ(a.capacity, 10);
  EXPECT_TRUE(a.Reserve(65532));
  EXPECT_EQ(a.capacity, 65535);
  a.SetAt(Make(7), ArrayMan<Item>::kAtEnd);
  EXPECT_EQ(a.count, 4);
}

}  // namespace
