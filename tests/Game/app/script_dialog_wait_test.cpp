// A scripted run's waits on dialogs against a screen that waits on its server
// while it initialises (the chapter screen does, for every chapter's report).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Game/app/CDlgBase.h"
#include "Game/main/ScriptedBackend.h"
#include "platform/core/clock.h"
#include "platform/dialog/dialog.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"
#include "shell_fixture.h"

namespace {

using namespace plat;

constexpr UINT_PTR kGiveUpTimer = 1;
constexpr int kYes = 1;

// Spends `initMs` of program time in its initialisation, pausing as a screen
// waiting for packets does (which lets the script run); Yes ends it with 1,
// and it gives up by itself with 0 after a minute.
struct SlowScreen : CDlgBase {
  SlowScreen(HMODULE program, DWORD initMs) : CDlgBase(nullptr, nullptr, program, 0, program), m_initMs(initMs) {}
  LRESULT OnInitDialog(HWND window) override {
    CDlgBase::OnInitDialog(window);
    MoveWindow(window, 100, 100, 300, 200, FALSE);
    MoveWindow(GetDlgItem(window, kYes), 10, 10, 50, 20, FALSE);
    SetTimer(window, kGiveUpTimer, 60000, nullptr);
    for (DWORD waited = 0; waited < m_initMs; ++waited) Sleep(1);
    return 0;
  }
  LRESULT OnTimer(UINT_PTR timer, LPARAM, HWND window) override {
    if (timer == kGiveUpTimer) EndDialog(window, 0);
    return 0;
  }
  LRESULT OnCommand(WPARAM wParam, LPARAM, HWND window) override {
    if (LOWORD(wParam) == kYes) EndDialog(window, 1);
    return 0;
  }
  DWORD m_initMs;
};

struct ScriptedDialogs : shelltest::ShellFixture {
  ScriptedBackend* script = nullptr;
  void Play(const char* text) {
    std::string error;
    auto steps = ParseGameScript(text, error);
    ASSERT_TRUE(steps) << error;
    auto scripted = std::make_unique<ScriptedBackend>(std::move(*steps));
    script = scripted.get();
    InstallBackend(std::move(scripted));
  }
  void TearDown() override {
    ShellFixture::TearDown();
    g_stillWorld = false;
  }
};

// The chapter picked while the screen still waited for the server's reports
// went nowhere: the click must wait until the screen is up.
TEST_F(ScriptedDialogs, AClickAfterWaitingForADialogReachesItWhateverItsSetUpTook) {
  for (DWORD initMs : {0u, 2000u}) {
    Play("wait dialog IDD_YESNO_DLG\nclick 120 115\n");
    SlowScreen screen(program, initMs);
    EXPECT_EQ(screen.DoModal("IDD_YESNO_DLG"), 1) << initMs;
    EXPECT_TRUE(script->Succeeded()) << initMs;
  }
}

// Waiting for a dialog to close is not met while it is still being set up.
TEST_F(ScriptedDialogs, ADialogBeingSetUpIsNotClosed) {
  Play("wait closed IDD_YESNO_DLG 500\n");
  SlowScreen screen(program, 2000);
  const HWND window = screen.CreateModeless("IDD_YESNO_DLG");
  EXPECT_EQ(script->Failures(), 1);
  DestroyWindow(window);
}

}  // namespace
