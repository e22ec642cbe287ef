// Where units live. A saved game brings thousands of units and a turn makes
// and destroys many: each unit takes a slot of a unit's size from blocks that
// double as the game grows (64 units, then 128, and so on up to 4,096 a
// block), and a destroyed unit's slot serves the next one made. The blocks
// stay for the program's life, so a load after a game has ended takes its
// units from the slots the old game left; the memory held is that of the
// most units alive at one time.
//
// Under AddressSanitizer each unit is a heap block of its own, so that a unit
// used after its destruction is still reported.
#include <algorithm>
#include <cstddef>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "Game/model/GUnit.h"

#if defined(__SANITIZE_ADDRESS__)
#define QUEN_UNITS_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUEN_UNITS_FROM_HEAP 1
#endif
#endif

namespace {

#ifndef QUEN_UNITS_FROM_HEAP

class UnitSlots {
 public:
  void* Take() {
    std::lock_guard lock(m_mutex);
    if (m_free == nullptr) AddBlock();
    FreeSlot* slot = m_free;
    m_free = slot->next;
    // The next unit's slot is on its way in while this one is filled.
    if (m_free != nullptr) __builtin_prefetch(m_free, 1);
    return slot;
  }

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
  static constexpr std::size_t kAlign = alignof(std::max_align_t);
  static_assert(alignof(CGUnit) <= kAlign);
  static constexpr std::size_t kSlotSize = (sizeof(CGUnit) + kAlign - 1) / kAlign * kAlign;
  static constexpr std::size_t kFirstBlockUnits = 64;
  static constexpr std::size_t kMostBlockUnits = 4096;

  void AddBlock() {
    const std::size_t units = m_nextBlockUnits;
    // new[] of bytes gives memory aligned for any fundamental type.
    auto block = std::make_unique_for_overwrite<std::byte[]>(units * kSlotSize);
    m_blocks.reserve(m_blocks.size() + 1);
    // Handed out in address order: units made one after another, as a load
    // makes them, lie side by side.
    for (std::size_t i = units; i-- > 0;) {
      auto* slot = ::new (block.get() + i * kSlotSize) FreeSlot{m_free};
      m_free = slot;
    }
    m_blocks.push_back(std::move(block));
    m_nextBlockUnits = std::min(units * 2, kMostBlockUnits);
  }

  std::mutex m_mutex;
  FreeSlot* m_free = nullptr;
  std::vector<std::unique_ptr<std::byte[]>> m_blocks;
  std::size_t m_nextBlockUnits = kFirstBlockUnits;
};

// Never destroyed: a unit may outlive every other static object.
UnitSlots& Slots() {
  static UnitSlots* const slots = new UnitSlots;
  return *slots;
}

#endif

}  // namespace

void* CGUnit::operator new(std::size_t size) {
#ifdef QUEN_UNITS_FROM_HEAP
  return ::operator new(size);
#else
  // The class is final: every size asked for is a unit's.
  static_cast<void>(size);
  return Slots().Take();
#endif
}

void CGUnit::operator delete(void* p) noexcept {
  if (p == nullptr) return;
#ifdef QUEN_UNITS_FROM_HEAP
  ::operator delete(p);
#else
  Slots().Give(p);
#endif
}
