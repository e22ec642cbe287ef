// Where units and asteroids live. A saved game brings thousands of units and
// a turn makes and destroys many: each object takes a slot of its size from
// blocks that double as the game grows (64 objects, then 128, and so on up to
// 4,096 a block), and a destroyed object's slot serves the next one made. The
// blocks stay for the program's life, so a load after a game has ended takes
// its objects from the slots the old game left; the memory held is that of the
// most objects alive at one time.
//
// Under AddressSanitizer each object is a heap block of its own, so that one
// used after its destruction is still reported.
#include <algorithm>
#include <cstddef>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "Game/model/GAsteroid.h"
#include "Game/model/GUnit.h"

#if defined(__SANITIZE_ADDRESS__)
#define QUEN_SLOTS_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUEN_SLOTS_FROM_HEAP 1
#endif
#endif

namespace {

#ifndef QUEN_SLOTS_FROM_HEAP

// The slots of objects of type T.
template <class T>
class Slots {
 public:
  // Never destroyed: an object may outlive every other static object.
  static Slots& Of() {
    static Slots* const slots = new Slots;
    return *slots;
  }

  void* Take() {
    std::lock_guard lock(m_mutex);
    if (m_free == nullptr) AddBlock();
    FreeSlot* slot = m_free;
    m_free = slot->next;
    // The next object's slot is on its way in while this one is filled.
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
  static_assert(alignof(T) <= kAlign);
  static constexpr std::size_t kSlotSize = (sizeof(T) + kAlign - 1) / kAlign * kAlign;
  static constexpr std::size_t kFirstBlock = 64;
  static constexpr std::size_t kMostBlock = 4096;

  void AddBlock() {
    const std::size_t count = m_nextBlock;
    // new[] of bytes gives memory aligned for any fundamental type.
    auto block = std::make_unique_for_overwrite<std::byte[]>(count * kSlotSize);
    m_blocks.reserve(m_blocks.size() + 1);
    // Handed out in address order: objects made one after another, as a load
    // makes them, lie side by side.
    for (std::size_t i = count; i-- > 0;) m_free = ::new (block.get() + i * kSlotSize) FreeSlot{m_free};
    m_blocks.push_back(std::move(block));
    m_nextBlock = std::min(count * 2, kMostBlock);
  }

  std::mutex m_mutex;
  FreeSlot* m_free = nullptr;
  std::vector<std::unique_ptr<std::byte[]>> m_blocks;
  std::size_t m_nextBlock = kFirstBlock;
};

#endif

// Both classes are final: every size asked for is the object's own.
template <class T>
void* TakeSlot([[maybe_unused]] std::size_t size) {
#ifdef QUEN_SLOTS_FROM_HEAP
  return ::operator new(size);
#else
  return Slots<T>::Of().Take();
#endif
}

template <class T>
void GiveSlot(void* p) noexcept {
  if (p == nullptr) return;
#ifdef QUEN_SLOTS_FROM_HEAP
  ::operator delete(p);
#else
  Slots<T>::Of().Give(p);
#endif
}

}  // namespace

void* CGUnit::operator new(std::size_t size) { return TakeSlot<CGUnit>(size); }
void CGUnit::operator delete(void* p) noexcept { GiveSlot<CGUnit>(p); }
void* CGAsteroid::operator new(std::size_t size) { return TakeSlot<CGAsteroid>(size); }
void CGAsteroid::operator delete(void* p) noexcept { GiveSlot<CGAsteroid>(p); }
