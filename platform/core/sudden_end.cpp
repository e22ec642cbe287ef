#include "platform/core/sudden_end.h"

#include <errno.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <initializer_list>

#include "platform/core/process.h"

namespace plat {
namespace {

void WriteAll(const char* text) {
  std::size_t left = std::strlen(text);
  while (left > 0) {
    const ssize_t n = ::write(STDERR_FILENO, text, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    text += n;
    left -= static_cast<std::size_t>(n);
  }
}

const char* CauseOf(int signal) {
  switch (signal) {
    case SIGTERM:
      return "ended by SIGTERM";
    case SIGINT:
      return "ended by SIGINT";
    default:
      return "ended by SIGHUP";
  }
}

void OnTerminationSignal(int signal) { EndAtOnce(CauseOf(signal), 128 + signal); }

}  // namespace

void EndAtOnce(const char* cause, int exitCode) {
  WriteAll(program_invocation_short_name);
  WriteAll(": ");
  WriteAll(cause);
  WriteAll("\n");
  KillChildProcesses();
  ::_exit(exitCode);
}

void EndOnTerminationSignals() {
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigfillset(&action.sa_mask);
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

}  // namespace plat
