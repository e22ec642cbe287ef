#pragma once
// The headless backend: no window system. The program runs on the virtual
// clock; a test scripts input here, runs the message loop (pump.h) and
// captures the screen. Called from the program's thread only.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <vector>

#include "platform/display/backend.h"
#include "platform/user/input.h"

namespace plat {

class HeadlessBackend : public Backend {
 public:
  // Switches the program to the virtual clock.
  HeadlessBackend();

  const char* Name() const override { return "headless"; }
  // Nobody watches: a question would wait forever.
  bool CanAskUser() const override { return false; }
  // Delivers the scripted input whose time has come.
  void Service() override;
  // The screen is the picture; nothing needs showing.
  void Present() override {}
  void SetExclusive(bool exclusive) override { exclusive_ = exclusive; }
  // The screen, without the cursor unless IncludeCursorInCaptures(true).
  Image Capture() override;
  void SetScreenSaverAllowed(bool allowed) override { screenSaverAllowed_ = allowed; }
  void Beep(UINT type) override { beeps_.push_back(type); }
  std::optional<DWORD> NextInputTime() const override;

  // Scripted input. Each event falls due `afterMs` after the event queued
  // before it (after now when the script is empty) and reaches the user layer
  // when the backend is serviced at or after that time. Coordinates are on the
  // 800 x 600 screen.
  void MoveMouse(int x, int y, DWORD afterMs = 0);
  void MouseDown(input::Button button, DWORD afterMs = 0);
  void MouseUp(input::Button button, DWORD afterMs = 0);
  // Move, button down and button up, all at one time.
  void Click(int x, int y, input::Button button = input::Button::Left, DWORD afterMs = 0);
  void Wheel(int delta, DWORD afterMs = 0);
  void KeyDown(UINT vk, DWORD afterMs = 0);
  void KeyUp(UINT vk, DWORD afterMs = 0);
  void PressKey(UINT vk, DWORD afterMs = 0);  // down and up
  void SetAppActive(bool active, DWORD afterMs = 0);
  void SetMinimized(bool minimized, DWORD afterMs = 0);
  bool ScriptDone() const { return script_.empty(); }

  // PumpUntilIdle and PumpFor (platform/user/pump.h), remembering whether the
  // run stopped at a WM_QUIT; they return the number of messages dispatched.
  int RunUntilIdle();
  int RunFor(DWORD ms);
  bool SawQuit() const { return sawQuit_; }

  bool SaveCapture(const std::filesystem::path& png) { return WritePng(png, Capture()); }
  // Draws the current cursor into captures, as the player would see it.
  void IncludeCursorInCaptures(bool include) { captureCursor_ = include; }
  const std::vector<UINT>& Beeps() const { return beeps_; }
  bool ScreenSaverAllowed() const { return screenSaverAllowed_; }
  bool Exclusive() const { return exclusive_; }

 private:
  struct Event {
    DWORD due = 0;
    std::function<void()> deliver;
  };
  void Queue(DWORD afterMs, std::function<void()> deliver);

  std::deque<Event> script_;
  std::vector<UINT> beeps_;
  bool screenSaverAllowed_ = true;
  bool exclusive_ = false;
  bool sawQuit_ = false;
  bool captureCursor_ = false;
};

// StartBackend with the headless kind, as the concrete type tests script.
HeadlessBackend& StartHeadlessBackend();

}  // namespace plat
