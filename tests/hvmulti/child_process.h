#pragma once
// Runs one of this test program's role tests in a process of its own, with
// parameters in its environment, and reads what it prints.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "session_helpers.h"

extern char** environ;

namespace hvmtest {

inline std::string SelfPath() {
  char path[PATH_MAX] = {};
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}

// The arguments that run only role test `role` (a DISABLED_ test of HvMultiRole).
inline std::string RoleArguments(const std::string& role) {
  return "--gtest_filter=HvMultiRole.DISABLED_" + role + " --gtest_also_run_disabled_tests";
}

// Hosts a client-server session on a free loopback port with role `role` as its server program.
inline int HostWithServer(CHvMulti& host, HvMPlayer_Struct& hp, const char* role) {
  HvMSession_Struct s = Session();
  return OnLoopback(host) ? host.CreateAndJoinCS(&s, &hp, SelfPath().c_str(), RoleArguments(role).c_str(), 6, nullptr)
                          : -1;
}

class ChildProcess {
 public:
  ChildProcess(const std::string& role, const std::vector<std::string>& environment) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    const std::string self = SelfPath();
    const std::string filter = "--gtest_filter=HvMultiRole.DISABLED_" + role;
    std::vector<const char*> argv = {self.c_str(), filter.c_str(), "--gtest_also_run_disabled_tests", nullptr};
    std::vector<std::string> env = environment;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    std::vector<const char*> envp;
    for (const auto& e : env) envp.push_back(e.c_str());
    envp.push_back(nullptr);
    if (::posix_spawn(&pid_, self.c_str(), &actions, nullptr, const_cast<char* const*>(argv.data()),
                      const_cast<char* const*>(envp.data())) != 0)
      pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    out_ = fds[0];
  }
  ~ChildProcess() {
    if (pid_ > 0) Kill();
    if (out_ >= 0) ::close(out_);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }

  // Reads until a line beginning with `prefix` came; returns it, or "" after `ms`
  // or when the child closed its output.
  std::string WaitForLine(const std::string& prefix, int ms = kWaitMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
      for (std::size_t nl; (nl = pending_.find('\n')) != std::string::npos;) {
        std::string line = pending_.substr(0, nl);
        pending_.erase(0, nl + 1);
        if (line.rfind(prefix, 0) == 0) return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      if (left.count() <= 0 || !ReadSome(static_cast<int>(left.count()))) return "";
    }
  }

  // The exit code (128 + the signal number when a signal ended it), or -1 when
  // it did not end within `ms`; it is then killed.
  int Wait(int ms = kWaitMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (pid_ > 0) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        while (ReadSome(0)) {
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
      }
      if (std::chrono::steady_clock::now() > end) {
        Kill();
        return -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return -1;
  }

  // Everything the child printed so far, to show when it failed.
  const std::string& Output() const { return output_; }

 private:
  // A child's step (starting under the sanitizers on a loaded machine included)
  // gets this long before the test gives up on it.
  static constexpr int kWaitMs = 10000;

  // Takes what the child printed, waiting at most `ms`; false when nothing came.
  bool ReadSome(int ms) {
    if (out_ < 0) return false;
    pollfd p{out_, POLLIN, 0};
    if (::poll(&p, 1, ms) != 1) return false;
    char chunk[512];
    const ssize_t n = ::read(out_, chunk, sizeof chunk);
    if (n <= 0) return false;
    pending_.append(chunk, static_cast<std::size_t>(n));
    output_.append(chunk, static_cast<std::size_t>(n));
    return true;
  }
  void Kill() {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  pid_t pid_ = -1;
  int out_ = -1;
  std::string pending_;  // read but not yet looked at by WaitForLine
  std::string output_;
};

}  // namespace hvmtest
