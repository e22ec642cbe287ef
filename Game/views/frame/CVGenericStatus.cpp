// The control panel's state (normal play, replay, the solar future view, the
// info panel shown or hidden), the info panel switch and the status line at
// the top of the viewport.
#include <array>
#include <cstdint>
#include <string>

#include "Game/panels/CInfoPanel.h"
#include "Game/views/frame/CVGeneric.h"
#include "media/CImageButton.h"
#include "media/CSprite.h"
#include "platform/gdi/text.h"
#include "platform/user/window.h"

using namespace plat;

std::string g_statusText;
std::uint16_t g_statusShown = 0;
std::uint32_t g_futureView = 0;
std::uint8_t g_futureViewState = 0;

namespace {

constexpr std::array<std::uint32_t, 4> kNormalButtons{101, 111, 131, 132};
constexpr std::uint32_t kInfoButton = 130;
constexpr std::uint32_t kFirstPanelButton = 260;
constexpr std::uint32_t kLastPanelButton = 271;
constexpr std::uint32_t kPlay = 200, kExitReplay = 201, kAdvance = 202, kRestart = 203, kPause = 204;
constexpr std::uint32_t kFutureRun = 162, kFuturePause = 163, kFutureForward = 164, kFutureBack = 165,
                        kFutureRestart = 166;
constexpr std::uint32_t kFutureRunning = 2;
constexpr COLORREF kStatusColour = RGB(0, 255, 0);

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
  for (std::uint32_t id = kFirstPanelButton; id <= kLastPanelButton; ++id) Show(id, shown);
}

// The future view's buttons in place of the normal ones (one of run and
// pause, by whether it runs), or the normal ones.
void ShowViewButtons(bool futureView) {
  if (futureView) {
    for (std::uint32_t id : kNormalButtons) Show(id, false);
    Show(kFutureRestart, true);
    const bool running = g_futureViewState == kFutureRunning;
    Show(kFuturePause, !running);
    Show(kFutureRun, running);
    Draw(running ? kFutureRun : kFuturePause);
    Show(kFutureForward, true);
    Show(kFutureBack, true);
    Draw(kFutureRestart);
    Draw(kFutureForward);
    Draw(kFutureBack);
    return;
  }
  for (std::uint32_t id : {kFutureRun, kFuturePause, kFutureForward, kFutureBack, kFutureRestart}) Show(id, false);
  for (std::uint32_t id : kNormalButtons) ShowAndDraw(id);
}

}  // namespace

void CVGeneric::UpdateControlPanel() {
  if (g_replayMode == 1 || g_replayMode == 2) {
    const bool playing = g_replayMode == 2;
    Show(kPause, playing);
    Show(kPlay, !playing);
    Draw(playing ? kPause : kPlay);
    for (std::uint32_t id : {kRestart, kExitReplay, kAdvance, kInfoButton}) ShowAndDraw(id);
    return;
  }
  ClearControlArea();
  if (!g_infoPanelVisible) {
    ShowPanelButtons(false);
    ShowViewButtons(g_futureView && GetViewType() == VIEW_SOLAR);
    ShowAndDraw(kInfoButton);
    return;
  }
  ShowViewButtons(g_futureView != 0);
  ShowAndDraw(kInfoButton);
  ShowPanelButtons(true);
  for (std::uint32_t id = kFirstPanelButton; id <= kLastPanelButton; ++id) Draw(id);
}

void CVGeneric::EnterReplayMode() {
  if (g_replayMode != 0) return;
  for (std::uint32_t id : kNormalButtons) Show(id, false);
  ShowPanelButtons(false);
  for (std::uint32_t id : {kPlay, kRestart, kAdvance, kExitReplay}) Show(id, true);
  FlushScreen();
  OnReplayModeEntered();
  g_replayMode = 2;
}

void CVGeneric::LeaveReplayMode(int switchBack) {
  if (g_replayMode != 0) {
    g_replayMode = 0;
    for (std::uint32_t id : {kPlay, kExitReplay, kAdvance, kRestart, kPause}) Show(id, false);
    for (std::uint32_t id : kNormalButtons) Show(id, true);
    Show(kInfoButton, true);
    ShowPanelButtons(true);
    FlushScreen();
    OnReplayModeLeft();
  }
  if (!switchBack || GetViewType() == VIEW_SPACE_REPLAY) return;
  GoToView(VIEW_TERRAIN, static_cast<LPARAM>(0xFFFF0000u | GetCurrentAsteroidId()));
}

void CVGeneric::ToggleInfoPanel() {
  OnCommand(kToggleInfoPanelCommand);
  g_infoPanelVisible = g_infoPanelVisible ? 0 : 1;
  // The spots of the page last drawn are stale until it is drawn again.
  if (g_infoPanel) g_infoPanel->ResetHotSpots();
  if (!g_infoPanelVisible) SetCursorSet(CURSOR_NORMAL);
  Invalidate();
  UpdateControlPanel();
}

void CVGeneric::SetInfoPanelVisible(int visible) {
  // A hidden panel cannot finish the choice of a transfer's destination.
  if (!visible && g_infoPanel) g_infoPanel->EndTransferPicking();
  g_infoPanelVisible = visible ? 1 : 0;
  if (g_infoPanel) g_infoPanel->ResetHotSpots();
  Invalidate();
  UpdateControlPanel();
}

void CVGeneric::SetStatusText(const char* text, int displayTime) {
  g_statusText = text ? text : "";
  g_statusShown = static_cast<std::uint16_t>(displayTime);
  OnStatusTextChanged();
}

void CVGeneric::DrawStatusText() {
  // The info panel covers the line's place with its headings; the line would
  // show through the panel's tint among them, and reads again once it closes.
  if (!g_statusShown || g_statusText.empty() || g_infoPanelVisible) return;
  DrawScreenText(g_statusText.c_str(), 0, 3, kViewportWidth, kStatusColour,
                 DT_CENTER | DT_WORDBREAK | DT_EXTERNALLEADING, 0, 1);
}
