#pragma once
// Hash tables keyed by strings (a private copy of each key) or by 32-bit
// integers. Values are pointer-sized, so a table may carry records as well as
// numbers. Bucket count and key kind are fixed at creation.

#include <cstdint>

#include "sg/core/sgerror.h"

constexpr std::uint32_t SG_HASH_KEY_STRING = 0;
constexpr std::uint32_t SG_HASH_KEY_INT = 1;

// A key: the address of a NUL-terminated string for string tables, the value
// itself (its low 32 bits) for integer tables.
using SGHashKey = std::uintptr_t;
using SGHashValue = std::uintptr_t;

inline SGHashKey SGHashStringKey(const char* s) { return reinterpret_cast<SGHashKey>(s); }

struct SGHashEntry {
  union {
    char* str;
    std::uint32_t num;
  } heKey;
  SGHashValue heValue;
  SGHashEntry* heNext;
};

// Allocated as one block with its bucket heads.
struct SGHashTable {
  std::uint32_t hashKind;
  std::uint32_t hashNumBuckets;
  SGHashEntry** hashBuckets;
};

// 0, 1 when out of memory; a bucket count of 0 is refused with SG_ERROR_UNSUPPORTED.
SGError SGHashCreate(SGHashTable** out, std::uint32_t numBuckets, std::uint32_t keyKind);
// Frees every entry and the table. A table of an unknown kind that holds entries
// gives SG_ERROR_UNSUPPORTED and is left alone.
SGError SGHashDestroy(SGHashTable* table);
// 0 with the value, SG_ERROR_HASH_NOT_FOUND (a normal outcome), or SG_ERROR_UNSUPPORTED.
SGError SGHashFind(const SGHashTable* table, SGHashKey key, SGHashValue* out);
// 0; SG_ERROR_HASH_DUPLICATE when present (the first value stays); 1; SG_ERROR_UNSUPPORTED.
SGError SGHashInsert(SGHashTable* table, SGHashKey key, SGHashValue value);
// 0; SG_ERROR_HASH_ABSENT; SG_ERROR_UNSUPPORTED.
SGError SGHashRemove(SGHashTable* table, SGHashKey key);
// String tables: the entry after `key` (the first for key 0); SG_ERROR_HASH_NOT_FOUND
// when there is none. Integer tables: SG_ERROR_UNSUPPORTED. The table must not change
// during an iteration.
SGError SGHashNext(const SGHashTable* table, SGHashKey key, SGHashKey* outKey, SGHashValue* outValue);
