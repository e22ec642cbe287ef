#include "platform/backend/headless.h"

#include <algorithm>

#include "platform/display/audio.h"
#include "platform/display/screen.h"
#include "platform/core/clock.h"
#include "platform/ddraw/display.h"
#include "platform/user/queue.h"
#include "platform/user/queue_impl.h"

namespace plat {

namespace {

constexpr int kMaxDispatch = 1000000;

bool Reached(DWORD due, DWORD now) { return static_cast<std::int32_t>(now - due) >= 0; }

}  // namespace

HeadlessBackend::HeadlessBackend() { UseVirtualClock(); }

void HeadlessBackend::Service() {
  CurrentAudioOutput().CatchUp();
  const DWORD now = timeGetTime();
  while (!script_.empty() && Reached(script_.front().due, now)) {
    auto deliver = std::move(script_.front().deliver);
    script_.pop_front();
    deliver();
  }
}

Image HeadlessBackend::Capture() { return ScreenImage(); }

std::optional<DWORD> HeadlessBackend::NextInputTime() const {
  if (script_.empty()) return std::nullopt;
  return script_.front().due;
}

void HeadlessBackend::Queue(DWORD afterMs, std::function<void()> deliver) {
  const DWORD base = script_.empty() ? timeGetTime() : script_.back().due;
  script_.push_back(Event{base + afterMs, std::move(deliver)});
}

void HeadlessBackend::MoveMouse(int x, int y, DWORD afterMs) {
  Queue(afterMs, [x, y] { input::MouseMove(POINT{x, y}); });
}

void HeadlessBackend::MouseDown(input::Button button, DWORD afterMs) {
  Queue(afterMs, [button] { input::MouseButton(button, true); });
}

void HeadlessBackend::MouseUp(input::Button button, DWORD afterMs) {
  Queue(afterMs, [button] { input::MouseButton(button, false); });
}

void HeadlessBackend::Click(int x, int y, input::Button button, DWORD afterMs) {
  MoveMouse(x, y, afterMs);
  MouseDown(button);
  MouseUp(button);
}

void HeadlessBackend::Wheel(int delta, DWORD afterMs) {
  Queue(afterMs, [delta] { input::MouseWheel(delta); });
}

void HeadlessBackend::KeyDown(UINT vk, DWORD afterMs) {
  Queue(afterMs, [vk] { input::Key(vk, true); });
}

void HeadlessBackend::KeyUp(UINT vk, DWORD afterMs) {
  Queue(afterMs, [vk] { input::Key(vk, false); });
}

void HeadlessBackend::PressKey(UINT vk, DWORD afterMs) {
  KeyDown(vk, afterMs);
  KeyUp(vk);
}

void HeadlessBackend::SetAppActive(bool active, DWORD afterMs) {
  Queue(afterMs, [active] { input::SetAppActive(active); });
}

void HeadlessBackend::SetMinimized(bool minimized, DWORD afterMs) {
  Queue(afterMs, [this, minimized] {
    input::SetAppMinimized(minimized);
    if (exclusive_) SetDisplayDeactivated(minimized);
  });
}

bool HeadlessBackend::DispatchWaiting(int& count) {
  MSG msg;
  while (count < kMaxDispatch && PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
    if (msg.message == WM_QUIT) {
      sawQuit_ = true;
      return false;
    }
    if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) continue;
    TranslateMessage(&msg);
    DispatchMessage(&msg);
    ++count;
  }
  return count < kMaxDispatch;
}

int HeadlessBackend::RunUntilIdle() {
  sawQuit_ = false;
  int count = 0;
  for (;;) {
    if (!DispatchWaiting(count)) break;
    auto next = NextInputTime();
    if (!next) break;
    const DWORD now = timeGetTime();
    if (!Reached(*next, now)) AdvanceVirtualClock(*next - now);
    Service();
  }
  return count;
}

int HeadlessBackend::RunFor(DWORD ms) {
  sawQuit_ = false;
  int count = 0;
  const DWORD end = timeGetTime() + ms;
  for (;;) {
    if (!DispatchWaiting(count)) break;
    const DWORD now = timeGetTime();
    if (Reached(end, now)) break;
    // Step straight to the next thing that can happen, never past the end.
    DWORD step = end - now;
    auto until = [now](DWORD t) { return Reached(t, now) ? DWORD{0} : t - now; };
    if (auto t = user_impl::NextTimerDue()) step = std::min(step, until(*t));
    const bool inputDue = !script_.empty() && Reached(script_.front().due, now);
    if (auto t = NextInputTime()) step = std::min(step, until(*t));
    if (step == 0 && !inputDue) step = 1;
    if (step) AdvanceVirtualClock(step);
    Service();
  }
  return count;
}

HeadlessBackend& StartHeadlessBackend() {
  auto backend = std::make_unique<HeadlessBackend>();
  HeadlessBackend& started = *backend;
  InstallBackend(std::move(backend));
  return started;
}

}  // namespace plat
