#include "Game/app/CButtonTableDlg.h"

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "media/CSndPlay.h"
#include "media/CSprite.h"
#include "platform/core/clock.h"
#include "platform/dialog/tooltip.h"
#include "platform/user/cursor.h"
#include "platform/user/system.h"
#include "platform/user/window.h"

using namespace plat;

CButtonTableDlg::CButtonTableDlg(CDDraw* display, HWND parent, HINSTANCE instance, DWORD helpId,
                                 std::span<const ScreenButton> buttons)
    : CDlgBase(display, parent, instance, helpId, nullptr), m_table(buttons) {}

CButtonTableDlg::~CButtonTableDlg() = default;

LRESULT CButtonTableDlg::OnInitDialog(HWND window) {
  CDlgBase::OnInitDialog(window);
  CreateButtons(window);
  return 0;
}

void CButtonTableDlg::CreateButtons(HWND window) {
  if (!m_tooltip)
    m_tooltip = CreateWindowEx(WS_EX_TOPMOST, "tooltips_class32", nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, m_instance, nullptr);
  const HCURSOR cursor = LoadCursor(m_instance, "IDC_CURSOR_NORMAL_RED");
  for (std::size_t i = 0; i < m_table.size(); ++i) {
    const ScreenButton& b = m_table[i];
    auto button = std::make_unique<CImageButton>();
    const std::string tip = b.tooltipId && g_app ? g_app->Text(b.tooltipId) : std::string();
    // Alt + right click on a button tells about the dialog it belongs to.
    button->Create(m_display, window, m_instance, m_tooltip, tip.empty() ? nullptr : tip.c_str(), b.id, b.x, b.y,
                   b.width, b.height, kNoColourKey, m_helpId, ImageModule(i));
    button->SetImages(ImagePath(i, b.normal).c_str(), ImagePath(i, b.pressed).c_str());
    if (button->window) SetClassLongPtr(button->window, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
    m_buttons.push_back(std::move(button));
  }
}

LRESULT CButtonTableDlg::OnPaint(HWND window) {
  if (!m_openPlayed) {
    m_openPlayed = true;
    if (const char* sound = OpeningSound()) PlayEffect(sound);
  }
  CDlgBase::OnPaint(window);
  // The buttons lie over the background: draw them after it.
  for (const auto& b : m_buttons)
    if (IsWindowVisible(b->window)) DrawOverControl(b->sprite.get(), b->window);
  return 0;
}

LRESULT CButtonTableDlg::OnDrawItem(DRAWITEMSTRUCT* item, HWND) {
  for (const auto& b : m_buttons)
    if (item && item->hwndItem == b->window) DrawOverControl(b->sprite.get(), b->window);
  return 1;
}

LRESULT CButtonTableDlg::OnCommand(WPARAM wParam, LPARAM lParam, HWND window) {
  const int id = LOWORD(wParam);
  for (std::size_t i = 0; i < m_table.size(); ++i) {
    if (m_table[i].id != id) continue;
    OnButton(window, i);
    return 1;
  }
  if (id == IDCANCEL && EscapeButton() < m_table.size()) {
    OnButton(window, EscapeButton());
    return 1;
  }
  return OnOtherCommand(wParam, lParam, window);
}

void CButtonTableDlg::ToggleButton(std::size_t index) {
  CImageButton& button = *m_buttons[index];
  button.Toggle();
  DrawOverControl(button.sprite.get(), button.window);
}

void CButtonTableDlg::Flash(std::size_t index, DWORD ms) {
  PlayClick();
  ToggleButton(index);
  Sleep(ms);
  ToggleButton(index);
}

void CButtonTableDlg::SetPressed(std::size_t index, bool pressed, bool draw) {
  if (IsPressed(index) != pressed) m_buttons[index]->Toggle();
  if (draw) DrawButton(index);
}

void CButtonTableDlg::DrawButton(std::size_t index) {
  DrawOverControl(m_buttons[index]->sprite.get(), m_buttons[index]->window);
}

void CButtonTableDlg::SetDisabled(std::size_t index, bool disabled, const char* image) {
  if (image) m_buttons[index]->SetDisabledImage(ImagePath(index, image).c_str());
  m_buttons[index]->SetDisabled(disabled ? 1 : 0);
}

void CButtonTableDlg::PlayClick() { PlayEffect("click"); }

void CButtonTableDlg::PlayEffect(const char* name) {
  if (g_sndPlay) g_sndPlay->PlayEffect(name, 0.0f, 0.0f, 0);
}
