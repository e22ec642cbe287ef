// Carrying the program from the front end into a game and back.
#include <cstring>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/app/CMessageBoxes.h"
#include "Game/app/GameLife.h"
#include "Game/base/ClientShell.h"
#include "Game/base/GInstData.h"
#include "Game/base/Packets.h"
#include "Game/net/NetSession.h"
#include "Game/net/PacketQueue.h"
#include "Game/save/SaveGame.h"
#include "hvmulti/HvMulti.h"
#include "media/CDDraw.h"
#include "media/CSndPlay.h"
#include "media/CSprite.h"
#include "platform/core/bytes.h"
#include "platform/core/dospath.h"
#include "platform/core/files.h"
#include "platform/resource/module.h"
#include "platform/user/queue.h"

using namespace plat;

namespace {

constexpr int kTitleScreen = 1;
constexpr int kHostScreen = 12;
constexpr int kJoinScreen = 13;
constexpr std::size_t kJoinNameSize = 260;

// Until the front-end screens exist: one screen that says so, and leaves.
int PlaceholderScreenFlow(CClntApp& app) {
  const std::string text = app.Text("FENOTYET");
  COkDlg box(g_ddraw, g_mainWnd, app.m_instance, text.c_str(), 0);
  return 0;
}

// The name after "-I:": quoted up to the next quote, else up to a blank.
void TakeJoinName(const char* from, char* to, std::size_t size) {
  std::size_t n = 0;
  if (*from == '"') {
    for (++from; *from && *from != '"' && n + 1 < size; ++from) to[n++] = *from;
  } else {
    for (; *from && *from != ' ' && n + 1 < size; ++from) to[n++] = *from;
  }
  to[n] = '\0';
}

// Deletes every file matching the pattern in the save directory: 1 when all
// went, 0 when none was found or one could not be deleted (after the box,
// leaving the rest).
int DeleteSaveFiles(CClntApp& app, const char* pattern) {
  const std::string dir = g_instData.GetSavePath();
  _finddata_t found;
  const std::intptr_t search = _findfirst((dir + pattern).c_str(), &found);
  if (search == -1) return 0;
  int result = 1;
  do {
    if (plat::remove((dir + found.name).c_str()) != 0) {
      char text[255];
      app.TextIndex().GetText("ERRINDEL", text, sizeof text, found.name);
      COkDlg box(g_ddraw, g_mainWnd, app.m_instance, text, static_cast<std::uint32_t>(LocalGuild()));
      result = 0;
      break;
    }
  } while (_findnext(search, &found) == 0);
  _findclose(search);
  return result;
}

}  // namespace

