// The terrain-battle replay fed hostile terrain events on a headless screen:
// the first byte is the asteroid's size class (anything up to 255), the rest
// is packet 603 as a server sends it. Whatever the events say (zones past the
// asteroid, negated zones, cell kinds above 3, chapters past 39, unknown kinds
// or types, any count), the replay plays to its last phase without reading
// out of bounds, and the events can be cleared in the middle of it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppMessages.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/views/replay/CVTReplay.h"
#include "fuzz/seeds.h"
#include "media/CDDraw.h"
#include "platform/backend/headless.h"
#include "platform/core/clock.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

namespace {

using namespace plat;

struct Screen {
  Screen() {
    StartHeadlessBackend();
    UseVirtualClock(1000);
    WNDCLASSEX wc;
    wc.lpszClassName = "FuzzTerrainReplay";
    wc.lpfnWndProc = DefWindowProc;
    RegisterClassEx(&wc);
    window = CreateWindowEx(0, "FuzzTerrainReplay", "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 800, 600,
                            nullptr, nullptr, nullptr, nullptr);
    g_ddraw = new CDDraw(window, 1);
    g_gameData = new CGameData(9, 8);
    g_gameData->solarDB.CreateAsteroidArray(1);
    replay = std::make_unique<CVTReplay>(window, nullptr);
  }
  ~Screen() {
    replay.reset();
    delete g_gameData;
    g_gameData = nullptr;
    delete g_ddraw;
    g_ddraw = nullptr;
    // The windows' own state goes with the user layer.
    ResetUserLayer();
    StopBackend();
  }
  HWND window = nullptr;
  std::unique_ptr<CVTReplay> replay;
};

std::unique_ptr<Screen> g_screen;

Screen& TheScreen() { return *g_screen; }

// Size class, then packet 603 with `n` records of the given kinds.
std::vector<std::uint8_t> Seed(std::uint8_t size, std::initializer_list<std::uint32_t> kinds) {
  std::vector<std::uint8_t> p(1 + 12 + 36 * kinds.size(), 0);
  p[0] = size;
  p[1 + 0] = 603 & 0xFF;
  p[1 + 1] = 603 >> 8;
  p[1 + 8] = static_cast<std::uint8_t>(kinds.size());
  std::size_t at = 1 + 12;
  std::uint32_t i = 0;
  for (std::uint32_t kind : kinds) {
    const std::uint32_t v[8] = {kind, i % 2, 1 + i % 7, i % 7, i % 4, 1 + (i + 3) % 7, (i * 5) % 7, (i + 1) % 4};
    for (int k = 0; k < 8; ++k)
      for (int b = 0; b < 4; ++b)
        p[at + 4 * static_cast<std::size_t>(k) + static_cast<std::size_t>(b)] =
            static_cast<std::uint8_t>(v[k] >> (8 * b));
    p[at + 32] = static_cast<std::uint8_t>(i % 2 ? 9 : 17);
    at += 36;
    ++i;
  }
  return p;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::WriteSeedsIfAsked([] {
    return fuzz::Seeds{Seed(2, {0, 1, 3, 4, 5, 7, 7, 8, 12, 13, 14, 15, 15, 17, 18}), Seed(0, {1, 15, 15}),
                       Seed(4, {7, 8, 7, 1, 14, 17}), Seed(9, {2, 6, 20})};
  });
  // The screen lives for the whole run, made before any input and freed at its end.
  g_screen = std::make_unique<Screen>();
  std::atexit([] { g_screen.reset(); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  Screen& s = TheScreen();
  auto asteroid = std::make_unique<CGAsteroid>(0);
  asteroid->sizeClass = data[0];
  asteroid->CreateZones();
  g_gameData->solarDB.SetAsteroid(std::move(asteroid));
  CGAsteroid* a = g_gameData->solarDB.GetAsteroid(0);
  a->AddTerrainEventPacket(std::span<const std::uint8_t>(data + 1, size - 1));
  s.replay->GoToView(VIEW_TERRAIN_REPLAY, 0);
  s.replay->Render(static_cast<std::int32_t>(0xFFFF0000u));
  s.replay->OnReplayRestart();
  for (int tick = 0; tick < 3000 && s.replay->Phase() != CVTReplay::kLastPhase; ++tick) {
    if (tick == 7 && (data[0] & 0x80)) a->CRecorder::Clear();  // the server clears the events mid-replay
    AdvanceVirtualClock(40);
    s.replay->PlayFrameAnimation(40);
  }
  if (s.replay->Phase() != CVTReplay::kLastPhase) __builtin_trap();
  s.replay->GoToView(VIEW_TERRAIN, 0);
  // The view switches it posted, so the queue stays bounded.
  MSG msg;
  while (PeekMessage(&msg, s.window, WM_APP_SWITCH_VIEW, WM_APP_SWITCH_VIEW, PM_REMOVE)) {
  }
  return 0;
}
