#include "platform/core/threads.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/core/clock.h"

namespace {

TEST(Events, ManualAndAutoReset) {
  plat::HANDLE manual = plat::CreateEvent(nullptr, plat::TRUE, plat::FALSE, nullptr);
  ASSERT_NE(manual, nullptr);
  EXPECT_EQ(plat::WaitForSingleObject(manual, 0), plat::WAIT_TIMEOUT);
  EXPECT_EQ(plat::SetEvent(manual), plat::TRUE);
  EXPECT_EQ(plat::WaitForSingleObject(manual, 0), plat::WAIT_OBJECT_0);
  EXPECT_EQ(plat::WaitForSingleObject(manual, 0), plat::WAIT_OBJECT_0);  // stays set
  EXPECT_EQ(plat::ResetEvent(manual), plat::TRUE);
  EXPECT_EQ(plat::WaitForSingleObject(manual, 0), plat::WAIT_TIMEOUT);

  plat::HANDLE autoReset = plat::CreateEvent(nullptr, plat::FALSE, plat::TRUE, nullptr);
  EXPECT_EQ(plat::WaitForSingleObject(autoReset, plat::INFINITE), plat::WAIT_OBJECT_0);
  EXPECT_EQ(plat::WaitForSingleObject(autoReset, 0), plat::WAIT_TIMEOUT);  // one wait took it

  EXPECT_EQ(plat::CloseHandle(manual), plat::TRUE);
  EXPECT_EQ(plat::CloseHandle(manual), plat::FALSE);
  EXPECT_EQ(plat::SetEvent(manual), plat::FALSE);
  EXPECT_EQ(plat::WaitForSingleObject(manual, 0), plat::WAIT_FAILED);
  EXPECT_EQ(plat::WaitForSingleObject(nullptr, 0), plat::WAIT_FAILED);
  plat::CloseHandle(autoReset);
}

struct Shared {
  plat::CRITICAL_SECTION lock;
  plat::HANDLE go = nullptr;
  long counter = 0;
};

plat::DWORD Worker(void* param) {
  auto* s = static_cast<Shared*>(param);
  if (plat::WaitForSingleObject(s->go, plat::INFINITE) != plat::WAIT_OBJECT_0) return 99;
  for (int i = 0; i < 10000; ++i) {
    plat::CriticalSectionLock hold(s->lock);
    plat::EnterCriticalSection(&s->lock);  // the owner may enter again
    ++s->counter;
    plat::LeaveCriticalSection(&s->lock);
  }
  return static_cast<plat::DWORD>(plat::GetThreadPriority(plat::GetCurrentThread()));
}

TEST(Threads, WorkersShareACriticalSectionAndReportExitCodes) {
  Shared s;
  plat::InitializeCriticalSection(&s.lock);
  s.go = plat::CreateEvent(nullptr, plat::TRUE, plat::FALSE, nullptr);
  plat::HANDLE threads[4];
  plat::DWORD ids[4];
  for (int i = 0; i < 4; ++i) {
    threads[i] = plat::CreateThread(nullptr, 0, Worker, &s, 0, &ids[i]);
    ASSERT_NE(threads[i], nullptr);
    if (i > 0) {
      EXPECT_NE(ids[i], ids[i - 1]);
    }
  }
  plat::DWORD code = 0;
  EXPECT_EQ(plat::GetExitCodeThread(threads[0], &code), plat::TRUE);
  EXPECT_EQ(code, plat::STILL_ACTIVE);
  EXPECT_EQ(plat::SetThreadPriority(threads[1], plat::THREAD_PRIORITY_TIME_CRITICAL), plat::TRUE);
  EXPECT_EQ(plat::GetThreadPriority(threads[1]), plat::THREAD_PRIORITY_TIME_CRITICAL);
  plat::SetEvent(s.go);
  for (plat::HANDLE t : threads) EXPECT_EQ(plat::WaitForSingleObject(t, plat::INFINITE), plat::WAIT_OBJECT_0);
  EXPECT_EQ(s.counter, 40000);
  EXPECT_EQ(plat::GetExitCodeThread(threads[1], &code), plat::TRUE);
  EXPECT_EQ(code, static_cast<plat::DWORD>(plat::THREAD_PRIORITY_TIME_CRITICAL));
  EXPECT_EQ(plat::GetExitCodeThread(threads[0], &code), plat::TRUE);
  EXPECT_EQ(code, 0u);
  for (plat::HANDLE t : threads) EXPECT_EQ(plat::CloseHandle(t), plat::TRUE);
  plat::CloseHandle(s.go);
  plat::DeleteCriticalSection(&s.lock);
  // The pseudo handle of the calling thread closes without harm; a thread needs a procedure.
  EXPECT_EQ(plat::CloseHandle(plat::GetCurrentThread()), plat::TRUE);
  EXPECT_EQ(plat::CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
}

TEST(Threads, WaitingOnTheHookThreadServicesTheHook) {
  std::atomic<int> calls{0};
  plat::SetIdleHook([&] { ++calls; });
  plat::HANDLE never = plat::CreateEvent(nullptr, plat::TRUE, plat::FALSE, nullptr);
  EXPECT_EQ(plat::WaitForSingleObject(never, 25), plat::WAIT_TIMEOUT);
  EXPECT_GE(calls.load(), 1);
  plat::SetIdleHook(nullptr);
  plat::CloseHandle(never);
}

}  // namespace
