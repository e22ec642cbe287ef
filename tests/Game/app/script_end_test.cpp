// The end of a scripted run: the program is given its grace in real time.
#include <gtest/gtest.h>

#include "Game/app/AppGlobals.h"
#include "Game/main/ScriptedBackend.h"
#include "platform/core/clock.h"
#include "platform/user/queue.h"

namespace {

bool QuitPosted() {
  plat::MSG msg{};
  bool quit = false;
  while (plat::PeekMessage(&msg, nullptr, 0, 0, plat::PM_REMOVE)) quit = quit || msg.message == plat::WM_QUIT;
  return quit;
}

// While the program waits on a starved peer its own clock runs ahead; an hour
// of it passing in a moment must not tell the program to quit, or a host would
// take the others' game away before they are done.
TEST(ScriptedRun, TheGraceAfterTheEndIsRealTime) {
  QuitPosted();
  {
    ScriptedBackend backend({});
    backend.Service();
    plat::AdvanceVirtualClock(3'600'000);
    backend.Service();
    EXPECT_TRUE(backend.Succeeded());
  }
  EXPECT_FALSE(QuitPosted());
  g_stillWorld = false;
  plat::UseRealClock();
}

}  // namespace
