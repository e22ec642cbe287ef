#include <gtest/gtest.h>

#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/frontend/CLoginDlg.h"
#include "hvmulti/HvMRecords.h"
#include "platform/backend/headless.h"
#include "platform/core/clock.h"
#include "platform/dialog/commctrl.h"
#include "platform/resource/module.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/system.h"
#include "platform/user/window.h"

namespace {

using namespace plat;

// The login box over the program's own templates, on the headless backend.
class LoginBox : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = &StartHeadlessBackend();
    ResetUserLayer();
    InitCommonControls();
    SetProgramModulePath(std::string(QUEN_BUILD_DIR) + "/Game/quenbar.dll");
  }
  void TearDown() override {
    ResetUserLayer();
    SetProgramModulePath("/nonexistent/quenbar.dll");
    StopBackend();
    UseRealClock();
  }
  void Type(const char* keys) {
    for (const char* k = keys; *k; ++k) backend->PressKey(static_cast<UINT>(*k), 5);
  }
  HeadlessBackend* backend = nullptr;
};

TEST_F(LoginBox, TypedNamesGoIntoTheSettingsCutToTheirFields) {
  HvMServiceEx_Struct settings;
  settings.SetText(HvMServiceEx_Struct::kAddress, HvMServiceEx_Struct::kAddressWidth, "host");
  Type("ANNA");
  backend->PressKey(VK_TAB, 5);
  Type("SECRETSECRETSECRET");       // 18 letters: the password field takes 15
  backend->PressKey(VK_ESCAPE, 5);  // ignored: only OK ends the box
  backend->PressKey(VK_RETURN, 5);
  RunLoginDlg(settings);
  EXPECT_EQ(settings.Text(HvMServiceEx_Struct::kUserName, HvMServiceEx_Struct::kUserNameWidth), "anna");
  EXPECT_EQ(settings.Text(HvMServiceEx_Struct::kPassword, HvMServiceEx_Struct::kPasswordWidth), "secretsecretsec");
  EXPECT_EQ(settings.Text(HvMServiceEx_Struct::kAddress, HvMServiceEx_Struct::kAddressWidth), "host");
}

TEST_F(LoginBox, EmptyNamesAreAcceptedAsEmpty) {
  HvMServiceEx_Struct settings;
  settings.SetText(HvMServiceEx_Struct::kUserName, HvMServiceEx_Struct::kUserNameWidth, "old");
  backend->PressKey(VK_RETURN, 5);
  RunLoginDlg(settings);
  EXPECT_EQ(settings.Text(HvMServiceEx_Struct::kUserName, HvMServiceEx_Struct::kUserNameWidth), "");
  EXPECT_EQ(settings.Text(HvMServiceEx_Struct::kPassword, HvMServiceEx_Struct::kPasswordWidth), "");
}

}  // namespace
