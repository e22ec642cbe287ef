#include "platform/core/threads.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <system_error>
#include <thread>

#include "platform/core/clock.h"
#include "platform/core/handle_table.h"
#include "platform/core/lifelong.h"

namespace plat {

namespace {

// Waits on `cv` until `ready()` holds or `ms` passed; INFINITE waits for good.
template <class Ready>
bool WaitOn(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, DWORD ms, Ready ready) {
  if (ms == INFINITE) {
    cv.wait(lock, ready);
    return true;
  }
  return cv.wait_for(lock, std::chrono::milliseconds(ms), ready);
}

class Event final : public HANDLE__ {
 public:
  Event(bool manualReset, bool signalled) : manual_(manualReset), signalled_(signalled) {}

  bool WaitFor(DWORD ms) override {
    std::unique_lock lock(mutex_);
    if (!WaitOn(cv_, lock, ms, [this] { return signalled_; })) return false;
    if (!manual_) signalled_ = false;
    return true;
  }
  void Set() {
    {
      std::lock_guard lock(mutex_);
      signalled_ = true;
    }
    if (manual_) {
      cv_.notify_all();
    } else {
      cv_.notify_one();
    }
  }
  void Reset() {
    std::lock_guard lock(mutex_);
    signalled_ = false;
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  const bool manual_;
  bool signalled_;
};

struct ThreadState {
  std::mutex mutex;
  std::condition_variable cv;
  bool done = false;
  DWORD exitCode = 0;
  std::atomic<int> priority{THREAD_PRIORITY_NORMAL};
};

// The priority cell of the calling thread: its ThreadState's for threads made
// by CreateThread, a thread-local one for any other.
thread_local std::shared_ptr<ThreadState> t_state;

std::atomic<int>& OwnPriority() {
  thread_local std::atomic<int> own{THREAD_PRIORITY_NORMAL};
  return t_state ? t_state->priority : own;
}

class Thread final : public HANDLE__ {
 public:
  explicit Thread(std::shared_ptr<ThreadState> state) : state_(std::move(state)) {}

  bool WaitFor(DWORD ms) override {
    std::unique_lock lock(state_->mutex);
    return WaitOn(state_->cv, lock, ms, [this] { return state_->done; });
  }
  ThreadState& state() { return *state_; }

 private:
  std::shared_ptr<ThreadState> state_;
};

// Stands for the calling thread; waiting on it never ends, as on the classic system.
class CurrentThreadHandle final : public HANDLE__ {
 public:
  bool WaitFor(DWORD ms) override {
    if (ms != INFINITE) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return false;
  }
};

CurrentThreadHandle g_currentThread;

struct Handles {
  std::mutex mutex;
  HandleTable<HANDLE__> live;
};

Handles& Live() { return Lifelong<Handles>(); }

HANDLE Track(std::unique_ptr<HANDLE__> object) {
  Handles& h = Live();
  std::lock_guard lock(h.mutex);
  return h.live.Add(std::move(object));
}

bool IsLive(HANDLE object) {
  if (object == &g_currentThread) return true;
  Handles& h = Live();
  std::lock_guard lock(h.mutex);
  return h.live.Contains(object);
}

template <class T>
T* As(HANDLE object) {
  return IsLive(object) ? dynamic_cast<T*>(object) : nullptr;
}

std::atomic<DWORD> g_lastThreadId{1};

}  // namespace

void InitializeCriticalSection(CRITICAL_SECTION* /*cs*/) {}
void EnterCriticalSection(CRITICAL_SECTION* cs) { cs->mutex.lock(); }
void LeaveCriticalSection(CRITICAL_SECTION* cs) { cs->mutex.unlock(); }
void DeleteCriticalSection(CRITICAL_SECTION* /*cs*/) {}

HANDLE CreateEvent(const void* /*security*/, BOOL manualReset, BOOL initialState, const char* /*name*/) {
  return Track(std::make_unique<Event>(manualReset != FALSE, initialState != FALSE));
}

BOOL SetEvent(HANDLE event) {
  Event* e = As<Event>(event);
  if (e == nullptr) return FALSE;
  e->Set();
  return TRUE;
}

BOOL ResetEvent(HANDLE event) {
  Event* e = As<Event>(event);
  if (e == nullptr) return FALSE;
  e->Reset();
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE object, DWORD ms) {
  if (object == nullptr || !IsLive(object)) return WAIT_FAILED;
  // Waits in short slices so the idle hook keeps the backend serviced.
  constexpr DWORD kSlice = 10;
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    DWORD slice = kSlice;
    if (ms != INFINITE) {
      const auto spent =
          std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
      slice = std::min<DWORD>(kSlice, spent >= ms ? 0 : ms - static_cast<DWORD>(spent));
    }
    if (object->WaitFor(slice)) return WAIT_OBJECT_0;
    if (slice == 0) return WAIT_TIMEOUT;
    RunIdleHook();
  }
}

BOOL CloseHandle(HANDLE object) {
  if (object == &g_currentThread) return TRUE;
  std::unique_ptr<HANDLE__> owned;
  {
    Handles& h = Live();
    std::lock_guard lock(h.mutex);
    owned = h.live.Take(object);
    if (!owned) return FALSE;
  }
  return TRUE;
}

HANDLE CreateThread(const void* /*security*/, std::size_t /*stackSize*/, LPTHREAD_START_ROUTINE start, void* param,
                    DWORD /*flags*/, DWORD* threadId) {
  if (start == nullptr) return nullptr;
  auto state = std::make_shared<ThreadState>();
  try {
    std::thread([state, start, param] {
      t_state = state;
      const DWORD code = start(param);
      {
        std::lock_guard lock(state->mutex);
        state->exitCode = code;
        state->done = true;
      }
      state->cv.notify_all();
      t_state.reset();
    }).detach();
  } catch (const std::system_error&) {
    return nullptr;
  }
  if (threadId != nullptr) *threadId = g_lastThreadId.fetch_add(1) + 1;
  return Track(std::make_unique<Thread>(std::move(state)));
}

HANDLE GetCurrentThread() { return &g_currentThread; }

BOOL SetThreadPriority(HANDLE thread, int priority) {
  if (thread == &g_currentThread) {
    OwnPriority().store(priority);
    return TRUE;
  }
  Thread* t = As<Thread>(thread);
  if (t == nullptr) return FALSE;
  t->state().priority.store(priority);
  return TRUE;
}

int GetThreadPriority(HANDLE thread) {
  if (thread == &g_currentThread) return OwnPriority().load();
  Thread* t = As<Thread>(thread);
  return t == nullptr ? THREAD_PRIORITY_NORMAL : t->state().priority.load();
}

BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode) {
  Thread* t = As<Thread>(thread);
  if (t == nullptr || exitCode == nullptr) return FALSE;
  std::lock_guard lock(t->state().mutex);
  *exitCode = t->state().done ? t->state().exitCode : STILL_ACTIVE;
  return TRUE;
}

}  // namespace plat
