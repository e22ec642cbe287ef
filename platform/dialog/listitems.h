#pragma once
// The lines of a list box or combo box: strings (or, for owner-drawn lists
// without strings, only item data), in the order given or sorted.
// Plain values: one list is used by one thread at a time.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/types.h"

namespace plat::dialog_impl {

class ListItems {
 public:
  struct Item {
    std::string text;
    UINT_PTR data = 0;
  };

  int Count() const { return static_cast<int>(items_.size()); }
  bool Valid(int index) const { return index >= 0 && index < Count(); }
  const Item& At(int index) const { return items_[static_cast<std::size_t>(index)]; }
  void SetData(int index, UINT_PTR data) { items_[static_cast<std::size_t>(index)].data = data; }

  // Appends, or with `sorted` puts the line after every line that does not
  // compare greater (without regard to case). Returns its index.
  int Add(Item item, bool sorted);
  // Inserts at `index` (-1: at the end). Nothing for an index past the end.
  std::optional<int> Insert(int index, Item item);
  void Remove(int index);
  void Clear() { items_.clear(); }
  // The first line after `from` (wrapping round) whose text starts with `c`,
  // without regard to case; nothing when none does.
  std::optional<int> FindInitial(char c, int from) const;

 private:
  std::vector<Item> items_;
};

// Compares two texts as list boxes sort them: letters without regard to case.
int CompareWithoutCase(const std::string& a, const std::string& b);

}  // namespace plat::dialog_impl
