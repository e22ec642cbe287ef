// The order menus and modes over the built installation, each as a ratio to a
// baseline timed in the same run: a full unit menu with its submenu opened
// (built, tracked through the submenu, drawn, closed) against a whole-screen
// flush; a move order for 500 selected units against a walk of the same
// selection; and the heap allocations of frames while a mode waits for its
// target, which must be none.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/model/GUnit.h"
#include "Game/views/frame/CPopupMenu.h"
#include "Game/views/frame/CVFrameEffects.h"
#include "Game/views/frame/CVGeneric.h"
#include "bench/against.h"
#include "bench/bench_screen.h"
#include "bench/count_allocations.h"
#include "media/CDDraw.h"
#include "platform/backend/headless.h"
#include "platform/dialog/ownerdraw.h"
#include "platform/user/keys.h"
#include "platform/user/messages.h"
#include "platform/user/window.h"

namespace {

using namespace plat;

class BenchView : public CVGeneric {
 public:
  BenchView(HWND window, HINSTANCE instance) : CVGeneric(window, instance) {}
  ViewType GetViewType() const override { return VIEW_ASTEROID_SPACE; }
  std::uint16_t GetCurrentAsteroidId() override { return 0; }
};

BenchView* g_benchView = nullptr;

// The main window's part while a menu shows: sizes, drawing, submenu opening.
LRESULT MenuOwner(HWND h, UINT m, WPARAM w, LPARAM l) {
  switch (m) {
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(l);
      item->itemWidth = CPopupMenu::kItemWidth;
      item->itemHeight = CPopupMenu::kItemHeight;
      return 1;
    }
    case WM_DRAWITEM:
      if (g_benchView) g_benchView->DrawMenuItem(reinterpret_cast<DRAWITEMSTRUCT*>(l));
      return 1;
    case WM_INITMENUPOPUP:
      if (g_benchView) g_benchView->OnMenuSelect(reinterpret_cast<HMENU>(w), LOWORD(l));
      return 0;
    default:
      return DefWindowProc(h, m, w, l);
  }
}

// A game's screen over the installation the build made, with one asteroid.
struct Screen {
  Screen() {
    const std::string config = std::string(QUEN_BUILD_DIR) + "/gamedata/config";
    setenv("QUENBAR_CONFIG_DIR", config.c_str(), 1);
    backend = &StartHeadlessBackend();
    WNDCLASSEX wc;
    wc.lpszClassName = "BenchOrderScreen";
    wc.lpfnWndProc = MenuOwner;
    RegisterClassEx(&wc);
    window = CreateWindowEx(0, "BenchOrderScreen", "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 800, 600, nullptr,
                            nullptr, nullptr, nullptr);
    g_ddraw = new CDDraw(window, 1);
    g_gameData = new CGameData(9, 8);
    g_gameData->solarDB.CreateAsteroidArray(1);
    g_gameData->solarDB.SetAsteroid(std::make_unique<CGAsteroid>(0));
    view = std::make_unique<BenchView>(window, nullptr);
    g_benchView = view.get();
    SuspendScreenFlush(0);
    FlushScreen();
  }
  ~Screen() {
    g_benchView = nullptr;
    view.reset();
    bench::CloseScreen();
  }
  HeadlessBackend* backend = nullptr;
  HWND window = nullptr;
  std::unique_ptr<BenchView> view;
};

void FlushWhole() {
  AddDirtyRect({0, 0, 800, 600});
  FlushScreen();
}

// Fourteen items as a unit at an asteroid gets them, the display submenu opened.
void OpenUnitMenu(Screen& s) {
  const int guild = 1;
  HMODULE module = g_gameData->GetGuildModule(guild);
  auto* menu =
      new CPopupMenu(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().screenSprite, 200, 40, 0xFFFF, 0);
  auto* sub =
      new CPopupMenu(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().screenSprite, 200, 40, 0xFFFF, 1);
  for (const char* stem : {"basic", "damage", "orders"})
    sub->AppendItem(514, (std::string("pm") + stem + ".ima").c_str(), (std::string("ph") + stem + ".ima").c_str(),
                    module);
  menu->AppendItem(701, "smdisply.ima", "shdisply.ima", module);
  menu->AttachSubmenu(701, sub);
  for (const char* stem : {"rndzvs", "scan", "xfrpow", "rchgfr", "repsel", "decom", "conatv", "lndatv", "recatv",
                           "sell", "selfds", "batpln", "delord"})
    menu->AppendItem(601, (std::string("pm") + stem + ".ima").c_str(), (std::string("ph") + stem + ".ima").c_str(),
                     module);
  s.backend->MoveMouse(250, 50, 0);
  s.backend->MoveMouse(360, 50, 0);
  s.backend->PressKey(VK_ESCAPE, 0);
  s.backend->PressKey(VK_ESCAPE, 0);
  SharedScreen().popupMenu = menu;
  menu->Track();
  SharedScreen().popupMenu = nullptr;
  ReleasePopupMenu(menu);
}

void BM_UnitMenuOpen(benchmark::State& state) {
  Screen s;
  Against(
      state, "ratio_to_whole_flush", [&] { OpenUnitMenu(s); }, FlushWhole);
}
BENCHMARK(BM_UnitMenuOpen);

// Five hundred selected units at asteroid 0 ordered to it.
void BM_OrderMoveFor500Units(benchmark::State& state) {
  Screen s;
  for (std::uint32_t n = 1; n <= 500; ++n) {
    const Location at{0, static_cast<std::int16_t>(n), 0, 0};
    const std::uint32_t id = (9u << 26) | n;
    g_gameData->pieces.CreateUnit(nullptr, &at, 9, id);
    g_gameData->AddToSelection(2, id, 0);
  }
  std::uint32_t walked = 0;
  Against(
      state, "ratio_to_selection_walk", [&] { benchmark::DoNotOptimize(s.view->OrderMoveToLocation(2, 0, 0, 0)); },
      [&] {
        for (std::uint32_t i = 0; i < g_gameData->GetSelectionCount(); ++i) {
          std::uint16_t kind = 0, location = 0;
          std::uint32_t id = 0;
          g_gameData->GetSelectionAt(i, &kind, &id, &location);
          walked += id;
        }
        benchmark::DoNotOptimize(walked);
      });
}
BENCHMARK(BM_OrderMoveFor500Units);

// Frames while a transfer waits for its target: the cursor and the screen
// stay as they are, and the heap is not touched.
void BM_FramesWhileAModeWaits(benchmark::State& state) {
  Screen s;
  SharedScreen().frameAnimation.idle = kFrameAnimationsOff;
  SharedScreen().commandMode = 6;
  SharedScreen().commandUnitId = (9u << 26) | 1;
  s.view->UpdateCursor();
  const std::size_t before = bench::g_allocations.load();
  for (auto _ : state) {
    s.view->OnMouseMove(0, MAKELPARAM(300, 250));
    s.view->UpdateCursor();
    s.view->PlayFrameAnimation(35);
  }
  state.counters["allocations_per_frame"] =
      static_cast<double>(bench::g_allocations.load() - before) / static_cast<double>(state.iterations());
  SharedScreen().commandMode = kNoCommandMode;
  SharedScreen().commandUnitId = 0xFFFFFFFF;
}
BENCHMARK(BM_FramesWhileAModeWaits);

}  // namespace
