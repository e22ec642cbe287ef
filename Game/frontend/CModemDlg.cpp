#include "Game/frontend/CModemDlg.h"

#include <array>

#include "Game/app/CClntApp.h"
#include "Game/frontend/CFrontEndScreen.h"
#include "Game/frontend/FrontEndControls.h"
#include "Game/frontend/ScreenHistory.h"
#include "hvmulti/HvMRecords.h"
#include "media/CSprite.h"
#include "platform/core/registry.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/edit.h"
#include "platform/dialog/listbox.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/text.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr const char* kModemKey = "System\\CurrentControlSet\\Services\\Class\\Modem\\";
constexpr DWORD kNameSize = 100;
constexpr int kPhoneEdit = IDC_MODEM_PHONE;
constexpr int kModemList = IDC_MODEM_LIST;
constexpr POINT kListPlace{246, 351};
constexpr int kItemHeight = 15;
constexpr int kModemNameLimit = 51;
constexpr int kPhoneLimit = 31;

constexpr std::array<ScreenButton, 3> kButtons{{
    {3150, 334, 521, 130, 41, "okup.ima", "ok.ima", "FEMO__OK", kScreenSessions},
    {3151, 0, 190, 46, 198, "prvs11up.ima", "prevus11.ima", "FEMOPREV", kScreenBack},
    {3152, 754, 190, 46, 198, "mnsc11up.ima", "mainsc11.ima", "FEMOMAIN", kScreenTitle},
}};

class CModemDlg : public CFrontEndScreen {
 public:
  explicit CModemDlg(CClntApp& app) : CFrontEndScreen(app, "bkgnd6.ima", kButtons, kScreenBack) {}

  LRESULT OnInitDialog(HWND window) override {
    CFrontEndScreen::OnInitDialog(window);
    MoveWindow(GetDlgItem(window, kPhoneEdit), 265, 477, 270, 29, FALSE);
    MoveWindow(GetDlgItem(window, kModemList), kListPlace.x, kListPlace.y, 307, 82, FALSE);
    SendDlgItemMessage(window, kModemList, LB_SETITEMHEIGHT, 0, kItemHeight);
    SendDlgItemMessage(window, kPhoneEdit, EM_LIMITTEXT, kPhoneLimit, 0);
    m_modems = ListModems();
    for (std::size_t i = 0; i < m_modems.size(); ++i)
      SendDlgItemMessage(window, kModemList, LB_ADDSTRING, 0, static_cast<LPARAM>(i));
    if (!m_modems.empty()) SendDlgItemMessage(window, kModemList, LB_SETCURSEL, 0, 0);
    return 0;
  }

  LRESULT OnDrawItem(DRAWITEMSTRUCT* item, HWND window) override {
    if (!item || item->CtlID != kModemList) return CFrontEndScreen::OnDrawItem(item, window);
    if (item->itemID >= m_modems.size()) return 1;
    DrawListLine(*item, kListPlace, m_modems[item->itemID], RGB(0, 255, 0), RGB(0, 180, 0), false);
    return 1;
  }
  LRESULT OnCtlColor(HDC dc) override { return TransparentControl(dc); }
  // Only the connection-type screen sounds as it opens and closes.
  const char* OpeningSound() const override { return nullptr; }
  const char* ClosingSound(std::int16_t) const override { return nullptr; }

 protected:
  bool Accept(HWND window, const ScreenButton& b) override {
    if (b.result != kScreenSessions) return true;
    const LRESULT selected = SendDlgItemMessage(window, kModemList, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR || static_cast<std::size_t>(selected) >= m_modems.size()) return false;
    char phone[kPhoneLimit + 1] = {};
    GetDlgItemText(window, kPhoneEdit, phone, sizeof phone);
    HvMServiceEx_Struct settings;
    settings.bytes = m_app.ServiceSettings();
    settings.SetText(HvMServiceEx_Struct::kModemName, HvMServiceEx_Struct::kModemNameWidth,
                     m_modems[static_cast<std::size_t>(selected)].substr(0, kModemNameLimit));
    settings.SetText(HvMServiceEx_Struct::kPhone, HvMServiceEx_Struct::kPhoneWidth, phone);
    m_app.KeepServiceSettings(settings.bytes);
    return true;
  }

 private:
  std::vector<std::string> m_modems;
};

}  // namespace

std::vector<std::string> ListModems() {
  std::vector<std::string> modems;
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, kModemKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return modems;
  for (DWORD index = 0;; ++index) {
    char name[kNameSize + 1] = {};
    DWORD nameSize = sizeof name;
    if (RegEnumKeyEx(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY modem = nullptr;
    const std::string path = std::string(kModemKey) + name + "\\";
    LONG error = RegOpenKeyEx(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &modem);
    char description[kNameSize + 1] = {};
    DWORD size = kNameSize;
    if (error == ERROR_SUCCESS) {
      error = RegQueryValueEx(modem, "DriverDesc", nullptr, nullptr, reinterpret_cast<BYTE*>(description), &size);
      RegCloseKey(modem);
    }
    if (error != ERROR_SUCCESS) {
      modems.push_back(":" + std::to_string(error));
      break;
    }
    modems.emplace_back(description);
  }
  RegCloseKey(key);
  return modems;
}

std::int16_t RunModemDlg(CClntApp& app) {
  CModemDlg dialog(app);
  return dialog.Run("IDD_MODEM");
}
