#pragma once
// The wait that ends each pass of the main loop in which no window message
// was waiting. Game thread only.

#include "platform/core/types.h"

class CFrameTimer;

// The longest an idle pass waits: how late a packet that arrives while
// nothing else happens may be looked at.
constexpr plat::DWORD kLongestIdleWaitMs = 10;

// After a pass that took a packet, 1 ms, as the next may be waiting; else
// until the frame timer (when it runs: a view in the foreground) falls due,
// a message comes or kLongestIdleWaitMs pass. Under the virtual clock every
// such wait is 1 ms, so scripted runs step as they always did.
void WaitAfterIdlePass(bool tookPacket, const CFrameTimer* runningTimer);
