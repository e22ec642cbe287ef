// Each in-game dialog opened, painted once and closed by its Cancel, as a
// ratio to one 800 x 600 sprite shown on the screen, both timed in the same
// run over the game's own templates and pictures as built.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/dialogs/CDBPDfult.h"
#include "Game/dialogs/CDBuyDlg.h"
#include "Game/dialogs/CDChatDlg.h"
#include "Game/dialogs/CDMultilineEditDlg.h"
#include "Game/dialogs/CDSaveDlg.h"
#include "Game/dialogs/CDSellDlg.h"
#include "Game/dialogs/CDSetPriceDlg.h"
#include "media/CDDraw.h"
#include "media/CSprite.h"
#include "platform/backend/headless.h"
#include "platform/resource/module.h"
#include "platform/user/keys.h"
#include "platform/user/system.h"
#include "platform/user/window.h"

namespace {

using namespace plat;
using Clock = std::chrono::steady_clock;

// The build folder: the program lies in its bench/ folder.
std::filesystem::path BuildDir() {
  char self[4096] = {};
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  return n > 0 ? std::filesystem::path(self).parent_path().parent_path() : std::filesystem::path();
}

struct Game {
  Game() {
    backend = &StartHeadlessBackend();
    InitCommonControls();
    const std::filesystem::path build = BuildDir();
    SetProgramModulePath((build / "Game/quenbar.dll").string());
    program = LoadLibrary((build / "Game/quenbar.dll").string().c_str());
    images = LoadLibrary((build / "gamedata/c/QUENBAR/ART/ima.dll").string().c_str());
    guild = LoadLibrary((build / "gamedata/c/QUENBAR/ART/GUILD1/guild.dll").string().c_str());
    g_appLinks.game.exists = [] { return true; };
    g_appLinks.game.localChapterId = [] { return std::uint16_t{2}; };
    g_appLinks.game.imageModule = [this] { return images; };
    g_appLinks.game.guildModule = [this](int) { return guild; };
    WNDCLASSEX wc;
    wc.lpszClassName = "BenchDialogsMain";
    wc.lpfnWndProc = DefWindowProc;
    RegisterClassEx(&wc);
    main = CreateWindowEx(0, "BenchDialogsMain", "", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr,
                          nullptr, nullptr);
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
    g_appLinks = AppLinks{};
    for (HMODULE m : {guild, images, program})
      if (m) FreeLibrary(m);
    StopBackend();
  }
  HeadlessBackend* backend = nullptr;
  HMODULE program = nullptr, images = nullptr, guild = nullptr;
  HWND main = nullptr;
  std::unique_ptr<CDDraw> ddraw;
  std::unique_ptr<CSprite> screen;
};

// Opens the dialog with a click on its Cancel queued, alternately with one
// full-screen blit; the counter is the ratio of their times.
// A point of (-1, -1) closes it with Escape.
void AgainstBlit(benchmark::State& state, POINT cancel, const std::function<void(Game&)>& open) {
  Game game;
  Clock::duration openTime{}, blitTime{};
  for (auto _ : state) {
    if (cancel.x < 0) {
      game.backend->PressKey(VK_ESCAPE, 300);
    } else {
      game.backend->Click(cancel.x, cancel.y, input::Button::Left, 300);
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

void BM_DefaultBattlePlans(benchmark::State& state) {
  AgainstBlit(state, {-1, -1}, [](Game&) {
    DefaultBattlePlanTable plans;
    CDBPDfult dialog(&plans, kPlanHelpId);
  });
}
BENCHMARK(BM_DefaultBattlePlans);

void BM_Buy(benchmark::State& state) {
  AgainstBlit(state, {27 + 361 + 90, 96 + 247 + 37}, [](Game& g) {
    MineralOffer offer;
    offer.mineral = 1;
    offer.terms[0] = 100;
    offer.terms[1] = 3;
    std::uint16_t amount = 0;
    std::uint8_t paying = 0;
    std::uint32_t success = 0;
    CDBuyDlg dialog(g.ddraw.get(), g.main, g.program, offer, 0, {100, 100, 100, 100}, &amount, &paying, &success);
  });
}
BENCHMARK(BM_Buy);

void BM_Sell(benchmark::State& state) {
  AgainstBlit(state, {27 + 361 + 90, 96 + 247 + 37}, [](Game& g) {
    MineralOfferPacket record;
    std::uint32_t success = 0;
    CDSellDlg dialog(g.ddraw.get(), g.main, g.program, &record, &success, 500, nullptr);
  });
}
BENCHMARK(BM_Sell);

void BM_SetPrice(benchmark::State& state) {
  AgainstBlit(state, {169 + 176 + 50, 106 + 298 + 20}, [](Game& g) {
    std::uint32_t values[4] = {};
    std::uint32_t success = 0;
    CDSetPriceDlg dialog(g.ddraw.get(), g.main, g.program, values, &success, nullptr);
  });
}
BENCHMARK(BM_SetPrice);

void BM_Chat(benchmark::State& state) {
  AgainstBlit(state, {25 + 233 + 60, 96 + 265 + 33}, [](Game& g) {
    char text[kChatBufferSize] = {};
    std::uint8_t target = 0;
    std::uint32_t success = 0;
    CDChatDlg dialog(g.ddraw.get(), g.main, g.program, text, &target, &success, g.guild);
  });
}
BENCHMARK(BM_Chat);

void BM_Notes(benchmark::State& state) {
  AgainstBlit(state, {25 + 420 + 50, 96 + 226 + 50}, [](Game& g) {
    char text[256] = "notes";
    CDMultilineEditDlg dialog(g.ddraw.get(), g.main, g.program, text, sizeof text);
  });
}
BENCHMARK(BM_Notes);

void BM_Save(benchmark::State& state) {
  AgainstBlit(state, {-1, -1}, [](Game& g) {
    char directory[kSaveDirectorySize] = {};
    char name[kSaveNameSize] = {};
    std::uint32_t success = 0;
    CDSaveDlg dialog(g.ddraw.get(), g.main, g.program, directory, name, SAVE_BATTLE_PLAN, &success, g.guild);
  });
}
BENCHMARK(BM_Save);

}  // namespace
