#include "tools/strtable/index_table.h"

#include "platform/core/bytes.h"
#include "tools/strtable/text_id.h"

namespace strtable {

std::vector<std::uint8_t> BuildIndexTable(const std::vector<StringEntry>& entries) {
  plat::ByteWriter w;
  w.U32(static_cast<std::uint32_t>(entries.size()));
  for (const StringEntry& e : entries) {
    w.WriteBytes(MakeTextIdKey(e.id));
    w.U16(e.number);
    w.U16(static_cast<std::uint16_t>(e.text.size() + 1));
  }
  return w.Take();
}

}  // namespace strtable
