#include "media/ArchiveFormat.h"

#include <strings.h>

#include <cstring>

#include "platform/core/bytes.h"

bool ArchiveHeaderDecode(std::span<const std::uint8_t> bytes, ArchiveHeader* out) {
  if (bytes.size() < kArchiveHeaderSize) return false;
  std::memcpy(out->tag, bytes.data(), sizeof out->tag);
  plat::ByteReader r(bytes, 8);
  out->mode = r.U32();
  out->count = r.U32();
  out->baseId = r.U32();
  return r.Ok();
}

void ArchiveHeaderEncode(const ArchiveHeader& header, std::uint8_t out[kArchiveHeaderSize]) {
  plat::ByteWriter w({out, kArchiveHeaderSize});
  w.WriteBytes({reinterpret_cast<const std::uint8_t*>(header.tag), sizeof header.tag});
  w.U32(header.mode);
  w.U32(header.count);
  w.U32(header.baseId);
  w.U32(0);
}

bool ArchiveHeaderValid(const ArchiveHeader& header) {
  // The tag field is not trusted to be terminated.
  char tag[sizeof header.tag + 1] = {};
  std::memcpy(tag, header.tag, sizeof header.tag);
  return strcasecmp(tag, kArchiveTag) == 0 && (header.mode == kArchiveModeStdio || header.mode == kArchiveModeMapped);
}

std::size_t ArchiveRecordSize(std::uint32_t mode) {
  if (mode == kArchiveModeStdio) return kArchiveStdioEntrySize;
  if (mode == kArchiveModeMapped) return kArchiveMappedEntrySize;
  return 0;
}

std::uint64_t ArchiveRecordCount(std::uint32_t mode, std::uint32_t count) {
  return mode == kArchiveModeMapped ? std::uint64_t{count} + 1 : count;
}

ArchiveRecord ArchiveRecordDecode(const std::uint8_t* bytes) {
  plat::ByteReader r({bytes, kArchiveMappedEntrySize});
  ArchiveRecord rec;
  rec.flags = r.U32();
  rec.id = r.U32();
  rec.type = r.U32();
  rec.fixupCount = r.U32();
  rec.offset = r.U32();
  rec.size = r.U32();
  return rec;
}

void ArchiveRecordEncode(const ArchiveRecord& record, std::uint8_t* out, std::size_t recordSize) {
  std::memset(out, 0, recordSize);
  plat::ByteWriter w({out, recordSize});
  w.U32(record.flags);
  w.U32(record.id);
  w.U32(record.type);
  w.U32(record.fixupCount);
  w.U32(record.offset);
  w.U32(record.size);
}

bool ArchiveRecordInside(const ArchiveRecord& record, std::uint64_t fileSize) {
  const std::uint64_t end = std::uint64_t{record.offset} + record.size + 4ull * record.fixupCount;
  return end <= fileSize;
}

bool ArchiveFixupsValid(std::span<const std::uint8_t> data, std::span<const std::uint8_t> table, std::uint32_t count) {
  if (table.size() < 4ull * count) return false;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t at = plat::DecodeLE<std::uint32_t>(std::span<const std::uint8_t, 4>(table.data() + 4 * i, 4));
    if (std::uint64_t{at} + 4 > data.size()) return false;
    const std::uint32_t target = plat::DecodeLE<std::uint32_t>(std::span<const std::uint8_t, 4>(data.data() + at, 4));
    if (target > data.size()) return false;
  }
  return true;
}
