#include "media/ResourceArchive.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "media/ArchiveInternal.h"
#include "media/LoadManager.h"
#include "media/ReaderSlots.h"
#include "platform/core/bytes.h"
#include "platform/core/dospath.h"

namespace {

constexpr std::uint32_t kCallerOwnedMarker = 0xFEDCFEDC;

struct TypeHooks {
  std::uint32_t type;
  ResourceHook load;
  ResourceHook unload;
};

using ArchiveList = std::vector<std::unique_ptr<OpenArchive>>;
ArchiveList g_openArchives;
std::vector<TypeHooks> g_typeHandlers;
// Loaded data -> its entry: the stored block headers are too small for a
// pointer of this machine, so data pointers are looked up here.
std::unordered_map<const void*, ResourceRef> g_byData;
bool g_systemUp = false;

bool IsId(const void* p) {
  const auto v = reinterpret_cast<std::uintptr_t>(p);
  return v < 0x80000000u && (v & 1) != 0;
}

void SetData(const ResourceRef& ref, std::uint8_t* data, bool callerOwned) {
  ArchiveEntry& e = ref.entry();
  if (e.data) g_byData.erase(e.data);
  e.data = data;
  e.callerOwned = callerOwned ? 1 : 0;
  if (data) g_byData[data] = ref;
}

void WriteBlockHeader(std::uint8_t* block, std::uint32_t id, bool callerOwned) {
  plat::ByteWriter w({block, 8});
  w.U32(id);
  w.U32(callerOwned ? kCallerOwnedMarker : 0);
}

bool FindByPointer(const void* data, ResourceRef* out) {
  if (!data || IsId(data)) return false;
  const auto it = g_byData.find(data);
  if (it == g_byData.end()) return false;
  *out = it->second;
  return true;
}

std::string WithExtension(const char* path) {
  std::string p = path ? path : "";
  if (p.find('.') == std::string::npos) p += ".nob";
  return p;
}

std::string FileNameOf(const std::string& path) {
  const auto cut = path.find_last_of("\\:/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// Unload hooks (argument 1) and releases every loaded resource, closes the
// files and drops the archive from the list; end() does nothing.
void CloseArchive(ArchiveList::iterator it);

ResourceHook UnloadHookOf(std::uint32_t type) {
  for (const auto& h : g_typeHandlers)
    if (h.type == type) return h.unload;
  return nullptr;
}

void CloseFiles(OpenArchive* a) {
  if (a->file) plat::fclose(a->file);
  a->file = nullptr;
  if (a->view) munmap(a->view, static_cast<std::size_t>(a->viewEnd - a->view));
  a->view = a->viewEnd = nullptr;
}

// Reads the directory of a stdio archive; 0 or a status.
int ReadStdioDirectory(OpenArchive* a) {
  const std::uint64_t bytes = std::uint64_t{a->count} * kArchiveStdioEntrySize;
  if (kArchiveHeaderSize + bytes > a->fileSize) return kArchiveShortRead;
  std::vector<std::uint8_t> raw;
  try {
    raw.resize(bytes);
    a->directory.resize(a->count);
  } catch (const std::bad_alloc&) {
    return kArchiveNoMemory;
  }
  if (plat::fread(raw.data(), 1, raw.size(), a->file) != raw.size()) return kArchiveShortRead;
  for (std::uint32_t i = 0; i < a->count; ++i)
    a->directory[i].rec = ArchiveRecordDecode(raw.data() + std::size_t{i} * kArchiveStdioEntrySize);
  return kArchiveOk;
}

int MapArchive(OpenArchive* a, const std::string& path) {
  plat::fclose(a->file);
  a->file = nullptr;
  const auto host = plat::ResolveDosPath(path);
  if (!host) return kArchiveCannotOpen;
  const int fd = ::open(host->c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return kArchiveCannotOpen;
  struct stat st {};
  if (fstat(fd, &st) != 0 || static_cast<std::uint64_t>(st.st_size) != a->fileSize) {
    ::close(fd);
    return kArchiveCannotOpen;
  }
  // A private writable mapping: the data is the process's own copy, the file
  // never changes.
  void* view = mmap(nullptr, a->fileSize, PROT_READ | PROT_WRITE, MAP_PRIVATE, fd, 0);
  ::close(fd);
  if (view == MAP_FAILED) return kArchiveCannotOpen;
  a->view = static_cast<std::uint8_t*>(view);
  a->viewEnd = a->view + a->fileSize;
  const std::uint64_t records = ArchiveRecordCount(kArchiveModeMapped, a->count);
  if (kArchiveHeaderSize + records * kArchiveMappedEntrySize > a->fileSize) return kArchiveShortRead;
  try {
    a->directory.resize(records);
  } catch (const std::bad_alloc&) {
    return kArchiveNoMemory;
  }
  for (std::uint64_t i = 0; i < records; ++i)
    a->directory[i].rec = ArchiveRecordDecode(a->view + kArchiveHeaderSize + i * kArchiveMappedEntrySize);
  return kArchiveOk;
}

int ReadStdioSync(const ResourceRef& ref, std::uint32_t limit, std::uint32_t* outCount) {
  OpenArchive* a = ref.archive;
  ArchiveEntry& e = ref.entry();
  const std::uint32_t size = e.rec.size;
  ReaderPauseAll(1);
  auto fail = [&](int code) {
    ArchiveReleaseEntry(ref);
    ReaderPauseAll(0);
    return code;
  };
  if (e.progress < 0) {
    const int slot = -e.progress;
    const int at = ReaderFindRequest(slot, a->file, e.data, nullptr, nullptr, e.rec.offset);
    std::int64_t position = 0;
    bool failed = false;
    const bool done = at >= 0 && ReaderRequestDone(slot, at, &position, &failed) == 1;
    if (at >= 0) ReaderRemoveRequest(slot, at);
    if (done && failed) return fail(kArchiveShortRead);
    // An unfinished queued read is taken over from its start.
    e.progress = done ? static_cast<std::int32_t>(size) : 0;
  }
  if (static_cast<std::uint32_t>(e.progress) < size) {
    std::uint32_t chunk = size - static_cast<std::uint32_t>(e.progress);
    if (limit && chunk > limit) chunk = limit;
    if (outCount) *outCount = chunk;
    if (plat::fseek(a->file, static_cast<long>(e.rec.offset + static_cast<std::uint32_t>(e.progress)), SEEK_SET) != 0 ||
        plat::fread(e.data + e.progress, 1, chunk, a->file) != chunk)
      return fail(kArchiveShortRead);
    e.progress += static_cast<std::int32_t>(chunk);
  }
  if (static_cast<std::uint32_t>(e.progress) == size && e.rec.fixupCount > 0) {
    std::vector<std::uint8_t> table;
    try {
      table.resize(std::size_t{e.rec.fixupCount} * 4);
    } catch (const std::bad_alloc&) {
      return fail(kArchiveNoMemory);
    }
    if (plat::fseek(a->file, static_cast<long>(e.rec.offset + size), SEEK_SET) != 0 ||
        plat::fread(table.data(), 1, table.size(), a->file) != table.size())
      return fail(kArchiveShortRead);
    if (!ArchiveFixupsValid({e.data, size}, table, e.rec.fixupCount)) return fail(kArchiveDamaged);
  }
  ReaderPauseAll(0);
  return kArchiveOk;
}

int ReadStdioQueued(const ResourceRef& ref, int slot) {
  ArchiveEntry& e = ref.entry();
  if (e.progress == 0) {
    ReaderPause(slot);
    const int at = ReaderInsertRequest(slot, 0, ref.archive->file, e.data, e.data, e.rec.size, e.rec.offset);
    ReaderResume(slot);
    if (at >= 0) {
      e.progress = -slot;
      return kArchiveOk;
    }
    // A full reader queue: read it here instead.
    return ReadStdioSync(ref, 0, nullptr);
  }
  if (e.progress < 0) {
    const int k = -e.progress;
    const int at = ReaderFindRequest(k, ref.archive->file, e.data, nullptr, nullptr, e.rec.offset);
    if (at >= 0 && ReaderRequestDone(k, at, nullptr) == 1) return ReadStdioSync(ref, 0, nullptr);
  }
  return kArchiveOk;
}

}  // namespace

bool ArchiveFindResource(std::uint32_t id, ResourceRef* out) {
  for (auto& a : g_openArchives) {
    const std::uint64_t last = std::uint64_t{a->baseId} + 2ull * a->count;
    if (id < a->baseId || id > last) continue;
    const std::uint32_t index = (id - a->baseId) >> 1;
    if (index >= a->directory.size()) return false;
    *out = {a.get(), index};
    return true;
  }
  return false;
}

bool ArchiveEnsureBlock(const ResourceRef& ref) {
  ArchiveEntry& e = ref.entry();
  if (e.data) return true;
  auto* block = static_cast<std::uint8_t*>(std::malloc(std::size_t{e.rec.size} + 8));
  if (!block) return false;
  WriteBlockHeader(block, ref.archive->baseId + 1 + 2 * ref.index, false);
  SetData(ref, block + 8, false);
  e.progress = 0;
  return true;
}

int ArchiveRead(const ResourceRef& ref, std::uint32_t limit, std::uint32_t* outCount, int slot) {
  OpenArchive* a = ref.archive;
  ArchiveEntry& e = ref.entry();
  if (outCount) *outCount = 0;
  if (a->mode == kArchiveModeMapped) {
    if (e.data) return kArchiveOk;
    if (!ArchiveRecordInside(e.rec, a->fileSize)) return kArchiveDamaged;
    std::uint8_t* data = a->view + e.rec.offset;
    if (!ArchiveFixupsValid({data, e.rec.size}, {data + e.rec.size, 4ull * e.rec.fixupCount}, e.rec.fixupCount))
      return kArchiveDamaged;
    // Resources are known by their address: two records naming one address
    // would share one count of references.
    if (const auto held = g_byData.find(data); held != g_byData.end() && &held->second.entry() != &e)
      return kArchiveDamaged;
    SetData(ref, data, false);
    e.progress = static_cast<std::int32_t>(e.rec.size);
    if (outCount) *outCount = e.rec.size;
    return kArchiveOk;
  }
  if (!ArchiveRecordInside(e.rec, a->fileSize) || e.rec.size > 0x7FFFFFFF) return kArchiveDamaged;
  if (!ArchiveEnsureBlock(ref)) return kArchiveNoMemory;
  if (e.progress >= 0 && static_cast<std::uint32_t>(e.progress) == e.rec.size) return kArchiveOk;
  return slot == 0 ? ReadStdioSync(ref, limit, outCount) : ReadStdioQueued(ref, slot);
}

int ArchiveReleaseEntry(const ResourceRef& ref) {
  ArchiveEntry& e = ref.entry();
  if (!e.data) return 0;
  if (ref.archive->mode == kArchiveModeStdio && e.progress < 0) {
    const int slot = -e.progress;
    ReaderPause(slot);
    const int at = ReaderFindRequest(slot, ref.archive->file, e.data, nullptr, nullptr, e.rec.offset);
    if (at >= 0) ReaderRemoveRequest(slot, at);
    ReaderResume(slot);
  }
  e.progress = 0;
  if (e.callerOwned) {
    SetData(ref, nullptr, false);
    return 1;
  }
  std::uint8_t* data = e.data;
  SetData(ref, nullptr, false);
  if (ref.archive->mode == kArchiveModeStdio) std::free(data - 8);
  return 0;
}

std::uint8_t* ArchiveReadInto(const ResourceRef& ref, std::uint8_t* buffer) {
  ArchiveEntry& e = ref.entry();
  if (!buffer) return nullptr;
  if (e.data) {
    if (ArchiveRead(ref, 0, nullptr, 0) != kArchiveOk) return nullptr;
    return e.data;
  }
  const std::uint32_t id = ref.archive->baseId + 1 + 2 * ref.index;
  if (ref.archive->mode == kArchiveModeMapped) {
    if (ArchiveRead(ref, 0, nullptr, 0) != kArchiveOk) return nullptr;
    std::memcpy(buffer + 8, e.data, e.rec.size);
    WriteBlockHeader(buffer, id, true);
    SetData(ref, buffer + 8, true);
    return e.data;
  }
  WriteBlockHeader(buffer, id, true);
  SetData(ref, buffer + 8, true);
  e.progress = 0;
  if (ArchiveRead(ref, 0, nullptr, 0) != kArchiveOk) {
    // The caller keeps its buffer after a failure: the entry must not point
    // into it.
    if (e.data == buffer + 8) ArchiveReleaseEntry(ref);
    return nullptr;
  }
  return e.data;
}

int ArchiveSystemInit(LoadClock clock, std::uint8_t loadMode, std::uint32_t chunkSize, std::uint32_t bytesPerSecond) {
  if (g_systemUp) return 1;
  if (!ReaderSlotsInit(2)) return 0;
  if (!LoadSystemInit(clock, loadMode, chunkSize, bytesPerSecond)) {
    ReaderSlotsShutdown();
    return 0;
  }
  g_openArchives.reserve(4);
  g_typeHandlers.reserve(4);
  g_systemUp = true;
  return 1;
}

void ArchiveSystemShutdown() {
  if (!g_systemUp) return;
  // The threads go first: a read in flight must end before its file closes or
  // its block is freed.
  LoadSystemShutdown();
  ReaderSlotsShutdown();
  while (!g_openArchives.empty()) CloseArchive(g_openArchives.begin());
  g_typeHandlers.clear();
  g_byData.clear();
  g_systemUp = false;
}

int ArchiveOpen(const char* path, int preload) {
  const std::string full = WithExtension(path);
  const std::string name = FileNameOf(full);
  if (name.empty() || name.size() > 15) return kArchiveCannotOpen;
  std::unique_ptr<OpenArchive> a(new (std::nothrow) OpenArchive);
  if (!a) return kArchiveNoMemory;
  std::memcpy(a->name, name.c_str(), name.size() + 1);
  a->file = plat::fopen(full.c_str(), "rb");
  if (!a->file) return kArchiveCannotOpen;
  if (plat::fseek(a->file, 0, SEEK_END) != 0) {
    CloseFiles(a.get());
    return kArchiveShortRead;
  }
  a->fileSize = static_cast<std::uint64_t>(std::max(0L, plat::ftell(a->file)));
  plat::fseek(a->file, 0, SEEK_SET);
  std::uint8_t raw[kArchiveHeaderSize];
  ArchiveHeader header;
  if (plat::fread(raw, 1, sizeof raw, a->file) != sizeof raw || !ArchiveHeaderDecode(raw, &header)) {
    CloseFiles(a.get());
    return kArchiveShortRead;
  }
  if (!ArchiveHeaderValid(header)) {
    CloseFiles(a.get());
    return kArchiveBadTag;
  }
  a->mode = header.mode;
  a->count = header.count;
  a->baseId = header.baseId;
  const int status = a->mode == kArchiveModeStdio ? ReadStdioDirectory(a.get()) : MapArchive(a.get(), full);
  if (status != kArchiveOk) {
    CloseFiles(a.get());
    return status;
  }
  // Listed before the preload so that queued requests find their resources.
  OpenArchive* opened = a.get();
  try {
    g_openArchives.push_back(std::move(a));
  } catch (const std::bad_alloc&) {
    CloseFiles(a.get());
    return kArchiveNoMemory;
  }
  if (preload == 1) {
    for (std::uint32_t i = 0; i < opened->count; ++i) {
      const ResourceRef ref{opened, i};
      const std::uint32_t flags = ref.entry().rec.flags;
      const std::uint32_t id = opened->baseId + 1 + 2 * i;
      if (flags & kArchivePreload) {
        const int code = ArchiveRead(ref, 0, nullptr, 0);
        if (code != kArchiveOk) {
          // By itself, not by name: an archive of the same name may be open
          // from another directory.
          CloseArchive(std::find_if(g_openArchives.begin(), g_openArchives.end(),
                                    [&](const auto& a) { return a.get() == opened; }));
          return code;
        }
      }
      if (flags & kArchiveLoadAtOpen) LoadRequest(id, nullptr, 0);
    }
  }
  return kArchiveOk;
}

void ArchiveClose(const char* path) {
  const std::string name = FileNameOf(WithExtension(path));
  CloseArchive(std::find_if(g_openArchives.begin(), g_openArchives.end(),
                            [&](const auto& a) { return strcasecmp(a->name, name.c_str()) == 0; }));
}

namespace {

void CloseArchive(ArchiveList::iterator it) {
  if (it == g_openArchives.end()) return;
  OpenArchive* a = it->get();
  for (std::uint32_t i = 0; i < a->directory.size(); ++i) {
    const ResourceRef ref{a, i};
    if (!ref.entry().data) continue;
    if (const ResourceHook hook = UnloadHookOf(ref.entry().rec.type)) hook(a->baseId + 1 + 2 * i, ref.entry().data, 1);
    ArchiveReleaseEntry(ref);
  }
  CloseFiles(a);
  g_openArchives.erase(it);
}

}  // namespace

std::uint8_t* ResourceGet(std::uint32_t id) {
  ResourceRef ref;
  if (!ArchiveFindResource(id, &ref)) return nullptr;
  if (ArchiveRead(ref, 0, nullptr, 0) != kArchiveOk) return nullptr;
  ++ref.entry().refCount;
  return ref.entry().data;
}

std::uint8_t* ResourceGetInto(std::uint32_t id, std::uint8_t* buffer) {
  ResourceRef ref;
  if (!ArchiveFindResource(id, &ref)) return nullptr;
  std::uint8_t* data = ArchiveReadInto(ref, buffer);
  if (data) ++ref.entry().refCount;
  return data;
}

int ResourceRelease(const void* data) {
  ResourceRef ref;
  if (!FindByPointer(data, &ref)) return 0;
  ArchiveEntry& e = ref.entry();
  if (e.refCount > 0) --e.refCount;
  if (e.refCount > 0 || (e.rec.flags & (kArchiveResident | kArchiveResidentToo))) return 0;
  if (const ResourceHook hook = UnloadHookOf(e.rec.type)) hook(ref.archive->baseId + 1 + 2 * ref.index, e.data, 0);
  return ArchiveReleaseEntry(ref);
}

std::uint32_t ResourceSize(std::uint32_t id) {
  ResourceRef ref;
  return ArchiveFindResource(id, &ref) ? ref.entry().rec.size : 0;
}

std::uint32_t ResourceGetType(std::uint32_t id) {
  ResourceRef ref;
  return ArchiveFindResource(id, &ref) ? ref.entry().rec.type : 0;
}

int ResourceGetRefCount(std::uint32_t id) {
  ResourceRef ref;
  return ArchiveFindResource(id, &ref) ? ref.entry().refCount : 0;
}

std::uint32_t ResourceGetId(const void* idOrData) {
  if (IsId(idOrData)) return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(idOrData));
  ResourceRef ref;
  return FindByPointer(idOrData, &ref) ? ref.archive->baseId + 1 + 2 * ref.index : 0;
}

bool ResourceAddRef(std::uint32_t id) {
  ResourceRef ref;
  if (!ArchiveFindResource(id, &ref)) return false;
  ++ref.entry().refCount;
  return true;
}

bool ResourceAddRefByPointer(const void* data) {
  ResourceRef ref;
  if (!FindByPointer(data, &ref)) return false;
  ++ref.entry().refCount;
  return true;
}

void ResourceDropRef(const void* idOrData) {
  ResourceRef ref;
  const bool found =
      IsId(idOrData) ? ArchiveFindResource(ResourceGetId(idOrData), &ref) : FindByPointer(idOrData, &ref);
  if (found && ref.entry().refCount > 0) --ref.entry().refCount;
}

std::uint8_t* ResourceGetBlock(std::uint32_t id) {
  ResourceRef ref;
  if (!ArchiveFindResource(id, &ref) || !ref.entry().data) return nullptr;
  // A mapped resource in the view has no block header of its own.
  if (ref.archive->mode == kArchiveModeMapped && !ref.entry().callerOwned) return nullptr;
  return ref.entry().data - 8;
}

std::uint32_t ResourceBlockSize(std::uint32_t id) {
  const std::uint32_t size = ResourceSize(id);
  ResourceRef ref;
  return ArchiveFindResource(id, &ref) && size <= 0xFFFFFFF7u ? size + 8 : 0;
}

std::uint8_t* ResourceAllocBlock(std::uint32_t id) {
  const std::uint32_t size = ResourceBlockSize(id);
  return size ? static_cast<std::uint8_t*>(std::malloc(size)) : nullptr;
}

void ResourceFreeBlock(std::uint8_t* block) { std::free(block); }

int ResourceEnumNext(ResourceCursor* cursor) {
  if (!cursor) return 0;
  const OpenArchive* at = nullptr;
  std::uint32_t index = 0;
  ResourceRef ref;
  if (cursor->id != 0 && ArchiveFindResource(cursor->id, &ref) && ref.index + 1 < ref.archive->count) {
    at = ref.archive;
    index = ref.index + 1;
  } else {
    // The first resource of the archive with the lowest base id above the
    // current one (any, at the start).
    const bool start = cursor->id == 0;
    const std::uint32_t above = start ? 0 : (ArchiveFindResource(cursor->id, &ref) ? ref.archive->baseId : cursor->id);
    for (const auto& a : g_openArchives) {
      if (a->count == 0 || (!start && a->baseId <= above)) continue;
      if (!at || a->baseId < at->baseId) at = a.get();
    }
    if (!at) return 0;
  }
  const ArchiveEntry& e = at->directory[index];
  cursor->id = at->baseId + 1 + 2 * index;
  std::memcpy(cursor->name, at->name, sizeof cursor->name);
  cursor->type = e.rec.type;
  cursor->data = e.data;
  cursor->size = e.rec.size;
  cursor->refCount = e.refCount;
  cursor->flags = e.rec.flags;
  return 1;
}

namespace {

int SetHook(std::uint32_t type, ResourceHook hook, bool load) {
  for (auto& h : g_typeHandlers) {
    if (h.type != type) continue;
    (load ? h.load : h.unload) = hook;
    return 1;
  }
  try {
    g_typeHandlers.push_back({type, load ? hook : nullptr, load ? nullptr : hook});
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return 1;
}

}  // namespace

int TypeSetLoadHook(std::uint32_t type, ResourceHook hook) { return SetHook(type, hook, true); }
int TypeSetUnloadHook(std::uint32_t type, ResourceHook hook) { return SetHook(type, hook, false); }

ResourceHook TypeGetLoadHook(std::uint32_t type) {
  for (const auto& h : g_typeHandlers)
    if (h.type == type) return h.load;
  return nullptr;
}
