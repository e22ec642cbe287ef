#include "hvmulti/ServerProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>

#include "platform/core/clock.h"
#include "platform/core/process.h"

namespace hvm {
namespace {

// The environment and the inheritable pipe end are process-wide: two starts at
// once would hand each program the other's session or pipe.
std::mutex g_startLock;

constexpr int kEndSliceMs = 50;

}  // namespace

ServerProgram::~ServerProgram() { End(kDefaultEndMs); }

bool ServerProgram::Start(const char* program, const char* commandLine, const std::string& session) {
  End(kDefaultEndMs);
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return false;
  Fd readEnd(fds[0]), writeEnd(fds[1]);
  std::intptr_t handle = -1;
  {
    std::lock_guard lock(g_startLock);
    // Only the started program keeps the writing end: it is inheritable only
    // while the program starts, and this process closes its copy right after.
    if (::fcntl(writeEnd.Get(), F_SETFD, 0) != 0) return false;
    ::setenv(kServerEnvironment, session.c_str(), 1);
    const bool withArgument = commandLine && *commandLine;
    handle = plat::_spawnl(plat::_P_NOWAIT, program, program, withArgument ? commandLine : nullptr, nullptr);
    ::unsetenv(kServerEnvironment);
    writeEnd.Reset();
  }
  if (handle == -1) return false;
  handle_ = handle;
  exit_ = std::move(readEnd);
  return true;
}

bool ServerProgram::Ended() const {
  if (handle_ == -1) return false;
  pollfd p{exit_.Get(), POLLIN, 0};
  return ::poll(&p, 1, 0) > 0;
}

bool ServerProgram::End(int graceMs) {
  if (handle_ == -1) return true;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(graceMs);
  bool ended = false;
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    pollfd p{exit_.Get(), POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(std::clamp<std::int64_t>(left, 0, kEndSliceMs))) > 0) {
      ended = true;
      break;
    }
    if (left <= 0) break;
    plat::RunIdleHook();
  }
  if (!ended) plat::KillProcess(handle_);
  int code = -1;
  plat::_cwait(&code, handle_, 0);
  exitCode_ = code;
  handle_ = -1;
  exit_.Reset();
  return ended;
}

}  // namespace hvm
