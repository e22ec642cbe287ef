#include "Game/dialogs/CDMultilineEditDlg.h"

#include <algorithm>
#include <climits>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/dialogs/ChatIds.h"
#include "Game/dialogs/DialogArt.h"
#include "media/CSprite.h"
#include "platform/core/clock.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/edit.h"
#include "platform/user/focus.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

enum : std::size_t { kSend, kCancel };
const ScreenButton kButtons[] = {
    {IDOK, 74, 226, 104, 102, "noteokup.ima", "noteokdn.ima", "CHT_SEND", 1},
    {IDCANCEL, 420, 226, 104, 102, "notecnup.ima", "notecndn.ima", "CHTCANCL", 2},
};

}  // namespace

CDMultilineEditDlg::CDMultilineEditDlg(CDDraw* display, HWND parent, HINSTANCE instance, char* text, std::size_t size)
    : CButtonTableDlg(display, parent, instance, 199, kButtons), m_text(text), m_size(size) {
  m_result = DoModal("IDD_MULTILINE_EDIT");
}

CDMultilineEditDlg::~CDMultilineEditDlg() { RedrawGameView(); }

std::string CDMultilineEditDlg::ImagePath(std::size_t, const char* name) const { return DialogArt(name); }

LRESULT CDMultilineEditDlg::OnInitDialog(HWND window) {
  CButtonTableDlg::OnInitDialog(window);
  m_background = LoadImage(DialogArt("notedlg.ima").c_str(), 0, 0);
  MoveWindow(window, 25, 96, 590, 372, FALSE);
  MoveWindow(GetDlgItem(window, IDC_NOTE_TEXT), 52, 54, 491, 101, FALSE);
  if (m_size > 0) {
    SendDlgItemMessage(window, IDC_NOTE_TEXT, EM_LIMITTEXT, m_size - 1, 0);
    m_text[m_size - 1] = '\0';
    SetDlgItemText(window, IDC_NOTE_TEXT, m_text);
  }
  SetFocus(GetDlgItem(window, IDC_NOTE_TEXT));
  return 0;
}

LRESULT CDMultilineEditDlg::OnPaint(HWND window) {
  CButtonTableDlg::OnPaint(window);
  for (std::size_t i = 0; i < std::size(kButtons); ++i) ValidateRect(Button(i).window, nullptr);
  return 0;
}

void CDMultilineEditDlg::OnButton(HWND window, std::size_t index) {
  PlayClick();
  ToggleButton(index);
  RECT band{0, 200, 590, 372};
  InvalidateRect(window, &band, FALSE);
  Sleep(100);
  if (m_size > 0) {
    if (index == kSend) {
      GetDlgItemText(window, IDC_NOTE_TEXT, m_text, static_cast<int>(std::min<std::size_t>(m_size, INT_MAX)));
    } else {
      m_text[0] = '\0';
    }
  }
  EndDialog(window, Entry(index).result);
}

bool RunNoteDialog(char* text, std::size_t size) {
  CDMultilineEditDlg dialog(g_ddraw, g_mainWnd, DialogInstance(), text, size);
  return dialog.m_result == 1;
}
