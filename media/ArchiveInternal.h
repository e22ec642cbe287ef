#pragma once
// What the load manager shares with the archive: directory entries, open
// archives and the read and release operations. Not for other callers.
// Game thread only.

#include <cstdint>
#include <vector>

#include "media/ArchiveFormat.h"
#include "platform/core/files.h"

struct ArchiveEntry {
  ArchiveRecord rec;
  std::uint8_t* data = nullptr;  // null while not loaded
  std::int16_t refCount = 0;
  std::uint8_t callerOwned = 0;
  // Bytes read so far; -k while request slot k of the reader threads holds the
  // read.
  std::int32_t progress = 0;
};

struct OpenArchive {
  char name[16] = {};
  std::uint32_t mode = 0;
  plat::FILE* file = nullptr;  // stdio mode
  std::uint64_t fileSize = 0;
  std::uint32_t baseId = 0;
  std::uint32_t count = 0;
  std::vector<ArchiveEntry> directory;  // N entries (stdio), N + 1 (mapped)
  std::uint8_t* view = nullptr;         // mapped mode
  std::uint8_t* viewEnd = nullptr;
};

struct ResourceRef {
  OpenArchive* archive = nullptr;
  std::uint32_t index = 0;
  ArchiveEntry& entry() const { return archive->directory[index]; }
};

// The first open archive whose range holds the id; false when none does or the
// index is past its directory.
bool ArchiveFindResource(std::uint32_t id, ResourceRef* out);
// The archive's read operation: reads up to `limit` more bytes (0 = all) of the
// resource, synchronously (`slot` 0) or by queueing it with reader slot `slot`.
// 0, or a status code (the partial data is then released).
int ArchiveRead(const ResourceRef& ref, std::uint32_t limit, std::uint32_t* outCount, int slot);
// The archive's release operation: cancels a queued read and frees the data.
// 1 when a caller buffer was given up.
int ArchiveReleaseEntry(const ResourceRef& ref);
// Gives the entry a block (S + 8 bytes with its header) when it has none;
// false when out of memory.
bool ArchiveEnsureBlock(const ResourceRef& ref);
// Makes `buffer` + 8 the caller-owned data of an entry that has none (stdio),
// or copies a mapped resource there; the data pointer, null on failure.
std::uint8_t* ArchiveReadInto(const ResourceRef& ref, std::uint8_t* buffer);
