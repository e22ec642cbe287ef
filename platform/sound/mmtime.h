#pragma once
// The multimedia timer's resolution calls. The program clock
// (platform/core/clock.h) always counts whole milliseconds, so a period only
// has to lie in range; begin and end calls are counted in pairs. Game thread.

#include "platform/core/types.h"

namespace plat {

constexpr UINT TIMERR_NOERROR = 0;
constexpr UINT TIMERR_NOCANDO = 97;

struct TIMECAPS {
  UINT wPeriodMin = 0;
  UINT wPeriodMax = 0;
};

// 1 ms to 1,000,000 ms.
UINT timeGetDevCaps(TIMECAPS* caps, UINT size);
// TIMERR_NOCANDO for a period out of range, or an end without its begin.
UINT timeBeginPeriod(UINT period);
UINT timeEndPeriod(UINT period);

}  // namespace plat
