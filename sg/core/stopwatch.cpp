#include "sg/core/stopwatch.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

#include "sg/core/malloc.h"

double g_sgNsPerCycle = -1.0;
std::uint32_t g_sgStopwatchIntervalCost = 0;
std::uint32_t g_sgStopwatchReadCost = 0;

namespace {

using Steady = std::chrono::steady_clock;

// Long enough for a steady clock of any resolution to tell the rate, short
// enough not to be noticed at start.
constexpr auto kCalibrationTime = std::chrono::milliseconds(20);
constexpr std::uint32_t kOverheadRounds = 10'000'000;

std::uint64_t ProcessorCounter() {
#if defined(__x86_64__) || defined(__i386__)
  return __rdtsc();
#else
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(Steady::now().time_since_epoch()).count());
#endif
}

std::uint64_t (*g_counter)() = ProcessorCounter;

std::uint32_t Low32() { return static_cast<std::uint32_t>(g_counter()); }

// The nominal rates of the processors of the time: a measured rate strictly
// inside (low, high) is taken as `nominal`; a later band wins where two overlap.
struct Band {
  double low;
  double high;
  std::uint32_t nominal;
};
constexpr Band kBands[] = {{-INFINITY, 70, 60}, {70, 80, 75},    {85, 95, 90},    {95, 105, 100},  {114, 126, 120},
                           {126, 140, 133},     {142, 158, 150}, {157, 180, 166}, {179, 215, 200}, {214, 242, 233},
                           {241, 256, 250},     {255, 280, 266}, {279, 316, 300}, {315, 340, 333}};

}  // namespace

double ISGReadCycleCounter() { return static_cast<double>(g_counter()); }

void ISGSetCycleCounterSource(std::uint64_t (*source)()) { g_counter = source != nullptr ? source : ProcessorCounter; }

double ISGMeasureClockMHz() {
  const Steady::time_point begin = Steady::now();
  const std::uint64_t first = g_counter();
  Steady::time_point now = begin;
  while (now - begin < kCalibrationTime) {
    now = Steady::now();
  }
  const std::uint64_t cycles = g_counter() - first;
  const double micros = std::chrono::duration<double, std::micro>(now - begin).count();
  const double mhz = static_cast<double>(cycles) / micros;
  return mhz > 0.0 ? mhz : 1.0;
}

std::uint32_t ISGNominalClockMHz(double measuredMHz) {
  std::uint32_t nominal = 0;
  for (const Band& band : kBands) {
    if (measuredMHz > band.low && measuredMHz < band.high) {
      nominal = band.nominal;
    }
  }
  if (nominal == 0) {
    const double rounded = std::round(measuredMHz);
    nominal = rounded < 1.0 ? 1 : rounded > 4.0e9 ? 4'000'000'000u : static_cast<std::uint32_t>(rounded);
  }
  return nominal;
}

std::uint32_t ISGCalibrateClock() {
  const std::uint32_t nominal = ISGNominalClockMHz(ISGMeasureClockMHz());
  g_sgNsPerCycle = 1000.0 / nominal;
  return nominal;
}

SGError ISGStopwatchCreate(std::uint32_t, ISGStopwatch** out) {
  if (g_sgNsPerCycle < 0.0) {
    ISGCalibrateClock();
  }
  *out = static_cast<ISGStopwatch*>(SGCalloc(1, sizeof(ISGStopwatch)));
  return *out != nullptr ? SG_ERROR_NONE : SG_ERROR_NO_MEMORY;
}

void ISGStopwatchStart(ISGStopwatch* watch) { watch->start = Low32(); }

void ISGStopwatchStop(ISGStopwatch* watch) {
  ++watch->count;
  watch->accumulated += Low32() - watch->start;
}

void ISGStopwatchReset(ISGStopwatch* watch) {
  watch->accumulated = 0;
  watch->count = 0;
}

void ISGStopwatchRead(const ISGStopwatch* watch, std::int32_t* time, std::uint32_t* overhead) {
  *overhead = watch->count * g_sgStopwatchIntervalCost + g_sgStopwatchReadCost;
  // Long intervals of a slow clock would not fit: they read as the longest time.
  const double ns = std::min(watch->accumulated * g_sgNsPerCycle, 2147483647.0);
  *time = static_cast<std::int32_t>(static_cast<std::int64_t>(ns) - *overhead);
}

void ISGStopwatchDestroy(ISGStopwatch* watch) { SGFree(watch); }

SGError ISGStopwatchCalibrate() {
  ISGStopwatch* watch = nullptr;
  if (const SGError err = ISGStopwatchCreate(0, &watch); err != SG_ERROR_NONE) {
    return err;
  }
  std::int32_t time = 0;
  std::uint32_t overhead = 0;
  for (std::uint32_t i = 0; i < kOverheadRounds; ++i) {
    ISGStopwatchStart(watch);
    ISGStopwatchStop(watch);
  }
  ISGStopwatchRead(watch, &time, &overhead);
  g_sgStopwatchIntervalCost = static_cast<std::uint32_t>(std::max(time, 0)) / kOverheadRounds;
  ISGStopwatchReset(watch);
  ISGStopwatchStart(watch);
  volatile std::int32_t sink = 0;  // keeps the reads from being optimised away
  for (std::uint32_t i = 0; i < kOverheadRounds; ++i) {
    ISGStopwatchRead(watch, &time, &overhead);
    sink = time;
  }
  static_cast<void>(sink);
  ISGStopwatchStop(watch);
  ISGStopwatchRead(watch, &time, &overhead);
  g_sgStopwatchReadCost = static_cast<std::uint32_t>(std::max(time, 0)) / kOverheadRounds;
  ISGStopwatchDestroy(watch);
  return SG_ERROR_NONE;
}
