#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/core/clock.h"
#include "platform/core/lifelong.h"
#include "platform/user/queue.h"
#include "platform/user/queue_impl.h"
#include "platform/user/window_impl.h"

namespace plat {
namespace user_impl {

namespace {

constexpr UINT kMinimumPeriod = 10;
constexpr UINT_PTR kFirstThreadTimerId = 0x7F00;

struct Timer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT period = 0;
  DWORD start = 0;  // the period runs from here
  TIMERPROC proc = nullptr;
};

struct Timers {
  std::vector<Timer> list;
  UINT_PTR nextThreadId = kFirstThreadTimerId;
};

Timers& TheTimers() { return Lifelong<Timers>(); }

// How far past its due time a timer is (negative: not due yet).
std::int64_t Overdue(const Timer& t, DWORD now) {
  return static_cast<std::int64_t>(static_cast<DWORD>(now - t.start)) - static_cast<std::int64_t>(t.period);
}

}  // namespace

bool TakeDueTimer(MSG* out, HWND filter, UINT lo, UINT hi, bool remove) {
  Timers& ts = TheTimers();
  const DWORD now = timeGetTime();
  Timer* best = nullptr;
  for (Timer& t : ts.list) {
    MSG probe;
    probe.hwnd = t.hwnd;
    probe.message = WM_TIMER;
    if (!MessageMatches(probe, filter, lo, hi) || Overdue(t, now) < 0) continue;
    if (!best || Overdue(t, now) > Overdue(*best, now)) best = &t;
  }
  if (!best) return false;
  *out = MSG{};
  out->hwnd = best->hwnd;
  out->message = WM_TIMER;
  out->wParam = best->id;
  out->lParam = reinterpret_cast<LPARAM>(best->proc);
  if (remove) best->start = now;
  return true;
}

std::optional<DWORD> NextTimerDue() {
  Timers& ts = TheTimers();
  const DWORD now = timeGetTime();
  std::optional<std::int64_t> soonest;
  for (const Timer& t : ts.list) {
    std::int64_t wait = -Overdue(t, now);
    if (!soonest || wait < *soonest) soonest = wait;
  }
  if (!soonest) return std::nullopt;
  return static_cast<DWORD>(now + static_cast<DWORD>(std::max<std::int64_t>(*soonest, 0)));
}

void KillTimersOf(HWND hwnd) {
  std::erase_if(TheTimers().list, [hwnd](const Timer& t) { return t.hwnd == hwnd; });
}

void ResetTimers() {
  TheTimers().list.clear();
  TheTimers().nextThreadId = kFirstThreadTimerId;
}

}  // namespace user_impl

using namespace user_impl;

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT periodMs, TIMERPROC proc) {
  if (hwnd && !Live(hwnd)) return 0;
  Timers& ts = TheTimers();
  if (!hwnd) id = ts.nextThreadId++;
  Timer t;
  t.hwnd = hwnd;
  t.id = id;
  t.period = std::max(periodMs, kMinimumPeriod);
  t.start = timeGetTime();
  t.proc = proc;
  auto it = std::find_if(ts.list.begin(), ts.list.end(), [&](const Timer& x) { return x.hwnd == hwnd && x.id == id; });
  if (it != ts.list.end()) {
    *it = t;
  } else {
    ts.list.push_back(t);
  }
  return id == 0 ? 1 : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  return std::erase_if(TheTimers().list, [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; }) ? TRUE : FALSE;
}

}  // namespace plat
