// The play state the main window's messages and the game loop share.
#include <utility>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppViewNotices.h"
#include "Game/app/CClntApp.h"
#include "Game/base/ClientShell.h"
#include "Game/net/NetSession.h"
#include "media/CDDraw.h"
#include "platform/core/random.h"
#include "platform/ddraw/ddconst.h"
#include "platform/ddraw/ddraw.h"
#include "platform/user/queue.h"

bool CClntApp::TakeDeferredEscape() {
  if (m_pendingEscape != 1) return false;
  m_pendingEscape = 0;
  return true;
}

void CClntApp::QuitToDesktop() {
  m_running = 0;
  m_quit = 1;
}

void CClntApp::ReturnToFrontEnd() {
  m_quit = 0;
  m_running = 0;
}

void CClntApp::ShowView(ViewType type, std::int32_t renderArgument) {
  if (IGameView* view = View(type)) g_currentView = view;
  m_renderArgument = renderArgument;
  if (g_currentView) g_currentView->Render(m_renderArgument);
  if (m_renderArgument == kRenderOnce) m_renderArgument = -1;
}

void CClntApp::SeedGameRandom(std::uint32_t seed) {
  m_gameRandomSeed = seed;
  plat::srand(m_gameRandomSeed);
}

void CClntApp::NoteMouseMove(plat::DWORD now) {
  // All ones is the loop's "no move": a move at that very tick is kept one
  // tick earlier.
  m_lastMouseMove = now == 0xFFFFFFFF ? 0xFFFFFFFE : now;
}

void CClntApp::KeepForLater(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam) {
  if (!m_keptMessages.empty()) {
    const KeptMessage& last = m_keptMessages.back();
    if (last.message == message && last.wParam == wParam && last.lParam == lParam) return;
  }
  // A peer repeating what it sends cannot grow the list: what it sent last wins.
  if (m_keptMessages.size() == kMostKeptMessages) m_keptMessages.erase(m_keptMessages.begin());
  m_keptMessages.push_back({message, wParam, lParam});
}

void CClntApp::CarryOutKeptMessages() {
  if (m_gameCalls != 0) return;
  // Each may keep none again: it runs as the one call.
  std::vector<KeptMessage> kept;
  kept.swap(m_keptMessages);
  for (const KeptMessage& m : kept) MainWndProc(g_mainWnd, m.message, m.wParam, m.lParam);
}

// The game screen's flush is held while something covers it: a menu, a box or
// a dialog for the length of its own loop, a save or a load until the
// server's answer (the program busy meanwhile), a restart until its views.
// When the game loop comes round with none of these, a hold that is still
// there was left by some path that did not let go, and the screen would stay
// frozen under what has long closed; so it goes, and the screen is drawn
// whole. Activation no longer lets go on its own, which used to undo a save's
// or a load's hold.
void CClntApp::ReleaseUnheldScreenFlush() {
  if (!g_currentView || m_busy || AwaitsRestartViews()) return;
  if (!AppViewNotices().ScreenFlushSuspended()) return;
  AppViewNotices().SuspendScreenFlush(0);
  m_fullRedraw = 1;
}

void CClntApp::AwaitServerAnswer(ServerAnswer answer, SaveFile ownSave) {
  if (answer == ServerAnswer::RestartWorld) {
    m_keptAutosave.reset();
    // The saves still waiting will be answered of the new world, and the
    // save or the load the game was busy with ends with the old one.
    DropOwnSavesAside();
    if (m_serverWait.Awaited() != ServerAnswer::None) m_busy = 0;
  }
  m_serverWait.Begin(answer, g_session ? g_session->contactClock->Now() : 0, std::move(ownSave));
}

void CClntApp::EndOverdueServerWait() {
  if (!g_session) return;
  // Each refusal comes as the server's would, through the window's queue:
  // a load's then waits, as the server's does, for the call under it.
  switch (m_serverWait.Overdue(g_session->contactClock->Now())) {
    case ServerAnswer::RestartWorld:
      GiveUpRestart();
      return;
    case ServerAnswer::SaveDone:
      plat::PostMessage(g_mainWnd, WM_APP_SAVE_FINISHED, 0, kAnswerGivenUp);
      return;
    case ServerAnswer::LoadAnswer:
      plat::PostMessage(g_mainWnd, WM_APP_LOAD_PERMISSION, 0, kAnswerGivenUp);
      return;
    case ServerAnswer::LoadDone:
      plat::PostMessage(g_mainWnd, WM_APP_LOAD_REPLY, 0, kAnswerGivenUp);
      return;
    case ServerAnswer::None:
      return;
  }
}

void CClntApp::GiveUpRestart() {
  // Ended before the box: its own loop delivers the timer that comes here.
  m_serverWait.End();
  m_keptAutosave.reset();
  LeaveGame();
  ClientShell().CloseProgress();
  // No view draws the screen: the box would stand on the last picture of
  // the game the restart deleted.
  if (g_ddraw && g_ddraw->primary) {
    plat::DDBLTFX black;
    g_ddraw->primary->Blt(nullptr, nullptr, nullptr, plat::DDBLT_COLORFILL | plat::DDBLT_WAIT, &black);
  }
  ShowTextBox("RSRTLOST");
}
