#pragma once
// Running the message loop to a standstill under the virtual clock: what a
// scripted run (tests, the headless program) does between its steps. The
// running backend is serviced on the way, so its scripted input arrives.
// Called from the program's thread only.

#include "platform/core/types.h"

namespace plat {

struct PumpResult {
  int dispatched = 0;    // messages dispatched (at most a million, so a window
                         // that never validates cannot hang the caller)
  bool sawQuit = false;  // stopped before a WM_QUIT, which stays queued
};

// Looks, takes, translates and dispatches until no message waits and the
// backend has no scripted input left, moving the clock on to each scripted
// event; timers further ahead do not keep it running.
PumpResult PumpUntilIdle();
// The same while the clock moves `ms` on; timers and scripted events fall due
// on the way.
PumpResult PumpFor(DWORD ms);

}  // namespace plat
