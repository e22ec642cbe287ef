#pragma once
// The load manager: a queue of resource load requests that a pump serves within
// a time budget, the budget coming from the read throughput it achieved before.
// In load mode 1 it also has a reader thread (ReaderSlots.h) that reads the
// queued resources ahead of the pump. The archive system (ResourceArchive.h)
// creates the one manager, g_loadManager, and the Load* calls act on it.
//
// Game thread only (the reader thread is the manager's own business).

#include <cstddef>
#include <cstdint>
#include <vector>

#include "media/ResourceArchive.h"

struct LoadManager;
using LoadDoneCallback = void (*)(std::intptr_t arg, LoadManager* manager);

struct LoadQueueEntry {
  std::uint32_t id = 0;  // 1: a marker that only calls its callback
  ResourceHook callback = nullptr;
  std::intptr_t arg = 0;
  std::uint8_t* buffer = nullptr;  // caller-owned block, or null
};

// Bytes per time unit of the load clock, over the last eight pumps.
struct ThroughputEstimator {
  std::uint32_t start = 0;
  std::uint32_t cursor = 0;
  std::uint32_t samples[8] = {32768, 32768, 32768, 32768, 32768, 32768, 32768, 32768};
};

constexpr std::uint32_t kLoadMinThroughput = 512;
// Requests the queue holds at most; more are refused as if out of memory.
constexpr std::size_t kLoadMaxQueued = 65536;

struct LoadManager {
  std::vector<LoadQueueEntry> queue;
  bool busy = false;
  LoadDoneCallback doneCallback = nullptr;
  std::intptr_t doneArg = 0;
  ThroughputEstimator estimator;
  int readerSlot = 0;        // 0 = none
  std::uint32_t handed = 0;  // queue entries from the front handed to the reader
  LoadClock clock = nullptr;
};

// Creates g_loadManager (mode 1: with a reader slot of `chunkSize` bytes a
// read at `bytesPerSecond`); 1 on success, 0 when it cannot be made.
int LoadSystemInit(LoadClock clock, std::uint8_t mode, std::uint32_t chunkSize, std::uint32_t bytesPerSecond);
void LoadSystemShutdown();
LoadManager* LoadSystemManager();

// 1 when queued (or, for a mapped archive, delivered at once); 0 for an unknown
// id, a full queue or no memory. Id 0 does nothing (1). Without a callback a served
// resource's reference is dropped, leaving it loaded.
int LoadManagerRequest(LoadManager* m, std::uint32_t id, ResourceHook callback, std::intptr_t arg);
// The same into a caller-owned block of ResourceBlockSize(id) bytes.
int LoadManagerRequestInto(LoadManager* m, std::uint32_t id, ResourceHook callback, std::intptr_t arg,
                           std::uint8_t* buffer);
// Completes the first queued request for the id now; 0 when none is queued.
int LoadManagerFinish(LoadManager* m, std::uint32_t id);
// Frees the data of a queued request's resource while no one else holds a
// reference (the request stays); 0 when none is queued for the id.
int LoadManagerDrop(LoadManager* m, std::uint32_t id);
// Serves the queue for up to `timeLimit` units of the load clock (0 = no
// limit); 0, or the first status code that stopped it.
int LoadManagerPump(LoadManager* m, std::uint32_t timeLimit);
void LoadManagerFlush(LoadManager* m);
// The manager's byte budget for a pump of `timeLimit` units.
std::uint64_t LoadManagerBudget(const LoadManager* m, std::uint32_t timeLimit);

// The same on g_loadManager (0 / nothing without one).
int LoadRequest(std::uint32_t id, ResourceHook callback, std::intptr_t arg);
int LoadRequestInto(std::uint32_t id, ResourceHook callback, std::intptr_t arg, std::uint8_t* buffer);
// With the type's load hook as the callback.
int LoadRequestTyped(std::uint32_t id, std::intptr_t arg);
int LoadRequestTypedInto(std::uint32_t id, std::intptr_t arg, std::uint8_t* buffer);
int LoadFinish(std::uint32_t id);
int LoadDrop(std::uint32_t id);
// Queued requests for the id / in all.
int LoadCountRequests(std::uint32_t id);
int LoadPending();
void LoadFlush();
// Called when a pump leaves the queue empty.
void LoadSetDoneCallback(LoadDoneCallback callback, std::intptr_t arg);
int LoadPump(std::uint32_t timeLimit);
