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
// Take and Give may be called from any thread.

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

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
    std::lock_guard lock(m_mutex);
    if (m_free == nullptr) AddBlock();
    FreeSlot* slot = m_free;
    m_free = slot->next;
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
    std::lock_guard lock(m_mutex);
    auto* slot = static_cast<FreeSlot*>(p);
    slot->next = m_free;
    m_free = slot;
  }

 private:
  struct FreeSlot {
    FreeSlot* next;
  };
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
    for (std::size_t i = count; i-- > 0;) m_free = ::new (block.get() + i * m_slotSize) FreeSlot{m_free};
    m_blocks.push_back(std::move(block));
    m_nextBlock = count * 2 < kMostBlock ? count * 2 : kMostBlock;
  }

  const std::size_t m_slotSize;
  std::mutex m_mutex;
  FreeSlot* m_free = nullptr;
  std::vector<std::unique_ptr<std::byte[]>> m_blocks;
  std::size_t m_nextBlock;
};
