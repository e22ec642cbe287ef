#pragma once
// The application states a test starts from that only a whole front end, a
// server or the game loop itself would reach: set here, in one place, rather
// than by the tests reaching into the application.

#include <cstdint>

#include "Game/app/CClntApp.h"

struct AppTestState {
  // As the game loop is while it runs, or after it was left.
  static void SetRunning(CClntApp& app, bool running) { app.m_running = running ? 1 : 0; }
  // The loop has drawn the view whole since the last request.
  static void ClearFullRedraw(CClntApp& app) { app.m_fullRedraw = 0; }
  // The random seed, as a game start would draw it, without seeding the
  // generator.
  static void SetRandomSeed(CClntApp& app, std::uint32_t seed) { app.m_gameRandomSeed = seed; }
  // A load asked for in a way other than the usual one.
  static void SetLoadMode(CClntApp& app, std::uint32_t mode) { app.m_load.mode = mode; }
};
