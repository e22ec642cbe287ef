#include "platform/sound/mmtime.h"

#include <map>

namespace plat {
namespace {

constexpr UINT kMinPeriod = 1;
constexpr UINT kMaxPeriod = 1000000;

std::map<UINT, int>& Begun() {
  static std::map<UINT, int> begun;
  return begun;
}

}  // namespace

UINT timeGetDevCaps(TIMECAPS* caps, UINT size) {
  if (!caps || size < sizeof(TIMECAPS)) return TIMERR_NOCANDO;
  caps->wPeriodMin = kMinPeriod;
  caps->wPeriodMax = kMaxPeriod;
  return TIMERR_NOERROR;
}

UINT timeBeginPeriod(UINT period) {
  if (period < kMinPeriod || period > kMaxPeriod) return TIMERR_NOCANDO;
  ++Begun()[period];
  return TIMERR_NOERROR;
}

UINT timeEndPeriod(UINT period) {
  auto it = Begun().find(period);
  if (it == Begun().end()) return TIMERR_NOCANDO;
  if (--it->second == 0) Begun().erase(it);
  return TIMERR_NOERROR;
}

}  // namespace plat
