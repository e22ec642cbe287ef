#pragma once
// Checks of the whole table before it is compiled: IDs strictly ascending in
// index order (so also unique), string numbers unique, texts short enough for
// the text functions, placeholders well formed, every "%(ID)" naming an entry.

#include <cstddef>
#include <string>
#include <vector>

#include "tools/strtable/string_source.h"

namespace strtable {

// The longest finished text the text functions produce.
inline constexpr std::size_t kMaxTextLength = 1023;

struct TableProblem {
  int line = 0;  // source line of the entry concerned
  std::string message;
};

std::vector<TableProblem> CheckTable(const std::vector<StringEntry>& entries);

}  // namespace strtable
