#include "Game/frontend/CEmailDlg.h"

#include <array>

#include "Game/app/CClntApp.h"
#include "Game/frontend/CFrontEndScreen.h"
#include "Game/frontend/FrontEndControls.h"
#include "Game/frontend/ScreenHistory.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/edit.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr int kNameEdit = IDC_EMAIL_NAME;
constexpr int kNameLimit = 259;

constexpr std::array<ScreenButton, 5> kButtons{{
    {3080, 397, 26, 239, 102, "createup.ima", "create.ima", "FEEMCRTE", kResultCreateEmail},
    {3081, 159, 26, 237, 71, "playup.ima", "play.ima", "FEEMPLAY", kResultPlayEmail},
    {3082, 159, 96, 237, 71, "prcessup.ima", "prcess.ima", "FEEMPRCS", kResultProcessEmail},
    {3083, 0, 190, 46, 198, "prvus5up.ima", "previus5.ima", "FEEMPREV", kScreenBack},
    {3084, 754, 190, 46, 198, "mnscr5up.ima", "mainscr5.ima", "FEEMMAIN", kScreenTitle},
}};

class CEmailDlg : public CFrontEndScreen {
 public:
  CEmailDlg(CClntApp& app, std::string& gameName)
      : CFrontEndScreen(app, "bkgnd7.ima", kButtons, kScreenBack), m_gameName(gameName) {}

  LRESULT OnInitDialog(HWND window) override {
    CFrontEndScreen::OnInitDialog(window);
    MoveWindow(GetDlgItem(window, kNameEdit), 521, 127, 111, 21, FALSE);
    SendDlgItemMessage(window, kNameEdit, EM_LIMITTEXT, kNameLimit, 0);
    SetDlgItemText(window, kNameEdit, "EMail Game");
    return 0;
  }

 protected:
  bool Accept(HWND window, const ScreenButton& b) override {
    if (b.result == kResultCreateEmail) {
      char name[kNameLimit + 1] = {};
      GetDlgItemText(window, kNameEdit, name, sizeof name);
      m_gameName = name;
    }
    return true;
  }

 private:
  std::string& m_gameName;
};

}  // namespace

std::int16_t RunEmailDlg(CClntApp& app, std::string& gameName) {
  gameName.clear();
  CEmailDlg dialog(app, gameName);
  return dialog.Run("IDD_EMAIL");
}

std::string EmailGameName(const std::string& typed) {
  std::string name = typed;
  for (char& c : name)
    if (c == ' ') c = '_';
  return name + "-0";
}

std::string EmailCreateCommand(const std::string& gameName) { return "-En:" + gameName + " HVSCS"; }
