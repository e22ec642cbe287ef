#include "Game/frontend/CServiceDlg.h"

#include <array>
#include <string>

#include "Game/app/CClntApp.h"
#include "Game/frontend/CFrontEndScreen.h"
#include "Game/frontend/FrontEndControls.h"
#include "Game/frontend/ScreenHistory.h"
#include "hvmulti/HvMRecords.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/edit.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

struct ServiceChoice {
  std::uint16_t connectionKind;
  std::uint8_t serviceType;
  const char* grey;
};

constexpr std::array<ScreenButton, 6> kServiceButtons{{
    {3025, 160, 26, 240, 71, "intrntup.ima", "internet.ima", "FEMC_TCP", kResultTcpIp},
    {3026, 160, 97, 240, 71, "netwrkup.ima", "network.ima", "FEMC_IPX", kResultIpx},
    {3028, 400, 97, 240, 71, "modemup.ima", "modem.ima", "FEMCMODM", kResultModem},
    {3027, 400, 26, 240, 71, "serialup.ima", "serial.ima", "FEMCSERL", kResultSerial},
    {3029, 0, 190, 46, 198, "prvus2up.ima", "previus2.ima", "FEMCPREV", kScreenBack},
    {3030, 754, 190, 46, 198, "mnscr2up.ima", "mainscr2.ima", "FEMCMAIN", kScreenTitle},
}};
// The four services, in the order of the table above.
constexpr std::array<ServiceChoice, 4> kServices{
    {{1, 6, "intrntgr.ima"}, {2, 4, "netwrkgr.ima"}, {3, 1, "modemgr.ima"}, {4, 5, "serialgr.ima"}}};

class CServiceDlg : public CFrontEndScreen {
 public:
  explicit CServiceDlg(CClntApp& app) : CFrontEndScreen(app, "bkgnd2.ima", kServiceButtons, kScreenBack) {}

  LRESULT OnInitDialog(HWND window) override {
    CFrontEndScreen::OnInitDialog(window);
    for (std::size_t i = 0; i < kServices.size(); ++i) {
      // A service the library lacks shows grey; pressing it still lets the
      // flow try it, and the library's answer says why it cannot open.
      if (m_app.Network().connection.serviceIds[kServices[i].connectionKind] != 0) continue;
      Button(i).SetDisabledImage(FrontEndArt(kServices[i].grey).c_str());
      Button(i).SetImages(FrontEndArt(kServices[i].grey).c_str(), nullptr);
    }
    return 0;
  }

 protected:
  bool Accept(HWND, const ScreenButton& b) override {
    for (std::size_t i = 0; i < kServices.size(); ++i) {
      if (kServiceButtons[i].id != b.id) continue;
      m_app.ChooseService(kServices[i].connectionKind, kServices[i].serviceType);
    }
    return true;
  }
};

}  // namespace

std::int16_t RunServiceDlg(CClntApp& app) {
  CServiceDlg dialog(app);
  return dialog.Run("IDD_SERVICE");
}
