#include "platform/core/process.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "platform/core/clock.h"
#include "platform/core/dospath.h"
#include "platform/core/registry.h"
#include "tests/support/scratch_drive.h"

namespace {

// Runs `fn` with the process's standard output sent to `file` (children
// inherit it) and returns what was written there.
std::string CaptureStdout(const std::filesystem::path& file, const std::function<void()>& fn) {
  std::fflush(stdout);
  const int saved = ::dup(1);
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ::dup2(fd, 1);
  ::close(fd);
  fn();
  ::dup2(saved, 1);
  ::close(saved);
  return quentest::ReadHostFile(file);
}

class SpawnTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::HKEY key = nullptr;
    ASSERT_EQ(plat::RegCreateKeyEx(plat::HKEY_LOCAL_MACHINE, "SOFTWARE\\QuenbarPlatform\\Programs", 0, nullptr, 0,
                                   plat::KEY_ALL_ACCESS, nullptr, &key, nullptr),
              plat::ERROR_SUCCESS);
    Map(key, "QuenSrvr.exe", "/bin/true");
    Map(key, "failer.exe", "/bin/false");
    Map(key, "echoer.exe", "/bin/echo");
    Map(key, "sleeper.exe", "/bin/sleep");
    Map(key, "pwd.exe", "/bin/pwd");
    plat::RegCloseKey(key);
    std::filesystem::create_directories(drive.Host("Quenbar"));
  }

  static void Map(plat::HKEY key, const char* name, const std::string& exe) {
    ASSERT_EQ(plat::RegSetValueEx(key, name, 0, plat::REG_SZ, reinterpret_cast<const plat::BYTE*>(exe.c_str()),
                                  static_cast<plat::DWORD>(exe.size() + 1)),
              plat::ERROR_SUCCESS);
  }

  quentest::ScratchDrive drive;
};

TEST_F(SpawnTest, WaitModeReturnsTheExitCode) {
  EXPECT_EQ(plat::_spawnl(plat::_P_WAIT, "QuenSrvr.exe", "quensrvr.exe", nullptr), 0);
  // A full DOS path and another case find the same map entry.
  EXPECT_EQ(plat::_spawnl(plat::_P_WAIT, "C:\\QUENBAR\\QUENSRVR.EXE", "quensrvr.exe", "-En:game-0 HVSCS", nullptr), 0);
  EXPECT_EQ(plat::_spawnl(plat::_P_WAIT, "FAILER.EXE", "failer", nullptr), 1);
  EXPECT_EQ(plat::_spawnl(plat::_P_WAIT, "/bin/false", "false", nullptr), 1);  // a host path outside the map
  EXPECT_EQ(plat::_spawnl(plat::_P_WAIT, "missing.exe", "missing", nullptr), -1);
  EXPECT_EQ(plat::_spawnl(7, "QuenSrvr.exe", "q", nullptr), -1);
  // The launcher's call: a mapped DOS path as before, and a bare host name
  // along PATH, which _spawnl does not search.
  EXPECT_EQ(plat::_spawnlp(plat::_P_WAIT, "C:\\QUENBAR\\FAILER.EXE", "failer", nullptr), 1);
  EXPECT_EQ(plat::_spawnl(plat::_P_WAIT, "false", "false", nullptr), -1);
  EXPECT_EQ(plat::_spawnlp(plat::_P_WAIT, "false", "false", nullptr), 1);
  EXPECT_EQ(plat::_spawnlp(plat::_P_WAIT, "no-such-program-here", "x", nullptr), -1);
}

TEST_F(SpawnTest, ArgumentsAreSplitAsOneCommandLine) {
  const char* argv[] = {"echo", "-En:game-0 HVSCS", "", "\"two  words\"", "q\\\"x", nullptr};
  std::intptr_t code = -1;
  const std::string out =
      CaptureStdout(drive.Host("out.txt"), [&] { code = plat::_spawnv(plat::_P_WAIT, "echoer.exe", argv); });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(out, "-En:game-0 HVSCS two  words q\"x\n");
}

TEST_F(SpawnTest, StartsInTheCurrentDirectory) {
  ASSERT_TRUE(plat::SetCurrentDosDirectory("C:\\QUENBAR"));
  std::intptr_t code = -1;
  const std::string out =
      CaptureStdout(drive.Host("pwd.txt"), [&] { code = plat::_spawnl(plat::_P_WAIT, "pwd.exe", "pwd", nullptr); });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(out, std::filesystem::canonical(drive.Host("Quenbar")).string() + "\n");
}

TEST_F(SpawnTest, NoWaitGivesAHandleToWaitOnOrKill) {
  const std::intptr_t quick = plat::_spawnl(plat::_P_NOWAIT, "failer.exe", "failer", nullptr);
  ASSERT_GT(quick, 0);
  int status = -5;
  EXPECT_EQ(plat::_cwait(&status, quick, 0), quick);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(plat::_cwait(&status, quick, 0), -1);  // spent

  const std::intptr_t slow = plat::_spawnl(plat::_P_NOWAIT, "sleeper.exe", "sleep", "30", nullptr);
  ASSERT_GT(slow, 0);
  EXPECT_TRUE(plat::KillProcess(slow));
  EXPECT_EQ(plat::_cwait(&status, slow, 0), slow);
  EXPECT_EQ(status, 128 + 9);
  EXPECT_FALSE(plat::KillProcess(slow));
  EXPECT_FALSE(plat::KillProcess(12345678));
}

// A program that ends at once ends every program it started: one it waits for
// (the idle hook ends them during that wait) and one it does not.
TEST_F(SpawnTest, ChildProcessesOfBothModesAreEndedTogether) {
  const std::intptr_t free = plat::_spawnl(plat::_P_NOWAIT, "sleeper.exe", "sleep", "30", nullptr);
  ASSERT_GT(free, 0);
  plat::SetIdleHook([] { plat::KillChildProcesses(); });
  EXPECT_EQ(plat::_spawnl(plat::_P_WAIT, "sleeper.exe", "sleep", "30", nullptr), 128 + 9);
  plat::SetIdleHook(nullptr);
  int status = 0;
  EXPECT_EQ(plat::_cwait(&status, free, 0), free);
  EXPECT_EQ(status, 128 + 9);
}

}  // namespace
