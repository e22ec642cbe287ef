#include "platform/dialog/listitems.h"

#include <algorithm>

#include "platform/resource/resname.h"

namespace plat::dialog_impl {

int CompareWithoutCase(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(UpperResChar(a[i]));
    const auto y = static_cast<unsigned char>(UpperResChar(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

int ListItems::Add(Item item, bool sorted) {
  auto at = items_.end();
  if (sorted) {
    at = std::upper_bound(items_.begin(), items_.end(), item,
                          [](const Item& a, const Item& b) { return CompareWithoutCase(a.text, b.text) < 0; });
  }
  const auto index = at - items_.begin();
  items_.insert(at, std::move(item));
  return static_cast<int>(index);
}

std::optional<int> ListItems::Insert(int index, Item item) {
  if (index < -1 || index > Count()) return std::nullopt;
  if (index == -1) index = Count();
  items_.insert(items_.begin() + index, std::move(item));
  return index;
}

void ListItems::Remove(int index) {
  if (Valid(index)) items_.erase(items_.begin() + index);
}

std::optional<int> ListItems::FindInitial(char c, int from) const {
  const char wanted = UpperResChar(c);
  for (int step = 1; step <= Count(); ++step) {
    const int i = ((from + step) % Count() + Count()) % Count();
    const std::string& text = At(i).text;
    if (!text.empty() && UpperResChar(text[0]) == wanted) return i;
  }
  return std::nullopt;
}

}  // namespace plat::dialog_impl
