#pragma once
// Stopwatches on the processor's cycle counter: each accumulates cycles over
// any number of start-stop intervals and reads them as nanoseconds. The clock
// rate is calibrated once, on the first stopwatch made.
//
// The counter and the calibration are process-wide; use them from one thread
// (the library's drawing thread) at a time.

#include <cstdint>

#include "sg/core/sgerror.h"

struct ISGStopwatch {
  std::uint32_t start;        // low 32 bits of the counter at the last start
  std::uint32_t accumulated;  // cycles over the stopped intervals
  std::uint32_t count;        // stopped intervals
};

// Nanoseconds per cycle; -1.0 until calibrated.
extern double g_sgNsPerCycle;
// Overheads in nanoseconds taken off every reading; 0 until ISGStopwatchCalibrate.
extern std::uint32_t g_sgStopwatchIntervalCost;
extern std::uint32_t g_sgStopwatchReadCost;

// The counter now (the time-stamp counter where the processor has one, else a
// nanosecond clock).
double ISGReadCycleCounter();
// Measures the counter's rate against the steady clock, in MHz; always > 0.
double ISGMeasureClockMHz();
// The nominal rate for a measured one: the classic processor clocks up to
// 333 MHz by their bands, any other rate rounded (at least 1).
std::uint32_t ISGNominalClockMHz(double measuredMHz);
// Measures, sets g_sgNsPerCycle = 1000 / nominal rate and returns that rate.
std::uint32_t ISGCalibrateClock();

// Calibrates on first use; a zeroed stopwatch, freed with ISGStopwatchDestroy.
// SG_ERROR_NO_MEMORY. The first argument is not used.
SGError ISGStopwatchCreate(std::uint32_t unused, ISGStopwatch** out);
void ISGStopwatchStart(ISGStopwatch* watch);
// Adds the interval since the start (modulo 2^32 cycles) and counts it.
void ISGStopwatchStop(ISGStopwatch* watch);
void ISGStopwatchReset(ISGStopwatch* watch);
// overhead = count x interval cost + read cost; time = the accumulated cycles
// in nanoseconds less the overhead.
void ISGStopwatchRead(const ISGStopwatch* watch, std::int32_t* time, std::uint32_t* overhead);
void ISGStopwatchDestroy(ISGStopwatch* watch);
// Measures the two overheads over ten million starts and stops and ten million
// reads. SG_ERROR_NO_MEMORY.
SGError ISGStopwatchCalibrate();

// Test hook: the counter comes from `source` (null: the processor again).
void ISGSetCycleCounterSource(std::uint64_t (*source)());
