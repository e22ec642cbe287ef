#pragma once
// The blocks of element pointers behind the game's arrays (ArrayMan.h). A
// saved game brings hundreds of short lists, each with a block of its own:
// blocks of up to kMostPooledSlots slots come from slots of their size,
// rounded up to a power of two (SlotBlocks.h), larger ones from the heap.
// Under AddressSanitizer every block is a heap block of its own.
//
// May be called from any thread.

#include <cstddef>
#include <cstdint>

constexpr std::uint32_t kMostPooledSlots = 256;

// Room for `slots` (at least 1) pointers, the bytes unspecified.
void* TakePointerBlock(std::uint32_t slots);
// Gives back a block TakePointerBlock gave; null is ignored.
void GivePointerBlock(void* block) noexcept;

// The deleter of a unique_ptr to such a block. Element pointers need no
// destruction: the block goes back as it is.
struct PointerBlockDeleter {
  template <class P>
  void operator()(P* block) const noexcept {
    GivePointerBlock(block);
  }
};
