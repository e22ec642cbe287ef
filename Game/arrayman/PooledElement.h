#pragma once
// List elements that come from slots of their own size (SlotBlocks.h) instead
// of the heap: a type T derives from PooledElement<T>, and `new T` and
// `delete` take and give its slots; an object of a derived type of another
// size comes from the heap. The slots stay for the program's life, so an
// element may outlive every other static object.
//
// A thread making many elements one after another, as a list's load does,
// opens an ElementRun<T>: while it is open the thread's `new T` takes slots
// from every free slot of T's pool, taken under one lock, and the slots left
// go back when it closes. A thread destroying many opens an ElementReturn<T>:
// its deletes chain their slots, given back under one lock when it closes, in
// the order one delete at a time would leave them. Either scope opened while
// one of its kind is open on the thread does nothing of its own.
//
// Under AddressSanitizer (QUEN_SLOTS_FROM_HEAP) every element is a heap block
// of its own and the scopes do nothing. Elements may be made and destroyed on
// any thread; a scope belongs to the thread that opened it.

#include <cstddef>
#include <new>

#include "Game/arrayman/SlotBlocks.h"

template <class T>
class PooledElement {
 public:
  static void* operator new(std::size_t size);
  static void operator delete(void* p, std::size_t size) noexcept;

  // The slots of T. Never destroyed.
  static SlotBlocks& Slots() {
    static SlotBlocks* const slots = new SlotBlocks(sizeof(T), 64);
    return *slots;
  }

 private:
  template <class>
  friend class ElementRun;
  template <class>
  friend class ElementReturn;

  // A chain of free slots held by one thread, the last one's link null.
  struct Chain {
    SlotBlocks::FreeSlot* first = nullptr;
    SlotBlocks::FreeSlot* last = nullptr;
    bool open = false;
  };
  static inline thread_local Chain t_run;
  static inline thread_local Chain t_return;
};

template <class T>
class ElementRun {
 public:
  ElementRun() noexcept : m_owner(!PooledElement<T>::t_run.open) { PooledElement<T>::t_run.open = true; }
  ~ElementRun() {
    if (!m_owner) return;
    auto& run = PooledElement<T>::t_run;
    PooledElement<T>::Slots().GiveChain(run.first, run.last);
    run = {};
  }
  ElementRun(const ElementRun&) = delete;
  ElementRun& operator=(const ElementRun&) = delete;

 private:
  bool m_owner;
};

template <class T>
class ElementReturn {
 public:
  ElementReturn() noexcept : m_owner(!PooledElement<T>::t_return.open) { PooledElement<T>::t_return.open = true; }
  ~ElementReturn() {
    if (!m_owner) return;
    auto& chain = PooledElement<T>::t_return;
    PooledElement<T>::Slots().GiveChain(chain.first, chain.last);
    chain = {};
  }
  ElementReturn(const ElementReturn&) = delete;
  ElementReturn& operator=(const ElementReturn&) = delete;

 private:
  bool m_owner;
};

template <class T>
void* PooledElement<T>::operator new(std::size_t size) {
  static_assert(alignof(T) <= SlotBlocks::kAlign);
#ifndef QUEN_SLOTS_FROM_HEAP
  if (size == sizeof(T)) {
    Chain& run = t_run;
    if (!run.open) return Slots().Take();
    if (run.first == nullptr) run.first = Slots().TakeAll(&run.last);
    SlotBlocks::FreeSlot* slot = run.first;
    run.first = slot->next;
    // The next element's slot, and with it its link, is on its way in while
    // this one is filled.
    if (run.first == nullptr)
      run.last = nullptr;
    else
      __builtin_prefetch(run.first, 1);
    return slot;
  }
#endif
  return ::operator new(size);
}

template <class T>
void PooledElement<T>::operator delete(void* p, [[maybe_unused]] std::size_t size) noexcept {
  if (p == nullptr) return;
#ifndef QUEN_SLOTS_FROM_HEAP
  if (size == sizeof(T)) {
    Chain& chain = t_return;
    if (!chain.open) return Slots().Give(p);
    auto* slot = ::new (p) SlotBlocks::FreeSlot{chain.first};
    if (chain.last == nullptr) chain.last = slot;
    chain.first = slot;
    return;
  }
#endif
  ::operator delete(p);
}
