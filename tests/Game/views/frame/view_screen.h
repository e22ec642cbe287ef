#pragma once
// What the view framework's tests share: a headless screen on the virtual
// clock with the program's own module, a main window and display, and game
// data for chapter 9. A fixture opens it in SetUp (then sets the screen's
// process-wide state it needs) and closes it in TearDown after its views.

#include <gtest/gtest.h>

#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/model/GGameData.h"
#include "media/CDDraw.h"
#include "platform/backend/headless.h"
#include "platform/core/clock.h"
#include "platform/dialog/commctrl.h"
#include "platform/resource/module.h"
#include "platform/user/focus.h"
#include "platform/user/window.h"
#include "tests/support/plain_window.h"

namespace views_test {

class ViewScreen {
 protected:
  static constexpr std::uint16_t kLocal = 9;

  // `proc` is the main window's procedure (the program's own is above the views).
  void OpenViewScreen(const char* mainWindowClass, plat::WNDPROC proc = plat::DefWindowProc) {
    using namespace plat;
    backend = &StartHeadlessBackend();
    UseVirtualClock(1000);
    ResetUserLayer();
    InitCommonControls();
    const std::string module = std::string(QUEN_BUILD_DIR) + "/Game/quenbar.dll";
    program = LoadLibrary(module.c_str());
    ASSERT_NE(program, nullptr);
    window =
        quentest::PlainWindow(mainWindowClass, 0, 0, 800, 600, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, nullptr, proc);
    SetActiveWindow(window);
    SetFocus(window);
    g_ddraw = new CDDraw(window, 1);
    g_gameData = new CGameData(kLocal, 8);
  }
  void CloseViewScreen() {
    using namespace plat;
    delete g_gameData;
    g_gameData = nullptr;
    delete g_ddraw;
    g_ddraw = nullptr;
    ResetUserLayer();
    if (program) FreeLibrary(program);
    StopBackend();
    UseRealClock();
  }

  plat::HeadlessBackend* backend = nullptr;
  plat::HMODULE program = nullptr;
  plat::HWND window = nullptr;
};

}  // namespace views_test
