#include <gtest/gtest.h>

#include <string>

#include "../sgtest.h"
#include "sg/core/hash.h"
#include "sg/core/sglist.h"

namespace {

TEST(Hash, StringBucketsSumSignedBytes) {
  SGHashTable* t = nullptr;
  ASSERT_EQ(SGHashCreate(&t, 7, SG_HASH_KEY_STRING), SG_ERROR_NONE);
  const char key[] = {static_cast<char>(0xE9), 0};
  ASSERT_EQ(SGHashInsert(t, SGHashStringKey(key), 5), SG_ERROR_NONE);
  EXPECT_NE(t->hashBuckets[(4294967296ull - 23) % 7], nullptr);
  SGHashValue v = 0;
  ASSERT_EQ(SGHashFind(t, SGHashStringKey(key), &v), SG_ERROR_NONE);
  EXPECT_EQ(v, 5u);
  EXPECT_EQ(SGHashDestroy(t), SG_ERROR_NONE);
}

TEST(Hash, DuplicatesAndRemoval) {
  SGHashTable* t = nullptr;
  ASSERT_EQ(SGHashCreate(&t, 4, SG_HASH_KEY_STRING), SG_ERROR_NONE);
  std::string key = "alpha";
  EXPECT_EQ(SGHashInsert(t, SGHashStringKey(key.c_str()), 1), SG_ERROR_NONE);
  key[0] = 'x';  // the table keeps its own copy
  EXPECT_EQ(SGHashInsert(t, SGHashStringKey("alpha"), 2), SG_ERROR_HASH_DUPLICATE);
  SGHashValue v = 0;
  EXPECT_EQ(SGHashFind(t, SGHashStringKey("alpha"), &v), SG_ERROR_NONE);
  EXPECT_EQ(v, 1u);
  EXPECT_EQ(SGHashRemove(t, SGHashStringKey("alpha")), SG_ERROR_NONE);
  EXPECT_EQ(SGHashRemove(t, SGHashStringKey("alpha")), SG_ERROR_HASH_ABSENT);
  EXPECT_EQ(SGHashFind(t, SGHashStringKey("alpha"), &v), SG_ERROR_HASH_NOT_FOUND);
  SGHashDestroy(t);
}

TEST(Hash, IterationOrderInOneBucket) {
  SGHashTable* t = nullptr;
  ASSERT_EQ(SGHashCreate(&t, 1, SG_HASH_KEY_STRING), SG_ERROR_NONE);
  for (const char* k : {"a", "b", "c"}) {
    SGHashInsert(t, SGHashStringKey(k), 0);
  }
  std::string seen;
  SGHashKey key = 0;
  SGHashValue value = 0;
  while (SGHashNext(t, key, &key, &value) == SG_ERROR_NONE) {
    seen += reinterpret_cast<const char*>(key);
  }
  EXPECT_EQ(seen, "cba");
  EXPECT_EQ(SGHashNext(t, key, &key, &value), SG_ERROR_HASH_NOT_FOUND);
  EXPECT_EQ(SGHashNext(t, SGHashStringKey("zz"), &key, &value), SG_ERROR_HASH_NOT_FOUND);
  SGHashDestroy(t);
}

TEST(Hash, IntegerKeysCarryPointerValues) {
  SGHashTable* t = nullptr;
  ASSERT_EQ(SGHashCreate(&t, 64, SG_HASH_KEY_INT), SG_ERROR_NONE);
  int target = 0;
  const auto ptr = reinterpret_cast<SGHashValue>(&target);
  EXPECT_EQ(SGHashInsert(t, 0xFFFFFFFFu, ptr), SG_ERROR_NONE);
  EXPECT_EQ(SGHashInsert(t, 63, 1), SG_ERROR_NONE);
  SGHashValue v = 0;
  ASSERT_EQ(SGHashFind(t, 0xFFFFFFFFu, &v), SG_ERROR_NONE);
  EXPECT_EQ(v, ptr);
  SGHashKey k = 0;
  EXPECT_EQ(SGHashNext(t, 0, &k, &v), SG_ERROR_UNSUPPORTED);
  SGHashDestroy(t);
}

TEST(Hash, RefusesUnknownKindAndNoBuckets) {
  SGHashTable* t = nullptr;
  EXPECT_EQ(SGHashCreate(&t, 0, SG_HASH_KEY_INT), SG_ERROR_UNSUPPORTED);
  ASSERT_EQ(SGHashCreate(&t, 3, 7), SG_ERROR_NONE);
  SGHashValue v = 0;
  EXPECT_EQ(SGHashInsert(t, 1, 1), SG_ERROR_UNSUPPORTED);
  EXPECT_EQ(SGHashFind(t, 1, &v), SG_ERROR_UNSUPPORTED);
  EXPECT_EQ(SGHashRemove(t, 1), SG_ERROR_UNSUPPORTED);
  EXPECT_EQ(SGHashDestroy(t), SG_ERROR_NONE);
}

TEST(Hash, OutOfMemoryLeavesNothingHalfInserted) {
  SGHashTable* t = nullptr;
  ASSERT_EQ(SGHashCreate(&t, 8, SG_HASH_KEY_STRING), SG_ERROR_NONE);
  const int runs = sgtest::ExpectCleanOutOfMemory([&] {
    SGHashValue v = 0;
    const SGError err = SGHashInsert(t, SGHashStringKey("key"), 9);
    if (err != SG_ERROR_NONE) {
      EXPECT_EQ(SGHashFind(t, SGHashStringKey("key"), &v), SG_ERROR_HASH_NOT_FOUND);
    } else {
      SGHashRemove(t, SGHashStringKey("key"));
    }
    return err;
  });
  EXPECT_EQ(runs, 3);  // the entry, then the key copy, then success
  SGHashDestroy(t);
  sgtest::ExpectCleanOutOfMemory([] {
    SGHashTable* table = nullptr;
    const SGError err = SGHashCreate(&table, 16, SG_HASH_KEY_INT);
    if (err == SG_ERROR_NONE) {
      SGHashDestroy(table);
    }
    return err;
  });
}

TEST(List, PushRemoveFindFree) {
  SGListNode* head = SGListNew();
  SGListNode* a = SGListPush(&head, 1);
  SGListNode* b = SGListPush(&head, 2);
  SGListNode* c = SGListPush(&head, 3);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(head, c);
  EXPECT_EQ(c->lnBack, &head);
  EXPECT_EQ(b->lnBack, &c->lnNext);
  EXPECT_EQ(SGListFind(head, 1), a);
  EXPECT_EQ(SGListFind(head, 9), nullptr);
  // Removing the node at the position continues after it; another keeps the position.
  EXPECT_EQ(SGListRemove(b, b), a);
  EXPECT_EQ(c->lnNext, a);
  EXPECT_EQ(a->lnBack, &c->lnNext);
  EXPECT_EQ(SGListRemove(c, a), c);
  EXPECT_EQ(c->lnNext, nullptr);
  EXPECT_EQ(SGListFree(head), SG_ERROR_NONE);
  EXPECT_EQ(head, nullptr);
  EXPECT_EQ(SGListFree(nullptr), SG_ERROR_NONE);

  SGMallocFailAt(1);
  EXPECT_EQ(SGListPush(&head, 4), nullptr);
  EXPECT_EQ(head, nullptr);
}

}  // namespace
