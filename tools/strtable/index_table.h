#pragma once
// The image of the index resource (custom type "INDEXTABLE", number 201),
// little-endian:
//
//   u32 entry count
//   per entry, 12 bytes: char[8] ID (zero-padded, no terminator when all 8
//   are used), u16 string number, u16 buffer length (text length + 1)
//
// The entries follow the order of the given table, which CheckTable has
// confirmed to be ascending by the unsigned bytes of the ID.

#include <cstdint>
#include <vector>

#include "tools/strtable/string_source.h"

namespace strtable {

std::vector<std::uint8_t> BuildIndexTable(const std::vector<StringEntry>& entries);

}  // namespace strtable
