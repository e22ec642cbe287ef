#include "Game/frontend/ScreenFlow.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/base/ClientShell.h"
#include "Game/base/GInstData.h"
#include "Game/base/Packets.h"
#include "Game/frontend/CCreateJoinDlg.h"
#include "Game/frontend/CDLoadDlg.h"
#include "Game/frontend/CEmailDlg.h"
#include "Game/frontend/CMainDlg.h"
#include "Game/frontend/CModemDlg.h"
#include "Game/frontend/CSerialDlg.h"
#include "Game/frontend/CServiceDlg.h"
#include "Game/frontend/CSingleDlg.h"
#include "Game/frontend/CTcpIpDlg.h"
#include "Game/frontend/CWaitDlg.h"
#include "Game/frontend/ScreenHistory.h"
#include "Game/frontend/SessionList.h"
#include "Game/frontend/SetupScreens.h"
#include "Game/net/NetSession.h"
#include "Game/net/PacketQueue.h"
#include "Game/save/EmailTurn.h"
#include "Game/save/SaveGame.h"
#include "hvmulti/HvMRecords.h"
#include "hvmulti/HvMulti.h"
#include "hvmulti/HvPlayerList.h"
#include "media/CDDraw.h"
#include "media/CSndPlay.h"
#include "platform/core/bytes.h"
#include "platform/core/clock.h"
#include "platform/core/files.h"
#include "platform/core/process.h"

namespace {

constexpr std::uint16_t kLocalConnection = 0xFFFE;
constexpr std::uint8_t kOnlineService = 7;
constexpr std::uint16_t kChapterAnnounceBase = 100;
constexpr plat::DWORD kSavedGameAnswerMs = 10000;
constexpr std::int16_t kResultStartGame = 123;

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
void MarkLocalGameStarted(CClntApp& app) { app.HostLocalGame(kLocalConnection); }

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
  bool resume = !last.empty() && FileExists(savePath + last);
  // A last save that cannot be read is said so and forgotten: the quick
  // start plays the scenario, as with no save, rather than fail on it for
  // good.
  if (SaveHeader header; resume && !ReadSaveHeader((savePath + last).c_str(), &header)) {
    app.ShowTextBox("INVALIDF");
    g_instData.SetQuickStartFile("");
    resume = false;
  }
  if (!resume) {
    app.ChooseGameFile(g_instData.GetScenarioPath(), "QikStart.clt", true);
  } else {
    app.ChooseGameFile(savePath.c_str(), last.c_str(), false);
  }
  StopEffects();
  // Without the scenario either there is nothing to load: no server is
  // started for a game that cannot come.
  const bool present = FileExists(std::string(app.Load().directory) + app.Load().fileName);
  if (!present || !g_session || g_session->AutoLaunchConnect(app.Role().lobbyArgument.c_str()) != 0) {
    app.ForgetGameFile();
    app.ShowTextBox("FEERROR_");
    return kScreenSingle;
  }
  MarkLocalGameStarted(app);
  app.MarkConfigFromFile(false);
  return kScreenQuickStarted;
}

// The tutorial's launcher is a program of its own; the title waits for it.
// A full-screen display gives the screen up meanwhile so that the launcher's
// window can be seen. A launcher that cannot be started is reported.
void RunLauncher(CClntApp& app) {
  const std::string launcher = std::string(g_instData.GetTutorialPath()) + "launcher.exe";
  plat::IDirectDraw* display = g_ddraw && g_ddraw->fullScreen ? g_ddraw->directDraw : nullptr;
  if (display) display->SetCooperativeLevel(g_ddraw->window, plat::DDSCL_NORMAL);
  StopEffects();
  const std::intptr_t ran = plat::_spawnl(plat::_P_WAIT, launcher.c_str(), launcher.c_str(), nullptr);
  if (display) {
    display->SetCooperativeLevel(g_ddraw->window, plat::DDSCL_EXCLUSIVE | plat::DDSCL_FULLSCREEN);
    display->SetDisplayMode(kScreenWidth, kScreenHeight, 16);
  }
  if (ran == -1) app.ShowTextBox("FENOTUTR");
}

