#include "platform/user/queue.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/core/clock.h"
#include "platform/core/lifelong.h"
#include "platform/display/backend.h"
#include "platform/user/input.h"
#include "platform/user/queue_impl.h"
#include "platform/user/window.h"
#include "platform/user/window_impl.h"

namespace plat {

struct HHOOK__ {
  HOOKPROC proc = nullptr;
  bool removed = false;
};

namespace user_impl {

namespace {

struct Queue {
  std::mutex mutex;
  std::condition_variable posted;
  std::deque<MSG> messages;
  bool quit = false;
  int quitCode = 0;
};

Queue& TheQueue() { return Lifelong<Queue>(); }

struct Hooks {
  std::vector<std::unique_ptr<HHOOK__>> chain;  // newest first
  int running = 0;
};

Hooks& TheHooks() { return Lifelong<Hooks>(); }

std::atomic<std::thread::id> g_gameThread{};

bool InRange(UINT message, UINT lo, UINT hi) { return (lo == 0 && hi == 0) || (message >= lo && message <= hi); }

void RunHooks(MSG* msg, bool remove) {
  Hooks& h = TheHooks();
  auto it = std::find_if(h.chain.begin(), h.chain.end(), [](const auto& k) { return !k->removed; });
  if (it == h.chain.end()) return;
  ++h.running;
  (*it)->proc(HC_ACTION, remove ? PM_REMOVE : PM_NOREMOVE, reinterpret_cast<LPARAM>(msg));
  if (--h.running == 0) std::erase_if(h.chain, [](const auto& k) { return k->removed; });
}

// One look at the queue in retrieval order.
bool TryTake(MSG* out, HWND filter, UINT lo, UINT hi, bool remove, bool hooks) {
  NoteGameThread();
  Queue& q = TheQueue();
  bool found = false;
  {
    std::lock_guard lock(q.mutex);
    for (auto it = q.messages.begin(); it != q.messages.end();) {
      if (it->hwnd && !Live(it->hwnd)) {
        it = q.messages.erase(it);  // posted from another thread to a window since destroyed
        continue;
      }
      if (MessageMatches(*it, filter, lo, hi)) {
        *out = *it;
        if (remove) q.messages.erase(it);
        found = true;
        break;
      }
      ++it;
    }
    if (!found && q.quit) {
      *out = MSG{};
      out->message = WM_QUIT;
      out->wParam = static_cast<WPARAM>(q.quitCode);
      if (remove) q.quit = false;
      found = true;
    }
  }
  if (!found && filter != reinterpret_cast<HWND>(-1) && InRange(WM_PAINT, lo, hi)) {
    if (HWND p = NextPaintWindow(filter)) {
      *out = MSG{};
      out->hwnd = p;
      out->message = WM_PAINT;
      found = true;
    }
  }
  if (!found) found = TakeDueTimer(out, filter, lo, hi, remove);
  if (!found) return false;
  if (out->time == 0) {
    out->time = timeGetTime();
    GetCursorPos(&out->pt);
  }
  if (remove) NoteRemovedInput(*out);
  if (hooks) RunHooks(out, remove);
  return true;
}

bool Pending() {
  MSG m;
  return TryTake(&m, nullptr, 0, 0, false, false);
}

// One wait for something to arrive: to the next deadline under the virtual
// clock, a short real wait otherwise.
void WaitOnce() {
  const DWORD now = timeGetTime();
  std::optional<DWORD> deadline = NextTimerDue();
  if (Backend* b = CurrentBackend()) {
    if (auto t = b->NextInputTime()) {
      if (!deadline || static_cast<std::int32_t>(*t - *deadline) < 0) deadline = t;
    }
  }
  Queue& q = TheQueue();
  if (IsVirtualClock() && deadline) {
    const auto ahead = static_cast<std::int32_t>(*deadline - now);
    AdvanceVirtualClock(static_cast<DWORD>(std::max(ahead, 1)));
  } else {
    // Another thread may post; under the virtual clock with nothing scheduled
    // only such a post can end the wait, so real time passes, not virtual.
    long wait = 10;
    if (deadline && !IsVirtualClock()) wait = std::clamp<long>(static_cast<std::int32_t>(*deadline - now), 0, 10);
    std::unique_lock lock(q.mutex);
    q.posted.wait_for(lock, std::chrono::milliseconds(wait), [&] { return !q.messages.empty() || q.quit; });
  }
  RunIdleHook();
}

}  // namespace

void NoteGameThread() {
  std::thread::id none{};
  g_gameThread.compare_exchange_strong(none, std::this_thread::get_id());
}

bool MessageMatches(const MSG& msg, HWND filter, UINT lo, UINT hi) {
  if (filter == reinterpret_cast<HWND>(-1)) {
    if (msg.hwnd) return false;
  } else if (filter && msg.hwnd != filter) {
    return false;
  }
  return InRange(msg.message, lo, hi);
}

void PostInputMessage(const MSG& msg) {
  Queue& q = TheQueue();
  {
    std::lock_guard lock(q.mutex);
    if (msg.message == WM_MOUSEMOVE && !q.messages.empty()) {
      MSG& last = q.messages.back();
      if (last.message == WM_MOUSEMOVE && last.hwnd == msg.hwnd && last.wParam == msg.wParam) {
        last = msg;
        return;
      }
    }
    q.messages.push_back(msg);
  }
  q.posted.notify_all();
}

void PostFrontMessage(const MSG& msg) {
  Queue& q = TheQueue();
  {
    std::lock_guard lock(q.mutex);
    q.messages.push_front(msg);
  }
  q.posted.notify_all();
}

void DropMessagesOf(HWND hwnd) {
  Queue& q = TheQueue();
  std::lock_guard lock(q.mutex);
  std::erase_if(q.messages, [hwnd](const MSG& m) { return m.hwnd == hwnd; });
}

void ResetQueue() {
  Queue& q = TheQueue();
  {
    std::lock_guard lock(q.mutex);
    q.messages.clear();
    q.quit = false;
    q.quitCode = 0;
  }
  TheHooks().chain.clear();
}

}  // namespace user_impl

using namespace user_impl;

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  MSG m;
  m.hwnd = hwnd;
  m.message = msg;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = timeGetTime();
  // Only the game thread may look at windows; other threads' posts to a
  // window that is gone are dropped when the queue reaches them.
  if (g_gameThread.load() == std::this_thread::get_id()) {
    if (hwnd && !Live(hwnd)) return FALSE;
    GetCursorPos(&m.pt);
  }
  Queue& q = TheQueue();
  {
    std::lock_guard lock(q.mutex);
    q.messages.push_back(m);
  }
  q.posted.notify_all();
  return TRUE;
}

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND__* w = Live(hwnd);
  if (!w) return 0;
  return CallWindowProc(w->proc, hwnd, msg, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
  Queue& q = TheQueue();
  {
    std::lock_guard lock(q.mutex);
    q.quit = true;
    q.quitCode = exitCode;
  }
  q.posted.notify_all();
}

