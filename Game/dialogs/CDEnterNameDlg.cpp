#include "Game/dialogs/CDEnterNameDlg.h"

#include <algorithm>
#include <cstring>

#include "Game/app/AppGlobals.h"
#include "Game/dialogs/DialogArt.h"
#include "Game/dialogs/NameIds.h"
#include "platform/core/clock.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/edit.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

const ScreenButton kButtons[] = {
    {IDOK, 100, 162, 80, 49, "editoku.ima", "editokd.ima", nullptr, 0},
};

}  // namespace

CDEnterNameDlg::CDEnterNameDlg(CDDraw* display, HWND parent, HINSTANCE instance, std::string_view prompt, int guild,
                               char* result, std::uint32_t* success, int limit)
    : CDNamePrompt(display, parent, instance, prompt, guild, kButtons),
      m_text(result),
      m_success(success),
      m_limit(std::clamp(limit, 1, kNameTextLimit)) {
  m_text[m_limit] = '\0';
  m_result = DoModal("IDD_ENTER_NAME_DLG");
}

CDEnterNameDlg::~CDEnterNameDlg() { RedrawGameView(); }

LRESULT CDEnterNameDlg::OnInitDialog(HWND window) {
  CDNamePrompt::OnInitDialog(window);
  MoveWindow(window, 261, 195, 279, 211, FALSE);
  SendDlgItemMessage(window, IDC_NAME_TEXT, EM_LIMITTEXT, static_cast<WPARAM>(m_limit), 0);
  return 0;
}

LRESULT CDEnterNameDlg::OnPaint(HWND window) {
  CDNamePrompt::OnPaint(window);
  // The caller's text goes in with the first paint, selected whole so typing
  // replaces it. Only then: a later repaint (a help window closed over the
  // prompt) would throw away what the player has typed since.
  if (!m_fieldFilled) {
    m_fieldFilled = true;
    SetDlgItemText(window, IDC_NAME_TEXT, m_text);
    SendDlgItemMessage(window, IDC_NAME_TEXT, EM_SETSEL, 0, -1);
  }
  return 0;
}

void CDEnterNameDlg::Finish(HWND window, bool ok) {
  PlayClick();
  const std::string text = FieldText(window);
  std::memcpy(m_text, text.c_str(), text.size() + 1);
  if (m_success) *m_success = ok ? 1 : 0;
  if (ok) {
    ToggleButton(0);
    Sleep(100);
  }
  EndDialog(window, ok ? 0 : 1);
}

void CDEnterNameDlg::OnButton(HWND window, std::size_t) { Finish(window, true); }

LRESULT CDEnterNameDlg::OnOtherCommand(WPARAM wParam, LPARAM, HWND window) {
  if (LOWORD(wParam) != IDCANCEL) return 0;
  Finish(window, false);
  return 1;
}

bool RunEnterNameDialog(std::string_view prompt, std::string* text) {
  char buffer[kNameBufferSize] = {};
  std::strncpy(buffer, text->c_str(), kNameTextLimit);
  std::uint32_t success = 0;
  CDEnterNameDlg dialog(g_ddraw, g_mainWnd, DialogInstance(), prompt, LocalGuildIndex(), buffer, &success);
  *text = buffer;
  return success == 1;
}
