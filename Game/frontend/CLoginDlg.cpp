#include "Game/frontend/CLoginDlg.h"

#include <memory>

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/app/CDlgBase.h"
#include "Game/base/GInstData.h"
#include "Game/frontend/FrontEndControls.h"
#include "hvmulti/HvMRecords.h"
#include "media/CSndPlay.h"
#include "media/CSprite.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/edit.h"
#include "platform/resource/module.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr int kWidth = 279;
constexpr int kHeight = 211;
constexpr int kOk = 1;
constexpr int kUserEdit = IDC_LOGIN_USER;
constexpr int kPasswordEdit = IDC_LOGIN_PASSWORD;
constexpr int kUserLimit = 31;
constexpr int kPasswordLimit = 15;

class CLoginDlg : public CDlgBase {
 public:
  CLoginDlg(HINSTANCE instance, HvMServiceEx_Struct& settings)
      : CDlgBase(g_ddraw, g_mainWnd, instance, 0, nullptr), m_settings(settings) {}

  LRESULT OnInitDialog(HWND window) override {
    CDlgBase::OnInitDialog(window);
    RECT r{};
    GetWindowRect(window, &r);
    MoveWindow(window, r.left, r.top, kWidth, kHeight, FALSE);
    const std::string art = g_instData.GetArtPath();
    m_background = LoadImage((art + "login.ima").c_str(), r.left, r.top);
    m_raised = LoadImage((art + "loku.ima").c_str(), 0, 0);
    m_pressed = LoadImage((art + "lokd.ima").c_str(), 0, 0);
    MoveWindow(GetDlgItem(window, kOk), 100, 163, 80, 49, FALSE);
    // The template's places on the 800 x 600 scale; the panel's art captions
    // the edits from the same places, on their left.
    MoveWindow(GetDlgItem(window, kUserEdit), 111, 115, 144, 15, FALSE);
    MoveWindow(GetDlgItem(window, kPasswordEdit), 111, 145, 144, 15, FALSE);
    SendDlgItemMessage(window, kUserEdit, EM_LIMITTEXT, kUserLimit, 0);
    SendDlgItemMessage(window, kPasswordEdit, EM_LIMITTEXT, kPasswordLimit, 0);
    return 0;
  }

  LRESULT OnDrawItem(DRAWITEMSTRUCT* item, HWND) override {
    if (!item || item->CtlID != kOk) return 0;
    DrawOverControl((item->itemState & ODS_SELECTED) ? m_pressed.get() : m_raised.get(), item->hwndItem);
    return 1;
  }

  LRESULT OnCommand(WPARAM wParam, LPARAM, HWND window) override {
    // Only OK ends the box: the service cannot open without its answer.
    if (LOWORD(wParam) != kOk) return 1;
    if (g_sndPlay) g_sndPlay->PlayEffect("click", 0.0f, 0.0f, 0);
    char user[kUserLimit + 1] = {};
    char password[kPasswordLimit + 1] = {};
    GetDlgItemText(window, kUserEdit, user, sizeof user);
    GetDlgItemText(window, kPasswordEdit, password, sizeof password);
    m_settings.SetText(HvMServiceEx_Struct::kUserName, HvMServiceEx_Struct::kUserNameWidth, user);
    m_settings.SetText(HvMServiceEx_Struct::kPassword, HvMServiceEx_Struct::kPasswordWidth, password);
    EndDialog(window, 0);
    return 1;
  }

 private:
  HvMServiceEx_Struct& m_settings;
  std::unique_ptr<CSprite> m_raised;
  std::unique_ptr<CSprite> m_pressed;
};

}  // namespace

void RunLoginDlg(HvMServiceEx_Struct& settings) {
  CLoginDlg dialog(g_app ? g_app->m_instance : GetModuleHandle(nullptr), settings);
  dialog.DoModal("IDD_LOGIN");
}
