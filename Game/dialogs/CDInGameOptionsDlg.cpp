#include "Game/dialogs/CDInGameOptionsDlg.h"

#include "Game/app/AppGlobals.h"
#include "Game/app/AppMessages.h"
#include "Game/app/AppViewNotices.h"
#include "Game/app/CClntApp.h"
#include "Game/dialogs/CDHighScoreDlg.h"
#include "Game/dialogs/DialogArt.h"
#include "platform/core/clock.h"
#include "platform/dialog/dialog.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr ScreenButton kButtons[] = {
    {3100, 45, 109, 162, 56, "saveup.ima", "savedn.ima", "NGOPSAVE", kOptionSave},
    {3101, 214, 109, 162, 56, "loadup.ima", "loaddn.ima", "NGOPLOAD", kOptionLoad},
    {3102, 384, 109, 162, 56, "hiscrsup.ima", "hiscrsdn.ima", "NGOPHISC", kOptionHighScores},
    {3103, 45, 179, 162, 56, "cntnueup.ima", "cntnuedn.ima", "NGOPCONT", kOptionContinue},
    {3104, 214, 179, 162, 56, "restrtup.ima", "restrtdn.ima", "NGOPRSTR", kOptionRestart},
    {3105, 384, 179, 162, 56, "abortup.ima", "abortdn.ima", "NGOPABRT", kOptionAbort},
    {3106, 214, 246, 162, 56, "quitup2.ima", "quitdn2.ima", "NGOPQUIT", kOptionQuit},
};
constexpr std::size_t kContinue = 3;
static_assert(kButtons[kContinue].result == kOptionContinue);

}  // namespace

CDInGameOptionsDlg::CDInGameOptionsDlg(CDDraw* display, HWND window, HINSTANCE instance, IOptionsScreen& screen)
    : CButtonTableDlg(display, window, instance, 199, kButtons), m_viewWindow(window), m_screen(screen) {
  m_result = DoModal("IDD_INGAMEOPTIONS");
}

CDInGameOptionsDlg::~CDInGameOptionsDlg() {
  AppViewNotices().SuspendScreenFlush(0);
  RedrawGameView();
}

std::string CDInGameOptionsDlg::ImagePath(std::size_t, const char* name) const { return DialogArt(name); }

LRESULT CDInGameOptionsDlg::OnInitDialog(HWND window) {
  CButtonTableDlg::OnInitDialog(window);
  m_background = LoadImage(DialogArt("bkgnd16.ima").c_str(), 0, 0);
  MoveWindow(window, 26, 96, 590, 372, FALSE);
  return 0;
}

LRESULT CDInGameOptionsDlg::OnPaint(HWND window) {
  CButtonTableDlg::OnPaint(window);
  for (std::size_t i = 0; i < std::size(kButtons); ++i) ValidateRect(Button(i).window, nullptr);
  return 0;
}

std::size_t CDInGameOptionsDlg::EscapeButton() const { return kContinue; }

void CDInGameOptionsDlg::OnButton(HWND window, std::size_t index) {
  const int choice = Entry(index).result;
  if (choice == kOptionSave) m_screen.RecenterCamera();
  PlayClick();
  ToggleButton(index);
  InvalidateRect(window, nullptr, FALSE);
  Sleep(500);
  switch (choice) {
    case kOptionSave:
      PostMessage(m_viewWindow, WM_APP_SAVE, 0, 0);
      break;
    case kOptionLoad:
      PostMessage(m_viewWindow, WM_APP_LOAD_REQUEST, 0, 0);
      break;
    case kOptionRestart:
      m_screen.AskRestart();
      break;
    case kOptionAbort:
      ConfirmQuit(0, window);
      break;
    case kOptionQuit:
      ConfirmQuit(1, window);
      break;
    case kOptionHighScores:
      RunHighScoreDialog();
      break;
    default:
      break;
  }
  EndDialog(window, choice);
}
