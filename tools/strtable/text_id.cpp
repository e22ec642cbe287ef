#include "tools/strtable/text_id.h"

#include <algorithm>

namespace strtable {

bool IsValidTextId(std::string_view id) {
  if (id.empty() || id.size() > kTextIdSize) return false;
  return std::all_of(id.begin(), id.end(), [](char c) {
    return c > ' ' && c <= '~' && c != '"' && c != '\\' && c != '%' && c != '(' && c != ')';
  });
}

TextIdKey MakeTextIdKey(std::string_view id) {
  TextIdKey key{};
  for (std::size_t i = 0; i < key.size() && i < id.size(); ++i) key[i] = static_cast<std::uint8_t>(id[i]);
  return key;
}

int CompareTextIds(const TextIdKey& a, const TextIdKey& b) {
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

}  // namespace strtable
