// The end of a scripted run: the program is given its grace in real time.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Game/app/AppGlobals.h"
#include "Game/app/GameScript.h"
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

// A run that plays alone names a shorter grace; a value that is not a whole
// number of milliseconds, or longer than ten minutes, keeps the default rather
// than ending a host early.
TEST(ScriptedRun, TheGraceCanBeSetForARunThatPlaysAlone) {
  QuitPosted();
  const auto endsAtOnce = [](const char* grace) {
    ::setenv("QUENBAR_SCRIPT_GRACE", grace, 1);
    bool quit = false;
    {
      ScriptedBackend backend({});
      backend.Service();
      quit = QuitPosted();
    }
    ::unsetenv("QUENBAR_SCRIPT_GRACE");
    return quit;
  };
  EXPECT_TRUE(endsAtOnce("0"));
  EXPECT_FALSE(endsAtOnce("-1"));
  EXPECT_FALSE(endsAtOnce("10s"));
  EXPECT_FALSE(endsAtOnce("600001"));
  EXPECT_FALSE(endsAtOnce("99999999999999999999"));
  EXPECT_FALSE(endsAtOnce(""));
  g_stillWorld = false;
  plat::UseRealClock();
}

// Another process removes a file while the script waits on it: the step ends
// only once the file is gone, and a file that stays fails it at its limit.
TEST(ScriptedRun, AWaitForAFileToGoEndsOnlyOnceItIsGone) {
  const std::string name = ::testing::TempDir() + "awaited.rpl";
  std::ofstream(name) << "replay";
  std::string error;
  auto steps = ParseGameScript("wait gone " + name + " 500\n", error);
  ASSERT_TRUE(steps) << error;
  {
    ScriptedBackend backend(*steps);
    backend.Service();
    plat::AdvanceVirtualClock(100);
    backend.Service();
    EXPECT_FALSE(backend.Succeeded());
    std::filesystem::remove(name);
    backend.Service();
    EXPECT_TRUE(backend.Succeeded());
  }
  std::ofstream(name) << "replay";
  {
    ScriptedBackend backend(*steps);
    backend.Service();
    plat::AdvanceVirtualClock(600);
    backend.Service();
    EXPECT_EQ(backend.Failures(), 1);
  }
  std::filesystem::remove(name);
  QuitPosted();
  g_stillWorld = false;
  plat::UseRealClock();
}

}  // namespace
