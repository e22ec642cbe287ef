#include "platform/backend/headless.h"


#include "platform/display/audio.h"
#include "platform/display/screen.h"
#include "platform/core/clock.h"
#include "platform/ddraw/display.h"
#include "platform/user/pump.h"

namespace plat {

namespace {

bool Reached(DWORD due, DWORD now) { return static_cast<std::int32_t>(now - due) >= 0; }

}  // namespace

HeadlessBackend::HeadlessBackend() {
  UseVirtualClock();
  InstallAudioOutput(std::make_unique<MemoryAudioOutput>());
}

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

int HeadlessBackend::RunUntilIdle() {
  const PumpResult r = PumpUntilIdle();
  sawQuit_ = r.sawQuit;
  return r.dispatched;
}

int HeadlessBackend::RunFor(DWORD ms) {
  const PumpResult r = PumpFor(ms);
  sawQuit_ = r.sawQuit;
  return r.dispatched;
}

HeadlessBackend& StartHeadlessBackend() {
  auto backend = std::make_unique<HeadlessBackend>();
  HeadlessBackend& started = *backend;
  InstallBackend(std::move(backend));
  return started;
}

}  // namespace plat
