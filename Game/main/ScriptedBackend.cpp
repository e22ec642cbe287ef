#include "Game/main/ScriptedBackend.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/app/CDlgBase.h"
#include "Game/app/CFrameTimer.h"
#include "Game/base/GBlockStream.h"
#include "Game/model/GGameData.h"
#include "platform/core/clock.h"
#include "platform/core/random.h"
#include "platform/dialog/listbox.h"
#include "platform/user/keys.h"
#include "platform/user/queue.h"
#include "platform/user/system.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr unsigned kRandomSeedAfterWait = 7;

constexpr std::uint64_t kDefaultGraceMs = 10000;
constexpr std::uint64_t kLongestGraceMs = 600000;

// The grace after the script's end: the environment's when it is a whole
// number of milliseconds up to ten minutes, else the default.
std::uint64_t GraceFromEnvironment() {
  const char* text = std::getenv("QUENBAR_SCRIPT_GRACE");
  if (text == nullptr || *text == '\0' || std::strlen(text) > 6) return kDefaultGraceMs;
  std::uint64_t ms = 0;
  for (const char* c = text; *c; ++c) {
    if (!std::isdigit(static_cast<unsigned char>(*c))) return kDefaultGraceMs;
    ms = ms * 10 + static_cast<std::uint64_t>(*c - '0');
  }
  return ms <= kLongestGraceMs ? ms : kDefaultGraceMs;
}
// A window tree deeper or wider than this is not searched further.
constexpr int kMaxWindowsSearched = 10000;

bool TextShown(HWND first, const std::string& wanted, int& budget) {
  for (HWND w = first; w && budget > 0; w = GetWindow(w, GW_HWNDNEXT), --budget) {
    if (!IsWindowVisible(w)) continue;
    char text[512];
    GetWindowText(w, text, sizeof text);
    if (std::strstr(text, wanted.c_str())) return true;
    if (MessageBoxText(w).find(wanted) != std::string::npos) return true;
    if (TextShown(GetWindow(w, GW_CHILD), wanted, budget)) return true;
  }
  return false;
}

// The deepest visible window at a point, disabled ones too: the mouse's own
// search passes over a disabled control to the dialog behind it, which would
// make a wait for an enabled control succeed on the dialog.
HWND ControlAt(int x, int y) {
  HWND at = WindowFromPoint(POINT{x, y});
  for (HWND child = at ? GetWindow(at, GW_CHILD) : nullptr; child != nullptr;) {
    RECT r{};
    if (IsWindowVisible(child) && GetWindowRect(child, &r) && x >= r.left && x < r.right && y >= r.top &&
        y < r.bottom) {
      at = child;
      child = GetWindow(child, GW_CHILD);
    } else {
      child = GetWindow(child, GW_HWNDNEXT);
    }
  }
  return at;
}

// The game data's block, byte for byte what a saved game holds. False with
// no game running or when the file cannot be written whole.
bool WriteModelBlock(const std::string& file) {
  if (g_gameData == nullptr) return false;
  std::vector<std::uint8_t> block;
  BlockWriter w(&block);
  if (g_gameData->Save(w) == 0) return false;
  std::FILE* out = std::fopen(file.c_str(), "wb");
  if (out == nullptr) return false;
  const bool written = std::fwrite(block.data(), 1, block.size(), out) == block.size();
  return std::fclose(out) == 0 && written;
}

std::uint64_t WallClockMs() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

ScriptedBackend::ScriptedBackend(std::vector<ScriptStep> steps, std::unique_ptr<Backend> shown)
    : shown_(std::move(shown)), steps_(std::move(steps)), graceMs_(GraceFromEnvironment()) {
  g_stillWorld = true;
  // A person watches: animations, music and waits run at their own pace.
  if (shown_) UseRealClock();
}

std::unique_ptr<ScriptedBackend> ScriptedBackend::WithoutScript() {
  auto backend = std::make_unique<ScriptedBackend>(std::vector<ScriptStep>{});
  backend->withoutScript_ = true;
  return backend;
}

void ScriptedBackend::Service() {
  Advance();
  HeadlessBackend::Service();
  if (shown_) shown_->Service();
}

void ScriptedBackend::Present() {
  if (shown_) shown_->Present();
}

void ScriptedBackend::SetExclusive(bool exclusive) {
  HeadlessBackend::SetExclusive(exclusive);
  if (shown_) shown_->SetExclusive(exclusive);
}

void ScriptedBackend::SetScreenSaverAllowed(bool allowed) {
  HeadlessBackend::SetScreenSaverAllowed(allowed);
  if (shown_) shown_->SetScreenSaverAllowed(allowed);
}

void ScriptedBackend::Fail(const ScriptStep& step, const std::string& why) {
  ++failures_;
  std::fprintf(stderr, "script line %d: %s\n", step.line, why.c_str());
}

