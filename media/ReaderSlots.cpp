#include "media/ReaderSlots.h"

#include <chrono>
#include <new>
#include <thread>

#include "platform/core/clock.h"

namespace {

ReaderSlot* g_readerSlots = nullptr;
int g_readerCapacity = 0;
int g_readerInUse = 0;
int g_readerNextFree = 0;

ReaderSlot* Slot(int slot) {
  if (!g_readerSlots || slot < 1 || slot > g_readerCapacity) return nullptr;
  ReaderSlot* s = &g_readerSlots[slot - 1];
  return s->thread ? s : nullptr;
}

plat::DWORD ReaderThreadProc(void* param) {
  auto* s = static_cast<ReaderSlot*>(param);
  for (;;) {
    plat::EnterCriticalSection(&s->lock);
    const plat::DWORD start = plat::timeGetTime();
    ++s->passes;
    if (s->state == kReaderIdle) {
      for (int i = 0; i < s->count; ++i) {
        if (s->requests[i].done < s->requests[i].size) {
          s->current = i;
          s->state = kReaderReading;
          break;
        }
      }
      s->idleTime += plat::timeGetTime() - start;
      plat::LeaveCriticalSection(&s->lock);
    } else if (s->state == kReaderReading) {
      ReadRequest& r = s->requests[s->current];
      const std::uint32_t chunk = std::min(r.size - r.done, s->chunkSize);
      plat::FILE* file = r.file;
      const long position = static_cast<long>(r.offset) + static_cast<long>(r.done);
      std::uint8_t* into = r.destination + r.done;
      plat::LeaveCriticalSection(&s->lock);
      // The file is read without the lock; the archive pauses the slot before it
      // touches the same file or frees the destination.
      std::size_t got = 0;
      if (plat::fseek(file, position, SEEK_SET) == 0) got = plat::fread(into, 1, chunk, file);
      plat::EnterCriticalSection(&s->lock);
      // The request cannot have moved: removal and insertion wait for the pause.
      ReadRequest& same = s->requests[s->current];
      if (got < chunk) {
        same.failed = true;
        same.done = same.size;
      } else {
        same.done += chunk;
      }
      if (same.done >= same.size && s->state == kReaderReading) s->state = kReaderIdle;
      if (s->state == kReaderPauseAsked && same.done >= same.size) s->state = kReaderIdle;
      s->bytesRead += static_cast<std::uint32_t>(got);
      s->readTime += plat::timeGetTime() - start;
      plat::LeaveCriticalSection(&s->lock);
    } else if (s->state == kReaderPauseAsked) {
      s->state = kReaderPaused;
      s->idleTime += plat::timeGetTime() - start;
      plat::LeaveCriticalSection(&s->lock);
    } else if (s->state == kReaderQuit) {
      plat::LeaveCriticalSection(&s->lock);
      return 0;
    } else {
      s->idleTime += plat::timeGetTime() - start;
      plat::LeaveCriticalSection(&s->lock);
    }
    // A real pause: the program's Sleep would move a test's virtual clock.
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void ClearRequest(ReadRequest* r) { *r = ReadRequest{}; }

}  // namespace

int ReaderSlotsInit(int capacity) {
  if (g_readerSlots) return 1;
  if (capacity < 1) return 0;
  g_readerSlots = new (std::nothrow) ReaderSlot[capacity];
  if (!g_readerSlots) return 0;
  g_readerCapacity = capacity;
  g_readerInUse = 0;
  g_readerNextFree = 0;
  return 1;
}

void ReaderSlotsShutdown() {
  if (!g_readerSlots) return;
  for (int i = 1; i <= g_readerCapacity; ++i) ReaderSlotDestroy(i);
  delete[] g_readerSlots;
  g_readerSlots = nullptr;
  g_readerCapacity = 0;
  g_readerInUse = 0;
  g_readerNextFree = 0;
}

int ReaderSlotCreate(std::uint32_t chunkSize, std::uint32_t bytesPerSecond) {
  if (!g_readerSlots || g_readerInUse >= g_readerCapacity || g_readerNextFree >= g_readerCapacity) return -1;
  const int index = g_readerNextFree;
  ReaderSlot* s = &g_readerSlots[index];
  plat::InitializeCriticalSection(&s->lock);
  {
    plat::CriticalSectionLock hold(s->lock);
    for (auto& r : s->requests) ClearRequest(&r);
    s->current = 0;
    s->count = 0;
    s->state = kReaderIdle;
    s->passes = 0;
    s->chunkSize = chunkSize ? chunkSize : 1;
    s->msPerChunk = static_cast<std::uint32_t>(static_cast<double>(chunkSize) * 1000.0 /
                                               static_cast<double>(bytesPerSecond ? bytesPerSecond : 1));
    s->bytesRead = s->idleTime = s->readTime = 0;
    s->thread = plat::CreateThread(nullptr, 0, ReaderThreadProc, s, 0, &s->threadId);
  }
  if (!s->thread) {
    plat::DeleteCriticalSection(&s->lock);
    return -1;
  }
  ++g_readerInUse;
  while (g_readerNextFree < g_readerCapacity && g_readerSlots[g_readerNextFree].thread) ++g_readerNextFree;
  return index + 1;
}

void ReaderSlotDestroy(int slot) {
  ReaderSlot* s = Slot(slot);
  if (!s) return;
  {
    plat::CriticalSectionLock hold(s->lock);
    s->state = kReaderQuit;
  }
  plat::WaitForSingleObject(s->thread, plat::INFINITE);
  plat::CloseHandle(s->thread);
  s->thread = nullptr;
  plat::DeleteCriticalSection(&s->lock);
  --g_readerInUse;
  if (slot - 1 < g_readerNextFree) g_readerNextFree = slot - 1;
}

ReaderSlot* ReaderSlotGet(int slot) { return Slot(slot); }

int ReaderInsertRequest(int slot, int index, plat::FILE* file, const void* key, std::uint8_t* destination,
                        std::uint32_t size, std::uint32_t offset) {
  ReaderSlot* s = Slot(slot);
  if (!s) return -1;
  plat::CriticalSectionLock hold(s->lock);
  if (s->count >= kReaderMaxRequests) return -1;
  if (index < 0 || index > s->count) index = s->count;
  if (index <= s->current && s->count > 0) {
    // The thread must not be holding a range that moves: callers pause first.
    if (s->state == kReaderReading || s->state == kReaderPauseAsked) return -1;
    if (s->state != kReaderPaused) s->state = kReaderIdle;
  }
  for (int i = s->count; i > index; --i) s->requests[i] = s->requests[i - 1];
  s->requests[index] = ReadRequest{file, key, destination, size, offset, 0, false};
  if (index <= s->current && s->count > 0) ++s->current;
  ++s->count;
  return index;
}

int ReaderAppendRequest(int slot, plat::FILE* file, const void* key, std::uint8_t* destination, std::uint32_t size,
                        std::uint32_t offset) {
  return ReaderInsertRequest(slot, -1, file, key, destination, size, offset);
}

int ReaderFindRequest(int slot, plat::FILE* file, const void* key, std::uint8_t** destination, std::uint32_t* size,
                      std::uint32_t offset) {
  ReaderSlot* s = Slot(slot);
  if (!s) return -1;
  plat::CriticalSectionLock hold(s->lock);
  for (int i = 0; i < s->count; ++i) {
    const ReadRequest& r = s->requests[i];
    if (r.file == file && r.key == key && r.offset == offset) {
      if (destination) *destination = r.destination;
      if (size) *size = r.size;
      return i;
    }
  }
  return -1;
}

int ReaderRequestDone(int slot, int index, std::int64_t* position, bool* failed) {
  ReaderSlot* s = Slot(slot);
  if (!s) {
    if (position) *position = -1;
    return 0;
  }
  plat::CriticalSectionLock hold(s->lock);
  if (index < 0 || index >= s->count) {
    if (position) *position = -1;
    return 0;
  }
  const ReadRequest& r = s->requests[index];
  if (position) *position = std::int64_t{r.offset} + r.done;
  if (failed) *failed = r.failed;
  return r.done >= r.size ? 1 : 0;
}

int ReaderRemoveRequest(int slot, int index) {
  ReaderSlot* s = Slot(slot);
  if (!s) return 0;
  plat::CriticalSectionLock hold(s->lock);
  if (index < 0 || index >= s->count) return 0;
  // A range being read stays put until the thread has paused.
  if (index == s->current && (s->state == kReaderReading || s->state == kReaderPauseAsked)) return 0;
  for (int i = index; i + 1 < s->count; ++i) s->requests[i] = s->requests[i + 1];
  if (index < s->current) --s->current;
  if (index == s->current && s->state != kReaderPaused) s->state = kReaderIdle;
  if (index == s->current && s->state == kReaderPaused) s->current = 0;
  --s->count;
  ClearRequest(&s->requests[s->count]);
  return 1;
}

int ReaderClearRequests(int slot) {
  ReaderSlot* s = Slot(slot);
  if (!s) return 0;
  plat::CriticalSectionLock hold(s->lock);
  if (s->state == kReaderReading || s->state == kReaderPauseAsked) return 0;
  const int old = s->count;
  for (auto& r : s->requests) ClearRequest(&r);
  s->current = 0;
  s->count = 0;
  if (s->state != kReaderPaused) s->state = kReaderIdle;
  return old;
}

void ReaderPause(int slot) {
  ReaderSlot* s = Slot(slot);
  if (!s) return;
  {
    plat::CriticalSectionLock hold(s->lock);
    if (s->state != kReaderReading) {
      // An idle slot must not start a range while the caller works on the file.
      if (s->state == kReaderIdle) s->state = kReaderPaused;
      return;
    }
    s->state = kReaderPauseAsked;
  }
  for (;;) {
    {
      plat::CriticalSectionLock hold(s->lock);
      if (s->state == kReaderPaused || s->state == kReaderIdle) {
        s->state = kReaderPaused;
        return;
      }
    }
    std::this_thread::yield();
  }
}

void ReaderResume(int slot) {
  ReaderSlot* s = Slot(slot);
  if (!s) return;
  plat::CriticalSectionLock hold(s->lock);
  if (s->state != kReaderPaused) return;
  // Paused between chunks of an unfinished range: go on with it; otherwise look
  // for work again.
  const bool midRange = s->current < s->count && s->requests[s->current].done > 0 &&
                        s->requests[s->current].done < s->requests[s->current].size;
  s->state = midRange ? kReaderReading : kReaderIdle;
}

void ReaderPauseAll(int pause) {
  for (int i = 1; i <= g_readerCapacity; ++i) {
    if (!Slot(i)) continue;
    if (pause) {
      ReaderPause(i);
    } else {
      ReaderResume(i);
    }
  }
}

void ReaderSlotSync(int slot) {
  ReaderSlot* s = Slot(slot);
  if (!s) return;
  plat::CriticalSectionLock hold(s->lock);
}
