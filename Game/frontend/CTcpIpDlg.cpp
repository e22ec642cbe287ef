#include "Game/frontend/CTcpIpDlg.h"

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

constexpr int kAddressEdit = IDC_TCPIP_ADDRESS;
constexpr int kAddressLimit = 51;
constexpr std::array<ScreenButton, 3> kTcpIpButtons{{
    {3200, 334, 392, 131, 40, "okup2.ima", "ok2.ima", "FETC__OK", kScreenSessions},
    {3201, 0, 190, 46, 198, "prvs12up.ima", "prevus12.ima", "FETCPREV", kScreenBack},
    {3202, 754, 190, 46, 198, "mnsc12up.ima", "mainsc12.ima", "FETCMAIN", kScreenTitle},
}};

class CTcpIpDlg : public CFrontEndScreen {
 public:
  explicit CTcpIpDlg(CClntApp& app) : CFrontEndScreen(app, "bkgnd8.ima", kTcpIpButtons, kScreenBack) {}

  LRESULT OnInitDialog(HWND window) override {
    CFrontEndScreen::OnInitDialog(window);
    MoveWindow(GetDlgItem(window, kAddressEdit), 265, 352, 270, 27, FALSE);
    SendDlgItemMessage(window, kAddressEdit, EM_LIMITTEXT, kAddressLimit, 0);
    SetDlgItemText(window, kAddressEdit, "");
    return 0;
  }
  LRESULT OnCommand(WPARAM wParam, LPARAM lParam, HWND window) override {
    // Enter in the address field connects, as the OK button does.
    if (LOWORD(wParam) == 1) wParam = kTcpIpButtons[0].id;
    return CFrontEndScreen::OnCommand(wParam, lParam, window);
  }

 protected:
  bool Accept(HWND window, const ScreenButton& b) override {
    if (b.result != kScreenSessions) return true;
    char address[kAddressLimit + 1] = {};
    GetDlgItemText(window, kAddressEdit, address, sizeof address);
    HvMServiceEx_Struct settings;
    settings.bytes = m_app.ServiceSettings();
    settings.SetText(HvMServiceEx_Struct::kAddress, HvMServiceEx_Struct::kAddressWidth, address);
    m_app.KeepServiceSettings(settings.bytes);
    return true;
  }
  // Only the connection-type screen sounds as it opens and closes.
  const char* OpeningSound() const override { return nullptr; }
  const char* ClosingSound(std::int16_t) const override { return nullptr; }
};

}  // namespace

std::int16_t RunTcpIpDlg(CClntApp& app) {
  CTcpIpDlg dialog(app);
  return dialog.Run("IDD_TCPIP");
}
