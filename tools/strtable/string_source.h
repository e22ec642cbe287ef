#pragma once
// The readable source of the string table: one entry per line,
//
//   ID  number  "text"
//
// where the text may use the escapes \n, \t, \\ and \" and otherwise holds
// printable ASCII only. Blank lines and lines whose first non-blank character
// is '#' are skipped.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace strtable {

struct StringEntry {
  std::string id;
  std::uint16_t number = 0;
  std::string text;  // escapes resolved
  int line = 0;      // 1-based line of the source
};

struct SourceError {
  int line = 0;
  std::string message;
};

struct ParsedSource {
  std::vector<StringEntry> entries;  // in source order
  std::vector<SourceError> errors;   // a line with an error yields no entry
};

ParsedSource ParseStringSource(std::string_view content);

}  // namespace strtable
