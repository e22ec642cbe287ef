#pragma once
// What the dialogs' benchmarks share: a headless screen with the program's
// templates and the game's pictures as built, and the timing of a dialog's
// opening, first paint and closing against one 800 x 600 sprite shown on the
// screen, both measured in the same run.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

#include "Game/app/AppGlobals.h"
#include "Game/model/GGameData.h"
#include "media/CDDraw.h"
#include "media/CSprite.h"
#include "platform/backend/headless.h"
#include "platform/resource/module.h"
#include "platform/user/keys.h"
#include "platform/user/system.h"
#include "platform/user/window.h"

namespace dialogs_bench {

using Clock = std::chrono::steady_clock;

// The build folder: the program lies in its bench/ folder.
inline std::filesystem::path BuildDir() {
  char self[4096] = {};
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  return n > 0 ? std::filesystem::path(self).parent_path().parent_path() : std::filesystem::path();
}

struct Game {
  Game() {
    using namespace plat;
    backend = &StartHeadlessBackend();
    InitCommonControls();
    const std::filesystem::path build = BuildDir();
    SetProgramModulePath((build / "Game/quenbar.dll").string());
    program = LoadLibrary((build / "Game/quenbar.dll").string().c_str());
    images = LoadLibrary((build / "gamedata/c/QUENBAR/ART/ima.dll").string().c_str());
    guild = LoadLibrary((build / "gamedata/c/QUENBAR/ART/GUILD1/guild.dll").string().c_str());
    // The game the dialogs run over: local chapter 2, the pictures as built
    // (the first guild's for every guild).
    g_gameData = new CGameData(2, 8);
    if (g_gameData->imageModule) FreeLibrary(g_gameData->imageModule);
    g_gameData->imageModule = LoadLibrary((build / "gamedata/c/QUENBAR/ART/ima.dll").string().c_str());
    for (HMODULE& m : g_gameData->guildModules) {
      if (m) FreeLibrary(m);
      m = LoadLibrary((build / "gamedata/c/QUENBAR/ART/GUILD1/guild.dll").string().c_str());
    }
    WNDCLASSEX wc;
    wc.lpszClassName = "BenchDialogsMain";
    wc.lpfnWndProc = DefWindowProc;
    RegisterClassEx(&wc);
    main = CreateWindowEx(0, "BenchDialogsMain", "", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr, nullptr,
                          nullptr);
    ddraw = std::make_unique<CDDraw>(main, 0);
    g_ddraw = ddraw.get();
    g_mainWnd = main;
    screen = std::make_unique<CSprite>(ddraw.get(), nullptr, kNoColourKey, 800, 600, 0, 0, 0);
    screen->FillSurface(RGB(20, 40, 60), nullptr);
  }
  ~Game() {
    g_ddraw = nullptr;
    g_mainWnd = nullptr;
    screen.reset();
    ddraw.reset();
    delete g_gameData;
    for (plat::HMODULE m : {guild, images, program})
      if (m) plat::FreeLibrary(m);
    plat::StopBackend();
  }
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  plat::HeadlessBackend* backend = nullptr;
  plat::HMODULE program = nullptr, images = nullptr, guild = nullptr;
  plat::HWND main = nullptr;
  std::unique_ptr<CDDraw> ddraw;
  std::unique_ptr<CSprite> screen;
};

// Opens the dialog with a click on its Cancel queued, alternately with one
// full-screen blit; the counter is the ratio of their times.
// A point of (-1, -1) closes it with Escape.
inline void AgainstBlit(benchmark::State& state, plat::POINT cancel, const std::function<void(Game&)>& open) {
  Game game;
  Clock::duration openTime{}, blitTime{};
  for (auto _ : state) {
    if (cancel.x < 0) {
      game.backend->PressKey(plat::VK_ESCAPE, 300);
    } else {
      game.backend->Click(cancel.x, cancel.y, plat::input::Button::Left, 300);
    }
    auto t0 = Clock::now();
    open(game);
    auto t1 = Clock::now();
    game.screen->BltToPrimary(nullptr, nullptr);
    auto t2 = Clock::now();
    openTime += t1 - t0;
    blitTime += t2 - t1;
  }
  state.counters["ratio_to_blit"] =
      std::chrono::duration<double>(openTime).count() / std::chrono::duration<double>(blitTime).count();
}

}  // namespace dialogs_bench
