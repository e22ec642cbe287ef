#include "Game/frontend/CFrontEndScreen.h"

#include <algorithm>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/base/GInstData.h"
#include "media/CSndPlay.h"
#include "media/CSprite.h"
#include "platform/core/clock.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/tooltip.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/user/cursor.h"
#include "platform/user/window.h"

using namespace plat;

namespace {
constexpr int kIdCancel = 2;

void PlaySound(const char* name) {
  if (g_sndPlay) g_sndPlay->PlayEffect(name, 0.0f, 0.0f, 0);
}
}  // namespace

std::string FrontEndArt(const char* name) { return std::string(g_instData.GetFrontEndArtPath()) + name; }

CFrontEndScreen::CFrontEndScreen(CClntApp& app, const char* background, std::span<const ScreenButton> buttons,
                                 std::int16_t escapeResult)
    : CDlgBase(g_ddraw, g_mainWnd, app.m_instance, 0, nullptr),
      m_app(app),
      m_backgroundName(background),
      m_table(buttons),
      m_escapeResult(escapeResult),
      m_result(escapeResult) {
  m_background = std::move(app.m_backdrop);
}

CFrontEndScreen::~CFrontEndScreen() {
  m_buttons.clear();
  // The flow keeps the backdrop from screen to screen.
  if (m_background) m_app.m_backdrop = std::move(m_background);
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
  if (!m_tooltip)
    m_tooltip = CreateWindowEx(WS_EX_TOPMOST, "tooltips_class32", nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, m_instance, nullptr);
  const HCURSOR cursor = LoadCursor(m_instance, "IDC_CURSOR_NORMAL_RED");
  for (std::size_t i = 0; i < m_table.size(); ++i) {
    const ScreenButton& b = m_table[i];
    auto button = std::make_unique<CImageButton>();
    const std::string tip = b.tooltipId ? m_app.Text(b.tooltipId) : std::string();
    button->Create(m_display, window, m_instance, m_tooltip, tip.empty() ? nullptr : tip.c_str(), b.id, b.x, b.y,
                   b.width, b.height, kNoColourKey, 0, ImageModule(i));
    button->SetImages(ImagePath(i, b.normal).c_str(), ImagePath(i, b.pressed).c_str());
    if (button->window) SetClassLongPtr(button->window, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
    m_buttons.push_back(std::move(button));
  }
  return 0;
}

LRESULT CFrontEndScreen::OnPaint(HWND window) {
  if (!m_openPlayed) {
    m_openPlayed = true;
    if (const char* sound = OpeningSound()) PlaySound(sound);
  }
  CDlgBase::OnPaint(window);
  // The buttons lie over the background: draw them after it.
  for (const auto& b : m_buttons)
    if (IsWindowVisible(b->window)) DrawOverControl(b->sprite.get(), b->window);
  return 0;
}

LRESULT CFrontEndScreen::OnDrawItem(DRAWITEMSTRUCT* item, HWND) {
  for (const auto& b : m_buttons)
    if (item && item->hwndItem == b->window) DrawOverControl(b->sprite.get(), b->window);
  return 1;
}

void CFrontEndScreen::Press(HWND window, std::size_t index) {
  const ScreenButton& b = m_table[index];
  if (!Accept(window, b)) return;
  PlaySound("click");
  CImageButton& button = *m_buttons[index];
  button.Toggle();
  DrawOverControl(button.sprite.get(), button.window);
  Leave(window, b.result);
}

void CFrontEndScreen::Leave(HWND window, std::int16_t result) {
  m_result = result;
  Sleep(100);
  if (const char* sound = ClosingSound(m_result)) PlaySound(sound);
  EndDialog(window, m_result);
}

void CFrontEndScreen::SetPressed(std::size_t index, bool pressed, bool draw) {
  if (IsPressed(index) != pressed) m_buttons[index]->Toggle();
  if (draw) DrawButton(index);
}

void CFrontEndScreen::DrawButton(std::size_t index) {
  DrawOverControl(m_buttons[index]->sprite.get(), m_buttons[index]->window);
}

std::string CFrontEndScreen::ImagePath(std::size_t, const char* name) const { return FrontEndArt(name); }

std::string CFrontEndScreen::BackgroundPath() const { return FrontEndArt(m_backgroundName); }

void CFrontEndScreen::SetDisabled(std::size_t index, bool disabled, const char* image) {
  if (image) m_buttons[index]->SetDisabledImage(ImagePath(index, image).c_str());
  m_buttons[index]->SetDisabled(disabled ? 1 : 0);
}

void CFrontEndScreen::PlayClick() { PlaySound("click"); }

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

void CFrontEndScreen::Flash(std::size_t index, DWORD ms) {
  PlaySound("click");
  CImageButton& button = *m_buttons[index];
  button.Toggle();
  DrawOverControl(button.sprite.get(), button.window);
  Sleep(ms);
  button.Toggle();
  DrawOverControl(button.sprite.get(), button.window);
}

LRESULT CFrontEndScreen::OnCommand(WPARAM wParam, LPARAM, HWND window) {
  const int id = LOWORD(wParam);
  if (id == kIdCancel) {
    m_result = m_escapeResult;
    EndDialog(window, m_result);
    return 1;
  }
  for (std::size_t i = 0; i < m_table.size(); ++i) {
    if (m_table[i].id != id) continue;
    Press(window, i);
    return 1;
  }
  return 0;
}
