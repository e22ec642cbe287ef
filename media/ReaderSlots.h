#pragma once
// Reader threads: each slot owns a thread that reads its queue of file ranges
// in chunks, outside the slot's lock, into the ranges' destinations. The
// archive pauses every slot (ReaderPauseAll) around its own reads of the same
// files, and before it frees a destination a request still names.
//
// One controlling thread (the archive's) calls these; the slots' own threads
// run beside it. A slot's lock guards its requests, indices, state and
// statistics; the table itself and a pause (which is not counted, so two
// pausers would undo each other) belong to the controlling thread alone.

#include <cstdint>

#include "platform/core/files.h"
#include "platform/core/threads.h"

constexpr int kReaderMaxRequests = 50;

enum ReaderState : std::uint32_t {
  kReaderIdle = 0,
  kReaderReading = 3,
  kReaderPauseAsked = 4,
  kReaderPaused = 5,
  kReaderQuit = 6,
};

struct ReadRequest {
  plat::FILE* file = nullptr;
  const void* key = nullptr;  // the resource's data pointer
  std::uint8_t* destination = nullptr;
  std::uint32_t size = 0;
  std::uint32_t offset = 0;
  std::uint32_t done = 0;
  // Set when the file ended or failed inside the range: the range then counts
  // as finished, and the bytes past the failure are not data.
  bool failed = false;
};

struct ReaderSlot {
  plat::CRITICAL_SECTION lock;
  ReadRequest requests[kReaderMaxRequests];
  std::uint32_t passes = 0;
  std::int32_t current = 0;
  std::int32_t count = 0;
  std::uint32_t state = kReaderIdle;
  std::uint32_t chunkSize = 0;
  std::uint32_t msPerChunk = 0;
  plat::HANDLE thread = nullptr;
  plat::DWORD threadId = 0;
  std::uint32_t bytesRead = 0;
  std::uint32_t idleTime = 0;
  std::uint32_t readTime = 0;
};

// Allocates the table of `capacity` slots once; 1, or 0 when out of memory.
int ReaderSlotsInit(int capacity);
// Stops every slot's thread and frees the table.
void ReaderSlotsShutdown();
// A new slot with its thread: its number (from 1), or -1 when every slot is in
// use, the table is missing, or the thread cannot start. `bytesPerSecond` 0 is
// taken as 1.
int ReaderSlotCreate(std::uint32_t chunkSize, std::uint32_t bytesPerSecond);
// Stops the slot's thread and waits for it to end. Unknown numbers do nothing.
void ReaderSlotDestroy(int slot);
// The slot's record, or null for an unknown number (for statistics and tests;
// read its fields under its lock).
ReaderSlot* ReaderSlotGet(int slot);

// Index of the queued range, or -1 when 50 are queued or the slot is unknown.
int ReaderAppendRequest(int slot, plat::FILE* file, const void* key, std::uint8_t* destination, std::uint32_t size,
                        std::uint32_t offset);
int ReaderInsertRequest(int slot, int index, plat::FILE* file, const void* key, std::uint8_t* destination,
                        std::uint32_t size, std::uint32_t offset);
// Index of the request with that file, key and offset (its destination and
// size into the optional outs), or -1.
int ReaderFindRequest(int slot, plat::FILE* file, const void* key, std::uint8_t** destination, std::uint32_t* size,
                      std::uint32_t offset);
// 1 when the request's range is finished (read whole, or failed), else 0; the
// position reached (offset + done) into `position`, -1 there for a bad index.
// `failed` (optional) tells whether the range failed.
int ReaderRequestDone(int slot, int index, std::int64_t* position, bool* failed = nullptr);
// 1 when removed. Removing the request being read makes the thread look again
// from the first request.
int ReaderRemoveRequest(int slot, int index);
// Empties the queue; the old count.
int ReaderClearRequests(int slot);
// Asks a reading slot to pause and waits until it is paused or idle (a slot that
// is not reading returns at once). Afterwards no read of the slot is in flight
// until ReaderResume.
void ReaderPause(int slot);
void ReaderResume(int slot);
// Pauses (1) or resumes (0) every slot that has a thread.
void ReaderPauseAll(int pause);
// Enters and leaves the slot's lock.
void ReaderSlotSync(int slot);
