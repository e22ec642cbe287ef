#include "Game/arrayman/PointerBlocks.h"

#include <bit>
#include <new>

#include "Game/arrayman/SlotBlocks.h"

namespace {

// Every block carries its size class in the word before it, so that giving
// it back needs nothing but its address.
constexpr std::size_t kHeader = sizeof(void*);
constexpr std::uint32_t kFromHeap = 0xFF;
constexpr std::uint32_t kClasses = std::bit_width(kMostPooledSlots);

#ifndef QUEN_SLOTS_FROM_HEAP
// Class k holds 2^k slots. Never destroyed: an array may outlive every other
// static object.
SlotBlocks& BlocksOfClass(std::uint32_t k) {
  static SlotBlocks* const* const table = [] {
    auto* t = new SlotBlocks*[kClasses];
    for (std::uint32_t c = 0; c < kClasses; ++c) t[c] = new SlotBlocks(kHeader + (std::size_t{1} << c) * sizeof(void*), 64);
    return t;
  }();
  return *table[k];
}
#endif

}  // namespace

void* TakePointerBlock(std::uint32_t slots) {
  std::uint32_t k = kFromHeap;
  void* base = nullptr;
#ifndef QUEN_SLOTS_FROM_HEAP
  if (slots <= kMostPooledSlots) {
    k = static_cast<std::uint32_t>(std::bit_width(slots <= 1 ? 0u : slots - 1));
    base = BlocksOfClass(k).Take();
  }
#endif
  if (base == nullptr) base = ::operator new(kHeader + std::size_t{slots} * sizeof(void*));
  ::new (base) std::uint32_t(k);
  return static_cast<std::byte*>(base) + kHeader;
}

void GivePointerBlock(void* block) noexcept {
  if (block == nullptr) return;
  void* base = static_cast<std::byte*>(block) - kHeader;
  const std::uint32_t k = *static_cast<const std::uint32_t*>(base);
#ifndef QUEN_SLOTS_FROM_HEAP
  if (k != kFromHeap) {
    BlocksOfClass(k).Give(base);
    return;
  }
#endif
  (void)k;
  ::operator delete(base);
}
