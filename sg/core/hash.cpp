#include "sg/core/hash.h"

#include <cstring>

#include "sg/core/malloc.h"

namespace {

bool KnownKind(const SGHashTable* t) { return t->hashKind == SG_HASH_KEY_STRING || t->hashKind == SG_HASH_KEY_INT; }

// String keys sum their bytes as signed chars into an unsigned 32-bit value.
std::uint32_t Bucket(const SGHashTable* t, SGHashKey key) {
  std::uint32_t h = 0;
  if (t->hashKind == SG_HASH_KEY_STRING) {
    for (const char* s = reinterpret_cast<const char*>(key); *s != '\0'; ++s) {
      h += static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(*s)));
    }
  } else {
    h = static_cast<std::uint32_t>(key);
  }
  return h % t->hashNumBuckets;
}

bool Matches(const SGHashTable* t, const SGHashEntry* e, SGHashKey key) {
  if (t->hashKind == SG_HASH_KEY_STRING) {
    return std::strcmp(e->heKey.str, reinterpret_cast<const char*>(key)) == 0;
  }
  return e->heKey.num == static_cast<std::uint32_t>(key);
}

// The link that points at the entry with `key`, or at the null ending the chain.
SGHashEntry** FindLink(const SGHashTable* t, SGHashKey key) {
  SGHashEntry** link = &t->hashBuckets[Bucket(t, key)];
  while (*link != nullptr && !Matches(t, *link, key)) {
    link = &(*link)->heNext;
  }
  return link;
}

void FreeEntry(const SGHashTable* t, SGHashEntry* e) {
  if (t->hashKind == SG_HASH_KEY_STRING) {
    SGFree(e->heKey.str);
  }
  SGFree(e);
}

}  // namespace

SGError SGHashCreate(SGHashTable** out, std::uint32_t numBuckets, std::uint32_t keyKind) {
  if (numBuckets == 0) {
    return SG_ERROR_UNSUPPORTED;
  }
  const std::size_t bytes = sizeof(SGHashTable) + sizeof(SGHashEntry*) * static_cast<std::size_t>(numBuckets);
  auto* t = static_cast<SGHashTable*>(SGCalloc(1, bytes));
  if (t == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  t->hashKind = keyKind;
  t->hashNumBuckets = numBuckets;
  // The bucket heads live in the same block, right behind the header.
  t->hashBuckets = reinterpret_cast<SGHashEntry**>(t + 1);
  *out = t;
  return SG_ERROR_NONE;
}

SGError SGHashDestroy(SGHashTable* table) {
  if (!KnownKind(table)) {
    for (std::uint32_t i = 0; i < table->hashNumBuckets; ++i) {
      if (table->hashBuckets[i] != nullptr) {
        return SG_ERROR_UNSUPPORTED;
      }
    }
  }
  for (std::uint32_t i = 0; i < table->hashNumBuckets; ++i) {
    SGHashEntry* e = table->hashBuckets[i];
    while (e != nullptr) {
      SGHashEntry* next = e->heNext;
      FreeEntry(table, e);
      e = next;
    }
  }
  SGFree(table);
  return SG_ERROR_NONE;
}

SGError SGHashFind(const SGHashTable* table, SGHashKey key, SGHashValue* out) {
  if (!KnownKind(table)) {
    return SG_ERROR_UNSUPPORTED;
  }
  const SGHashEntry* e = *FindLink(table, key);
  if (e == nullptr) {
    return SG_ERROR_HASH_NOT_FOUND;
  }
  *out = e->heValue;
  return SG_ERROR_NONE;
}

SGError SGHashInsert(SGHashTable* table, SGHashKey key, SGHashValue value) {
  if (!KnownKind(table)) {
    return SG_ERROR_UNSUPPORTED;
  }
  if (*FindLink(table, key) != nullptr) {
    return SG_ERROR_HASH_DUPLICATE;
  }
  auto* e = static_cast<SGHashEntry*>(SGMalloc(sizeof(SGHashEntry)));
  if (e == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  if (table->hashKind == SG_HASH_KEY_STRING) {
    const char* s = reinterpret_cast<const char*>(key);
    const std::size_t len = std::strlen(s) + 1;
    e->heKey.str = static_cast<char*>(SGMalloc(len));
    if (e->heKey.str == nullptr) {
      SGFree(e);
      return SG_ERROR_NO_MEMORY;
    }
    std::memcpy(e->heKey.str, s, len);
  } else {
    e->heKey.num = static_cast<std::uint32_t>(key);
  }
  e->heValue = value;
  SGHashEntry** head = &table->hashBuckets[Bucket(table, key)];
  e->heNext = *head;
  *head = e;
  return SG_ERROR_NONE;
}

SGError SGHashRemove(SGHashTable* table, SGHashKey key) {
  if (!KnownKind(table)) {
    return SG_ERROR_UNSUPPORTED;
  }
  SGHashEntry** link = FindLink(table, key);
  SGHashEntry* e = *link;
  if (e == nullptr) {
    return SG_ERROR_HASH_ABSENT;
  }
  *link = e->heNext;
  FreeEntry(table, e);
  return SG_ERROR_NONE;
}

SGError SGHashNext(const SGHashTable* table, SGHashKey key, SGHashKey* outKey, SGHashValue* outValue) {
  if (table->hashKind != SG_HASH_KEY_STRING) {
    return SG_ERROR_UNSUPPORTED;
  }
  const SGHashEntry* found = nullptr;
  std::uint32_t bucket = 0;
  if (key != 0) {
    const SGHashEntry* e = *FindLink(table, key);
    if (e == nullptr) {
      return SG_ERROR_HASH_NOT_FOUND;
    }
    found = e->heNext;
    bucket = Bucket(table, key) + 1;
  }
  for (; found == nullptr && bucket < table->hashNumBuckets; ++bucket) {
    found = table->hashBuckets[bucket];
  }
  if (found == nullptr) {
    return SG_ERROR_HASH_NOT_FOUND;
  }
  *outKey = SGHashStringKey(found->heKey.str);
  *outValue = found->heValue;
  return SG_ERROR_NONE;
}