std::int16_t RunTitleScreen(CClntApp& app) {
  // A first start shows the intro before the title; the title follows even
  // when the settings file cannot be written, so the intro never repeats.
  if (!FileExists(std::string(g_instData.GetInstallPath()) + "userinfo.dat")) {
    app.PlayIntro();
    app.WriteUserInfo();
  }
  const std::int16_t result = RunMainDlg(app);
  switch (result) {
    case kScreenSingle:
      app.ChooseToHost();
      return kScreenSingle;
    case kScreenSessions:
      app.ChooseService(0, kOnlineService);
      StopEffects();
      if (g_session) g_session->InitService(app.Network().connection, nullptr);
      return kScreenSessions;
    case kResultIntro:
      app.PlayIntro();
      return kScreenTitle;
    case kResultTutorial:
      RunLauncher(app);
      return kScreenTitle;
    case kScreenQuickStarted:
      return QuickStart(app);
    default:
      return result;
  }
}

// Lets the player pick a file with the load screen into the application's
// directory and file name; false when none was chosen.
bool ChooseFile(CClntApp& app, std::uint16_t mode) {
  LoadChoice choice;
  choice.mode = mode;
  bool chosen = false;
  for (;;) {
    chosen = RunLoadDlg(app, choice) == 1;
    // A saved game that cannot be read is said so before any server starts
    // for it, and the list comes back.
    SaveHeader header;
    const std::string path = choice.directory + choice.fileName;
    const bool savedGame = choice.mode == LOAD_SAVED_GAMES || choice.mode == LOAD_SAVED_ONLY;
    if (!chosen || !savedGame || ReadSaveHeader(path.c_str(), &header)) break;
    app.ShowTextBox("INVALIDF");
  }
  app.ChooseGameFile(choice.directory.c_str(), chosen ? choice.fileName.c_str() : "", choice.mode == LOAD_SCENARIOS);
  return chosen;
}

// A saved game or scenario continued on a local server.
std::int16_t LoadLocalGame(CClntApp& app, std::uint16_t mode) {
  if (!ChooseFile(app, mode)) return kScreenSingle;
  StopEffects();
  if (!g_session || g_session->AutoLaunchConnect(app.Role().lobbyArgument.c_str()) != 0) {
    app.ForgetGameFile();
    app.ShowTextBox("FEERROR_");
    return kScreenSingle;
  }
  MarkLocalGameStarted(app);
  app.MarkConfigFromFile(false);
  return kScreenQuickStarted;
}

std::int16_t RunSinglePlayerScreen(CClntApp& app) {
  const std::int16_t result = RunSingleDlg(app);
  switch (result) {
    case kScreenConfigLocal:
      app.ChooseSinglePlayer();
      return kScreenConfigLocal;
    case kScreenQuickStarted:
      return LoadLocalGame(app, LOAD_SAVED_ONLY);
    case kResultScenario:
      return LoadLocalGame(app, LOAD_SCENARIOS);
    default:
      return result;
  }
}

// What follows every successful start of a game but an e-mail one: the
// others learn the number of chapters and the settings.
std::int16_t AnnounceStartedGame(CClntApp& app) {
  app.MarkConfigForStart();
  AnnounceGameSetup(app);
  app.TakeChapterCountFromConfig();
  return app.Role().standAlone ? kScreenGuildChapterHost : kScreenGuildChapter;
}

// The server program creates the e-mail game's first files and ends; the
// players then take their turns from the e-mail screen.
std::int16_t CreateEmailGame(CClntApp& app) {
  app.WriteEmailInfo();
  const std::string server = std::string(g_instData.GetInstallPath()) + "QuenSrvr.exe";
  const std::intptr_t code =
      plat::_spawnl(plat::_P_WAIT, server.c_str(), server.c_str(), app.Role().lobbyArgument.c_str(), nullptr);
  if (code != 1) {
    app.ShowTextBox("EMAILCER");
    app.ShowTextBox("FEERROR_");
    return kScreenTitle;
  }
  app.ShowTextBox("EMAILCRE");
  app.MarkConfigForStart();
  app.TakeChapterCountFromConfig();
  return app.Role().standAlone ? kScreenGuildChapterHost : kScreenEmail;
}

// The chapter an e-mail game's input file is for: its last two characters.
int ChapterOfInputFile(const std::string& name) {
  if (name.size() < 4) return -1;
  const char tens = name[name.size() - 2];
  const char ones = name[name.size() - 1];
  if (tens < '0' || tens > '9' || ones < '0' || ones > '9') return -1;
  const int chapter = (tens - '0') * 10 + (ones - '0');
  return chapter < kNoChapterSlot ? chapter : -1;
}

