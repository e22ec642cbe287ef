#include "Game/app/CClntApp.h"

#include <cstdio>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppViewNotices.h"
#include "Game/app/CMessageBoxes.h"
#include "Game/app/GameLife.h"
#include "Game/app/InstallCheck.h"
#include "Game/app/SavedGames.h"
#include "Game/base/GInstData.h"
#include "Game/base/GStartupMessage.h"
#include "Game/net/NetSession.h"
#include "media/CDDraw.h"
#include "media/CSndPlay.h"
#include "media/CSprite.h"
#include "platform/core/random.h"
#include "platform/core/systime.h"
#include "platform/dialog/dialog.h"
#include "platform/display/backend.h"
#include "platform/user/cursor.h"
#include "platform/user/keys.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/system.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

// The sound directory, for the sound player.
bool SoundPath(char* out, std::size_t size) {
  const char* path = g_instData.GetSoundPath();
  if (!path || !*path) return false;
  std::snprintf(out, size, "%s", path);
  return true;
}

// The views in the order of their pointers.
constexpr ViewType kViewSlots[6] = {VIEW_DESIGN,         VIEW_TERRAIN,        VIEW_SOLAR,
                                    VIEW_ASTEROID_SPACE, VIEW_TERRAIN_REPLAY, VIEW_SPACE_REPLAY};

int SlotOf(ViewType type) {
  for (int i = 0; i < 6; ++i)
    if (kViewSlots[i] == type) return i;
  return -1;
}

// The messages the settings raised before the entry and what the check of
// the installation found, now that a window exists. No game data exists yet,
// and the art the game's own box needs may be what is missing, so they go in
// the system box; without anybody to answer it they go to standard error only.
// An installation that cannot be played at all is refused before the
// application is made (Game/main), so what is left here are warnings.
void ShowStartupMessages() {
  const InstallationReport installation = CheckInstallation(g_instData);
  std::vector<std::string> texts = TakeStartupMessages();
  // Without its folders the program finds no file at all: the registry file is
  // the one to name, not each file it could not find.
  if (!installation.foldersKnown) texts.clear();
  texts.insert(texts.end(), installation.problems.begin(), installation.problems.end());
  const Backend* backend = CurrentBackend();
  for (const std::string& text : texts) {
    std::fprintf(stderr, "quenbar: %s\n", text.c_str());
    if (backend && backend->CanAskUser()) MessageBox(g_mainWnd, text.c_str(), "Quenbar", MB_OK);
  }
}

}  // namespace

CClntBase::CClntBase(HINSTANCE instance) : m_instance(instance) {
  m_session = std::make_unique<CNetSession>();
  g_session = m_session.get();
  plat::srand(static_cast<unsigned>(plat::time(nullptr)));
}

CClntBase::~CClntBase() {
  if (GameExists()) DestroyGame();
  m_session.reset();
  g_session = nullptr;
}

CClntApp::CClntApp(HINSTANCE instance, int showCommand, const char* commandLine)
    : CClntBase(instance), m_showCommand(showCommand) {
  g_currentView = nullptr;
  g_getMessageHook = nullptr;
  g_app = this;
  std::snprintf(m_network.connection.playerName, sizeof m_network.connection.playerName, "%s", "Quenbar Player");
  std::snprintf(m_network.connection.nickname, sizeof m_network.connection.nickname, "%s", "Player");
  m_network.connection.connectionKind = 0xFFFF;
  InitCommonControls();
  if (!CreateMainWindow(instance, showCommand)) {
    std::fputs("quenbar: the program's main window could not be made\n", stderr);
    MessageBox(nullptr, "Can't build window!!", "error", MB_OK);
    m_startRefused = kExitNoWindow;
    return;
  }
  ShowWindow(g_mainWnd, SW_SHOW);
  CSndPlay::soundPathSource = SoundPath;
  g_sndPlay = new CSndPlay();
  SetTimer(g_mainWnd, kSoundTimer, kSoundTimerPeriodMs, nullptr);
  m_commandLine = commandLine ? commandLine : "";
  m_role.lobbyArgument.clear();
  if (g_instData.GetExclusiveMode())
    g_ddraw = new CDDraw(g_mainWnd, kScreenWidth, kScreenHeight, 16, 1);
  else
    g_ddraw = new CDDraw(g_mainWnd, 1);
  ShowStartupMessages();
  if (StartFrontEnd(m_commandLine.c_str())) m_frameTimer = std::make_unique<CFrameTimer>();
}

CClntApp::~CClntApp() {
  m_gameConfig.reset();
  m_gameSettings.reset();
  m_frameTimer.reset();
  TearDownGame();
  delete g_sndPlay;
  g_sndPlay = nullptr;
  m_backdrop.reset();
  delete g_ddraw;
  g_ddraw = nullptr;
  if (g_mainWnd) {
    KillTimer(g_mainWnd, kSoundTimer);
    DestroyWindow(g_mainWnd);
  }
  UnregisterClass(kMainWindowClass, m_instance);
  g_mainWnd = nullptr;
  if (g_app == this) g_app = nullptr;
}

