#include "Game/app/IdleWait.h"

#include <algorithm>

#include "Game/app/CFrameTimer.h"
#include "platform/core/clock.h"
#include "platform/user/queue.h"

void WaitAfterIdlePass(bool tookPacket, const CFrameTimer* runningTimer) {
  // Tried: passes with a packet not sleeping brought End Turn of a 40-chapter
  // game at turn 300 back in 0.28 s instead of 0.39 s on the wall clock
  // (0.07 s at the start of the instant-action game): no wait a player
  // notices, kept. A pass every millisecond with nothing to do kept a still
  // game screen at 0.05 of a core.
  if (tookPacket) {
    plat::Sleep(1);
    return;
  }
  plat::DWORD wait = kLongestIdleWaitMs;
  if (runningTimer) wait = std::min(wait, runningTimer->MsUntilDue());
  plat::WaitIdle(wait);
}
