#pragma once
// Ending the program at once, in whatever state it is: on a termination
// signal, or on a loss it cannot go on from (its display). Nothing is torn
// down and no object is touched, so nothing waits on what is gone: the
// programs started here are ended, one line on standard error names the
// cause, and the process ends. The files the program keeps are replaced whole
// when written, so the last of each stays whole.

namespace plat {

// Writes "<program>: <cause>" and a newline to standard error, ends the
// programs started here (KillChildProcesses) and ends the process with
// `exitCode`. Async-signal-safe; may be called from any thread.
[[noreturn]] void EndAtOnce(const char* cause, int exitCode);

// From now on SIGTERM, SIGINT and SIGHUP end the program as EndAtOnce does,
// with 128 + the signal's number. Called once, on the program's thread, before
// any library installs handlers of its own (SDL leaves those it finds).
void EndOnTerminationSignals();

}  // namespace plat
