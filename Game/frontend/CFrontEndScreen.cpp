#include "Game/frontend/CFrontEndScreen.h"

#include <algorithm>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/base/GInstData.h"
#include "media/CSprite.h"
#include "platform/core/clock.h"
#include "platform/dialog/dialog.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/user/cursor.h"
#include "platform/user/window.h"

using namespace plat;

namespace {
constexpr int kIdCancel = 2;
}  // namespace

std::string FrontEndArt(const char* name) { return std::string(g_instData.GetFrontEndArtPath()) + name; }

CFrontEndScreen::CFrontEndScreen(CClntApp& app, const char* background, std::span<const ScreenButton> buttons,
                                 std::int16_t escapeResult)
    : CButtonTableDlg(g_ddraw, g_mainWnd, app.m_instance, 0, buttons),
      m_app(app),
      m_backgroundName(background),
      m_escapeResult(escapeResult),
      m_result(escapeResult) {
  m_background = app.TakeBackdrop();
}

CFrontEndScreen::~CFrontEndScreen() {
  // The flow keeps the backdrop from screen to screen.
  if (m_background) m_app.ReturnBackdrop(std::move(m_background));
}

std::int16_t CFrontEndScreen::Run(const char* templateName) {
  DoModal(templateName);
  return m_result;
}

LRESULT CFrontEndScreen::OnInitDialog(HWND window) {
  CDlgBase::OnInitDialog(window);
  if (m_background && BackgroundModule()) {
    m_background->SetImageName(BackgroundPath().c_str());
    m_background->LoadImage(BackgroundModule());
  }
  const RECT place = Place();
  MoveWindow(window, place.left, place.top, place.right, place.bottom, FALSE);
  CreateButtons(window);
  return 0;
}

void CFrontEndScreen::Press(HWND window, std::size_t index) {
  const ScreenButton& b = Entry(index);
  if (!Accept(window, b)) return;
  PlayClick();
  ToggleButton(index);
  Leave(window, b.result);
}

void CFrontEndScreen::Leave(HWND window, std::int16_t result) {
  m_result = result;
  Sleep(100);
  if (const char* sound = ClosingSound(m_result)) PlayEffect(sound);
  EndDialog(window, m_result);
}

std::string CFrontEndScreen::ImagePath(std::size_t, const char* name) const { return FrontEndArt(name); }

std::string CFrontEndScreen::BackgroundPath() const { return FrontEndArt(m_backgroundName); }

void CFrontEndScreen::DrawListLine(const DRAWITEMSTRUCT& item, POINT place, std::string_view text, COLORREF selected,
                                   COLORREF normal, bool parts) {
  constexpr int kLineHeight = 15;
  constexpr int kIndent = 10;
  if (m_background) {
    // The background lies under the window, which need not fill the screen.
    RECT window{};
    GetWindowRect(GetParent(item.hwndItem), &window);
    const RECT& r = item.rcItem;
    RECT area{r.left + place.x, r.top + place.y, r.right + place.x, r.bottom + place.y};
    RECT screen{area.left + window.left, area.top + window.top, area.right + window.left, area.bottom + window.top};
    m_background->BltToPrimary(&screen, &area);
  }
  const HFONT font = CreateFont(kLineHeight, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Times New Roman");
  const HGDIOBJ old = SelectObject(item.hDC, font);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, (item.itemState & ODS_SELECTED) ? selected : normal);
  std::size_t start = 0;
  for (int row = 0; row < 3 && start <= text.size(); ++row) {
    const std::size_t end = parts ? std::min(text.find('^', start), text.size()) : text.size();
    const int indent = row == 0 ? 0 : kIndent;
    RECT line{item.rcItem.left + indent, item.rcItem.top + row * kLineHeight, item.rcItem.right,
              item.rcItem.top + (row + 1) * kLineHeight};
    DrawText(item.hDC, text.data() + start, static_cast<int>(end - start), &line, DT_LEFT | DT_SINGLELINE);
    start = end + 1;
  }
  SelectObject(item.hDC, old);
  DeleteObject(font);
}

void CFrontEndScreen::DrawScreenText(HWND window, const RECT& area, std::string_view text, int height, int weight,
                                     COLORREF colour, UINT format, bool black) {
  const HDC dc = GetDC(window);
  if (!dc) return;
  if (black) {
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  } else if (m_background) {
    RECT screen{};
    GetWindowRect(window, &screen);
    RECT dest{area.left + screen.left, area.top + screen.top, area.right + screen.left, area.bottom + screen.top};
    ShowCursor(FALSE);
    m_background->BltToPrimary(&dest, &area);
    ShowCursor(TRUE);
  }
  const HFONT font = CreateFont(height, 0, 0, 0, weight, 0, 0, 0, 0, 0, 0, 0, 0, "Times New Roman");
  const HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  RECT r = area;
  DrawText(dc, text.data(), static_cast<int>(text.size()), &r, format | DT_NOCLIP);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(window, dc);
}

LRESULT CFrontEndScreen::TransparentControl(HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(GetStockObject(HOLLOW_BRUSH));
}

LRESULT CFrontEndScreen::OnCommand(WPARAM wParam, LPARAM lParam, HWND window) {
  if (LOWORD(wParam) == kIdCancel) {
    m_result = m_escapeResult;
    EndDialog(window, m_result);
    return 1;
  }
  return CButtonTableDlg::OnCommand(wParam, lParam, window);
}