// One turn of an e-mail game: the game starts from the chosen input file and
// the main loop plays its packets.
std::int16_t PlayEmailTurn(CClntApp& app) {
  LoadChoice choice;
  choice.mode = LOAD_EMAIL_TURNS;
  if (RunLoadDlg(app, choice) != 1) return kScreenEmail;
  const int chapter = ChapterOfInputFile(choice.fileName);
  if (chapter < 0 || !g_session) {
    app.ShowTextBox("EMAILERR");
    return kScreenEmail;
  }
  app.ChooseGameDirectory(choice.directory.c_str());
  g_session->emailMode = 1;
  g_session->emailGameName = choice.fileName;
  app.PlayEmailTurnAs(static_cast<std::uint16_t>(ReadEmailInputFile(*g_session, static_cast<std::uint16_t>(chapter))));
  return kScreenPlay;
}

std::int16_t RunEmailScreen(CClntApp& app) {
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
      app.ChooseNewEmailGame(EmailCreateCommand(name));
      return kScreenConfigLocal;
    case kResultProcessEmail: {
      if (!ChooseFile(app, LOAD_EMAIL_GAMES)) return kScreenEmail;
      app.ChooseEmailGame();
      StopEffects();
      const std::string server = std::string(g_instData.GetInstallPath()) + "QuenSrvr.exe";
      const std::string command = std::string("-Em:") + app.Load().fileName + " HVSCS";
      const std::intptr_t code = plat::_spawnl(plat::_P_WAIT, server.c_str(), server.c_str(), command.c_str(), nullptr);
      app.ShowTextBox(code == 1 ? "EMAILPRO" : "EMAILERR");
      return kScreenEmail;
    }
    case kResultPlayEmail:
      return PlayEmailTurn(app);
    default:
      return result;
  }
}

