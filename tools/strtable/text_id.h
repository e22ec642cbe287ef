#pragma once
// Text IDs: the names under which the program fetches its texts. An ID has at
// most 8 characters; the index stores it zero-padded to 8 bytes and keeps its
// entries sorted by those bytes compared as unsigned values.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace strtable {

inline constexpr std::size_t kTextIdSize = 8;

using TextIdKey = std::array<std::uint8_t, kTextIdSize>;

// True for 1 to 8 printable ASCII characters other than blank, '"', '\\', '%',
// '(' and ')', so that an ID can stand in the source file and inside "%(ID)".
bool IsValidTextId(std::string_view id);

// The ID's first 8 bytes, padded with zero bytes.
TextIdKey MakeTextIdKey(std::string_view id);

// -1, 0 or 1 from the first differing byte, compared as unsigned.
int CompareTextIds(const TextIdKey& a, const TextIdKey& b);

}  // namespace strtable
