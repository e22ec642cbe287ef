#pragma once
// A first-in, first-out queue over one array that grows to the largest count
// it held and keeps that size, its slots keeping what they held: unlike
// std::deque, whose blocks come and go as the queue moves, a flow through it
// reuses the items' own storage and allocates nothing once it has grown. Not
// for use by several threads at once.

#include <cstddef>
#include <utility>
#include <vector>

namespace hvm {

template <class T>
class Ring {
 public:
  bool empty() const { return count_ == 0; }
  std::size_t size() const { return count_; }
  T& front() { return items_[head_]; }
  // The item `i` places behind the front.
  T& operator[](std::size_t i) { return items_[(head_ + i) & (items_.size() - 1)]; }
  // The item taken stays in its slot until the slot is reused.
  void pop_front() {
    head_ = (head_ + 1) & (items_.size() - 1);
    // A queue that empties starts again at the front, so that a flow that
    // keeps it short keeps using the same few slots, still in the cache,
    // rather than going round all the storage it ever grew to.
    if (--count_ == 0) head_ = 0;
  }
  // The slot after the last item, made the last item. It still holds what it
  // held before (a taken item, or a default one), for the caller to overwrite
  // reusing its storage.
  T& PushSlot() {
    if (count_ == items_.size()) Grow();
    T& slot = items_[(head_ + count_) & (items_.size() - 1)];
    ++count_;
    return slot;
  }
  void clear() {
    items_.clear();
    head_ = count_ = 0;
  }

 private:
  // Doubles the array (a power of two, so that a mask wraps an index), the
  // items in order from its start.
  void Grow() {
    std::vector<T> bigger(items_.empty() ? 16 : items_.size() * 2);
    for (std::size_t i = 0; i < count_; ++i) bigger[i] = std::move(items_[(head_ + i) & (items_.size() - 1)]);
    items_ = std::move(bigger);
    head_ = 0;
  }

  std::vector<T> items_;
  std::size_t head_ = 0;
  std::size_t count_ = 0;
};

}  // namespace hvm
