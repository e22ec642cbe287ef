#pragma once
// The string table as a resource-script block for the resource compiler:
//
//   STRINGTABLE
//   BEGIN
//     <number>, "<text>"
//   END
//
// in ascending string-number order; in the text a line end is written \n, a
// tab \t, a backslash as two backslashes and a double quote as "".

#include <string>
#include <vector>

#include "tools/strtable/string_source.h"

namespace strtable {

std::string BuildStringTableScript(const std::vector<StringEntry>& entries);

}  // namespace strtable
