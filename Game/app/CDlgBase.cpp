#include "Game/app/CDlgBase.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppViewNotices.h"
#include "Game/app/GameLife.h"
#include "Game/base/GInstData.h"
#include "Game/base/Packets.h"
#include "Game/net/NetSession.h"
#include "Game/setup/GameSetup.h"
#include "media/CSndPlay.h"
#include "media/CSprite.h"
#include "platform/core/bytes.h"
#include "platform/core/clock.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/tooltip.h"
#include "platform/gdi/text.h"
#include "platform/resource/module.h"
#include "platform/sound/mci.h"
#include "platform/user/cursor.h"
#include "platform/user/focus.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr const char* kGuildCursors[] = {"IDC_CURSOR_NORMAL_RED", "IDC_CURSOR_NORMAL_GREEN", "IDC_CURSOR_NORMAL_BLUE",
                                         "IDC_CURSOR_NORMAL_YELLOW", "IDC_CURSOR_NORMAL_MAGENTA"};
// A tab order longer than this is taken as a loop that never returns.
constexpr int kMaxTabWalk = 1024;

struct OpenDialog {
  HWND window;
  std::string templateName;
  // Its initialisation has returned. Some screens wait there on the server
  // for seconds, unseen: input sent meanwhile finds only their disabled owner.
  bool ready = false;
};

std::vector<OpenDialog>& OpenDialogs() {
  static std::vector<OpenDialog> open;
  return open;
}

CDlgBase* ObjectOf(HWND window) { return reinterpret_cast<CDlgBase*>(GetWindowLongPtr(window, GWLP_USERDATA)); }

}  // namespace

CDlgBase::CDlgBase(CDDraw* display, HWND parent, HINSTANCE instance, DWORD helpId, HMODULE module)
    : m_parent(parent), m_instance(instance), m_display(display), m_helpId(helpId) {
  if (module) {
    m_module = module;
  } else if (!GameExists()) {
    char path[260];
    g_instData.BuildPath(path, "frontend.dll", INSTPATH_FRONTEND_ART);
    m_module = LoadLibrary(path);
    m_ownModule = m_module != nullptr;
  } else {
    m_module = GameImageModule();
  }
}

CDlgBase::~CDlgBase() {
  m_background.reset();
  if (m_font) DeleteObject(m_font);
  if (m_tooltip) DestroyWindow(m_tooltip);
  FreeOwnModule();
  if (m_window) KillTimer(m_window, kKeepAliveTimer);
  m_window = nullptr;
  m_parent = nullptr;
}

void CDlgBase::FreeOwnModule() {
  if (m_ownModule && m_module) FreeLibrary(m_module);
  m_ownModule = 0;
  m_module = nullptr;
}

void CDlgBase::TakeModule(HMODULE module, bool own) {
  FreeOwnModule();
  m_module = module;
  m_ownModule = own && module != nullptr;
}

LRESULT CDlgBase::DoModal(const char* templateName) {
  m_templateName = templateName;
  return DialogBoxParam(m_instance, templateName, m_parent, DlgBaseProc, reinterpret_cast<LPARAM>(this));
}

HWND CDlgBase::CreateModeless(const char* templateName) {
  m_templateName = templateName;
  return CreateDialogParam(m_instance, templateName, m_parent, DlgBaseProc, reinterpret_cast<LPARAM>(this));
}

