#include "compiled_table.h"

#include <sstream>

#include "platform/core/bytes.h"

std::optional<std::vector<DecodedIndexEntry>> DecodeIndexImage(std::span<const std::uint8_t> image) {
  plat::ByteReader r(image);
  const std::uint32_t count = r.U32();
  if (!r.Ok() || r.Remaining() != 12 * static_cast<std::size_t>(count)) return std::nullopt;
  std::vector<DecodedIndexEntry> entries;
  while (r.Remaining() != 0) {
    DecodedIndexEntry e;
    for (std::uint8_t c : r.Bytes(8)) e.key += static_cast<char>(c);
    e.number = r.U16();
    e.bufferLength = r.U16();
    entries.push_back(e);
  }
  return entries;
}

std::optional<std::map<unsigned, std::string>> ParseStringTableScript(std::string_view script) {
  std::istringstream in{std::string(script)};
  std::string line;
  if (!std::getline(in, line) || line != "STRINGTABLE") return std::nullopt;
  if (!std::getline(in, line) || line != "BEGIN") return std::nullopt;
  std::map<unsigned, std::string> texts;
  while (std::getline(in, line)) {
    if (line == "END") return texts;
    std::size_t at = line.find_first_not_of(' ');
    const std::size_t comma = line.find(", \"", at);
    if (at == std::string::npos || comma == std::string::npos || line.back() != '"') return std::nullopt;
    const unsigned number = static_cast<unsigned>(std::stoul(line.substr(at, comma - at)));
    std::string text;
    for (std::size_t i = comma + 3; i + 1 < line.size(); ++i) {
      const char c = line[i];
      if (c == '"') {
        if (line[++i] != '"') return std::nullopt;
        text += '"';
      } else if (c == '\\') {
        const char e = line[++i];
        text += e == 'n' ? '\n' : e == 't' ? '\t' : e;
      } else {
        text += c;
      }
    }
    if (!texts.emplace(number, text).second) return std::nullopt;
  }
  return std::nullopt;
}

std::string KeyToId(const std::string& key) { return key.substr(0, key.find('\0')); }
