#pragma once
// Threads, critical sections and events in the kernel's shapes, over std.
// Events and threads are kernel objects (HANDLE) that WaitForSingleObject waits
// on and CloseHandle releases.

#include <cstddef>
#include <mutex>

#include "platform/core/types.h"

namespace plat {

// What every waitable kernel object offers.
struct HANDLE__ {
  virtual ~HANDLE__() = default;
  // Waits until the object is signalled or `ms` (real) milliseconds passed;
  // true when signalled.
  virtual bool WaitFor(DWORD ms) = 0;
};

constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

// A lock the owning thread may take again (recursive, as the classic one).
// Usable from construction; Initialize and Delete keep the classic pairing.
struct CRITICAL_SECTION {
  std::recursive_mutex mutex;
};
void InitializeCriticalSection(CRITICAL_SECTION* cs);
void EnterCriticalSection(CRITICAL_SECTION* cs);
void LeaveCriticalSection(CRITICAL_SECTION* cs);
void DeleteCriticalSection(CRITICAL_SECTION* cs);

// Holds a critical section for a scope.
class CriticalSectionLock {
 public:
  explicit CriticalSectionLock(CRITICAL_SECTION& cs) : cs_(cs) { EnterCriticalSection(&cs_); }
  ~CriticalSectionLock() { LeaveCriticalSection(&cs_); }
  CriticalSectionLock(const CriticalSectionLock&) = delete;
  CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

 private:
  CRITICAL_SECTION& cs_;
};

// An event: manual reset (stays set until ResetEvent) or auto reset (one
// satisfied wait resets it). Security and name are accepted and ignored.
HANDLE CreateEvent(const void* security, BOOL manualReset, BOOL initialState, const char* name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// WAIT_OBJECT_0 when signalled (an event set, a thread ended), WAIT_TIMEOUT
// after `ms` milliseconds (INFINITE: never), WAIT_FAILED for a null handle. A
// wait on the thread that owns the idle hook keeps running the hook.
DWORD WaitForSingleObject(HANDLE object, DWORD ms);
// Releases the handle; a thread keeps running. FALSE for a null handle.
BOOL CloseHandle(HANDLE object);

// Thread priorities. Linux does not let an unprivileged program raise them, so
// a thread's priority is recorded and reported, not applied.
constexpr int THREAD_PRIORITY_IDLE = -15;
constexpr int THREAD_PRIORITY_LOWEST = -2;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_HIGHEST = 2;
constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;

using LPTHREAD_START_ROUTINE = DWORD (*)(void* param);

// Starts `start(param)` on a new thread at normal priority. Security, stack size
// and flags are accepted and ignored. `threadId` (may be null) receives a
// number unique to the thread. Null when the thread cannot be created.
HANDLE CreateThread(const void* security, std::size_t stackSize, LPTHREAD_START_ROUTINE start, void* param, DWORD flags,
                    DWORD* threadId);
// A handle meaning "the calling thread" wherever it is used; never closed.
HANDLE GetCurrentThread();
BOOL SetThreadPriority(HANDLE thread, int priority);
// The recorded priority; THREAD_PRIORITY_NORMAL for threads not made here.
int GetThreadPriority(HANDLE thread);
// The thread's return value once it ended, STILL_ACTIVE while it runs.
constexpr DWORD STILL_ACTIVE = 259;
BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);

}  // namespace plat
