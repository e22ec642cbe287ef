#pragma once
// The lock of a pool of slots (SlotBlocks.h), held for a few instructions at a
// time: taking or giving one slot, or a whole chain of them. A load makes and a
// game's end frees a thousand or so pool blocks one at a time, mostly from one
// thread with nobody waiting; a mutex costs two atomic exchanges and two library
// calls for each, where this lock costs one exchange to take and a plain store
// to let go. A thread that finds it held waits on it, giving its turn away
// after a short spin (the holder may be making a new block of slots).
//
// Meets BasicLockable: std::lock_guard takes it.

#include <atomic>
#include <thread>

class SlotLock {
 public:
  void lock() noexcept {
    while (m_held.exchange(true, std::memory_order_acquire)) {
      for (int spins = 0; m_held.load(std::memory_order_relaxed); ++spins) {
        if (spins < kSpinsBeforeYield)
          Pause();
        else
          std::this_thread::yield();
      }
    }
  }
  void unlock() noexcept { m_held.store(false, std::memory_order_release); }

 private:
  static constexpr int kSpinsBeforeYield = 64;

  // Tells the processor the thread is spinning, where it has a way to.
  static void Pause() noexcept {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
  }

  std::atomic<bool> m_held{false};
};
