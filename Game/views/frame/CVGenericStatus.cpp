// The control panel's state (normal play, replay, the solar future view, the
// info panel shown or hidden), the info panel switch and the status line at
// the top of the viewport.
#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "Game/base/GIDString.h"
#include "Game/model/GControlIds.h"
#include "Game/model/GGameData.h"
#include "Game/panels/CInfoPanel.h"
#include "Game/views/frame/CVGeneric.h"
#include "media/CImageButton.h"
#include "media/CSprite.h"
#include "platform/core/clock.h"
#include "platform/gdi/text.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr std::array<std::uint32_t, 4> kNormalButtons{control::kSwitchView, control::kEndTurn, control::kOptions,
                                                      control::kSettings};
constexpr std::uint32_t kFutureRunning = 2;
constexpr COLORREF kStatusColour = RGB(0, 255, 0);
// A status line's time that never counts down: it stays until replaced.
constexpr std::uint16_t kStatusUntilReplaced = 0xFFFF;
// The views step the line every 75 ms of play.
constexpr DWORD kStatusStepMs = 75;

// The application shows the save's notice through the call every line takes:
// the notice is known by its text.
bool IsSavedNotice(const std::string& line) {
  if (line.empty() || !g_gameData || !g_gameData->textIndex) return false;
  char saved[256] = {};
  g_gameData->textIndex->GetText("GAMESAVD", saved, sizeof saved);
  return line == saved;
}

void Show(std::uint32_t id, bool shown) {
  if (CImageButton* b = CVGeneric::ControlButton(id)) ShowWindow(b->window, shown ? SW_SHOW : SW_HIDE);
}

void Draw(std::uint32_t id) {
  if (CImageButton* b = CVGeneric::ControlButton(id); b && b->sprite)
    DrawViewSprite(b->sprite.get(), b->x, b->y, nullptr);
}

void ShowAndDraw(std::uint32_t id) {
  Show(id, true);
  Draw(id);
}

void ShowPanelButtons(bool shown) {
  for (std::uint32_t id = control::kFirstPanel; id <= control::kLastPanel; ++id) Show(id, shown);
}

// The future view's buttons in place of the normal ones (one of run and
// pause, by whether it runs), or the normal ones.
void ShowViewButtons(bool futureView) {
  if (futureView) {
    for (std::uint32_t id : kNormalButtons) Show(id, false);
    Show(control::kFutureRestart, true);
    const bool running = SharedScreen().futureViewState == kFutureRunning;
    Show(control::kFuturePause, !running);
    Show(control::kFutureRun, running);
    Draw(running ? control::kFutureRun : control::kFuturePause);
    Show(control::kFutureForward, true);
    Show(control::kFutureBack, true);
    Draw(control::kFutureRestart);
    Draw(control::kFutureForward);
    Draw(control::kFutureBack);
    return;
  }
  for (std::uint32_t id : {control::kFutureRun, control::kFuturePause, control::kFutureForward, control::kFutureBack,
                           control::kFutureRestart})
    Show(id, false);
  for (std::uint32_t id : kNormalButtons) ShowAndDraw(id);
}

}  // namespace

void CVGeneric::UpdateControlPanel() {
  if (SharedScreen().replayMode == 1 || SharedScreen().replayMode == 2) {
    const bool playing = SharedScreen().replayMode == 2;
    Show(control::kReplayPause, playing);
    Show(control::kReplayPlay, !playing);
    Draw(playing ? control::kReplayPause : control::kReplayPlay);
    for (std::uint32_t id : {control::kReplayRestart, control::kReplayExit, control::kReplayAdvance, control::kInfo})
      ShowAndDraw(id);
    return;
  }
  ClearControlArea();
  if (!SharedScreen().infoPanelVisible) {
    ShowPanelButtons(false);
    ShowViewButtons(SharedScreen().futureView && GetViewType() == VIEW_SOLAR);
    ShowAndDraw(control::kInfo);
    return;
  }
  ShowViewButtons(SharedScreen().futureView != 0);
  ShowAndDraw(control::kInfo);
  ShowPanelButtons(true);
  for (std::uint32_t id = control::kFirstPanel; id <= control::kLastPanel; ++id) Draw(id);
}

void CVGeneric::EnterReplayMode() {
  if (SharedScreen().replayMode != 0) return;
  for (std::uint32_t id : kNormalButtons) Show(id, false);
  ShowPanelButtons(false);
  for (std::uint32_t id :
       {control::kReplayPlay, control::kReplayRestart, control::kReplayAdvance, control::kReplayExit})
    Show(id, true);
  FlushScreen();
  OnReplayModeEntered();
  SharedScreen().replayMode = 2;
}