// The configuration screen's start of a local game, with the configuration
// as it stands.
std::int16_t StartLocalGame(CClntApp& app) {
  StopEffects();
  app.ChooseConnection(kLocalConnection);
  if (app.Role().emailGame) return CreateEmailGame(app);
  if (!g_session || g_session->AutoLaunchConnect(app.Role().lobbyArgument.c_str()) != 0) {
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
  StopEffects();
  if (peerToPeer || !app.Network().inSession) {
    const GameConfigPacket& config = *app.GameConfig();
    const std::string description =
        NewSessionDescription(config.turnTimeLimit, config.chapters, config.asteroids, config.victoryConditions);
    app.DescribeSession(description.c_str());
    HvMServiceEx_Struct settings;
    settings.bytes = app.ServiceSettings();
    int created = 0;
    if (g_session)
      created = peerToPeer ? g_session->CreateAndJoin(app.Network().connection)
                           : g_session->CreateAndJoinCS(app.Network().connection, &settings);
    if (created != 1 && created != 2) {
      app.ShowTextBox("FEERROR_");
      return kScreenTitle;
    }
    app.NoteSessionJoined();
  }
  return AnnounceStartedGame(app);
}

// The configuration of a new game; its continue starts it.
std::int16_t RunConfigAndStart(CClntApp& app, std::int16_t screen) {
  const bool hostWithoutServer = app.Role().host && !app.Role().singlePlayer;
  const std::int16_t result = RunConfigDlg(app, !app.Role().singlePlayer, hostWithoutServer, app.ConfigToEdit());
  app.CarryConfigLockToSettings();
  std::int16_t next = result;
  if (result == kScreenBack && screen == kScreenHostCS) next = kScreenConnection;
  if (result == kResultStartGame)
    next = screen == kScreenConfigLocal ? StartLocalGame(app) : HostGame(app, screen == kScreenHostPeer);
  // A progress window still open from an earlier start goes whichever way on.
  ClientShell().CloseProgress();
  return next;
}

// The chosen chapter becomes the player's, with the number of chapters the
// server reported.
void TakeChapter(CClntApp& app, const ChapterChoice& choice) {
  if (g_session) g_session->StoreOwnId(choice.chapter);
  app.ClaimChapter(choice.chapter, choice.chaptersPerGuild);
}

std::int16_t RunGuildChapterScreen(CClntApp& app, std::int16_t screen) {
  ChapterChoice choice;
  if (screen == kScreenQuickStarted)
    choice.chapter = kNoChapterChosen;
  else if (screen == kScreenGuildChapterHost)
    choice.chapter = kNoChapterSlot;
  else
    choice.chapter = app.Chapter().id == kNoChapterChosen ? 0 : app.Chapter().id;
  app.RefreshGameSettings();
  choice.held = app.Chapter().secondId;
  choice.chaptersPerGuild = app.Chapter().perGuild;
  choice.name = app.ChapterNameToEdit();
  choice.settingsLocked = app.Role().settingsLocked;
  const std::int16_t result = RunGuildChapterDlg(app, choice);
  app.KeepSettingsLocked(choice.settingsLocked);
  switch (result) {
    case kScreenTraits:
      app.SendOwnSettings(choice.chapter);
      TakeChapter(app, choice);
      break;
    case kScreenFog:
    case kScreenFogFromConfig:
    case kScreenStarting:
      TakeChapter(app, choice);
      break;
    case kScreenWait:
      app.ChooseChapter(choice.chapter, choice.chaptersPerGuild);
      // The server starts the game with the last settings it got: those the
      // screen's difficulty may just have changed.
      if (choice.chapter < kNoChapterSlot) app.SendOwnSettings(choice.chapter);
      break;
    default:
      break;
  }
  return result;
}

// Traits, fog of war and starting values; from the configuration (mode 1)
// play returns there.
// What the fog-of-war, starting-values and traits screens share on the way
// out: the guild screen asks for the settings anew, and going on to play sends
// them (from the configuration the screen only returns to it).
std::int16_t AfterSetupScreen(CClntApp& app, std::int16_t result, bool fromConfig) {
  if (result == kScreenGuildChapter) app.SkipNextSettingsRequest();
  if (result == kScreenWait) {
    if (fromConfig) return kScreenBack;
    app.SendOwnSettings(app.Chapter().id);
  }
  return result;
}

std::int16_t RunTraitsScreen(CClntApp& app) {
  return AfterSetupScreen(app, RunTraitsDlg(app, app.SettingsToEdit().traits), false);
}

std::int16_t RunFogOfWarScreen(CClntApp& app, bool fromConfig) {
  return AfterSetupScreen(app, RunFogOfWarDlg(app, app.SettingsToEdit(), fromConfig), fromConfig);
}

std::int16_t RunStartingScreen(CClntApp& app, bool fromConfig) {
  return AfterSetupScreen(app, RunStartingDlg(app, app.SettingsToEdit(), fromConfig), fromConfig);
}

std::int16_t RunPrefsScreen(CClntApp& app) { return RunPrefsDlg(app); }

std::int16_t RunWaitScreen(CClntApp& app) {
  if (app.Role().settingsLocked) return kScreenPlay;
  if (app.Role().singlePlayer) {
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
  settings.bytes = app.ServiceSettings();
  const int result = g_session ? g_session->InitService(app.Network().connection, &settings) : -1;
  app.KeepServiceSettings(settings.bytes);
  if (result == 0) return kScreenSessions;
  app.ShowTextBox("FEMCCONN");
  return kScreenConnection;
}

std::int16_t RunConnectionTypeScreen(CClntApp& app) {
  const std::int16_t result = RunServiceDlg(app);
  if (result == kResultIpx) return OpenService(app);
  std::int16_t (*details)(CClntApp&) = nullptr;
  if (result == kResultTcpIp) details = RunTcpIpDlg;
  if (result == kResultSerial) details = RunSerialDlg;
  if (result == kResultModem) details = RunModemDlg;
  if (!details) return result;
  switch (details(app)) {
    case kScreenTitle:
      return kScreenTitle;
    case kScreenSessions:
      return OpenService(app);
    default:
      return kScreenConnection;
  }
}

// Whether a saved game being continued needs its file here: the host
// answers packet 24 with 1 when it sends the game itself. A host that has not
// answered within 10 s is taken to send nothing; the connection may well be
// sound, so no loss is reported. The 10 s are the host's: they are reckoned on
// the session's contact clock, since this program's own may run ahead.
bool SavedGameComesFromHost() {
  std::array<std::uint8_t, 12> ask{};
  plat::ByteWriter w(ask);
  w.WriteAt<std::uint16_t>(0, PKT_SETTINGS_QUERY);
  g_session->BroadcastUnsequenced(kAllPlayersSlot, ask.data(), ask.size());
  if (!g_session->queue) return false;
  IContactClock& clock = *g_session->contactClock;
  const plat::DWORD started = clock.Now();
  while (clock.Now() - started < kSavedGameAnswerMs) {
    g_session->Pump(0);
    std::uint8_t* packet = nullptr;
    std::uint32_t length = 0;
    const int code = g_session->queue->GetNext(&packet, &length, nullptr, nullptr, nullptr, nullptr);
    if (code == kQueueEmpty) clock.Pause(1);
    if (code != HVM_MSG_PACKET || !packet) continue;
    plat::ByteReader r(std::span<const std::uint8_t>(packet, length));
    std::uint16_t type = 0;
    std::uint32_t value = 0;
    if (r.ReadAt(0, type) && type == PKT_SETTINGS_QUERY && r.ReadAt(8, value)) return value == 1;
  }
  return false;
}

std::int16_t JoinSession(CClntApp& app) {
  if (!g_session || g_session->OpenAndJoin(app.Network().connection) < 0) {
    app.ShowTextBox(app.Network().connection.password[0] ? "FECOERR5" : "FECOERR1");
    return kScreenSessions;
  }
  if (app.Network().connection.sessionName[0]) {
    if (SavedGameComesFromHost()) {
      app.ForgetSessionName();
    } else {
      // The name comes from the host: only a plain file name can name a game
      // in this player's save folder.
      const std::string name = app.Network().connection.sessionName;
      if (name.find_first_of("\\/:") != std::string::npos ||
          !FileExists(std::string(g_instData.GetSavePath()) + name)) {
        app.ShowTextBox("FECOERR6");
        return kScreenConnection;
      }
    }
  }
  app.ChooseGameFile(g_instData.GetSavePath(), app.Network().connection.sessionName);
  return app.LoadedGame() ? kScreenQuickStarted : kScreenGuildChapter;
}

// A saved multiplayer game hosted again: the session is named after its file.
std::int16_t HostSavedGame(CClntApp& app) {
  if (!ChooseFile(app, LOAD_SAVED_ONLY)) return kScreenSessions;
  // The session's name carries the file's; a longer one cannot be named.
  if (std::strlen(app.Load().fileName) >= sizeof app.Network().connection.sessionName) {
    app.ForgetGameFile();
    app.ShowTextBox("FEERROR_");
    return kScreenSessions;
  }
  app.NameSessionAfterGameFile();
  StopEffects();
  HvMServiceEx_Struct settings;
  settings.bytes = app.ServiceSettings();
  const int created = g_session ? g_session->CreateAndJoinCS(app.Network().connection, &settings) : 0;
  if (created != 1 && created != 2) {
    app.ForgetGameFile();
    app.ShowTextBox("FECOERR2");
    return kScreenSessions;
  }
  app.HostOpenedSession();
  BroadcastChapters(kChapterAnnounceBase + 8);
  app.MarkConfigFromFile(true);
  return kScreenQuickStarted;
}

std::int16_t RunSessionScreen(CClntApp& app) {
  const std::int16_t result = RunCreateJoinDlg(app);
  switch (result) {
    case kScreenHostCS:
      if (app.Network().connection.connectionKind == 0 && app.Network().connection.serviceType == kOnlineService) {
        app.ShowTextBox("FEONLYJN");
        return kScreenSessions;
      }
      app.ChooseToHost();
      return kScreenHostCS;
    case kResultLoadMultiplayer:
      return HostSavedGame(app);
    case kResultJoin:
      return JoinSession(app);
    default:
      return result;
  }
}

std::int16_t ShowScreen(CClntApp& app, std::int16_t id) {
  app.UnwindToScreen(id);
  switch (id) {
    case kScreenTitle:
      return RunTitleScreen(app);
    case kScreenSingle:
      return RunSinglePlayerScreen(app);
    case kScreenEmail:
      return RunEmailScreen(app);
    case kScreenConnection:
      return RunConnectionTypeScreen(app);
    case kScreenPrefs:
      return RunPrefsScreen(app);
    case kScreenSessions:
      return RunSessionScreen(app);
    case kScreenConfigLocal:
    case kScreenHostCS:
    case kScreenHostPeer:
      return RunConfigAndStart(app, id);
    case kScreenGuildChapter:
    case kScreenQuickStarted:
    case kScreenGuildChapterHost:
      return RunGuildChapterScreen(app, id);
    case kScreenTraits:
      return RunTraitsScreen(app);
    case kScreenFog:
    case kScreenFogFromConfig:
      return RunFogOfWarScreen(app, id == kScreenFogFromConfig);
    case kScreenStarting:
    case kScreenStartingFromConfig:
      return RunStartingScreen(app, id == kScreenStartingFromConfig);
    case kScreenWait:
      return RunWaitScreen(app);
    default:
      return kScreenBack;
  }
}

}  // namespace

void AnnounceGameSetup(CClntApp& app) {
  // The rest of the configuration goes to the server when it asks (50).
  BroadcastChapters(static_cast<std::uint16_t>(kChapterAnnounceBase + app.GameConfig()->chapters));
  app.SendOwnSettings(kNoChapterSlot);
}

int RunScreenFlow(CClntApp& app, int startScreen) {
  AppScreens& screens = app.RestartScreenHistory();
  ScreenHistory history{screens.history, screens.count};
  auto next = static_cast<std::int16_t>(startScreen);
  while (next != kScreenPlay) {
    if (next == kScreenQuit) return 0;
    next = ShowScreen(app, history.Next(next));
  }
  return 1;
}
