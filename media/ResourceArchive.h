#pragma once
// The resource archive: ".nob" files (layout in media/ArchiveFormat.h) whose
// resources are handed out by 32-bit id as blocks of memory, loaded on demand,
// counted by reference and freed with the last reference unless resident. An
// archive covers the ids B + 1 + 2 x index of its base id B and is read either
// through buffered reads (stdio mode) or by mapping the file copy-on-write
// (mapped mode), as its header says.
//
// Every count, offset and fix-up the file gives is checked before use: a
// damaged or truncated archive or resource is refused with a status. A
// resource's fix-up table must name words inside its data that hold offsets
// inside its data. Those words stay relative to the start of the data: a 32-bit
// word cannot hold an address of this machine, so the readers of the data (the
// 3D library's relocators) turn them into pointers.
//
// Game thread only; the reader threads of the load manager (LoadManager.h)
// only fill blocks the archive hands them.

#include <cstdint>

// Status codes.
constexpr int kArchiveOk = 0;
constexpr int kArchiveNoMemory = -1;
constexpr int kArchiveCannotOpen = -2;
constexpr int kArchiveUnknown = -3;
constexpr int kArchiveShortRead = -5;
constexpr int kArchiveBadTag = -6;
// A resource whose record or fix-up table does not fit the file or its data.
constexpr int kArchiveDamaged = -7;

// A type's hook, and the load manager's callbacks: (resource id, data, argument).
// Unload hooks get argument 0 when the last reference goes, 1 when the archive
// closes.
using ResourceHook = void (*)(std::uint32_t id, std::uint8_t* data, std::intptr_t arg);
// The load manager's time source (any unit; the throughput is per unit).
using LoadClock = std::uint32_t (*)();

// Sets up the archive system: two reader slots, the load manager (mode 1 gives
// it a reader thread), the lists. 1 on success, 0 when out of memory.
int ArchiveSystemInit(LoadClock clock, std::uint8_t loadMode, std::uint32_t chunkSize, std::uint32_t bytesPerSecond);
// Stops the reader threads first (a read in flight ends before any file or
// block goes), then closes every archive and frees the system.
void ArchiveSystemShutdown();

// Opens an archive (".nob" appended when the path has no '.'): 0 or a status
// code above. File names longer than 15 characters (without directory) are
// refused (-2). `preload` 1 reads the resources flagged 16 now and queues those
// flagged 128 with the load manager; a failed preload closes the archive and
// returns that read's code.
int ArchiveOpen(const char* path, int preload);
// Closes the archive of that file name (any case, ".nob" appended as above);
// every loaded resource gets its unload hook (argument 1) and is freed.
void ArchiveClose(const char* path);

// The data (with one more reference), or null when the id is unknown or the
// read fails.
std::uint8_t* ResourceGet(std::uint32_t id);
// The data read into `buffer` (ResourceBlockSize(id) bytes, caller-owned) with
// one more reference; null as ResourceGet. A resource already loaded elsewhere
// is returned where it is.
std::uint8_t* ResourceGetInto(std::uint32_t id, std::uint8_t* buffer);
// Drops a reference of the data; at 0 frees it (unless resident, after the
// type's unload hook). 1 when a caller buffer was given up, else 0; null, an
// id or an unknown pointer does nothing and gives 0.
int ResourceRelease(const void* data);
// Sizes, types and counts; 0 for unknown ids.
std::uint32_t ResourceSize(std::uint32_t id);
std::uint32_t ResourceGetType(std::uint32_t id);
int ResourceGetRefCount(std::uint32_t id);
// The id of an id or of a loaded resource's data; 0 when unknown.
std::uint32_t ResourceGetId(const void* idOrData);
// Add a reference without loading; false when unknown.
bool ResourceAddRef(std::uint32_t id);
bool ResourceAddRefByPointer(const void* data);
// Reference count - 1 when above 0; nothing is freed.
void ResourceDropRef(const void* idOrData);
// Start of the loaded block (data - 8); null when not loaded, and for a
// resource read in place from a mapped view, which has no block.
std::uint8_t* ResourceGetBlock(std::uint32_t id);
// Data size + 8 (0 when unknown) / a heap block of that size (free with
// ResourceFreeBlock), null when unknown or out of memory.
std::uint32_t ResourceBlockSize(std::uint32_t id);
std::uint8_t* ResourceAllocBlock(std::uint32_t id);
void ResourceFreeBlock(std::uint8_t* block);

// Walks every resource of the open archives, in order of base id then id.
struct ResourceCursor {
  std::uint32_t id = 0;  // 0 = start
  char name[16] = {};
  std::uint32_t type = 0;
  std::uint8_t* data = nullptr;
  std::uint32_t size = 0;
  int refCount = 0;
  std::uint32_t flags = 0;
};
// Moves to the next resource; 0 when there is none.
int ResourceEnumNext(ResourceCursor* cursor);

// Adds or updates the type's hook; 0 when the list cannot grow.
int TypeSetLoadHook(std::uint32_t type, ResourceHook hook);
int TypeSetUnloadHook(std::uint32_t type, ResourceHook hook);
ResourceHook TypeGetLoadHook(std::uint32_t type);
