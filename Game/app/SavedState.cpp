// The application's part of a saved game.
#include <array>
#include <cstring>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppStateBlock.h"
#include "Game/app/AppViewNotices.h"
#include "Game/app/CClntApp.h"
#include "Game/app/GameLife.h"
#include "Game/base/ByteStream.h"
#include "Game/base/Packets.h"
#include "Game/net/NetSession.h"
#include "media/CSndPlay.h"
#include "platform/core/bytes.h"
#include "platform/core/random.h"
#include "platform/user/queue.h"

using namespace plat;

namespace {

constexpr std::size_t kChapterPacketSize = 44;

}  // namespace

int CClntApp::SaveState(plat::FILE* file) {
  if (!g_currentView) return 0;
  WriteAppStateBlock(
      file, m_gameRandomSeed, [this](ViewType type) { return View(type); }, g_currentView->GetViewType(),
      m_renderArgument);
  return 1;
}

int CClntApp::LoadState(plat::FILE* file) {
  if (g_sndPlay) g_sndPlay->PlayTrack(static_cast<DWORD>(LocalGuild() + 1));
  std::array<std::uint8_t, kChapterPacketSize> chapter{};
  ByteWriter cw(chapter);
  cw.WriteAt<std::uint16_t>(0, PKT_PLAYER_NAME);
  cw.WriteAt<std::uint16_t>(8, LocalChapterId(kNoChapterChosen));
  // The name as text from offset 10, cut to leave its terminator in the packet.
  std::memcpy(chapter.data() + 10, m_chapter.name, strnlen(m_chapter.name, kChapterPacketSize - 11));
  if (g_session) {
    g_session->Send(kAllPlayersSlot, chapter.data(), chapter.size());
    g_session->loadInProgress = 1;
  }
  ReleaseViews();
  FileReader r(file);
  m_gameRandomSeed = r.U32();
  plat::srand(m_gameRandomSeed);
  CreateViews({VIEW_SOLAR, VIEW_DESIGN, VIEW_TERRAIN, VIEW_ASTEROID_SPACE, VIEW_TERRAIN_REPLAY, VIEW_SPACE_REPLAY});
  g_currentView = View(VIEW_SOLAR);
  AppViewNotices().LoadSharedState(file);
  for (ViewType type : kSavedViewOrder)
    if (IGameView* view = View(type)) view->LoadState(file);
  r.U8();
  auto type = static_cast<ViewType>(r.U8());
  m_renderArgument = r.I32();
  // A block cut short names no view: the game opens on the solar system.
  if (!r.Ok()) {
    m_renderArgument = -1;
    type = VIEW_SOLAR;
  }
  m_fullRedraw = 1;
  if (g_currentView) {
    if (type != VIEW_DESIGN && type != VIEW_SPACE_REPLAY && type != VIEW_TERRAIN_REPLAY) m_renderArgument = -1;
    g_currentView->GoToView(type, static_cast<LPARAM>(m_renderArgument));
  } else {
    PostMessage(g_mainWnd, WM_APP_SWITCH_VIEW, type, static_cast<LPARAM>(m_renderArgument));
  }
  if (g_sndPlay) g_sndPlay->Init(g_mainWnd, m_options.musicLevel, m_options.effectsLevel, m_options.speech);
  ApplyGameColors(0);
  MarkLocalChapterPlaying();
  if (g_session) g_session->loadInProgress = 0;
  return 1;
}
