#include "Game/frontend/ScreenFlow.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <cstdint>

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/frontend/ConnectionScreens.h"
#include "Game/frontend/CreateJoinScreen.h"
#include "Game/frontend/EmailScreen.h"
#include "Game/frontend/SessionList.h"
#include "Game/frontend/ModemScreen.h"
#include "Game/frontend/ScreenHistory.h"
#include "Game/frontend/SerialScreen.h"
#include "Game/frontend/TitleScreens.h"
#include "Game/frontend/WaitScreen.h"
#include "Game/model/GInstData.h"
#include "Game/net/NetSession.h"
#include "Game/net/Packets.h"
#include "hvmulti/HvMRecords.h"
#include "hvmulti/HvPlayerList.h"
#include "hvmulti/HvMulti.h"
#include "platform/core/clock.h"
#include "platform/core/files.h"
#include "platform/core/process.h"
#include "media/CSndPlay.h"
#include "platform/core/bytes.h"

namespace {

constexpr std::uint16_t kLocalConnection = 0xFFFE;
constexpr std::uint8_t kOnlineService = 7;
constexpr std::uint16_t kChapterAnnounceBase = 100;
constexpr plat::DWORD kSavedGameAnswerMs = 10000;

void StopEffects() {
  if (g_sndPlay) g_sndPlay->StopEffect(-1);
}

void BroadcastChapters(std::uint16_t value) {
  if (!g_session) return;
  std::array<std::uint8_t, 12> packet{};
  plat::ByteWriter w(packet);
  w.WriteAt<std::uint16_t>(0, PKT_CHAPTER_REPORTS);
  w.WriteAt<std::uint16_t>(8, value);
  g_session->BroadcastUnsequenced(kAllPlayersSlot, packet.data(), packet.size());
}

// The local server is running and this player hosts it alone.
void MarkLocalGameStarted(CClntApp& app) {
  app.m_host = app.m_singlePlayer = app.m_sessionOpen = app.m_inSession = 1;
  app.m_connection.connectionKind = kLocalConnection;
}

bool FileExists(const std::string& path) {
  plat::FILE* file = plat::fopen(path.c_str(), "rb");
  if (file) plat::fclose(file);
  return file != nullptr;
}

// The last single-player saved game, or the instant-action scenario when
// there is none, started on a local server.
std::int16_t QuickStart(CClntApp& app) {
  const std::string last = g_instData.GetQuickStartFile();
  const std::string savePath = g_instData.GetSavePath();
  if (last.empty() || !FileExists(savePath + last)) {
    std::snprintf(app.m_directory, sizeof app.m_directory, "%s", g_instData.GetScenarioPath());
    std::snprintf(app.m_fileName, sizeof app.m_fileName, "%s", "QikStart.clt");
    app.m_scenario = 1;
  } else {
    std::snprintf(app.m_directory, sizeof app.m_directory, "%s", savePath.c_str());
    std::snprintf(app.m_fileName, sizeof app.m_fileName, "%s", last.c_str());
    app.m_scenario = 0;
  }
  StopEffects();
  // Without the scenario either there is nothing to load: no server is
  // started for a game that cannot come.
  const bool present = FileExists(std::string(app.m_directory) + app.m_fileName);
  if (!present || !g_session || g_session->AutoLaunchConnect(app.m_lobbyArgument.c_str()) != 0) {
    app.m_fileName[0] = '\0';
    app.ShowTextBox("FEERROR_");
    return kScreenSingle;
  }
  MarkLocalGameStarted(app);
  app.m_gameConfig->word8 = 1;
  app.m_gameConfig->word12 = 1;
  app.m_gameConfig->word36 = 0;
  return kScreenQuickStarted;
}

// The tutorial's launcher is a program of its own; the title waits for it.
// A launcher that is not installed starts nothing.
void RunLauncher() {
  const std::string launcher = std::string(g_instData.GetTutorialPath()) + "launcher.exe";
  StopEffects();
  plat::_spawnl(plat::_P_WAIT, launcher.c_str(), launcher.c_str(), nullptr);
}

std::int16_t TitleScreen(CClntApp& app) {
  // A first start shows the intro before the title; the title follows even
  // when the settings file cannot be written, so the intro never repeats.
  if (!FileExists(std::string(g_instData.GetInstallPath()) + "userinfo.dat")) {
    app.PlayIntro();
    app.WriteUserInfo();
  }
  const std::int16_t result = RunMainDlg(app);
  switch (result) {
    case kScreenSingle:
      app.m_host = 1;
      return kScreenSingle;
    case kScreenSessions:
      app.m_connection.serviceType = kOnlineService;
      app.m_connection.connectionKind = 0;
      StopEffects();
      if (g_session) g_session->InitService(app.m_connection, nullptr);
      return kScreenSessions;
    case kResultIntro:
      app.PlayIntro();
      return kScreenTitle;
    case kResultTutorial:
      RunLauncher();
      return kScreenTitle;
    case kScreenQuickStarted:
      return QuickStart(app);
    default:
      return result;
  }
}

std::int16_t SingleScreen(CClntApp& app) {
  const std::int16_t result = RunSingleDlg(app);
  if (result == kScreenConfigLocal) {
    app.m_singlePlayer = 1;
    return kScreenConfigLocal;
  }
  // Saved games and scenarios need the load screen, which comes with the
  // second half of the front end: no file can be chosen yet.
  if (result == kScreenQuickStarted || result == kResultScenario) {
    app.ShowTextBox("FENOSCRN");
    return kScreenSingle;
  }
  return result;
}

// What follows every successful start of a game but an e-mail one: the
// others learn the number of chapters and the settings.
std::int16_t AnnounceStartedGame(CClntApp& app) {
  app.m_gameConfig->word12 = 1;
  BroadcastChapters(static_cast<std::uint16_t>(kChapterAnnounceBase + app.m_gameConfig->chapters));
  app.m_chaptersPerGuild = app.m_gameConfig->chapters;
  app.SendGameSettings(*app.m_gameSettings, kNoChapterSlot);
  return app.m_standAlone ? kScreenGuildChapterHost : kScreenGuildChapter;
}

// The server program creates the e-mail game's first files and ends; the
// players then take their turns from the e-mail screen.
std::int16_t CreateEmailGame(CClntApp& app) {
  app.WriteEmailInfo();
  const std::string server = std::string(g_instData.GetInstallPath()) + "QuenSrvr.exe";
  const std::intptr_t code =
      plat::_spawnl(plat::_P_WAIT, server.c_str(), server.c_str(), app.m_lobbyArgument.c_str(), nullptr);
  if (code != 1) {
    app.ShowTextBox("EMAILCER");
    app.ShowTextBox("FEERROR_");
    return kScreenTitle;
  }
  app.ShowTextBox("EMAILCRE");
  app.m_gameConfig->word12 = 1;
  app.m_chaptersPerGuild = app.m_gameConfig->chapters;
  return app.m_standAlone ? kScreenGuildChapterHost : kScreenEmail;
}

std::int16_t EmailScreen(CClntApp& app) {
  std::string typed;
  const std::int16_t result = RunEmailDlg(app, typed);
  std::string name;
  if (!typed.empty()) {
    name = EmailGameName(typed);
    if (g_session) g_session->emailGameName = name;
  }
  switch (result) {
    case kResultCreateEmail:
      if (name.empty()) return kScreenEmail;
      app.m_lobbyArgument = EmailCreateCommand(name);
      app.m_emailGame = 1;
      return kScreenConfigLocal;
    case kResultPlayEmail:
    case kResultProcessEmail:
      // Both choose their turn file with the load screen of the front end's
      // second half: no file can be chosen yet.
      app.ShowTextBox("FENOSCRN");
      return kScreenEmail;
    default:
      return result;
  }
}

// The configuration screen's start of a local game, with the configuration
// as it stands.
std::int16_t StartLocalGame(CClntApp& app) {
  app.m_gameSettings->word16 = app.m_gameConfig->word36;
  StopEffects();
  app.m_connection.connectionKind = kLocalConnection;
  if (app.m_emailGame) return CreateEmailGame(app);
  if (!g_session || g_session->AutoLaunchConnect(app.m_lobbyArgument.c_str()) != 0) {
    app.ShowTextBox("FEERROR_");
    return kScreenTitle;
  }
  MarkLocalGameStarted(app);
  return AnnounceStartedGame(app);
}

// The configuration screen's start of a hosted game: client-server (the
// session is created and the server program started on this computer,
// unless this player is in the session already) or peer-to-peer.
std::int16_t HostGame(CClntApp& app, bool peerToPeer) {
  app.m_gameSettings->word16 = app.m_gameConfig->word36;
  StopEffects();
  if (peerToPeer || !app.m_inSession) {
    const GameConfigPacket& config = *app.m_gameConfig;
    const std::string description =
        NewSessionDescription(config.turnTimeLimit, config.chapters, config.asteroids, config.victoryConditions);
    std::snprintf(app.m_connection.description, sizeof app.m_connection.description, "%s", description.c_str());
    HvMServiceEx_Struct settings;
    settings.bytes = app.m_settingsBlock;
    int created = 0;
    if (g_session)
      created = peerToPeer ? g_session->CreateAndJoin(app.m_connection)
                           : g_session->CreateAndJoinCS(app.m_connection, &settings);
    if (created != 1 && created != 2) {
      app.ShowTextBox("FEERROR_");
      return kScreenTitle;
    }
    app.m_sessionOpen = app.m_inSession = 1;
  }
  return AnnounceStartedGame(app);
}

// The guild-and-chapter choice with its set-up screens taking their
// defaults: the host takes the first chapter, a player who joins the first
// chapter of the guild after the players already there, a stand-alone
// server none.
std::int16_t ChooseChapter(CClntApp& app, std::int16_t screen) {
  std::uint16_t chapter = app.m_chapterId == kNoChapter ? 0 : app.m_chapterId;
  if (screen == kScreenGuildChapterHost) {
    chapter = kNoChapterSlot;
  } else if (!app.m_host && g_session && g_session->players && g_session->multi) {
    g_session->players->UpdatePlayerList(g_session->multi.get());
    const int others = std::max(0, g_session->players->PlayerCount() - 1);
    chapter = static_cast<std::uint16_t>(others * app.m_chaptersPerGuild);
  }
  app.m_settingsRequested = 1;
  app.SendGameSettings(*app.m_gameSettings, chapter);
  if (g_session && chapter < kNoChapterSlot) {
    // The claim comes before anything else this player sends about the game.
    std::array<std::uint8_t, 48> claim{};
    plat::ByteWriter w(claim);
    w.WriteAt<std::uint16_t>(0, PKT_CHAPTER_CLAIM);
    w.WriteAt<std::uint16_t>(8, chapter);
    for (std::size_t i = 0; i + 1 < sizeof app.m_chapterName && app.m_chapterName[i]; ++i)
      claim[12 + i] = static_cast<std::uint8_t>(app.m_chapterName[i]);
    g_session->Send(kAllPlayersSlot, claim.data(), claim.size());
    g_session->StoreOwnId(chapter);
  }
  app.m_chapterId = app.m_secondChapterId = chapter;
  return kScreenWait;
}

std::int16_t WaitScreen(CClntApp& app) {
  if (app.m_settingsLocked) return kScreenPlay;
  if (app.m_singlePlayer) {
    std::array<std::uint8_t, 12> start{};
    plat::ByteWriter w(start);
    w.WriteAt<std::uint16_t>(0, PKT_START);
    if (g_session) g_session->Send(kAllPlayersSlot, start.data(), start.size());
    return kScreenPlay;
  }
  return RunWaitDlg(app);
}

// Opens the chosen service with the settings the screens filled in.
std::int16_t OpenService(CClntApp& app) {
  HvMServiceEx_Struct settings;
  settings.bytes = app.m_settingsBlock;
  const int result = g_session ? g_session->InitService(app.m_connection, &settings) : -1;
  app.m_settingsBlock = settings.bytes;
  if (result == 0) return kScreenSessions;
  app.ShowTextBox("FEMCCONN");
  return kScreenConnection;
}

std::int16_t ConnectionTypeScreen(CClntApp& app) {
  const std::int16_t result = RunServiceDlg(app);
  if (result == kResultIpx) return OpenService(app);
  std::int16_t (*details)(CClntApp&) = nullptr;
  if (result == kResultTcpIp) details = RunTcpIpDlg;
  if (result == kResultSerial) details = RunSerialDlg;
  if (result == kResultModem) details = RunModemDlg;
  if (!details) return result;
  switch (details(app)) {
    case kScreenTitle: return kScreenTitle;
    case kScreenSessions: return OpenService(app);
    default: return kScreenConnection;
  }
}

// Whether a saved game being continued needs its file here: the host
// answers packet 24 with 1 when it sends the game itself.
bool SavedGameComesFromHost() {
  std::array<std::uint8_t, 12> ask{};
  plat::ByteWriter w(ask);
  w.WriteAt<std::uint16_t>(0, PKT_SETTINGS_QUERY);
  g_session->BroadcastUnsequenced(kAllPlayersSlot, ask.data(), ask.size());
  const plat::DWORD started = plat::timeGetTime();
  for (;;) {
    std::uint8_t* packet = nullptr;
    if (g_session->Receive(&packet) != 0 || !packet) return false;
    plat::ByteReader r(std::span<const std::uint8_t>(packet, 12));
    std::uint16_t type = 0;
    std::uint32_t value = 0;
    if (r.ReadAt(0, type) && type == PKT_SETTINGS_QUERY && r.ReadAt(8, value)) return value == 1;
    if (plat::timeGetTime() - started > kSavedGameAnswerMs) return false;
  }
}

std::int16_t JoinSession(CClntApp& app) {
  if (!g_session || g_session->OpenAndJoin(app.m_connection) < 0) {
    app.ShowTextBox(app.m_connection.password[0] ? "FECOERR5" : "FECOERR1");
    return kScreenSessions;
  }
  if (app.m_connection.sessionName[0]) {
    if (SavedGameComesFromHost()) {
      app.m_connection.sessionName[0] = '\0';
    } else {
      if (!FileExists(std::string(g_instData.GetSavePath()) + app.m_connection.sessionName)) {
        app.ShowTextBox("FECOERR6");
        return kScreenConnection;
      }
    }
  }
  std::snprintf(app.m_directory, sizeof app.m_directory, "%s", g_instData.GetSavePath());
  std::snprintf(app.m_fileName, sizeof app.m_fileName, "%s", app.m_connection.sessionName);
  return app.LoadedGame() ? kScreenQuickStarted : kScreenGuildChapter;
}

std::int16_t SessionsScreen(CClntApp& app) {
  const std::int16_t result = RunCreateJoinDlg(app);
  switch (result) {
    case kScreenHostCS:
      if (app.m_connection.connectionKind == 0 && app.m_connection.serviceType == kOnlineService) {
        app.ShowTextBox("FEONLYJN");
        return kScreenSessions;
      }
      app.m_host = 1;
      return kScreenHostCS;
    case kResultLoadMultiplayer:
      // Loading needs the load screen of the front end's second half: no
      // file can be chosen yet.
      app.ShowTextBox("FENOSCRN");
      return kScreenSessions;
    case kResultJoin:
      return JoinSession(app);
    default:
      return result;
  }
}

std::int16_t ShowScreen(CClntApp& app, std::int16_t id) {
  app.UnwindToScreen(id);
  switch (id) {
    case kScreenTitle: return TitleScreen(app);
    case kScreenSingle: return SingleScreen(app);
    case kScreenEmail: return EmailScreen(app);
    case kScreenConnection: return ConnectionTypeScreen(app);
    case kScreenConfigLocal: return StartLocalGame(app);
    case kScreenSessions: return SessionsScreen(app);
    case kScreenHostCS: return HostGame(app, false);
    case kScreenHostPeer: return HostGame(app, true);
    case kScreenGuildChapter:
    case kScreenQuickStarted:
    case kScreenGuildChapterHost: return ChooseChapter(app, id);
    case kScreenWait: return WaitScreen(app);
    default:
      // Screens of the front end's second half are not here yet.
      app.ShowTextBox("FENOSCRN");
      return kScreenBack;
  }
}

}  // namespace

int RunScreenFlow(CClntApp& app, int startScreen) {
  ScreenHistory history{app.m_screenHistory, app.m_screenCount};
  app.m_screenCount = 0;
  auto next = static_cast<std::int16_t>(startScreen);
  while (next != kScreenPlay) {
    if (next == kScreenQuit) return 0;
    next = ShowScreen(app, history.Next(next));
  }
  return 1;
}
