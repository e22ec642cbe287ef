#include "media/LoadManager.h"

#include <new>

#include "media/ArchiveInternal.h"
#include "media/ReaderSlots.h"

namespace {

LoadManager* g_loadManager = nullptr;

// A serving loop with a reader thread ends after this many passes, leaving
// the rest to the reader and the next pump.
constexpr int kPassesWithReader = 11;

std::uint32_t Now(const LoadManager* m) { return m->clock ? m->clock() : 0; }

// Reads the resource whole (into the request's buffer when it has one); the
// data with one more reference, or null with the status in `code`.
std::uint8_t* ServeOne(const LoadQueueEntry& q, int* code) {
  ResourceRef ref;
  if (!ArchiveFindResource(q.id, &ref)) {
    *code = kArchiveUnknown;
    return nullptr;
  }
  std::uint8_t* data = nullptr;
  if (q.buffer) {
    data = ArchiveReadInto(ref, q.buffer);
    *code = data ? kArchiveOk : kArchiveShortRead;
  } else {
    *code = ArchiveRead(ref, 0, nullptr, 0);
    if (*code == kArchiveOk) data = ref.entry().data;
  }
  if (data) ++ref.entry().refCount;
  return data;
}

void Deliver(const LoadQueueEntry& q, std::uint8_t* data) {
  if (q.callback) {
    q.callback(q.id, data, q.arg);
  } else if (data) {
    ResourceDropRef(data);
  }
}

bool ReaderQueueFull(int slot) {
  ReaderSlot* s = ReaderSlotGet(slot);
  if (!s) return true;
  plat::CriticalSectionLock hold(s->lock);
  return s->count >= kReaderMaxRequests;
}

void HandToReader(LoadManager* m) {
  if (m->queue.empty()) {
    ReaderPause(m->readerSlot);
    ReaderClearRequests(m->readerSlot);
    ReaderResume(m->readerSlot);
    return;
  }
  for (std::size_t i = m->handed; i < m->queue.size(); ++i) {
    const LoadQueueEntry& q = m->queue[i];
    ResourceRef ref;
    if (q.id != 1 && !q.buffer && ArchiveFindResource(q.id, &ref) && ref.archive->mode == kArchiveModeStdio &&
        ref.entry().progress == 0) {
      if (ReaderQueueFull(m->readerSlot)) return;
      ArchiveRead(ref, 0, nullptr, m->readerSlot);
    }
    ++m->handed;
  }
}

int Enqueue(LoadManager* m, std::uint32_t id, ResourceHook callback, std::intptr_t arg, std::uint8_t* buffer) {
  if (!m) return 0;
  if (id == 0) return 1;
  if (id != 1) {
    ResourceRef ref;
    if (!ArchiveFindResource(id, &ref)) return 0;
    if (ref.archive->mode == kArchiveModeMapped) {
      int code = kArchiveOk;
      const LoadQueueEntry q{id, callback, arg, buffer};
      std::uint8_t* data = ServeOne(q, &code);
      if (!data) return 0;
      Deliver(q, data);
      return 1;
    }
  }
  if (m->queue.size() >= kLoadMaxQueued) return 0;
  try {
    m->queue.push_back({id, callback, arg, buffer});
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return 1;
}

int FirstFor(const LoadManager* m, std::uint32_t id) {
  for (std::size_t i = 0; i < m->queue.size(); ++i)
    if (m->queue[i].id == id) return static_cast<int>(i);
  return -1;
}

void RemoveAt(LoadManager* m, std::size_t index) {
  m->queue.erase(m->queue.begin() + static_cast<std::ptrdiff_t>(index));
  if (index < m->handed) --m->handed;
}

}  // namespace

int LoadSystemInit(LoadClock clock, std::uint8_t mode, std::uint32_t chunkSize, std::uint32_t bytesPerSecond) {
  if (g_loadManager) return 1;
  auto* m = new (std::nothrow) LoadManager;
  if (!m) return 0;
  m->clock = clock;
  m->estimator.start = Now(m);
  if (mode == 1) {
    m->readerSlot = ReaderSlotCreate(chunkSize, bytesPerSecond);
    if (m->readerSlot < 0) {
      delete m;
      return 0;
    }
  }
  g_loadManager = m;
  return 1;
}

void LoadSystemShutdown() {
  if (!g_loadManager || g_loadManager->busy) return;
  if (g_loadManager->readerSlot > 0) ReaderSlotDestroy(g_loadManager->readerSlot);
  delete g_loadManager;
  g_loadManager = nullptr;
}

LoadManager* LoadSystemManager() { return g_loadManager; }

int LoadManagerRequest(LoadManager* m, std::uint32_t id, ResourceHook callback, std::intptr_t arg) {
  return Enqueue(m, id, callback, arg, nullptr);
}

int LoadManagerRequestInto(LoadManager* m, std::uint32_t id, ResourceHook callback, std::intptr_t arg,
                           std::uint8_t* buffer) {
  if (!buffer) return 0;
  return Enqueue(m, id, callback, arg, buffer);
}

int LoadManagerFinish(LoadManager* m, std::uint32_t id) {
  if (!m) return 0;
  const int at = FirstFor(m, id);
  if (at < 0) return 0;
  const LoadQueueEntry q = m->queue[static_cast<std::size_t>(at)];
  RemoveAt(m, static_cast<std::size_t>(at));
  int code = kArchiveOk;
  std::uint8_t* data = q.id == 1 ? nullptr : ServeOne(q, &code);
  if (q.callback) {
    q.callback(q.id, data, q.arg);
  } else if (data) {
    ResourceRelease(data);
  }
  return 1;
}

int LoadManagerDrop(LoadManager* m, std::uint32_t id) {
  if (!m) return 0;
  const int at = FirstFor(m, id);
  if (at < 0) return 0;
  ResourceRef ref;
  if (!ArchiveFindResource(id, &ref)) {
    RemoveAt(m, static_cast<std::size_t>(at));
    return 1;
  }
  // Data others still hold must stay where they have it.
  if (ref.entry().refCount == 0) ArchiveReleaseEntry(ref);
  if (static_cast<std::size_t>(at) < m->handed) m->handed = static_cast<std::uint32_t>(at);
  return 1;
}

std::uint64_t LoadManagerBudget(const LoadManager* m, std::uint32_t timeLimit) {
  if (timeLimit == 0) return 0x7FFFFFFF;
  std::uint64_t sum = 0;
  for (const std::uint32_t s : m->estimator.samples) sum += s;
  return std::uint64_t{timeLimit} * (sum / 8);
}

int LoadManagerPump(LoadManager* m, std::uint32_t timeLimit) {
  if (!m || m->busy) return 0;
  m->busy = true;
  const std::uint32_t start = Now(m);
  m->estimator.start = start;
  if (m->readerSlot > 0) HandToReader(m);
  std::uint64_t budget = LoadManagerBudget(m, timeLimit);
  std::uint64_t served = 0;
  int result = kArchiveOk;
  int passes = 0;
  while (!m->queue.empty() && budget > 0) {
    if (m->readerSlot > 0 && ++passes > kPassesWithReader) break;
    if (timeLimit && Now(m) - start > timeLimit) break;
    const LoadQueueEntry q = m->queue.front();
    int code = kArchiveOk;
    std::uint8_t* data = nullptr;
    if (q.id != 1) {
      data = ServeOne(q, &code);
      const std::uint32_t size = ResourceSize(q.id);
      served += size;
      budget = budget > size ? budget - size : 0;
    }
    RemoveAt(m, 0);
    Deliver(q, data);
    if (code != kArchiveOk) {
      result = code;
      break;
    }
  }
  if (m->doneCallback && m->queue.empty()) m->doneCallback(m->doneArg, m);
  // A pump that served nothing learnt nothing about the throughput.
  if (served > 0) {
    const std::uint32_t elapsed = Now(m) - start;
    const std::uint64_t rate = served / (elapsed ? elapsed : 1);
    m->estimator.samples[m->estimator.cursor] = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(std::max<std::uint64_t>(rate, kLoadMinThroughput), 0x7FFFFFFF));
    m->estimator.cursor = (m->estimator.cursor + 1) % 8;
  }
  m->busy = false;
  return result;
}

