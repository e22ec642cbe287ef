#include "Game/frontend/CMainDlg.h"

#include <array>

#include "Game/app/CClntApp.h"
#include "Game/frontend/CFrontEndScreen.h"
#include "Game/frontend/CSingleDlg.h"
#include "Game/frontend/FrontEndControls.h"
#include "Game/frontend/ScreenHistory.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/edit.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr int kNameEdit = IDC_MAIN_NAME;
constexpr int kNicknameEdit = IDC_MAIN_NICKNAME;
constexpr int kNameLimit = 51;
constexpr int kNicknameLimit = 31;

constexpr std::array<ScreenButton, 9> kMainButtons{{
    {2901, 59, 276, 165, 56, "snglplup.ima", "snglplyr.ima", "FEMSSING", kScreenSingle},
    {2902, 232, 276, 165, 56, "mltiplup.ima", "mltiplyr.ima", "FEMSMULT", kScreenConnection},
    {2903, 404, 276, 165, 56, "plyonlup.ima", "plyonlne.ima", "FEMSONLN", kScreenSessions},
    {2904, 576, 276, 165, 56, "emailup.ima", "email.ima", "FEMSEMAL", kScreenEmail},
    {2905, 59, 346, 165, 56, "quikstup.ima", "quikstrt.ima", "FEMSQUIK", kScreenQuickStarted},
    {2906, 232, 346, 165, 56, "tutorlup.ima", "tutorial.ima", "FEMSTUTO", kResultTutorial},
    {2907, 404, 346, 165, 56, "prfncsup.ima", "prfrnces.ima", "FEMSPREF", kScreenPrefs},
    {2908, 576, 346, 165, 56, "rplyinup.ima", "rplyintr.ima", "FEMSRPLY", kResultIntro},
    {2909, 318, 416, 165, 56, "quitup.ima", "quit.ima", "FEMSQUIT", kScreenQuit},
}};

class CMainDlg : public CFrontEndScreen {
 public:
  // Escape leaves the program, as the quit button does.
  explicit CMainDlg(CClntApp& app) : CFrontEndScreen(app, "Main.ima", kMainButtons, kScreenQuit) {}

  LRESULT OnInitDialog(HWND window) override {
    CFrontEndScreen::OnInitDialog(window);
    MoveWindow(GetDlgItem(window, kNameEdit), 164, 242, 134, 20, FALSE);
    MoveWindow(GetDlgItem(window, kNicknameEdit), 503, 242, 138, 20, FALSE);
    SendDlgItemMessage(window, kNameEdit, EM_LIMITTEXT, kNameLimit, 0);
    SendDlgItemMessage(window, kNicknameEdit, EM_LIMITTEXT, kNicknameLimit, 0);
    SetDlgItemText(window, kNicknameEdit, m_app.Network().connection.nickname);
    SetDlgItemText(window, kNameEdit, m_app.Network().connection.playerName);
    return 0;
  }

 protected:
  bool Accept(HWND window, const ScreenButton& b) override {
    // The names typed count only for the buttons that lead on to a game.
    if (b.result != kResultTutorial && b.result != kScreenPrefs && b.result != kResultIntro) {
      GetDlgItemText(window, kNameEdit, m_app.ConnectionToEdit().playerName, kNameLimit + 1);
      GetDlgItemText(window, kNicknameEdit, m_app.ConnectionToEdit().nickname, kNicknameLimit + 1);
    }
    return true;
  }
  const char* ClosingSound(std::int16_t result) const override {
    return result == kScreenQuickStarted || result == kScreenQuit ? nullptr : "shut1.wav";
  }
};

}  // namespace

std::int16_t RunMainDlg(CClntApp& app) {
  CMainDlg dialog(app);
  return dialog.Run("IDD_MAIN");
}
