// The quit question, the low-disk warning and movies.
#include <array>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppViewNotices.h"
#include "Game/app/CClntApp.h"
#include "Game/app/CMessageBoxes.h"
#include "Game/base/GInstData.h"
#include "Game/base/Packets.h"
#include "Game/net/NetSession.h"
#include "Game/net/PacketQueue.h"
#include "media/CDDraw.h"
#include "media/CSndPlay.h"
#include "media/MoviePlayer.h"
#include "platform/core/bytes.h"
#include "platform/core/dospath.h"
#include "platform/core/files.h"
#include "platform/ddraw/ddconst.h"
#include "platform/ddraw/ddraw.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/system.h"

using namespace plat;

namespace {

constexpr std::uint64_t kLowDiskBytes = 2048000;

}  // namespace

void ConfirmQuit(std::uint32_t toDesktop, HWND parent) {
  if (!g_app) return;
  CClntApp& app = *g_app;
  if (!parent) parent = g_mainWnd;
  const char* id = app.Role().singlePlayer ? "QUITSNGL" : app.Role().host ? "QUITHOST" : "QUITPLAN";
  const std::string question = app.Text(id);
  std::uint32_t answer = 0;
  {
    CYesNoDlg box(g_ddraw, parent, app.m_instance, question.c_str(), static_cast<std::uint32_t>(LocalGuild()), &answer);
  }
  if (!app.Role().singlePlayer && !app.Role().host && answer == 1 && g_session) {
    std::array<std::uint8_t, 12> quit{};
    ByteWriter w(quit);
    w.WriteAt<std::uint16_t>(0, PKT_QUIT);
    w.WriteAt<std::uint16_t>(8, LocalChapterId(kNoChapterChosen));
    g_session->Send(kAllPlayersSlot, quit.data(), quit.size());
  }
  if (answer != 1) return;
  if (toDesktop) {
    app.QuitToDesktop();
    const bool killSwitch = g_instData.GetKillServerOnExit() != 0;
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    if ((app.Role().singlePlayer || app.Role().host) && killSwitch != shift && g_session) g_session->BroadcastEndGame();
  } else {
    app.LeaveGame();
  }
}

void CClntApp::LeaveGame() {
  ReturnToFrontEnd();
  if (g_session) g_session->NoteGameEnded();
  if (g_session && g_session->queue) g_session->queue->ResetSequence();
  // The next game's first turn results advance the model whatever its turn.
  AppViewNotices().SetTurnMarker(-1);
}

void CClntApp::CheckDiskSpace(HWND owner) {
  if (g_diskWarningOff) return;
  ULARGE_INTEGER available;
  if (!GetDiskFreeSpaceEx(g_instData.GetInstallPath(), &available, nullptr, nullptr)) return;
  if (available.QuadPart() >= kLowDiskBytes || !GameExists()) return;
  const std::string text = Text("LWDSKSPC");
  const std::string caption = Text("WARNING_");
  if (MessageBox(owner, text.c_str(), caption.c_str(), MB_OKCANCEL | MB_ICONEXCLAMATION) == IDCANCEL)
    g_diskWarningOff = 1;
}

void CClntApp::PlayMovie(const char* name) {
  if (g_moviePlaying || !name) return;
  const std::string path = std::string(g_instData.GetAviPath()) + name;
  plat::FILE* fp = plat::fopen(path.c_str(), "rb");
  if (!fp) {
    const std::string text = Text("NOCD____");
    COkDlg box(g_ddraw, g_mainWnd, m_instance, text.c_str(), static_cast<std::uint32_t>(LocalGuild()));
    fp = plat::fopen(path.c_str(), "rb");
    if (!fp) return;
  }
  plat::fclose(fp);
  if (g_sndPlay) g_sndPlay->Close();
  // The film plays in a black frame: nothing of the game screen stays around
  // it, and nothing of it is flushed over the film while it runs.
  AppViewNotices().SuspendScreenFlush(1);
  if (g_ddraw && g_ddraw->primary) {
    plat::DDBLTFX black;
    g_ddraw->primary->Blt(nullptr, nullptr, nullptr, plat::DDBLT_COLORFILL | plat::DDBLT_WAIT, &black);
  }
  g_moviePlaying = true;
  ::PlayMovie(g_mainWnd, m_instance, path.c_str());
  g_moviePlaying = false;
  AppViewNotices().SuspendScreenFlush(0);
  if (g_sndPlay) g_sndPlay->Reopen(g_mainWnd);
}

void CClntApp::PlayIntro() {
  PlayMovie("intro.avi");
  if (g_sndPlay) g_sndPlay->PlayTrack(6);
}
