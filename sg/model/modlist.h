#pragma once
// The lists by which model operations treat a shared vertex, normal or UV array
// once: each maps an array's address (or its offset in a stored block) to what
// the operation made of it, with the element count it was made for.

#include <cstdint>

#include "sg/core/malloc.h"

struct ISGAddrList {
  struct Pair {
    std::uintptr_t from;
    std::uintptr_t to;
    std::uint32_t count;
  };
  Pair* items = nullptr;
  std::uint32_t used = 0;
  std::uint32_t capacity = 0;

  ISGAddrList() = default;
  ISGAddrList(const ISGAddrList&) = delete;
  ISGAddrList& operator=(const ISGAddrList&) = delete;
  ~ISGAddrList() { SGFree(items); }

  const Pair* Find(const void* from) const { return Find(reinterpret_cast<std::uintptr_t>(from)); }
  bool Add(const void* from, std::uintptr_t to, std::uint32_t count = 0) {
    return Add(reinterpret_cast<std::uintptr_t>(from), to, count);
  }

  const Pair* Find(std::uintptr_t from) const {
    for (std::uint32_t i = 0; i < used; ++i) {
      if (items[i].from == from) {
        return &items[i];
      }
    }
    return nullptr;
  }
  // False when the list cannot grow.
  bool Add(std::uintptr_t from, std::uintptr_t to, std::uint32_t count) {
    if (used == capacity) {
      const std::uint32_t next = capacity == 0 ? 256 : capacity * 2;
      auto* grown = static_cast<Pair*>(SGRealloc(items, sizeof(Pair) * next));
      if (grown == nullptr) {
        return false;
      }
      items = grown;
      capacity = next;
    }
    items[used++] = Pair{from, to, count};
    return true;
  }
};

// The three kinds of shareable arrays, each with its own list.
struct ISGArrayLists {
  ISGAddrList verts;
  ISGAddrList normals;
  ISGAddrList uvs;
};
