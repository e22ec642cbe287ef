#include "platform/resource/resname.h"

#include <algorithm>

namespace plat {

ResName::ResName(std::string_view name) {
  if (name.size() >= 2 && name.size() <= 6 && name[0] == '#' &&
      std::all_of(name.begin() + 1, name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    unsigned long value = std::stoul(std::string(name.substr(1)));
    if (value <= 0xFFFF) {
      isId_ = true;
      id_ = static_cast<WORD>(value);
      return;
    }
  }
  name_ = std::string(name);
}

char UpperResChar(char c) {
  auto u = static_cast<unsigned char>(c);
  if (u >= 'a' && u <= 'z') return static_cast<char>(u - 0x20);
  // Latin-1 letters à..þ except the division sign.
  if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 0x20);
  return c;
}

int CompareResNames(const ResName& a, const ResName& b) {
  if (a.IsId() != b.IsId()) return a.IsId() ? 1 : -1;
  if (a.IsId()) return static_cast<int>(a.Id()) - static_cast<int>(b.Id());
  const std::string& x = a.Name();
  const std::string& y = b.Name();
  size_t n = std::min(x.size(), y.size());
  for (size_t i = 0; i < n; ++i) {
    auto cx = static_cast<unsigned char>(UpperResChar(x[i]));
    auto cy = static_cast<unsigned char>(UpperResChar(y[i]));
    if (cx != cy) return cx < cy ? -1 : 1;
  }
  if (x.size() == y.size()) return 0;
  return x.size() < y.size() ? -1 : 1;
}

}  // namespace plat
