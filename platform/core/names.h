#pragma once
// Names compared the DOS way: ASCII letters without regard to case, every other
// byte as it is. Shared by DOS paths, the registry and the process map. Pure
// functions: may be called from several threads.

#include <algorithm>
#include <string>
#include <string_view>

namespace plat {

constexpr char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string UpperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = UpperAscii(c);
  return out;
}

inline bool SameNameNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return UpperAscii(x) == UpperAscii(y); });
}

}  // namespace plat
