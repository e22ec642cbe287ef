#pragma once
// The server program that a client-server host starts: it learns where its
// session is from its environment, and it is ended with the session. Its end
// is waited for on the caller's thread within a time limit, and a program that
// outstays it is stopped, so that no waiting thread outlives the library and no
// server program outlives its host.
//
// The end is seen through a pipe whose writing end only the program holds: the
// pipe reports a hang-up once the program (and whatever it started that kept
// the descriptor) is gone, without spending the process handle, which stays
// valid for KillProcess until the program is waited for.

#include <cstdint>
#include <string>

#include "hvmulti/Socket.h"

namespace hvm {

// The environment variable that tells a started server program its session:
// "address:port:token".
inline constexpr const char* kServerEnvironment = "HVMULTI_SERVER";

class ServerProgram {
 public:
  ServerProgram() = default;
  // Ends a program still running, as End does with kDefaultEndMs.
  ~ServerProgram();
  ServerProgram(const ServerProgram&) = delete;
  ServerProgram& operator=(const ServerProgram&) = delete;

  static constexpr int kDefaultEndMs = 5000;

  // Starts `program` (a DOS name), with `commandLine` as its one argument when
  // it is not empty, and `session` in its kServerEnvironment variable. A
  // program still running from before is ended first. False when it could not
  // be started.
  bool Start(const char* program, const char* commandLine, const std::string& session);
  // Started and not yet waited for.
  bool Running() const { return handle_ != -1; }
  // The program has ended (it is not yet waited for).
  bool Ended() const;
  // Waits at most `graceMs` for the program to end (servicing the idle hook),
  // stops it when it has not, and collects its exit code. True when it ended by
  // itself, or none was running.
  bool End(int graceMs);
  // The exit code of the last program waited for (128 + the signal number when
  // a signal ended it); -1 before any.
  int ExitCode() const { return exitCode_; }

 private:
  std::intptr_t handle_ = -1;
  Fd exit_;  // reading end of the pipe the program holds open
  int exitCode_ = -1;
};

}  // namespace hvm