int CClntApp::StartFrontEnd(const char* commandLine) {
  ResetSettings(SETUP_CONFIG, 0);
  for (std::int16_t group = SETUP_FOG; group <= SETUP_OPTIONS; ++group) ResetSettings(group, 1);
  m_gameSettings->word16 = 0;
  m_screens.frontEndWord = 1;
  LoadUserInfo();
  if (g_sndPlay) {
    g_sndPlay->Init(g_mainWnd, m_options.musicLevel, m_options.effectsLevel, m_options.speech);
    g_sndPlay->SetLevels(m_options.musicLevel, m_options.effectsLevel, m_options.speech);
  }
  m_gameSettings->difficulty = GetDifficulty(0);
  m_role.lobbyLaunch = 0;

  const std::string line = commandLine ? commandLine : "";
  if (line.rfind("HV", 0) == 0 && g_session) {
    m_network.connection.sessionId = 0;
    m_role.lobbyConnectResult = static_cast<std::uint32_t>(g_session->InitAutoLaunch(line.c_str()));
    if (m_role.lobbyConnectResult == 32) {
      if (g_session->OpenAndJoin(m_network.connection) < 0) {
        COkDlg box(g_ddraw, g_mainWnd, m_instance,
                   "Can't connect to this game session. Please try connecting directly.", 0);
      } else {
        m_role.lobbyLaunch = 1;
        m_role.lobbyArgument = line;
      }
    } else if (m_role.lobbyConnectResult == 16) {
      m_role.lobbyLaunch = 1;
      m_role.host = 1;
    }
  } else if (line.rfind("-I:", 0) == 0 && g_session) {
    g_session->joinByName = 1;
    if (!g_session->joinName) g_session->joinName = std::make_unique<char[]>(kJoinNameSize);
    TakeJoinName(line.c_str() + 3, g_session->joinName.get(), kJoinNameSize);
  }

  char path[260];
  g_instData.BuildPath(path, "frontend.dll", INSTPATH_FRONTEND_ART);
  m_frontEndModule = LoadLibrary(path);
  const std::string backdrop = std::string(g_instData.GetFrontEndArtPath()) + "backdrp1.ima";
  if (g_ddraw && m_frontEndModule) {
    m_backdrop = std::make_unique<CSprite>(g_ddraw, backdrop.c_str(), m_frontEndModule, kNoColourKey, kScreenWidth,
                                           kScreenHeight, 0, 0, 0);
    m_backdrop->LoadImage(m_frontEndModule);
    m_backdrop->BltToPrimary(nullptr, nullptr);
  }
  if (g_session) g_session->EnumServices(m_network.connection);

  int start = kTitleScreen;
  if (g_session && g_session->joinByName)
    start = kHostScreen;
  else if (m_role.lobbyLaunch)
    start = m_role.host ? kHostScreen : kJoinScreen;
  const std::optional<int> chosen = ClientShell().RunScreenFlow(start);
  const int result = chosen ? *chosen : PlaceholderScreenFlow(*this);

  auto leaveFrontEnd = [this] {
    if (m_frontEndModule) FreeLibrary(m_frontEndModule);
    m_frontEndModule = nullptr;
    m_backdrop.reset();
  };
  if (result == 0) {
    WriteUserInfo();
    leaveFrontEnd();
    return 0;
  }
  if (!LoadedGame()) ClientShell().OpenProgress("GAMEINI1", 1);
  if (m_role.singlePlayer && !LoadedGame()) WriteUserInfo();
  leaveFrontEnd();
  if (!LoadedGame()) CreateGame(m_chapter.id, m_chapter.perGuild);
  if (GameExists() && m_chapter.id < 40) {
    ApplyGameSetup(*m_gameSettings, m_gameConfig.get(), m_chapter.id);
    SetLocalChapterName(m_chapter.name);
  }
  if (g_session) g_session->notifyWindow = g_mainWnd;
  ApplyGameColors(1);
  return 1;
}

void CClntApp::UnwindToScreen(std::int16_t screen) {
  if (GameExists()) DestroyGame();
  if (screen < 13 && g_session) {
    if (m_role.host) {
      if (m_network.inSession) g_session->BroadcastEndGame();
      if (m_network.sessionOpen && g_session->multi) g_session->multi->CloseSession();
      m_network.inSession = 0;
      m_network.sessionOpen = 0;
    }
    if (m_chapter.secondId != kNoChapterChosen && !m_role.singlePlayer && !m_role.host) {
      std::array<std::uint8_t, 48> leave{};
      ByteWriter w(leave);
      w.WriteAt<std::uint16_t>(0, PKT_CHAPTER_CLAIM);
      w.WriteAt<std::uint16_t>(8, static_cast<std::uint16_t>(m_chapter.id + 100));
      w.WriteAt<std::uint16_t>(10, m_chapter.id);
      g_session->Send(kAllPlayersSlot, leave.data(), leave.size());
    }
    if (g_session->queue) g_session->queue->ResetSequence();
    m_chapter.secondId = kNoChapterChosen;
  }
  if (screen < 4) {
    m_role.emailGame = 0;
    m_role.lobbyArgument.clear();
  }
  if (screen < 10) m_load.fileName[0] = '\0';
  if (screen < 9 && m_network.connection.connectionKind != 0xFFFF && g_session && g_session->multi) {
    g_session->multi->CloseService();
    m_network.connection.connectionKind = 0xFFFF;
  }
  if (screen < 10) m_role.host = 0;
  if (screen < 3) m_role.singlePlayer = 0;
}

void CClntApp::TearDownGame() {
  RestoreSystemColors();
  g_currentView = nullptr;
  if (g_getMessageHook) UnhookWindowsHookEx(g_getMessageHook);
  g_getMessageHook = nullptr;
  DeleteViews();
  // What waited for this game's loop is not the next game's.
  m_keptMessages.clear();
  m_keptAutosave.reset();
  // A save whose answer did not come before the game was left leaves no
  // half of its own behind.
  m_serverWait.Forget();
  DropOwnSavesAside();
  if (GameExists() && g_sndPlay) g_sndPlay->Close();
}

int CClntApp::DeleteReplayFiles() {
  if (!DeleteSaveFiles(*this, "*.rpl")) return 0;
  return DeleteReviewLogs();
}

int CClntApp::DeleteReviewLogs() { return DeleteSaveFiles(*this, "*.tlg"); }
