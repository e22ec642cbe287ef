#pragma once
// From the text of the source file to the two compiled forms, or to the list
// of everything wrong with it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/strtable/table_check.h"

namespace strtable {

struct BuiltTable {
  std::vector<TableProblem> problems;  // syntax errors first, then table checks
  std::size_t entryCount = 0;
  std::string script;               // empty when there are problems
  std::vector<std::uint8_t> index;  // empty when there are problems
};

BuiltTable BuildStringTable(std::string_view sourceContent);

}  // namespace strtable
