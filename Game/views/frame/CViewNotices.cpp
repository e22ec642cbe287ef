#include "Game/views/frame/CViewNotices.h"

#include "Game/app/AppGlobals.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/panels/CInfoPanel.h"
#include "Game/panels/CVNotify.h"
#include "Game/views/frame/CHelpLibrary.h"
#include "Game/views/frame/CVGeneric.h"
#include "Game/views/frame/ViewApplication.h"
#include "platform/user/system.h"

namespace {

constexpr std::uint8_t kChatPanel = 6;

CVGeneric* CurrentView() { return dynamic_cast<CVGeneric*>(g_currentView); }

}  // namespace

void* CViewNotices::CreateHelpLibrary() { return new CHelpLibrary(); }

void CViewNotices::ReleaseHelpLibrary(void* library) { delete static_cast<CHelpLibrary*>(library); }

void CViewNotices::ControlCommand(std::uint32_t id) {
  if (g_currentView) g_currentView->OnControlCommand(id);
}

void CViewNotices::SetTurnLampCount(std::uint16_t count) {
  if (CVGeneric* view = CurrentView())
    view->SetTurnLampCount(count);
  else
    SharedScreen().turnLampCount = count;
}

void CViewNotices::TurnLampPacket(std::span<const std::uint8_t> packet) {
  if (CVGeneric* view = CurrentView()) view->OnTurnLampPacket(packet);
}

void CViewNotices::InfoPanelOwnerChanged() {
  if (SharedScreen().infoPanel) SharedScreen().infoPanel->ownerChangeMark = 0xFFFF;
}

bool CViewNotices::InfoPanelShowsChat() {
  return SharedScreen().infoPanelVisible && SharedScreen().infoPanel && SharedScreen().infoPanel->type == kChatPanel;
}

void CViewNotices::ChatLight(int on, int sound) {
  if (CVGeneric* view = CurrentView()) view->SetChatLight(on, sound);
  FlushScreen();
}

void CViewNotices::InvalidateView() {
  if (g_currentView) g_currentView->Invalidate();
}

void CViewNotices::GameOverDialogs(std::span<const std::uint8_t> packet) {
  // The winner's film leaves the screen flushing: the view's next flush would
  // cover the summary and the high scores while they are open.
  ::SuspendScreenFlush(1);
  ShowGameOverDialogs(packet);
  ::SuspendScreenFlush(0);
  AskFullRedraw();
}

void CViewNotices::AsteroidNotice(CGAsteroid* a, CGAsteroid* b) {
  if (CVGeneric* view = CurrentView(); view && a && b) view->OnAsteroidNotice(a->id, b->id);
}

void CViewNotices::NotificationPanelNewLine() {
  if (!g_currentView || !SharedScreen().notifyPanel) return;
  SharedScreen().notifyPanel->ScrollOneLine(1, 1);
  SharedScreen().notifyPanel->Refresh();
}

void CViewNotices::SelectionFull() { plat::MessageBeep(plat::MB_ICONEXCLAMATION); }

void CViewNotices::ScrollNotificationsToTop() {
  if (SharedScreen().notifyPanel) SharedScreen().notifyPanel->ScrollToTop();
}

void CViewNotices::ClearNotificationLines() {
  if (SharedScreen().notifyPanel) SharedScreen().notifyPanel->ResetLines();
}

std::int32_t CViewNotices::TurnMarker() { return static_cast<std::int32_t>(SharedScreen().endTurnSentTurn); }

void CViewNotices::SetTurnMarker(std::int32_t turn) {
  SharedScreen().endTurnSentTurn = static_cast<std::uint32_t>(turn);
}

void CViewNotices::SaveSharedState(plat::FILE* file) { CVGeneric::SaveSharedState(file); }

void CViewNotices::LoadSharedState(plat::FILE* file) { CVGeneric::LoadSharedState(file); }

void CViewNotices::SuspendScreenFlush(int suspend) { ::SuspendScreenFlush(suspend); }
bool CViewNotices::ScreenFlushSuspended() { return ::ScreenFlushSuspended(); }

void CViewNotices::ShowHelp(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, std::uint32_t topic) {
  ShowHelpTopic(display, parent, instance, topic, 0, 0);
}

void CViewNotices::RunOptions(CDDraw* display, plat::HWND window, plat::HINSTANCE instance, IGameView* view) {
  RunInGameOptionsDialog(display, window, instance, view);
}

// The game's help library answers every help request of the game screen;
// before a game has one (the guild screen's Guild Information), the help
// texts are opened for the one topic.
void ShowHelpTopic(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, std::uint32_t topic, int x, int y) {
  if (const auto* help = g_gameData ? static_cast<const CHelpLibrary*>(g_gameData->helpLibrary) : nullptr) {
    help->ShowTopic(display, parent, instance, topic, x, y, 0);
    return;
  }
  const CHelpLibrary frontEndHelp;
  frontEndHelp.ShowTopic(display, parent, instance, topic, x, y, 0);
}

void CViewNotices::ZoneAtvsReturned() {
  if (CVGeneric* view = CurrentView()) view->OnZoneAtvsReturned();
}
