// The string-table builder's reader of its source: any text, parsed, checked
// and turned into the table's script and index.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tools/strtable/build.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  strtable::BuildStringTable(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
