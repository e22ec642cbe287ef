#pragma once
// What the dialogs' scripted runs share: a headless screen with a main window
// and display, the program's templates and texts and the game's pictures as
// built, captures of a screen area while a dialog is open compared with
// golden files, and clicks and typing. A fixture opens it in SetUp and closes
// it in TearDown.

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/base/GIDString.h"
#include "Game/model/GGameData.h"
#include "Game/model/GameWorld.h"
#include "media/CDDraw.h"
#include "platform/backend/headless.h"
#include "platform/core/clock.h"
#include "platform/resource/module.h"
#include "platform/user/keys.h"
#include "platform/user/system.h"
#include "platform/user/window.h"
#include "tests/support/golden.h"
#include "tests/support/plain_window.h"

namespace dialogs_test {

inline std::optional<plat::Image> g_capture;
inline plat::RECT g_captureArea{};

inline void CaptureNow(plat::HWND, plat::UINT, plat::UINT_PTR id, plat::DWORD) {
  plat::KillTimer(nullptr, id);
  g_capture = quentest::ScreenArea(g_captureArea);
}

inline std::string ImagesPath() { return std::string(QUEN_BUILD_DIR) + "/gamedata/c/QUENBAR/ART/ima.dll"; }
inline std::string GuildPath() { return std::string(QUEN_BUILD_DIR) + "/gamedata/c/QUENBAR/ART/GUILD1/guild.dll"; }

// Makes `game` the one the dialogs run over, with the game's pictures as
// built (the first guild's for every guild).
inline void HoldGame(CGameData& game) {
  using namespace plat;
  if (game.imageModule) FreeLibrary(game.imageModule);
  game.imageModule = LoadLibrary(ImagesPath().c_str());
  for (HMODULE& m : game.guildModules) {
    if (m) FreeLibrary(m);
    m = LoadLibrary(GuildPath().c_str());
  }
  g_gameData = &game;
}

class DialogScreen {
 protected:
  void OpenScreen(const char* mainWindowClass) {
    using namespace plat;
    backend = &StartHeadlessBackend();
    ResetUserLayer();
    InitCommonControls();
    const std::string build = QUEN_BUILD_DIR;
    SetProgramModulePath(build + "/Game/quenbar.dll");
    program = LoadLibrary((build + "/Game/quenbar.dll").c_str());
    images = LoadLibrary(ImagesPath().c_str());
    guild = LoadLibrary(GuildPath().c_str());
    ASSERT_NE(program, nullptr);
    ASSERT_NE(images, nullptr) << "the game's pictures are built with the game data";
    ASSERT_NE(guild, nullptr);
    heldGame = std::make_unique<CGameData>(2, 8);
    HoldGame(*heldGame);
    texts = std::make_unique<CIDString>();
    World().texts = texts.get();
    main = quentest::PlainWindow(mainWindowClass, 0, 0, 800, 600);
    ddraw = std::make_unique<CDDraw>(main, 0);
    g_ddraw = ddraw.get();
    g_mainWnd = main;
    g_capture.reset();
  }
  void CloseScreen() {
    using namespace plat;
    g_ddraw = nullptr;
    g_mainWnd = nullptr;
    ddraw.reset();
    ResetUserLayer();
    heldGame.reset();
    g_gameData = nullptr;
    texts.reset();
    for (HMODULE m : {guild, images, program})
      if (m) FreeLibrary(m);
    SetProgramModulePath("/nonexistent/quenbar.dll");
    StopBackend();
    UseRealClock();
  }

  // The screen's `area` is captured `ms` after the dialog opens.
  static void CaptureAfter(plat::DWORD ms, plat::RECT area) {
    g_captureArea = area;
    plat::SetTimer(nullptr, 0, ms, CaptureNow);
  }
  ::testing::AssertionResult Looks(const char* golden) const {
    if (!g_capture) return ::testing::AssertionFailure() << "nothing captured";
    return quentest::MatchesGolden(*g_capture, std::filesystem::path(QUEN_TEST_DATA_DIR) / golden);
  }
  void Click(int x, int y, plat::DWORD after = 150) { backend->Click(x, y, plat::input::Button::Left, after); }
  void Type(const std::string& text, plat::DWORD after = 20) {
    using namespace plat;
    for (char c : text) {
      const bool upper = std::isupper(static_cast<unsigned char>(c)) != 0;
      if (upper) backend->KeyDown(VK_SHIFT, 20);
      backend->PressKey(c == ' ' ? VK_SPACE : static_cast<UINT>(std::toupper(static_cast<unsigned char>(c))), after);
      if (upper) backend->KeyUp(VK_SHIFT, 20);
    }
  }

  plat::HeadlessBackend* backend = nullptr;
  plat::HMODULE program = nullptr, images = nullptr, guild = nullptr;
  std::unique_ptr<CIDString> texts;
  std::unique_ptr<CGameData> heldGame;  // local chapter 2, unless a test holds its own
  plat::HWND main = nullptr;
  std::unique_ptr<CDDraw> ddraw;
};

}  // namespace dialogs_test
