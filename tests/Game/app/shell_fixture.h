#pragma once
// What the shell's tests share: a fresh window layer on the headless backend
// with the virtual clock, the program's own resource module as built (its
// dialog templates and cursors), and the application's links reset.

#include <gtest/gtest.h>

#include <string>

#include "Game/app/AppGlobals.h"
#include "platform/backend/headless.h"
#include "platform/core/clock.h"
#include "platform/resource/module.h"
#include "platform/user/system.h"
#include "platform/user/window.h"

namespace shelltest {

struct ShellFixture : testing::Test {
  plat::HeadlessBackend* backend = nullptr;
  plat::HMODULE program = nullptr;

  void SetUp() override {
    backend = &plat::StartHeadlessBackend();
    plat::ResetUserLayer();
    plat::InitCommonControls();
    const std::string module = std::string(QUEN_BUILD_DIR) + "/Game/quenbar.dll";
    plat::SetProgramModulePath(module);  // the texts of the application come from it
    program = plat::LoadLibrary(module.c_str());
    ASSERT_NE(program, nullptr) << "the program's resource module is built with the program";
    g_appLinks = AppLinks{};
  }
  void TearDown() override {
    plat::ResetUserLayer();
    if (program) plat::FreeLibrary(program);
    g_appLinks = AppLinks{};
    plat::SetProgramModulePath("/nonexistent/quenbar.dll");
    plat::StopBackend();
    plat::UseRealClock();
  }
  // Makes a game exist with the given local chapter.
  void StartGame(std::uint16_t chapter) {
    g_appLinks.game.exists = [] { return true; };
    g_appLinks.game.localChapterId = [chapter] { return chapter; };
  }
};

}  // namespace shelltest
