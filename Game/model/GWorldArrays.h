#pragma once
// Helpers for the world model's owning use of ArrayMan: the array never owns
// its elements, so its owner frees them, and a block read into a fresh object
// is taken over by swapping the arrays whole.

#include <cstddef>
#include <cstdint>
#include <utility>

#include "Game/arrayman/ArrayMan.h"
#include "Game/base/GBlockStream.h"

// Removes and deletes every element, last first.
template <class T, class IO>
void DeleteAllElements(ArrayMan<T, IO>& list) {
  while (list.count != 0) delete list.RemoveAt(static_cast<std::uint16_t>(list.count - 1));
}

// Exchanges the contents (block, count, capacity, cursor, grow step) of two arrays.
template <class T, class IO>
void SwapArrays(ArrayMan<T, IO>& a, ArrayMan<T, IO>& b) noexcept {
  std::swap(a.items, b.items);
  std::swap(a.capacity, b.capacity);
  std::swap(a.count, b.count);
  std::swap(a.cursor, b.cursor);
  std::swap(a.growStep, b.growStep);
}

// Appends, or deletes the element when the array is full; true when appended.
template <class T, class IO>
bool AppendOwned(ArrayMan<T, IO>& list, T* item) {
  const std::uint16_t before = list.count;
  list.InsertAt(item, ArrayMan<T, IO>::kAtEnd);
  if (list.count != before + 1) {
    delete item;
    return false;
  }
  return true;
}

// Makes room in one block for the `n` elements a block announces, when the
// bytes `r` has left can hold them at `leastBytes` each. A count the bytes
// cannot hold (a damaged block) reserves nothing: its load fails as it reads.
template <class T, class IO>
void ReserveForBlock(ArrayMan<T, IO>& list, std::uint32_t n, const BlockReader& r, std::size_t leastBytes) {
  if (n > 1 && n <= r.Rest().size() / leastBytes) list.Reserve(n);
}
