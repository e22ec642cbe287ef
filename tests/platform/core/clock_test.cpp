#include "platform/core/clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/core/random.h"
#include "platform/core/systime.h"

namespace {

class VirtualClockTest : public ::testing::Test {
 protected:
  void TearDown() override {
    plat::SetIdleHook(nullptr);
    plat::UseRealClock();
  }
};

TEST_F(VirtualClockTest, MovesOnlyWhenAdvancedOrSlept) {
  plat::UseVirtualClock(1000);
  EXPECT_TRUE(plat::IsVirtualClock());
  EXPECT_EQ(plat::timeGetTime(), 1000u);
  EXPECT_EQ(plat::GetTickCount(), 1000u);
  plat::AdvanceVirtualClock(250);
  EXPECT_EQ(plat::timeGetTime(), 1250u);
  plat::Sleep(90);
  EXPECT_EQ(plat::timeGetTime(), 1340u);
  EXPECT_EQ(plat::clock(), 1340);
  EXPECT_EQ(plat::ReadTimeStampCounter(), 1340u * 1000000u);

  // The 32-bit counter wraps like the classic one.
  plat::UseVirtualClock(0xFFFFFFF0u);
  plat::AdvanceVirtualClock(0x20);
  EXPECT_EQ(plat::timeGetTime(), 0x10u);

  plat::UseRealClock();
  EXPECT_FALSE(plat::IsVirtualClock());
  plat::AdvanceVirtualClock(5000);  // no effect on the real clock
  EXPECT_LT(plat::timeGetTime(), 0x7FFFFFFFu);
}

TEST_F(VirtualClockTest, SleepRunsTheIdleHookOnItsOwnThreadOnly) {
  plat::UseVirtualClock();
  int calls = 0;
  plat::SetIdleHook([&] {
    ++calls;
    plat::Sleep(1);  // a hook that waits does not recurse
  });
  plat::Sleep(10);
  EXPECT_EQ(calls, 1);
  plat::RunIdleHook();
  EXPECT_EQ(calls, 2);
  std::thread other([] { plat::Sleep(5); });
  other.join();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(plat::timeGetTime(), 10u + 1u + 1u + 5u);
}

TEST_F(VirtualClockTest, ConcurrentAdvancesAreAllCounted) {
  plat::UseVirtualClock();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 1000; ++i) plat::AdvanceVirtualClock(1);
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(plat::timeGetTime(), 4000u);
}

// What is reckoned on the real clock does not run ahead with the virtual one,
// and a real-time sleep both advances the virtual clock and takes real time.
TEST_F(VirtualClockTest, TheRealTickCountIgnoresTheVirtualClock) {
  plat::UseVirtualClock(0);
  const plat::DWORD real = plat::RealTickCount();
  plat::AdvanceVirtualClock(3'600'000);
  plat::Sleep(60'000);
  EXPECT_LT(plat::RealTickCount() - real, 60'000u);
  EXPECT_EQ(plat::timeGetTime(), 3'660'000u);
  const auto before = std::chrono::steady_clock::now();
  plat::SleepInRealTime(30);
  EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(30));
  EXPECT_EQ(plat::timeGetTime(), 3'660'030u);
}

TEST(RealClock, NeverGoesBackwards) {
  const plat::DWORD a = plat::timeGetTime();
  const std::uint64_t ta = plat::ReadTimeStampCounter();
  plat::Sleep(2);
  EXPECT_GE(plat::timeGetTime(), a + 2);
  EXPECT_GT(plat::ReadTimeStampCounter(), ta);
}

TEST(Random, ClassicSequence) {
  std::thread fresh([] {
    // A thread starts at seed 1.
    EXPECT_EQ(plat::rand(), 41);
    EXPECT_EQ(plat::rand(), 18467);
  });
  fresh.join();
  plat::srand(1);
  for (int want : {41, 18467, 6334, 26500, 19169}) EXPECT_EQ(plat::rand(), want);
  plat::srand(1);
  EXPECT_EQ(plat::rand(), 41);
  // Seeded with an asteroid number, the sequence repeats exactly.
  plat::srand(17);
  std::vector<int> first;
  for (int i = 0; i < 100; ++i) {
    first.push_back(plat::rand());
    EXPECT_LE(first.back(), plat::kRandMax);
    EXPECT_GE(first.back(), 0);
  }
  plat::srand(17);
  for (int want : first) EXPECT_EQ(plat::rand(), want);
}

TEST(SystemTime, AgreesWithTime) {
  plat::time_t before = 0;
  const plat::time_t now = plat::time(&before);
  EXPECT_EQ(now, before);
  plat::SYSTEMTIME st;
  plat::GetSystemTime(&st);
  EXPECT_GE(st.wYear, 2024);
  EXPECT_GE(st.wMonth, 1);
  EXPECT_LE(st.wMonth, 12);
  EXPECT_LE(st.wDayOfWeek, 6);
  EXPECT_LT(st.wMilliseconds, 1000);

  const plat::time_t fixed = 86400 * 365;  // 1971-01-01 00:00 UTC
  const std::tm* local = plat::localtime(&fixed);
  ASSERT_NE(local, nullptr);
  EXPECT_GE(local->tm_year, 70);
  EXPECT_EQ(plat::localtime(nullptr), nullptr);
}

}  // namespace
