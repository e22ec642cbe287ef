#include "tools/nob/nobwriter.h"

#include <algorithm>
#include <cstring>

#include "media/ArchiveFormat.h"
#include "platform/core/bytes.h"

namespace nob {

std::optional<std::vector<std::uint8_t>> WriteArchive(std::uint32_t baseId, std::uint32_t mode,
                                                      const std::vector<Resource>& resources) {
  const std::size_t recordSize = ArchiveRecordSize(mode);
  if (recordSize == 0 || (baseId & 1) != 0 || resources.size() > kArchiveMaxEntries) return std::nullopt;
  const auto count = static_cast<std::uint32_t>(resources.size());
  const std::uint64_t records = ArchiveRecordCount(mode, count);
  std::uint64_t offset = kArchiveHeaderSize + records * recordSize;
  std::vector<ArchiveRecord> recs;
  std::vector<std::uint8_t> tables;
  for (std::uint32_t i = 0; i < count; ++i) {
    const Resource& r = resources[i];
    plat::ByteWriter table;
    for (const std::uint32_t f : r.fixups) table.U32(f);
    if (!ArchiveFixupsValid(r.data, table.Data(), static_cast<std::uint32_t>(r.fixups.size()))) return std::nullopt;
    ArchiveRecord rec;
    rec.flags = r.flags;
    rec.id = ResourceId(baseId, i);
    rec.type = r.type;
    rec.fixupCount = static_cast<std::uint32_t>(r.fixups.size());
    rec.offset = static_cast<std::uint32_t>(offset);
    rec.size = static_cast<std::uint32_t>(r.data.size());
    // A resource of no bytes still gets an address of its own: a mapped
    // archive tells its resources apart by address.
    offset += std::max<std::uint64_t>(1, r.data.size() + 4ull * r.fixups.size());
    if (offset > 0x7FFFFFFF) return std::nullopt;
    recs.push_back(rec);
  }
  // The mapped directory's extra record stays empty.
  if (mode == kArchiveModeMapped) recs.push_back(ArchiveRecord{});
  std::vector<std::uint8_t> out(offset, 0);
  ArchiveHeader header;
  std::memcpy(header.tag, kArchiveTag, sizeof kArchiveTag);
  header.mode = mode;
  header.count = count;
  header.baseId = baseId;
  ArchiveHeaderEncode(header, out.data());
  for (std::size_t i = 0; i < recs.size(); ++i)
    ArchiveRecordEncode(recs[i], out.data() + kArchiveHeaderSize + i * recordSize, recordSize);
  for (std::uint32_t i = 0; i < count; ++i) {
    const Resource& r = resources[i];
    std::uint8_t* at = out.data() + recs[i].offset;
    if (!r.data.empty()) std::memcpy(at, r.data.data(), r.data.size());
    plat::ByteWriter w({at + r.data.size(), 4 * r.fixups.size()});
    for (const std::uint32_t f : r.fixups) w.U32(f);
  }
  return out;
}

}  // namespace nob
