#pragma once
// The layout of ".nob" resource archives, shared by the reader (ResourceArchive)
// and the writer in tools/nob: one place for the header, the directory records
// and the rules a resource's fix-up table must obey. Pure functions; may be
// called from several threads.
//
// File: a 24-byte header, the directory (stdio mode: N records of 36 bytes;
// mapped mode: N + 1 records of 24 bytes), then each resource's data followed
// by its fix-up table (F u32 offsets into the data, each naming a u32 word that
// holds an offset relative to the start of the data). Little-endian.

#include <cstddef>
#include <cstdint>
#include <span>

constexpr std::size_t kArchiveHeaderSize = 24;
constexpr std::size_t kArchiveStdioEntrySize = 36;
constexpr std::size_t kArchiveMappedEntrySize = 24;
constexpr std::uint32_t kArchiveModeStdio = 1;
constexpr std::uint32_t kArchiveModeMapped = 2;
constexpr char kArchiveTag[] = "HVFAT";

// Entry flags.
constexpr std::uint32_t kArchivePreload = 16;
constexpr std::uint32_t kArchiveResident = 32;
constexpr std::uint32_t kArchiveResidentToo = 64;
constexpr std::uint32_t kArchiveLoadAtOpen = 128;

// A fix-up table that cannot be honoured (or header/directory sizes beyond
// what an archive may claim) is refused with these limits.
constexpr std::uint32_t kArchiveMaxEntries = 0x00100000;

struct ArchiveHeader {
  char tag[8] = {};
  std::uint32_t mode = 0;
  std::uint32_t count = 0;
  std::uint32_t baseId = 0;
};

// The stored part of a directory entry.
struct ArchiveRecord {
  std::uint32_t flags = 0;
  std::uint32_t id = 0;
  std::uint32_t type = 0;
  std::uint32_t fixupCount = 0;
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
};

// False when `bytes` is shorter than the header. Does not judge the values.
bool ArchiveHeaderDecode(std::span<const std::uint8_t> bytes, ArchiveHeader* out);
void ArchiveHeaderEncode(const ArchiveHeader& header, std::uint8_t out[kArchiveHeaderSize]);
// True when the tag is "HVFAT" (any case) and the mode is 1 or 2.
bool ArchiveHeaderValid(const ArchiveHeader& header);
// Bytes of one directory record in `mode` (0 for an unknown mode).
std::size_t ArchiveRecordSize(std::uint32_t mode);
// Directory records stored in `mode` for N entries (N + 1 in mapped mode).
std::uint64_t ArchiveRecordCount(std::uint32_t mode, std::uint32_t count);
// Reads / writes the 24 stored bytes of a record (the stdio form's run-time
// tail is written as zeros and ignored on reading).
ArchiveRecord ArchiveRecordDecode(const std::uint8_t* bytes);
void ArchiveRecordEncode(const ArchiveRecord& record, std::uint8_t* out, std::size_t recordSize);
// True when the resource's data and its fix-up table lie inside a file of
// `fileSize` bytes.
bool ArchiveRecordInside(const ArchiveRecord& record, std::uint64_t fileSize);
// True when every table value names a whole u32 word inside the `size` bytes of
// `data` and that word holds an offset inside the data (at most `size`, so a
// pointer just past the end stays legal).
bool ArchiveFixupsValid(std::span<const std::uint8_t> data, std::span<const std::uint8_t> table, std::uint32_t count);
