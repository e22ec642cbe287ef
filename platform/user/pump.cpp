#include "platform/user/pump.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "platform/core/clock.h"
#include "platform/display/backend.h"
#include "platform/user/queue.h"
#include "platform/user/queue_impl.h"

namespace plat {
namespace {

constexpr int kMaxDispatch = 1000000;

bool Reached(DWORD due, DWORD now) { return static_cast<std::int32_t>(now - due) >= 0; }

std::optional<DWORD> NextInputTime() {
  Backend* b = CurrentBackend();
  return b ? b->NextInputTime() : std::nullopt;
}

void ServiceBackend() {
  if (Backend* b = CurrentBackend()) b->Service();
}

// False when the run must stop: a WM_QUIT waits or the limit is reached.
bool DispatchWaiting(PumpResult& r) {
  MSG msg;
  while (r.dispatched < kMaxDispatch && PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
    if (msg.message == WM_QUIT) {
      r.sawQuit = true;
      return false;
    }
    if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) continue;
    TranslateMessage(&msg);
    DispatchMessage(&msg);
    ++r.dispatched;
  }
  return r.dispatched < kMaxDispatch;
}

}  // namespace

PumpResult PumpUntilIdle() {
  PumpResult r;
  while (DispatchWaiting(r)) {
    auto next = NextInputTime();
    if (!next) break;
    const DWORD now = timeGetTime();
    if (!Reached(*next, now)) AdvanceVirtualClock(*next - now);
    ServiceBackend();
  }
  return r;
}

PumpResult PumpFor(DWORD ms) {
  PumpResult r;
  const DWORD end = timeGetTime() + ms;
  while (DispatchWaiting(r)) {
    const DWORD now = timeGetTime();
    if (Reached(end, now)) break;
    // Step straight to the next thing that can happen, never past the end.
    DWORD step = end - now;
    auto until = [now](DWORD t) { return Reached(t, now) ? DWORD{0} : t - now; };
    if (auto t = user_impl::NextTimerDue()) step = std::min(step, until(*t));
    const auto input = NextInputTime();
    const bool inputDue = input && Reached(*input, now);
    if (input) step = std::min(step, until(*input));
    if (step == 0 && !inputDue) step = 1;
    if (step) AdvanceVirtualClock(step);
    ServiceBackend();
  }
  return r;
}

}  // namespace plat