BOOL PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (!msg) return FALSE;
  const bool remove = (removeFlags & PM_REMOVE) != 0;
  if (TryTake(msg, hwnd, filterMin, filterMax, remove, true)) return TRUE;
  RunIdleHook();
  return TryTake(msg, hwnd, filterMin, filterMax, remove, true) ? TRUE : FALSE;
}

BOOL GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (!msg) return FALSE;
  for (;;) {
    if (PeekMessage(msg, hwnd, filterMin, filterMax, PM_REMOVE)) return msg->message == WM_QUIT ? FALSE : TRUE;
    WaitOnce();
  }
}

BOOL WaitMessage() {
  for (;;) {
    if (Pending()) return TRUE;
    RunIdleHook();
    if (Pending()) return TRUE;
    WaitOnce();
  }
}

void WaitIdle(DWORD mostMs) {
  if (IsVirtualClock()) {
    Sleep(1);
    return;
  }
  RunIdleHook();
  const DWORD now = timeGetTime();
  long wait = std::max<DWORD>(mostMs, 1);
  if (std::optional<DWORD> due = NextTimerDue())
    wait = std::clamp<long>(static_cast<std::int32_t>(*due - now), 1, wait);
  Queue& q = TheQueue();
  std::unique_lock lock(q.mutex);
  q.posted.wait_for(lock, std::chrono::milliseconds(wait), [&] { return !q.messages.empty() || q.quit; });
}

LRESULT DispatchMessage(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, timeGetTime());
    return 0;
  }
  HWND__* w = Live(msg->hwnd);
  if (!w) return 0;
  return CallWindowProc(w->proc, msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

HHOOK SetWindowsHookEx(int idHook, HOOKPROC proc, HINSTANCE, DWORD) {
  if (idHook != WH_GETMESSAGE || !proc) return nullptr;
  Hooks& h = TheHooks();
  auto hook = std::make_unique<HHOOK__>();
  hook->proc = proc;
  HHOOK handle = hook.get();
  h.chain.insert(h.chain.begin(), std::move(hook));
  return handle;
}

BOOL UnhookWindowsHookEx(HHOOK hook) {
  Hooks& h = TheHooks();
  auto it = std::find_if(h.chain.begin(), h.chain.end(), [hook](const auto& k) { return k.get() == hook; });
  if (it == h.chain.end() || (*it)->removed) return FALSE;
  if (h.running) {
    (*it)->removed = true;  // freed when the running chain returns
  } else {
    h.chain.erase(it);
  }
  return TRUE;
}

LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
  Hooks& h = TheHooks();
  auto it = std::find_if(h.chain.begin(), h.chain.end(), [hook](const auto& k) { return k.get() == hook; });
  if (it == h.chain.end()) return 0;
  it = std::find_if(it + 1, h.chain.end(), [](const auto& k) { return !k->removed; });
  if (it == h.chain.end()) return 0;
  ++h.running;
  LRESULT r = (*it)->proc(code, wParam, lParam);
  --h.running;
  return r;
}

}  // namespace plat
