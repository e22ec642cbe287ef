#pragma once
// The one millisecond clock of the program. It reads a real monotonic source in
// play and a virtual one in tests, which only moves when a test advances it, so
// timed behaviour is tested without sleeping.

#include <cstdint>
#include <functional>

#include "platform/core/types.h"

namespace plat {

// Milliseconds since the clock started; wraps like the classic 32-bit counters.
// Safe to call from any thread.
DWORD timeGetTime();
DWORD GetTickCount();

// Waits `ms` milliseconds. The wait services the backend (see SetIdleHook) so
// the program never appears hung; under the virtual clock it advances the clock.
void Sleep(DWORD ms);

// Milliseconds of the real monotonic clock, whichever clock the program runs
// on. Contact with another process (a server, a peer) is reckoned on it: the
// virtual clock runs ahead while a starved program waits for the other side,
// and would give up on a sound connection long before any real time passed.
DWORD RealTickCount();
// Sleep(ms), and under the virtual clock a real pause of `ms` as well, so a
// loop waiting on another process neither spins nor outruns it.
void SleepInRealTime(DWORD ms);

// Switches the whole program to the virtual clock, starting at `startMs`.
void UseVirtualClock(DWORD startMs = 0);
// Switches back to the real clock.
void UseRealClock();
bool IsVirtualClock();
// Moves the virtual clock forward; no effect on the real clock.
void AdvanceVirtualClock(DWORD ms);

// Called by every wait of the game thread (Sleep, message waits, busy retries)
// so the backend can pump its window and input events. Empty by default.
// The hook runs only on the thread that installed it (the backend's events
// belong to that thread); RunIdleHook on any other thread does nothing.
void SetIdleHook(std::function<void()> hook);
void RunIdleHook();

// The classic C runtime clock: milliseconds of the program clock (real or
// virtual), kClocksPerSec ticks a second (the host macro CLOCKS_PER_SEC differs).
using clock_t = long;
constexpr clock_t kClocksPerSec = 1000;
clock_t clock();

// A free-running cycle counter, in nanoseconds of the monotonic clock; under the
// virtual clock it is the virtual time in nanoseconds, so a calibration against
// timeGetTime sees a steady 1 GHz counter.
std::uint64_t ReadTimeStampCounter();

}  // namespace plat