LRESULT CDlgBase::OnInitDialog(HWND window) {
  m_font = CreateFont(16, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Times New Roman");
  const int guild = LocalGuild();
  const char* name = guild >= 0 && guild < 5 ? kGuildCursors[guild] : kGuildCursors[0];
  const HCURSOR cursor = LoadCursor(m_instance, name);
  SetClassLongPtr(window, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
  if (HWND first = GetNextDlgTabItem(window, nullptr, FALSE)) {
    HWND control = first;
    for (int i = 0; i < kMaxTabWalk && control; ++i) {
      SetClassLongPtr(control, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
      control = GetNextDlgTabItem(window, control, FALSE);
      if (control == first) break;
    }
  }
  if (GameExists()) {
    SetTimer(window, kKeepAliveTimer, kKeepAlivePeriodMs, nullptr);
    m_window = window;
  }
  return 0;
}

LRESULT CDlgBase::OnPaint(HWND window) {
  if (!m_background) return 0;
  RECT update{};
  RECT screen{};
  GetUpdateRect(window, &update, FALSE);
  GetWindowRect(window, &screen);
  ShowCursor(FALSE);
  if (update.right <= update.left || update.bottom <= update.top) {
    m_background->BltToPrimary(&screen, nullptr);
  } else {
    RECT src{update.left, update.top, std::min<LONG>(update.right, static_cast<LONG>(m_background->width)),
             std::min<LONG>(update.bottom, static_cast<LONG>(m_background->height))};
    if (src.right > src.left && src.bottom > src.top) {
      RECT dest{src.left + screen.left, src.top + screen.top, src.right + screen.left, src.bottom + screen.top};
      m_background->BltToPrimary(&dest, &src);
    }
  }
  ShowCursor(TRUE);
  m_painted = 1;
  return 0;
}

LRESULT CDlgBase::OnTimer(UINT_PTR timer, LPARAM, HWND) {
  if (timer != kKeepAliveTimer) return 0;
  const DWORD now = GetTickCount();
  if (now - m_lastKeepAlive <= kKeepAliveIntervalMs) return 0;
  m_lastKeepAlive = now;
  if (!g_session || g_session->emailMode) return 0;
  std::array<std::uint8_t, 12> packet{};
  ByteWriter w(packet);
  w.WriteAt<std::uint16_t>(0, PKT_KEEPALIVE);
  w.WriteAt<std::uint16_t>(8, LocalChapterId(kNoChapterChosen));
  g_session->Send(kAllPlayersSlot, packet.data(), packet.size());
  return 0;
}

LRESULT CDlgBase::OnDrawItem(DRAWITEMSTRUCT*, HWND) { return 0; }
LRESULT CDlgBase::OnCtlColor(HDC) { return 0; }
LRESULT CDlgBase::OnCommand(WPARAM, LPARAM, HWND) { return 0; }
LRESULT CDlgBase::OnNotify(WPARAM, LPARAM, HWND) { return 0; }
LRESULT CDlgBase::OnKeyDown(HWND, WPARAM, LPARAM) { return 0; }
LRESULT CDlgBase::OnPrivateMessage(HWND, WPARAM, LPARAM) { return 0; }
LRESULT CDlgBase::OnVScroll(HWND, WPARAM, LPARAM) { return 0; }
LRESULT CDlgBase::OnMouseWheel(HWND, WPARAM, LPARAM) { return 0; }
LRESULT CDlgBase::OnMouseMove(HWND, WORD) { return 0; }

LRESULT CDlgBase::OnRButtonDown(HWND window, WPARAM, LPARAM) {
  CDlgBase* self = ObjectOf(window);
  if (self && (GetKeyState(VK_MENU) & 0x8000) && GameExists())
    AppViewNotices().ShowHelp(self->m_display, window, self->m_instance, self->m_helpId);
  return 1;
}

bool CDlgBase::AddTooltip(HWND control, const char* text) {
  const HWND dialog = control ? GetParent(control) : nullptr;
  if (!dialog) return false;
  if (!m_tooltip) {
    m_tooltip = CreateWindowEx(WS_EX_TOPMOST, "tooltips_class32", nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, m_instance, nullptr);
    if (!m_tooltip) return false;
  }
  TOOLINFO info;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = dialog;
  info.uId = reinterpret_cast<UINT_PTR>(control);
  info.lpszText = text;
  return SendMessage(m_tooltip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&info)) != 0;
}

std::unique_ptr<CSprite> CDlgBase::LoadImage(const char* name, LONG x, LONG y) {
  if (!m_display || !m_module) return nullptr;
  auto sprite = std::make_unique<CSprite>(m_display, kNoColourKey, m_module, name, x, y, 0);
  if (!sprite->surface || !sprite->loaded) return nullptr;
  return sprite;
}

void CDlgBase::DrawOverControl(CSprite* sprite, HWND control) {
  if (!sprite) return;
  RECT r{};
  GetWindowRect(control, &r);
  ShowCursor(FALSE);
  sprite->BltToPrimary(&r, nullptr);
  ShowCursor(TRUE);
}

LRESULT DlgBaseProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CDlgBase* self = ObjectOf(window);
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CDlgBase*>(lParam);
    SetWindowLongPtr(window, GWLP_USERDATA, lParam);
    if (!self) return 1;
    OpenDialogs().push_back(OpenDialog{window, self->TemplateName()});
    self->OnInitDialog(window);
    // The initialisation may have ended the dialog, or a dialog it opened may
    // have come after it in the list.
    for (OpenDialog& d : OpenDialogs())
      if (d.window == window) d.ready = true;
    return 1;
  }
  if (!self) return 0;
  switch (message) {
    case WM_NCDESTROY:
      std::erase_if(OpenDialogs(), [window](const OpenDialog& d) { return d.window == window; });
      SetWindowLongPtr(window, GWLP_USERDATA, 0);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && self->m_painted) self->OnPaint(window);
      return 0;
    case WM_PAINT:
      if (GetActiveWindow() != window) return 1;
      self->OnPaint(window);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_DRAWITEM:
      if (GetActiveWindow() != window) return 1;
      return self->OnDrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam), window);
    case WM_COMMAND:
      return self->OnCommand(wParam, lParam, window);
    case WM_NOTIFY:
      return self->OnNotify(wParam, lParam, window);
    case WM_KEYDOWN:
      return self->OnKeyDown(window, wParam, lParam);
    case WM_TIMER:
      return self->OnTimer(wParam, lParam, window);
    case WM_VSCROLL:
      return self->OnVScroll(window, wParam, lParam);
    case WM_CTLCOLORLISTBOX:
      return self->OnCtlColor(reinterpret_cast<HDC>(wParam));
    case WM_RBUTTONDOWN:
      return self->OnRButtonDown(window, wParam, lParam);
    case WM_MOUSEWHEEL:
      return self->OnMouseWheel(window, wParam, lParam);
    case WM_DLG_PRIVATE:
      return self->OnPrivateMessage(window, wParam, lParam);
    case WM_MOUSEMOVE:
      return self->OnMouseMove(window, LOWORD(wParam));
    case MM_MCINOTIFY:
      if (wParam == MCI_NOTIFY_SUCCESSFUL && g_sndPlay) g_sndPlay->ScheduleNextTrack();
      return 0;
    default:
      return 0;
  }
}

std::vector<std::string> OpenDialogTemplates() {
  std::vector<std::string> names;
  for (const OpenDialog& d : OpenDialogs()) names.push_back(d.templateName);
  return names;
}

std::vector<std::string> ReadyDialogTemplates() {
  std::vector<std::string> names;
  for (const OpenDialog& d : OpenDialogs())
    if (d.ready) names.push_back(d.templateName);
  return names;
}