void LoadManagerFlush(LoadManager* m) {
  if (!m) return;
  if (m->readerSlot > 0) {
    ReaderPause(m->readerSlot);
    ReaderClearRequests(m->readerSlot);
    ReaderResume(m->readerSlot);
  }
  m->queue.clear();
  m->handed = 0;
}

int LoadRequest(std::uint32_t id, ResourceHook callback, std::intptr_t arg) {
  return LoadManagerRequest(g_loadManager, id, callback, arg);
}

int LoadRequestInto(std::uint32_t id, ResourceHook callback, std::intptr_t arg, std::uint8_t* buffer) {
  return LoadManagerRequestInto(g_loadManager, id, callback, arg, buffer);
}

int LoadRequestTyped(std::uint32_t id, std::intptr_t arg) {
  return LoadRequest(id, TypeGetLoadHook(ResourceGetType(id)), arg);
}

int LoadRequestTypedInto(std::uint32_t id, std::intptr_t arg, std::uint8_t* buffer) {
  return LoadRequestInto(id, TypeGetLoadHook(ResourceGetType(id)), arg, buffer);
}

int LoadFinish(std::uint32_t id) { return LoadManagerFinish(g_loadManager, id); }
int LoadDrop(std::uint32_t id) { return LoadManagerDrop(g_loadManager, id); }

int LoadCountRequests(std::uint32_t id) {
  if (!g_loadManager) return 0;
  int n = 0;
  for (const auto& q : g_loadManager->queue) n += q.id == id ? 1 : 0;
  return n;
}

int LoadPending() { return g_loadManager ? static_cast<int>(g_loadManager->queue.size()) : 0; }
void LoadFlush() { LoadManagerFlush(g_loadManager); }

void LoadSetDoneCallback(LoadDoneCallback callback, std::intptr_t arg) {
  if (!g_loadManager) return;
  g_loadManager->doneCallback = callback;
  g_loadManager->doneArg = arg;
}

int LoadPump(std::uint32_t timeLimit) { return LoadManagerPump(g_loadManager, timeLimit); }
