#pragma once
// The objects behind one kind of handle the layer gives out (windows, DCs, GDI
// objects, menus, modules, registry keys, thread and event handles). A handle
// is the object's address; a handle never given out, or one whose object was
// removed, finds nothing. The table owns its objects and visits them in the
// order they were added. Not locked: the code owning a table guards it.

#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace plat {

template <class T>
class HandleTable {
 public:
  HandleTable() {
    spareOrder_.reserve(kSpareNodes);
    spareIndex_.reserve(kSpareNodes);
  }

  // Takes `object` in; its address is its handle.
  T* Add(std::unique_ptr<T> object) {
    T* raw = object.get();
    Slot at;
    if (spareOrder_.empty()) {
      at = byOrder_.emplace(next_++, std::move(object)).first;
    } else {
      auto node = std::move(spareOrder_.back());
      spareOrder_.pop_back();
      node.key() = next_++;
      node.mapped() = std::move(object);
      at = byOrder_.insert(std::move(node)).position;
    }
    if (spareIndex_.empty()) {
      index_.emplace(static_cast<const void*>(raw), at);
    } else {
      auto node = std::move(spareIndex_.back());
      spareIndex_.pop_back();
      node.key() = raw;
      node.mapped() = at;
      index_.insert(std::move(node));
    }
    return raw;
  }

  // The object of a live handle, else null.
  T* Find(const void* handle) const {
    auto it = index_.find(handle);
    return it == index_.end() ? nullptr : it->second->second.get();
  }
  bool Contains(const void* handle) const { return index_.count(handle) != 0; }

  // Takes the object out, giving it to the caller; null for a handle not here.
  std::unique_ptr<T> Take(const void* handle) {
    auto it = index_.find(handle);
    if (it == index_.end()) return nullptr;
    auto node = byOrder_.extract(it->second);
    auto indexNode = index_.extract(it);
    std::unique_ptr<T> object = std::move(node.mapped());
    // Objects made and freed in every frame (DCs on surfaces) then cost the
    // tables no heap call.
    if (spareOrder_.size() < kSpareNodes) spareOrder_.push_back(std::move(node));
    if (spareIndex_.size() < kSpareNodes) spareIndex_.push_back(std::move(indexNode));
    return object;
  }
  bool Erase(const void* handle) { return Take(handle) != nullptr; }

  // Removes (and frees) every object `pred` picks.
  template <class Pred>
  void EraseIf(Pred pred) {
    for (auto it = byOrder_.begin(); it != byOrder_.end();) {
      if (pred(*it->second)) {
        index_.erase(static_cast<const void*>(it->second.get()));
        it = byOrder_.erase(it);
      } else {
        ++it;
      }
    }
  }

  // Calls `f` with each object, oldest first; `f` must not add or remove.
  template <class F>
  void ForEach(F f) const {
    for (const auto& [order, object] : byOrder_) f(std::as_const(*object));
  }
  template <class F>
  void ForEach(F f) {
    for (auto& [order, object] : byOrder_) f(*object);
  }
  // The first object, oldest first, that `pred` picks; null when none does.
  template <class Pred>
  T* FindIf(Pred pred) const {
    for (const auto& [order, object] : byOrder_)
      if (pred(*object)) return object.get();
    return nullptr;
  }

  std::size_t Size() const { return byOrder_.size(); }
  void Clear() {
    index_.clear();
    byOrder_.clear();
  }

 private:
  static constexpr std::size_t kSpareNodes = 8;
  using Order = std::map<std::uint64_t, std::unique_ptr<T>>;
  using Slot = typename Order::iterator;
  using Index = std::unordered_map<const void*, Slot>;
  std::uint64_t next_ = 0;
  Order byOrder_;
  Index index_;  // map iterators stay valid
  // Nodes of removed objects, kept for the next ones added.
  std::vector<typename Order::node_type> spareOrder_;
  std::vector<typename Index::node_type> spareIndex_;
};

}  // namespace plat
