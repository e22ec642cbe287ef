#pragma once
// A plain block of element pointers addressed by slot number, with a 16-bit
// size. A slot holds a pointer or null; the array never owns the elements.

#include <algorithm>
#include <cstdint>
#include <memory>

#include "Game/base/TraceError.h"

template <class T>
class IndexedArray {
 public:
  // A block of `n` null slots in place of the old one; 0 is refused.
  void create(std::uint16_t n) {
    if (n == 0) return;
    items = std::make_unique<T*[]>(n);
    size = n;
  }
  // The pointer in slot `i`; null past the end.
  T* get(std::uint16_t i) const { return i < size ? items[i] : nullptr; }
  // The pointer in slot `i`, leaving the slot null; null past the end.
  T* take(std::uint16_t i) {
    if (i >= size) return nullptr;
    T* p = items[i];
    items[i] = nullptr;
    return p;
  }
  // Stores `p` in slot `i`, first growing to i + 2 slots when `i` is past the
  // end (to 65,535 at most; slot 65,535 cannot exist and is refused).
  void set(std::uint16_t i, T* p) {
    if (i >= size) {
      if (i == 0xFFFF) {
        TraceError("IndexedArray slot out of range", __FILE__, __LINE__);
        return;
      }
      Resize(static_cast<std::uint16_t>(std::min<std::uint32_t>(std::uint32_t{i} + 2, 0xFFFF)));
    }
    items[i] = p;
  }
  // A block of `n` slots holding the old pointers (those that fit), the rest
  // null. 0 returns 0 and changes nothing; otherwise 1.
  int Resize(std::uint16_t n) {
    if (n == 0) return 0;
    auto block = std::make_unique<T*[]>(n);
    std::copy_n(items.get(), std::min(n, size), block.get());
    items = std::move(block);
    size = n;
    return 1;
  }

  std::unique_ptr<T*[]> items;
  std::uint16_t size = 0;
};
