#pragma once
// Slots of one size carved from blocks that double as they are used up (a
// first block of `firstBlock` slots, then twice as many each time, up to
// 4,096 a block). A slot given back serves the next one taken; the blocks
// stay until the SlotBlocks goes, so the memory held is that of the most
// slots in use at one time. The game keeps its SlotBlocks for the program's
// life: objects in them may outlive every other static object.
//
// Under AddressSanitizer (QUEN_SLOTS_FROM_HEAP) the users of SlotBlocks take
// each object from the heap instead, so that one used after its destruction
// is still reported.
//
// Take and Give may be called from any thread (under SlotLock.h). A batch
// for a thread making or freeing many objects (its takes and gives going to
// chains of its own while a load or a game's end ran, each pool's free slots
// taken under one lock and the chains given back under one lock each at the
// end) was measured and left out: against this lock, twelve runs of the load
// bench each, medians from the front end 13.13 -> 12.81 x a plain read (200
// units) and 14.60 -> 15.69 x (2,000), over a running game 17.56 -> 19.69 x
// and 20.54 -> 19.42 x, which the bench's noise swallows.

#include <cstddef>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "Game/arrayman/SlotLock.h"

#if defined(__SANITIZE_ADDRESS__)
#define QUEN_SLOTS_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUEN_SLOTS_FROM_HEAP 1
#endif
#endif

class SlotBlocks {
 public:
  static constexpr std::size_t kAlign = alignof(std::max_align_t);

  // Slots of `slotSize` bytes (rounded up to kAlign), aligned to kAlign.
  SlotBlocks(std::size_t slotSize, std::size_t firstBlock)
      : m_slotSize((slotSize + kAlign - 1) / kAlign * kAlign), m_nextBlock(firstBlock) {}
  SlotBlocks(const SlotBlocks&) = delete;
  SlotBlocks& operator=(const SlotBlocks&) = delete;

  // A slot, its bytes unspecified.
  void* Take() {
    std::lock_guard hold(m_lock);
    if (m_free == nullptr) AddBlock();
    FreeSlot* slot = m_free;
    m_free = slot->next;
    if (m_free == nullptr) m_last = nullptr;
    // The next object's slot is on its way in while this one is filled:
    // every line of it, as an object is written all over before it is read.
    if (m_free != nullptr) {
      const auto* next = reinterpret_cast<const char*>(m_free);
      for (std::size_t at = 0; at < m_slotSize && at < kMostPrefetched; at += kLine) __builtin_prefetch(next + at, 1);
    }
    return slot;
  }

  // Gives back a slot Take gave.
  void Give(void* p) noexcept {
    std::lock_guard hold(m_lock);
    auto* slot = static_cast<FreeSlot*>(p);
    slot->next = m_free;
    if (m_free == nullptr) m_last = slot;
    m_free = slot;
  }

  // A slot while it is free: its first word chains it to the next.
  struct FreeSlot {
    FreeSlot* next;
  };

  // Every free slot (a new block's when none is free) under one lock, for a
  // thread about to make many objects one after another: chained in the
  // order Take would have given them, the last one's link null. `*last` is
  // the last slot. The thread gives back what it did not use with
  // GiveChain; other takers meanwhile find the blocks empty and add one.
  FreeSlot* TakeAll(FreeSlot** last) {
    std::lock_guard hold(m_lock);
    if (m_free == nullptr) AddBlock();
    FreeSlot* first = std::exchange(m_free, nullptr);
    *last = std::exchange(m_last, nullptr);
    return first;
  }

  // Gives back a chain of slots from TakeAll (or its tail), from `first` to
  // `last`; null `first` gives nothing.
  void GiveChain(FreeSlot* first, FreeSlot* last) noexcept {
    if (first == nullptr) return;
    std::lock_guard hold(m_lock);
    last->next = m_free;
    if (m_free == nullptr) m_last = last;
    m_free = first;
  }

 private:
  static constexpr std::size_t kMostBlock = 4096;
  static constexpr std::size_t kLine = 64;
  static constexpr std::size_t kMostPrefetched = 512;

  void AddBlock() {
    const std::size_t count = m_nextBlock;
    // new[] of bytes gives memory aligned for any fundamental type.
    auto block = std::make_unique_for_overwrite<std::byte[]>(count * m_slotSize);
    m_blocks.reserve(m_blocks.size() + 1);
    // Handed out in address order: objects made one after another, as a load
    // makes them, lie side by side.
    if (m_free == nullptr) m_last = reinterpret_cast<FreeSlot*>(block.get() + (count - 1) * m_slotSize);
    for (std::size_t i = count; i-- > 0;) m_free = ::new (block.get() + i * m_slotSize) FreeSlot{m_free};
    m_blocks.push_back(std::move(block));
    m_nextBlock = count * 2 < kMostBlock ? count * 2 : kMostBlock;
  }

  const std::size_t m_slotSize;
  SlotLock m_lock;
  FreeSlot* m_free = nullptr;
  // The free slot whose link is null; null when none is free.
  FreeSlot* m_last = nullptr;
  std::vector<std::unique_ptr<std::byte[]>> m_blocks;
  std::size_t m_nextBlock;
};