void CVGeneric::LeaveReplayMode(int switchBack) {
  if (SharedScreen().replayMode != 0) {
    SharedScreen().replayMode = 0;
    for (std::uint32_t id : {control::kReplayPlay, control::kReplayExit, control::kReplayAdvance,
                             control::kReplayRestart, control::kReplayPause})
      Show(id, false);
    for (std::uint32_t id : kNormalButtons) Show(id, true);
    Show(control::kInfo, true);
    ShowPanelButtons(true);
    FlushScreen();
    OnReplayModeLeft();
  }
  if (!switchBack || GetViewType() == VIEW_SPACE_REPLAY) return;
  GoToView(VIEW_TERRAIN, static_cast<LPARAM>(0xFFFF0000u | GetCurrentAsteroidId()));
}

void CVGeneric::ToggleInfoPanel() {
  OnCommand(kToggleInfoPanelCommand);
  SharedScreen().infoPanelVisible = SharedScreen().infoPanelVisible ? 0 : 1;
  // The spots of the page last drawn are stale until it is drawn again.
  if (SharedScreen().infoPanel) SharedScreen().infoPanel->ResetHotSpots();
  if (!SharedScreen().infoPanelVisible) SetCursorSet(CURSOR_NORMAL);
  Invalidate();
  UpdateControlPanel();
}

void CVGeneric::SetInfoPanelVisible(int visible) {
  // A hidden panel cannot finish the choice of a transfer's destination.
  if (!visible && SharedScreen().infoPanel) SharedScreen().infoPanel->EndTransferPicking();
  SharedScreen().infoPanelVisible = visible ? 1 : 0;
  if (SharedScreen().infoPanel) SharedScreen().infoPanel->ResetHotSpots();
  Invalidate();
  UpdateControlPanel();
}

void CVGeneric::SetStatusText(const char* text, int displayTime) {
  auto& screen = SharedScreen();
  std::string line = text ? text : "";
  const bool saved = IsSavedNotice(line);
  // The views step the line only in play, which the save's dialogs and the
  // save itself hold: a line held past its own time would come back after the
  // notice as if new. The steps missed are counted first, so that the notice
  // covers only a line with time left, and keeps for it what it has left.
  if (saved) {
    for (DWORD missed = (timeGetTime() - screen.statusSteppedAt) / kStatusStepMs;
         missed > 0 && screen.statusShown && screen.statusShown != kStatusUntilReplaced; --missed)
      CountDownStatusLine();
  }
  const bool savedAgain = saved && screen.statusShown && screen.statusText == line;
  if (!savedAgain) ForgetCoveredStatusLine();
  // The save's notice tells of nothing in the view: the line it covers (the
  // survey, a prompt still waiting) shows again here once the notice goes.
  if (saved && !savedAgain && screen.statusShown && !screen.statusText.empty()) {
    screen.coveredStatusText = std::move(screen.statusText);
    screen.coveredStatusShown = screen.statusShown;
    screen.coveredStatusView = GetViewType();
  }
  screen.statusText = std::move(line);
  screen.statusShown = static_cast<std::uint16_t>(displayTime);
  screen.statusSteppedAt = timeGetTime();
  OnStatusTextChanged();
}

bool CVGeneric::CountDownStatusLine() {
  auto& screen = SharedScreen();
  screen.statusSteppedAt = timeGetTime();
  if (!screen.statusShown || screen.statusShown == kStatusUntilReplaced || --screen.statusShown != 0) return false;
  // Only the notice gives back, and only in its view: a save that finishes
  // as the view changes covers a line of the view being left.
  if (screen.coveredStatusShown && screen.coveredStatusView == GetViewType() && IsSavedNotice(screen.statusText)) {
    screen.statusText = std::move(screen.coveredStatusText);
    screen.statusShown = screen.coveredStatusShown;
  }
  ForgetCoveredStatusLine();
  return true;
}

void CVGeneric::ForgetCoveredStatusLine() {
  SharedScreen().coveredStatusText.clear();
  SharedScreen().coveredStatusShown = 0;
}

void CVGeneric::DrawStatusText() {
  // The info panel covers the line's place with its headings; the line would
  // show through the panel's tint among them, and reads again once it closes.
  if (!SharedScreen().statusShown || SharedScreen().statusText.empty() || SharedScreen().infoPanelVisible) return;
  DrawScreenText(SharedScreen().statusText.c_str(), 0, 3, kViewportWidth, kStatusColour,
                 DT_CENTER | DT_WORDBREAK | DT_EXTERNALLEADING, 0, 1);
}
