#include "platform/backend/headless.h"

#include "platform/core/clock.h"
#include "platform/ddraw/display.h"
#include "platform/display/audio.h"
#include "platform/display/screen.h"
#include "platform/user/cursor.h"
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

Image HeadlessBackend::Capture() {
  Image image = ScreenImage();
  const CursorOverlay cursor = CurrentCursorOverlay();
  if (!captureCursor_ || !cursor.image) return image;
  // Opaque cursor pixels replace the screen's; partly transparent ones blend.
  const CursorImage& c = *cursor.image;
  for (int y = 0; y < c.height; ++y) {
    for (int x = 0; x < c.width; ++x) {
      const int sx = cursor.position.x - c.hotspot.x + x, sy = cursor.position.y - c.hotspot.y + y;
      if (sx < 0 || sy < 0 || sx >= image.width || sy >= image.height) continue;
      const std::uint32_t argb = c.argb[static_cast<std::size_t>(y) * c.width + x];
      const std::uint32_t alpha = argb >> 24;
      std::uint32_t& out = image.rgb[static_cast<std::size_t>(sy) * image.width + sx];
      std::uint32_t mixed = 0;
      for (int shift : {0, 8, 16}) {
        const std::uint32_t over = (argb >> shift) & 0xFF, under = (out >> shift) & 0xFF;
        mixed |= ((over * alpha + under * (255 - alpha)) / 255) << shift;
      }
      out = mixed;
    }
  }
  return image;
}

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
