#include "media/CMovieDlg.h"

#include <cstdio>

#include "media/MoviePlayer.h"
#include "platform/dialog/dialog.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/shapes.h"
#include "platform/user/cursor.h"
#include "platform/user/focus.h"
#include "platform/user/keys.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr int kTemplate = 107;

LRESULT MovieDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtr(window, DWLP_USER, lParam);
  auto* dlg = reinterpret_cast<CMovieDlg*>(GetWindowLongPtr(window, DWLP_USER));
  if (!dlg) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      return dlg->OnInitDialog(window);
    case WM_PAINT:
      return dlg->OnPaint(window);
    case WM_KEYDOWN:
      return dlg->OnKeyDown(window, wParam, lParam);
    case kMovieDoneMessage:
      return dlg->OnPrivateMessage(wParam, lParam);
    default:
      return FALSE;
  }
}

void FillBlack(HDC dc) {
  const RECT all{0, 0, 800, 600};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

}  // namespace

CMovieDlg::CMovieDlg(LONG x, LONG y, HWND owner, HINSTANCE instance)
    : m_owner(owner), m_instance(instance), m_x(x), m_y(y) {}

CMovieDlg::~CMovieDlg() {
  m_screen.reset();
  if (m_window && IsWindow(m_window)) DestroyWindow(m_window);
}

int CMovieDlg::Play(const char* file, DWORD kept, DWORD centreOnScreen, DWORD centreIn800x600) {
  std::snprintf(m_file, sizeof m_file, "%s", file ? file : "");
  m_kept = kept;
  m_centreOnScreen = centreOnScreen;
  m_centreIn800x600 = centreIn800x600;
  m_finished = 0;
  m_window = CreateDialogParam(m_instance, kTemplate, m_owner, MovieDlgProc, reinterpret_cast<LPARAM>(this));
  if (!m_window || !m_screen) {
    m_finished = 1;
    return 0;
  }
  SetFocus(m_window);
  ShowCursor(FALSE);
  m_screen->RunModalLoop();
  ShowCursor(TRUE);
  SetFocus(m_owner);
  return 1;
}

LRESULT CMovieDlg::OnInitDialog(HWND window) {
  m_window = window;
  m_screen = std::make_unique<ScreenWindow>(window, m_file, m_x, m_y, 1, kMovieDoneMessage, window, m_centreOnScreen,
                                            m_centreIn800x600);
  if (m_screen->status == 0) {
    ShowWindow(window, SW_SHOW);
    HDC dc = GetDC(window);
    FillBlack(dc);
    ReleaseDC(window, dc);
    UpdateWindow(window);
    // Frame 0 was drawn while the window was hidden.
    m_screen->ShowFrame(0);
    m_screen->Play();
    if (m_screen->IsStopped()) m_finished = 1;
  }
  return TRUE;
}

LRESULT CMovieDlg::OnPaint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  FillBlack(dc);
  EndPaint(window, &ps);
  return TRUE;
}

LRESULT CMovieDlg::OnKeyDown(HWND window, WPARAM key, LPARAM keyData) {
  if (key == VK_RETURN || key == VK_ESCAPE || key == VK_SPACE) {
    if (m_screen) m_screen->Stop();
    return TRUE;
  }
  return DefWindowProc(window, WM_KEYDOWN, key, keyData);
}

LRESULT CMovieDlg::OnPrivateMessage(WPARAM wParam, LPARAM lParam) {
  m_finished = 1;
  PostMessage(m_owner, kMovieDoneMessage, wParam, lParam);
  return TRUE;
}

int PlayMovie(HWND owner, HINSTANCE instance, const char* path) {
  CMovieDlg dlg(40, 40, owner, instance);
  return dlg.Play(path, 1, 1, 1);
}
