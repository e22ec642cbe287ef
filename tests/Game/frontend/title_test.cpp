// The title screen's ways out inside the front end of a real application on
// the headless backend, answered by queued input.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "Game/app/CClntApp.h"
#include "Game/app/CDlgBase.h"
#include "Game/frontend/ScreenFlow.h"
#include "media/CDDraw.h"
#include "platform/core/clock.h"
#include "platform/core/registry.h"
#include "platform/user/keys.h"
#include "tests/Game/app/shell_fixture.h"
#include "tests/support/scratch_drive.h"

namespace {

using namespace plat;

struct TitleScreen : shelltest::ShellFixture {
  std::unique_ptr<quentest::ScratchDrive> drive;
  bool gaveUpTheScreen = false;

  void SetUp() override {
    ShellFixture::SetUp();
    drive = std::make_unique<quentest::ScratchDrive>();
  }
  void TearDown() override {
    drive.reset();
    ShellFixture::TearDown();
  }
  // The tutorial's launcher: a program that takes a moment.
  void InstallLauncher() {
    drive->Write("launcher.sh", "#!/bin/sh\nsleep 0.3\ntouch \"$(dirname \"$0\")/ran\"\n");
    std::filesystem::permissions(drive->Host("launcher.sh"), std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    const std::string program = drive->Host("launcher.sh").string();
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\QuenbarPlatform\\Programs", 0, nullptr,
                             REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueEx(key, "launcher.exe", 0, REG_SZ, reinterpret_cast<const BYTE*>(program.c_str()),
                  static_cast<DWORD>(program.size() + 1));
    RegCloseKey(key);
  }
};

// A full-screen display is given up while the tutorial's launcher runs, so
// that its window can be seen, and taken back when the title returns.
TEST_F(TitleScreen, TheTutorialsLauncherRunsWithTheScreenGivenUp) {
  InstallLauncher();
  g_appLinks.runScreenFlow = [&](CClntApp& app, int) {
    g_ddraw->fullScreen = 1;
    g_ddraw->directDraw->SetCooperativeLevel(g_ddraw->window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
    bool quit = false;
    SetIdleHook([this, &quit] {
      backend->Service();
      gaveUpTheScreen = gaveUpTheScreen || !backend->Exclusive();
      // The title again after the launcher: quit.
      const auto open = OpenDialogTemplates();
      if (!quit && std::filesystem::exists(drive->Host("ran")) && open.size() == 1 && open[0] == "IDD_MAIN") {
        quit = true;
        backend->PressKey(VK_ESCAPE, 5);
      }
    });
    backend->Click(314, 374, input::Button::Left, 10);  // tutorial
    EXPECT_EQ(RunScreenFlow(app, 1), 0);
    EXPECT_TRUE(gaveUpTheScreen);
    EXPECT_TRUE(backend->Exclusive());
    SetIdleHook([this] { backend->Service(); });
    g_ddraw->fullScreen = 0;  // the windowed display it was made as goes as such
    return 0;
  };
  CreateClntApp(program, SW_SHOW, "");
}

}  // namespace
