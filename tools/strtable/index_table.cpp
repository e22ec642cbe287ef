#include "tools/strtable/index_table.h"

#include "tools/strtable/text_id.h"

namespace strtable {
namespace {

void AppendLE(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<std::uint8_t> BuildIndexTable(const std::vector<StringEntry>& entries) {
  std::vector<std::uint8_t> image;
  image.reserve(kIndexHeaderSize + kIndexEntrySize * entries.size());
  AppendLE(image, static_cast<std::uint32_t>(entries.size()), 4);
  for (const StringEntry& e : entries) {
    const TextIdKey key = MakeTextIdKey(e.id);
    image.insert(image.end(), key.begin(), key.end());
    AppendLE(image, e.number, 2);
    AppendLE(image, static_cast<std::uint32_t>(e.text.size() + 1), 2);
  }
  return image;
}

}  // namespace strtable
