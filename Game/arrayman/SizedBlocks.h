#pragma once
// Small heap blocks of many sizes: the blocks of element pointers behind the
// game's arrays (ArrayMan.h), and short texts. A saved game brings hundreds
// of short lists and texts, each with a block of its own: blocks of up to
// kMostPooledBytes come from slots of their size rounded up to a power of
// two (SlotBlocks.h), larger ones from the heap. Under AddressSanitizer every
// block is a heap block of its own.
//
// May be called from any thread.

#include <cstddef>
#include <memory>
#include <type_traits>

constexpr std::size_t kMostPooledBytes = 2048;

// Room for `bytes` (at least 1) bytes, aligned for a pointer; the bytes are
// unspecified.
void* TakeSizedBlock(std::size_t bytes);
// Gives back a block TakeSizedBlock gave; null is ignored.
void GiveSizedBlock(void* block) noexcept;

// The deleter of a unique_ptr to such a block of trivially destructible
// elements (pointers, characters): the block goes back as it is.
struct SizedBlockDeleter {
  template <class T>
  void operator()(T* block) const noexcept {
    static_assert(std::is_trivially_destructible_v<T>);
    GiveSizedBlock(block);
  }
};

// A block of `n` value-initialised (null, zero) elements of T.
template <class T>
std::unique_ptr<T[], SizedBlockDeleter> MakeSizedBlock(std::size_t n) {
  static_assert(std::is_trivially_destructible_v<T> && alignof(T) <= alignof(void*));
  std::unique_ptr<T[], SizedBlockDeleter> block(static_cast<T*>(TakeSizedBlock(n * sizeof(T))));
  std::uninitialized_value_construct_n(block.get(), n);
  return block;
}
