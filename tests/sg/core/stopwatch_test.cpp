// Cycle-counter stopwatches, on a counter the test moves by hand.

#include <gtest/gtest.h>

#include <tuple>

#include "sg/core/stopwatch.h"

namespace {

std::uint64_t g_now = 0;
std::uint64_t TestCounter() { return g_now; }

class Stopwatch : public testing::Test {
 protected:
  void SetUp() override {
    ISGSetCycleCounterSource(TestCounter);
    g_sgNsPerCycle = 10.0;  // 100 MHz
    g_sgStopwatchIntervalCost = 0;
    g_sgStopwatchReadCost = 0;
    ASSERT_EQ(ISGStopwatchCreate(0, &watch_), SG_ERROR_NONE);
  }
  void TearDown() override {
    ISGStopwatchDestroy(watch_);
    ISGSetCycleCounterSource(nullptr);
    g_sgNsPerCycle = -1.0;
    g_sgStopwatchIntervalCost = 0;
    g_sgStopwatchReadCost = 0;
  }
  void Interval(std::uint64_t from, std::uint64_t cycles) {
    g_now = from;
    ISGStopwatchStart(watch_);
    g_now = from + cycles;
    ISGStopwatchStop(watch_);
  }
  ISGStopwatch* watch_ = nullptr;
};

TEST_F(Stopwatch, SumsIntervalsAcrossTheLowWordsWrap) {
  Interval(1000, 30);
  Interval(0xFFFFFFF0u, 0x20);  // the low 32 bits wrap in between
  Interval(0x1'0000'0005u, 50);
  EXPECT_EQ(std::make_tuple(watch_->count, watch_->accumulated), std::make_tuple(3u, 112u));
  g_sgStopwatchIntervalCost = 4;
  g_sgStopwatchReadCost = 7;
  std::int32_t time = 0;
  std::uint32_t overhead = 0;
  ISGStopwatchRead(watch_, &time, &overhead);
  EXPECT_EQ(overhead, 19u);
  EXPECT_EQ(time, 1120 - 19);
  ISGStopwatchReset(watch_);
  ISGStopwatchRead(watch_, &time, &overhead);
  EXPECT_EQ(time, -7);
  EXPECT_EQ(watch_->count, 0u);
}

TEST_F(Stopwatch, SlowClockReadsLongIntervalsWithoutOverflow) {
  g_sgNsPerCycle = 1000.0 / 60;
  Interval(0, 0xFFFFFF00u);
  std::int32_t time = 0;
  std::uint32_t overhead = 0;
  ISGStopwatchRead(watch_, &time, &overhead);
  EXPECT_EQ(time, 2147483647);
}

// A counter that moves one cycle per reading: a start and a stop cost one
// cycle, a reading none.
TEST_F(Stopwatch, OverheadCalibration) {
  ISGSetCycleCounterSource([] { return ++g_now; });
  ASSERT_EQ(ISGStopwatchCalibrate(), SG_ERROR_NONE);
  EXPECT_EQ(g_sgStopwatchIntervalCost, 10u);
  EXPECT_EQ(g_sgStopwatchReadCost, 0u);
}

TEST(ClockBands, NominalRates) {
  const struct {
    double measured;
    std::uint32_t nominal;
  } cases[] = {
      {0.0, 60},  {69.9, 60}, {72, 75}, {96, 100},  {157.5, 166},   {179.5, 200},
      {339, 333}, {70, 70},   {82, 82}, {340, 340}, {2893.6, 2894}, {0.2, 60},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ISGNominalClockMHz(c.measured), c.nominal) << c.measured;
  }
}

TEST(ClockBands, CalibrationMeasuresAPositiveRate) {
  const std::uint32_t mhz = ISGCalibrateClock();
  EXPECT_GT(mhz, 0u);
  EXPECT_DOUBLE_EQ(g_sgNsPerCycle, 1000.0 / mhz);
  // A counter that does not move at all still gives a rate, not a division by 0.
  ISGSetCycleCounterSource([] { return std::uint64_t{42}; });
  EXPECT_GT(ISGMeasureClockMHz(), 0.0);
  ISGSetCycleCounterSource(nullptr);
  g_sgNsPerCycle = -1.0;
}

}  // namespace