void ScriptedBackend::Advance() {
  // A capture or a step's check may wait in turn; it must not run the script.
  if (advancing_) return;
  advancing_ = true;
  const DWORD now = timeGetTime();
  while (stepIndex_ < steps_.size()) {
    if (!stepStarted_) {
      stepStarted_ = true;
      stepStart_ = now;
      stepStartWall_ = WallClockMs();
    }
    const ScriptStep& step = steps_[stepIndex_];
    if (!RunStep(step, now)) break;
    ++stepIndex_;
    stepStarted_ = false;
    // Input is aimed when it is delivered (keys at the focus of that moment):
    // the program takes what a step put in before the next step runs, or
    // text typed after a click would miss the field the click focuses.
    if (step.kind == ScriptStep::Kind::Click || step.kind == ScriptStep::Kind::Move ||
        step.kind == ScriptStep::Kind::Drag || step.kind == ScriptStep::Kind::DoubleClick ||
        step.kind == ScriptStep::Kind::Hold || step.kind == ScriptStep::Kind::Release ||
        step.kind == ScriptStep::Kind::Key || step.kind == ScriptStep::Kind::Text)
      break;
  }
  if (stepIndex_ == steps_.size() && !ended_) {
    ended_ = true;
    endedAtWall_ = WallClockMs();
  }
  // Counted in real time: the program's own clock runs ahead while it waits on
  // a starved peer, and a host gone early takes the others' game with it.
  if (ended_ && !forcedQuit_ && ScriptDone() && WallClockMs() - endedAtWall_ >= graceMs_) {
    // A script need not close the program itself: its end does.
    std::fputs(withoutScript_
                   ? "quenbar: without a script, the program has shown its first screen and is told to quit\n"
                   : "the script ended; the program is told to quit\n",
               stderr);
    forcedQuit_ = true;
    PostQuitMessage(0);
  }
  advancing_ = false;
}

bool ScriptedBackend::RunStep(const ScriptStep& step, DWORD now) {
  using Kind = ScriptStep::Kind;
  const DWORD waited = now - stepStart_;
  auto waitFor = [&](bool met, const char* what) {
    if (met) {
      // How many frames a wait on another process took varies from run to
      // run, and with it how far the random numbers went: they start over
      // here, so the pictures after the wait repeat.
      plat::srand(kRandomSeedAfterWait);
      return true;
    }
    const std::uint64_t spent = step.realTime ? WallClockMs() - stepStartWall_ : waited;
    if (spent < step.timeoutMs) return false;
    std::string awaited = step.text;
    if (step.kind == Kind::WaitPacket) awaited = std::to_string(step.number);
    if (step.kind == Kind::WaitEnabled || step.kind == Kind::WaitItems)
      awaited = "at " + std::to_string(step.x) + " " + std::to_string(step.y);
    if (step.kind == Kind::WaitItems) awaited = std::to_string(step.number) + " lines " + awaited;
    Fail(step, std::string("gave up waiting for ") + what + " " + awaited);
    return true;
  };
  switch (step.kind) {
    case Kind::Click:
      Click(step.x, step.y, step.right ? input::Button::Right : input::Button::Left);
      return true;
    case Kind::Move:
      MoveMouse(step.x, step.y);
      return true;
    case Kind::DoubleClick:
      Click(step.x, step.y);
      Click(step.x, step.y);
      return true;
    case Kind::Drag:
      if (step.held) KeyDown(step.held);
      MoveMouse(step.x, step.y);
      MouseDown(input::Button::Left);
      MoveMouse(step.toX, step.toY);
      MouseUp(input::Button::Left);
      if (step.held) KeyUp(step.held);
      return true;
    case Kind::Hold:
      KeyDown(step.vk);
      return true;
    case Kind::Release:
      KeyUp(step.vk);
      return true;
    case Kind::Key:
      PressKey(step.vk);
      return true;
    case Kind::Text:
      for (char c : step.text) {
        const bool upper = std::isupper(static_cast<unsigned char>(c)) != 0;
        if (upper) KeyDown(VK_SHIFT);
        PressKey(c == ' ' ? VK_SPACE : static_cast<UINT>(std::toupper(static_cast<unsigned char>(c))));
        if (upper) KeyUp(VK_SHIFT);
      }
      return true;
    case Kind::Sleep:
      return (step.realTime ? WallClockMs() - stepStartWall_ : waited) >= step.number;
    case Kind::WaitFrames:
      return waited >= step.number * kFramePeriodMs;
    case Kind::WaitDialog:
    case Kind::WaitClosed: {
      // A dialog still in its initialisation is not on the screen yet: input
      // sent to it then would be lost, so it is waited for as it shows.
      const bool closing = step.kind == Kind::WaitClosed;
      bool open = false;
      for (const std::string& name : closing ? OpenDialogTemplates() : ReadyDialogTemplates())
        open = open || name == step.text;
      if (closing) return waitFor(!open, "the end of dialog");
      return waitFor(open, "dialog");
    }
    case Kind::WaitText: {
      int budget = kMaxWindowsSearched;
      const bool shown = g_mainWnd && TextShown(GetWindow(g_mainWnd, GW_HWNDFIRST), step.text, budget);
      return waitFor(shown, "text");
    }
    case Kind::WaitPacket:
      return waitFor(DispatchedPacketCount(static_cast<std::uint16_t>(step.number)) >= step.count, "packet");
    case Kind::WaitEnabled: {
      const HWND control = ControlAt(step.x, step.y);
      return waitFor(control && IsWindowEnabled(control), "an enabled control");
    }
    case Kind::WaitItems: {
      const HWND list = ControlAt(step.x, step.y);
      const LRESULT lines = list ? SendMessage(list, LB_GETCOUNT, 0, 0) : 0;
      return waitFor(lines >= 0 && static_cast<std::uint32_t>(lines) >= step.number, "a list box with");
    }
    case Kind::WaitGone: {
      std::error_code ec;
      const bool present = std::filesystem::exists(step.text, ec);
      return waitFor(!present && !ec, "the removal of");
    }
    case Kind::Capture:
      if (!SaveCapture(step.text)) Fail(step, "cannot write " + step.text);
      return true;
    case Kind::Model:
      if (!WriteModelBlock(step.text)) Fail(step, "cannot write the game data to " + step.text);
      return true;
  }
  return true;
}
