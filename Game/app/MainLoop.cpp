// The main loop: window messages, packet dispatch and the current view's
// frames, and the front end again between games.
#include <array>

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/app/CFrameTimer.h"
#include "Game/app/IdleWait.h"
#include "Game/base/Packets.h"
#include "Game/net/NetDispatcher.h"
#include "Game/net/NetSession.h"
#include "Game/save/EmailTurn.h"
#include "platform/core/bytes.h"
#include "platform/core/clock.h"
#include "platform/user/focus.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

// The cursor kind of the help cursor.
constexpr std::uint32_t kHelpCursor = 7;

bool DispatchPacket() { return g_session != nullptr && DispatchPacket(*g_session) != 0; }

}  // namespace

// The e-mail turn's packets are handled back to back, as one call.
bool CClntApp::ProcessEmailTurnAsOneCall() {
  bool processed = false;
  {
    const GameCall call(*this);
    processed = g_session && ProcessEmailTurn(*g_session);
  }
  CarryOutKeptMessages();
  return processed;
}

bool CClntApp::DispatchPacketAsOneCall() {
  bool took = false;
  {
    const GameCall call(*this);
    took = DispatchPacket();
  }
  CarryOutKeptMessages();
  return took;
}

void CClntApp::RedrawWholeView() {
  m_fullRedraw = 0;
  IGameView* view = g_currentView;
  if (!view) return;
  view->RedrawBackground();
  // The panel lies on the background just laid: a loaded game's
  // first screen and the screen after a save would show it empty.
  view->RedrawDataPanel();
  view->DrawGotoBar();
  view->DrawTurnLamps();
  view->Invalidate();
  view->Render(m_renderArgument);
  if (g_currentView) {
    g_currentView->UpdateControlPanel();
    g_currentView->Invalidate();
    g_currentView->Render(-1);
  }
}

// Delivers the cursor position as one mouse move to the current view.
void DeliverMouseMove() {
  POINT p{};
  if (GetCursorPos(&p) && g_currentView && !IsIconic(g_mainWnd))
    g_currentView->OnMouseMove(0, MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)));
}

int CClntApp::Run() {
  m_quit = 0;
  m_busy = 0;
  bool altWasDown = true;
  for (;;) {
    if (!m_role.emailGame) {
      // Every byte set, so nothing of the sender's memory leaves with it.
      std::array<std::uint8_t, 16> status{};
      ByteWriter w(status);
      w.WriteAt<std::uint16_t>(0, PKT_STATUS);
      const std::uint16_t chapter = LoadedGame() ? m_chapter.id : LocalChapterId(kNoChapterChosen);
      w.WriteAt<std::uint16_t>(8, chapter);
      w.WriteAt<std::uint32_t>(12, g_session ? g_session->opened : 0);
      if (g_session) g_session->Send(kAllPlayersSlot, status.data(), status.size());
    } else if (!ProcessEmailTurnAsOneCall()) {
      // The player's saved state of this e-mail game cannot be read (the
      // player has been told): nothing to play, back to the front end.
      TearDownGame();
      if (!StartFrontEnd(m_commandLine.c_str())) return 0;
      continue;
    }
    m_running = 1;
    while (m_running) {
      EndOverdueServerWait();
      MSG msg;
      if (PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (!GetMessage(&msg, nullptr, 0, 0)) return static_cast<int>(msg.wParam);
        TranslateMessage(&msg);
        DispatchMessage(&msg);
        CarryOutKeptMessages();
        if (!m_playPhase) DispatchPacketAsOneCall();
        continue;
      }
      if (g_currentView) {
        if (GetKeyState(VK_MENU) & 0x8000) {
          g_currentView->SetCursorSet(kHelpCursor);
          altWasDown = true;
        } else if (altWasDown) {
          g_currentView->UpdateCursor();
          altWasDown = false;
        }
      }
      const bool tookPacket = DispatchPacketAsOneCall();
      ReleaseUnheldScreenFlush();
      const CFrameTimer* runningTimer = nullptr;
      if (g_mainWnd && GetForegroundWindow() == g_mainWnd && g_currentView) {
        {
          const GameCall call(*this);
          if (m_fullRedraw) RedrawWholeView();
          if (m_lastMouseMove != 0xFFFFFFFF) {
            m_lastMouseMove = 0xFFFFFFFF;
            DeliverMouseMove();
          } else if (m_frameTimer) {
            m_frameTimer->Tick(g_currentView, m_playPhase != 0);
          }
        }
        CarryOutKeptMessages();
        runningTimer = m_frameTimer.get();
      } else if (g_mainWnd && g_currentView && m_fullRedraw && IsWindowVisible(g_mainWnd) && !IsIconic(g_mainWnd)) {
        // Inactive but still in sight (the focus taken and never given back):
        // what the program closed or changed itself, a save's dialogs among
        // them, would otherwise stay on the screen until it is active again.
        const GameCall call(*this);
        RedrawWholeView();
      }
      WaitAfterIdlePass(tookPacket, runningTimer);
    }
    if (m_quit) return 0;
    TearDownGame();
    if (!StartFrontEnd(m_commandLine.c_str())) return 0;
  }
}
