#include "Game/frontend/CSingleDlg.h"

#include <array>

#include "Game/frontend/CFrontEndScreen.h"
#include "Game/frontend/ScreenHistory.h"

namespace {

constexpr std::array<ScreenButton, 5> kSingleButtons{{
    {2910, 55, 26, 233, 142, "newgmeup.ima", "newgame.ima", "FESP_NEW", kScreenConfigLocal},
    {2911, 288, 26, 233, 142, "scnrioup.ima", "scenario.ima", "FESPSCEN", kResultScenario},
    {2912, 521, 26, 233, 142, "svdgmeup.ima", "savdgame.ima", "FESPLOAD", kScreenQuickStarted},
    {2913, 0, 190, 46, 198, "prviusup.ima", "previous.ima", "FESPPREV", kScreenTitle},
    {2914, 754, 190, 46, 198, "mnscrnup.ima", "mainscrn.ima", "FESPMAIN", kScreenTitle},
}};

// The single-player screen: its buttons lead on, and Escape goes back to the title.
class CSingleDlg : public CFrontEndScreen {
 public:
  explicit CSingleDlg(CClntApp& app) : CFrontEndScreen(app, "bkgnd.ima", kSingleButtons, kScreenTitle) {}
};

}  // namespace

std::int16_t RunSingleDlg(CClntApp& app) {
  CSingleDlg dialog(app);
  return dialog.Run("IDD_SINGLE");
}