int CClntApp::CreateMainWindow(HINSTANCE instance, int) {
  WNDCLASSEX wc;
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIcon(instance, 255);
  wc.hIconSm = wc.hIcon;
  wc.lpszClassName = kMainWindowClass;
  RegisterClassEx(&wc);
  g_mainWnd = CreateWindowEx(0, kMainWindowClass, "Quenbar", WS_POPUP | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                             m_screenWidth, m_screenHeight, nullptr, nullptr, instance, nullptr);
  if (!g_mainWnd) return 0;
  g_getMessageHook = SetWindowsHookEx(WH_GETMESSAGE, GetMessageHookProc, nullptr, 0);
  LockWindowUpdate(g_mainWnd);
  return 1;
}

LRESULT GetMessageHookProc(int code, WPARAM removeFlag, LPARAM message) {
  auto* msg = reinterpret_cast<MSG*>(message);
  if (g_mainWnd && msg && msg->hwnd && code >= 0 && IsChild(g_mainWnd, msg->hwnd)) {
    if (msg->message == WM_VKEYTOITEM && LOWORD(msg->wParam) == VK_ESCAPE) {
      // Once, as the message leaves the queue: the question's own loop looks
      // at the queue too and must not ask again.
      static bool asking = false;
      if ((removeFlag & PM_REMOVE) && !asking) {
        asking = true;
        ConfirmQuit(0, g_mainWnd);
        asking = false;
      }
    } else if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) {
      if (removeFlag & PM_REMOVE) PostMessage(g_mainWnd, WM_KEYDOWN, VK_ESCAPE, msg->lParam);
      return 0;
    }
  }
  return CallNextHookEx(g_getMessageHook, code, removeFlag, message);
}

void CClntApp::ApplyGameColors(std::uint32_t saveFirst) {
  BOOL saverActive = FALSE;
  if (saveFirst) {
    m_savedTipText = GetSysColor(COLOR_INFOTEXT);
    m_savedTipBack = GetSysColor(COLOR_INFOBK);
    SystemParametersInfo(SPI_GETSCREENSAVEACTIVE, 0, &saverActive, 0);
    m_screenSaverWasActive = saverActive ? 1 : 0;
  }
  COLORREF dark = 0, light = 0;
  if (LocalGuildColours(dark, light)) {
    const int indexes[2] = {COLOR_INFOTEXT, COLOR_INFOBK};
    const COLORREF colours[2] = {dark, light};
    SetSysColors(2, indexes, colours);
  }
  if (m_screenSaverWasActive) SystemParametersInfo(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, SPIF_SENDCHANGE);
  if (saveFirst) {
    BOOL animation = FALSE;
    SystemParametersInfo(SPI_GETMENUANIMATION, 0, &animation, 0);
    m_menuAnimationWasOn = animation ? 1 : 0;
  }
  SystemParametersInfo(SPI_SETMENUANIMATION, 0, reinterpret_cast<void*>(static_cast<std::uintptr_t>(FALSE)),
                       SPIF_SENDCHANGE);
}

void CClntApp::RestoreSystemColors() {
  if (m_savedTipText != 0xFFFFFFFF || m_savedTipBack != 0xFFFFFFFF) {
    const int indexes[2] = {COLOR_INFOTEXT, COLOR_INFOBK};
    const COLORREF colours[2] = {m_savedTipText, m_savedTipBack};
    SetSysColors(2, indexes, colours);
    if (m_screenSaverWasActive) SystemParametersInfo(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, SPIF_SENDCHANGE);
  }
  if (m_menuAnimationWasOn)
    SystemParametersInfo(SPI_SETMENUANIMATION, 0, reinterpret_cast<void*>(static_cast<std::uintptr_t>(TRUE)),
                         SPIF_SENDCHANGE);
}

void CClntApp::CreateViews(std::initializer_list<ViewType> order) {
  for (ViewType type : order) {
    const int slot = SlotOf(type);
    if (slot >= 0) m_views[slot] = AppViewNotices().CreateView(type, g_mainWnd, m_instance);
  }
  if (AwaitsRestartViews()) m_serverWait.End();
  m_keptAutosave.reset();
}

void CClntApp::DeleteViews() {
  // Design, terrain, solar system, asteroid space, terrain replay, space replay.
  for (auto& view : m_views) view.reset();
}

void CClntApp::ReleaseViews() {
  g_currentView = nullptr;
  DeleteViews();
}

IGameView* CClntApp::View(ViewType type) const {
  const int slot = SlotOf(type);
  return slot >= 0 ? m_views[slot].get() : nullptr;
}

std::string CClntApp::Text(const char* id) const {
  char buffer[255];
  m_text.GetText(id, buffer, sizeof buffer);
  return buffer;
}

void CClntApp::ShowTextBox(const char* id) {
  const std::string text = Text(id);
  COkDlg box(g_ddraw, g_mainWnd, m_instance, text.c_str(), static_cast<std::uint32_t>(LocalGuild()));
}
