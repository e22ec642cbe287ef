#include "Game/frontend/ScreenFlow.h"

#include <array>
#include <cstdint>

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/frontend/ConnectionScreens.h"
#include "Game/frontend/ScreenHistory.h"
#include "Game/frontend/TitleScreens.h"
#include "Game/net/NetSession.h"
#include "Game/net/Packets.h"
#include "hvmulti/HvMRecords.h"
#include "media/CSndPlay.h"
#include "platform/core/bytes.h"

namespace {

constexpr std::uint16_t kLocalConnection = 0xFFFE;
constexpr std::uint8_t kOnlineService = 7;
constexpr std::uint16_t kChapterAnnounceBase = 100;

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

std::int16_t TitleScreen(CClntApp& app) {
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
      // The tutorial launcher is a program of its own that is not installed.
      return kScreenTitle;
    case kScreenQuickStarted:
      // Without a saved game or the instant-action scenario there is nothing
      // to start quickly; the single-player screen offers the other ways.
      app.ShowTextBox("FEERROR_");
      return kScreenSingle;
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
  // second half of the front end: no file is chosen.
  if (result == kScreenQuickStarted || result == kResultScenario) return kScreenSingle;
  return result;
}

// The configuration screen's start, with the configuration as it stands.
std::int16_t StartLocalGame(CClntApp& app) {
  StopEffects();
  app.m_connection.connectionKind = kLocalConnection;
  if (!g_session || g_session->AutoLaunchConnect(app.m_lobbyArgument.c_str()) != 0) {
    app.ShowTextBox("FEERROR_");
    return kScreenTitle;
  }
  MarkLocalGameStarted(app);
  app.m_gameSettings->word16 = app.m_gameConfig->word36;
  app.m_gameConfig->word12 = 1;
  BroadcastChapters(static_cast<std::uint16_t>(kChapterAnnounceBase + app.m_gameConfig->chapters));
  app.m_chaptersPerGuild = app.m_gameConfig->chapters;
  app.SendGameSettings(*app.m_gameSettings, kNoChapterSlot);
  return app.m_standAlone ? kScreenGuildChapterHost : kScreenGuildChapter;
}

// The guild-and-chapter choice with its set-up screens taking their
// defaults: the first chapter of the first guild.
std::int16_t ChooseChapter(CClntApp& app) {
  const std::uint16_t chapter = app.m_chapterId == kNoChapter ? 0 : app.m_chapterId;
  app.m_settingsRequested = 1;
  app.SendGameSettings(*app.m_gameSettings, chapter);
  if (g_session) g_session->StoreOwnId(chapter);
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
  app.ShowTextBox("FENOSCRN");
  return kScreenBack;
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
  if (result != kResultTcpIp) {
    if (result != kResultModem && result != kResultSerial) return result;
    // The modem and serial-link screens come later; their services open
    // with the library's defaults and its answer says whether they can.
    return OpenService(app);
  }
  switch (RunTcpIpDlg(app)) {
    case kScreenTitle: return kScreenTitle;
    case kScreenSessions: return OpenService(app);
    default: return kScreenConnection;
  }
}

std::int16_t ShowScreen(CClntApp& app, std::int16_t id) {
  app.UnwindToScreen(id);
  switch (id) {
    case kScreenTitle: return TitleScreen(app);
    case kScreenSingle: return SingleScreen(app);
    case kScreenConnection: return ConnectionTypeScreen(app);
    case kScreenConfigLocal: return StartLocalGame(app);
    case kScreenGuildChapter: return ChooseChapter(app);
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
