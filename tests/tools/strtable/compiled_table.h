#pragma once
// Independent readers of the two compiled forms of the string table, so that
// the tests check the images against the layout rather than against the
// writer's own code.

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct DecodedIndexEntry {
  std::string key;  // all 8 bytes, padding included
  std::uint16_t number = 0;
  std::uint16_t bufferLength = 0;
};

// Null when the image is shorter or longer than its count says.
std::optional<std::vector<DecodedIndexEntry>> DecodeIndexImage(std::span<const std::uint8_t> image);

// String number -> text of a STRINGTABLE block as the resource compiler reads
// it; null when a line does not have the form `  number, "text"`.
std::optional<std::map<unsigned, std::string>> ParseStringTableScript(std::string_view script);

// The ID of an index key: the bytes before the first zero byte.
std::string KeyToId(const std::string& key);
