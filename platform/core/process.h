#pragma once
// Starting other programs the classic runtime's way (_spawnl). A program is
// named by its DOS name ("QuenSrvr.exe", or a path ending in it), looked up
// without regard to case in the program map, the registry key
// HKEY_LOCAL_MACHINE\SOFTWARE\QuenbarPlatform\Programs (value name = DOS program
// name, value = host executable). A name not in the map is taken as a DOS path,
// then as a host path. No shell is involved.
//
// The arguments are joined with blanks into one command line and split again
// at blanks (double quotes group, \" is a quote), as the program on the other
// side of the classic call saw them: "-En:game-0 HVSCS" arrives as two
// arguments. argv[0] is the first argument given. The program starts in the
// current DOS directory. May be called from several threads.

#include <cstdint>

namespace plat {

constexpr int _P_WAIT = 0;
constexpr int _P_NOWAIT = 1;

// Starts `program` with the arguments that follow (arg0 first), ended by a null
// pointer. _P_WAIT: waits (servicing the idle hook) and returns the exit code;
// a program ended by a signal gives 128 + the signal number. _P_NOWAIT: returns
// a handle for _cwait and KillProcess. -1 when the program cannot be started,
// or when 64 programs started here are not yet waited for (errno EAGAIN).
std::intptr_t _spawnl(int mode, const char* program, const char* arg0, ...) __attribute__((sentinel));
// The same with the arguments in a null-terminated array.
std::intptr_t _spawnv(int mode, const char* program, const char* const* argv);
// _spawnl and _spawnv, except that a bare name ("sh") found nowhere else is
// also looked for along the host's PATH.
std::intptr_t _spawnlp(int mode, const char* program, const char* arg0, ...) __attribute__((sentinel));
std::intptr_t _spawnvp(int mode, const char* program, const char* const* argv);

// Waits for a program started with _P_NOWAIT: stores its exit code in `status`
// (may be null) and returns the handle, or -1 for an unknown handle. `action`
// is accepted and ignored. The handle is spent afterwards.
std::intptr_t _cwait(int* status, std::intptr_t handle, int action);
// Ends a program started with _P_NOWAIT (it must still be waited for).
bool KillProcess(std::intptr_t handle);
// Ends every program started here and not yet waited for, in either mode, as
// KillProcess does. Async-signal-safe: for a program that ends at once.
void KillChildProcesses();

}  // namespace plat
