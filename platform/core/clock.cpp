#include "platform/core/clock.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "platform/core/lifelong.h"

namespace plat {

namespace {

using SteadyClock = std::chrono::steady_clock;

// The real clock counts from the first time anything asks for it.
SteadyClock::time_point RealStart() {
  static const SteadyClock::time_point start = SteadyClock::now();
  return start;
}

std::uint64_t RealNanoseconds() {
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(SteadyClock::now() - RealStart()).count());
}

std::atomic<bool> g_virtual{false};
std::atomic<DWORD> g_virtualMs{0};

struct IdleHook {
  std::mutex mutex;
  std::function<void()> hook;
  std::thread::id owner;
};

IdleHook& Hook() { return Lifelong<IdleHook>(); }

}  // namespace

DWORD timeGetTime() {
  if (g_virtual.load(std::memory_order_acquire)) return g_virtualMs.load(std::memory_order_acquire);
  return RealTickCount();
}

DWORD GetTickCount() { return timeGetTime(); }

void Sleep(DWORD ms) {
  RunIdleHook();
  if (g_virtual.load(std::memory_order_acquire)) {
    AdvanceVirtualClock(ms);
    return;
  }
  if (ms == 0) {
    std::this_thread::yield();
    return;
  }
  // Short slices, so the idle hook keeps the backend answering during a long wait.
  constexpr auto kSlice = std::chrono::milliseconds(10);
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    const auto now = SteadyClock::now();
    if (now >= deadline) break;
    std::this_thread::sleep_for(std::min<SteadyClock::duration>(deadline - now, kSlice));
    if (SteadyClock::now() < deadline) RunIdleHook();
  }
}

DWORD RealTickCount() { return static_cast<DWORD>(RealNanoseconds() / 1000000u); }

void SleepInRealTime(DWORD ms) {
  Sleep(ms);
  if (g_virtual.load(std::memory_order_acquire) && ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void UseVirtualClock(DWORD startMs) {
  g_virtualMs.store(startMs, std::memory_order_release);
  g_virtual.store(true, std::memory_order_release);
}

void UseRealClock() { g_virtual.store(false, std::memory_order_release); }

bool IsVirtualClock() { return g_virtual.load(std::memory_order_acquire); }

void AdvanceVirtualClock(DWORD ms) {
  if (g_virtual.load(std::memory_order_acquire)) g_virtualMs.fetch_add(ms, std::memory_order_acq_rel);
}

void SetIdleHook(std::function<void()> hook) {
  IdleHook& h = Hook();
  std::lock_guard lock(h.mutex);
  h.hook = std::move(hook);
  h.owner = std::this_thread::get_id();
}

void RunIdleHook() {
  // A hook that waits (and so runs the hook) must not recurse into itself.
  thread_local bool running = false;
  if (running) return;
  IdleHook& h = Hook();
  std::function<void()> hook;
  {
    std::lock_guard lock(h.mutex);
    if (!h.hook || h.owner != std::this_thread::get_id()) return;
    hook = h.hook;
  }
  // Called outside the lock: the hook may itself wait, or replace the hook.
  struct Running {
    bool& flag;
    explicit Running(bool& f) : flag(f) { flag = true; }
    ~Running() { flag = false; }
  } guard(running);
  hook();
}

clock_t clock() { return static_cast<clock_t>(timeGetTime()); }

std::uint64_t ReadTimeStampCounter() {
  if (g_virtual.load(std::memory_order_acquire)) {
    return static_cast<std::uint64_t>(g_virtualMs.load(std::memory_order_acquire)) * 1000000u;
  }
  return RealNanoseconds();
}

}  // namespace plat
