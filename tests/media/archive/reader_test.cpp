// Reader threads: many queued ranges, the queue limit, pausing, cancelling a
// range in flight, and stopping mid-read.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "media/ReaderSlots.h"
#include "tests/support/scratch_drive.h"

namespace {

class ReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string bytes(1 << 20, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + (i >> 9));
    expected_ = bytes;
    drive_.Write("data.bin", bytes);
    file_ = plat::fopen(drive_.Dos("data.bin").c_str(), "rb");
    ASSERT_NE(file_, nullptr);
    ASSERT_EQ(ReaderSlotsInit(2), 1);
    slot_ = ReaderSlotCreate(4096, 200000);
    ASSERT_EQ(slot_, 1);
  }
  void TearDown() override {
    ReaderSlotsShutdown();
    plat::fclose(file_);
  }

  bool WaitAllDone(int count) {
    for (int spin = 0; spin < 20000; ++spin) {
      int done = 0;
      for (int i = 0; i < count; ++i) done += ReaderRequestDone(slot_, i, nullptr);
      if (done == count) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }

  quentest::ScratchDrive drive_;
  std::string expected_;
  plat::FILE* file_ = nullptr;
  int slot_ = 0;
};

TEST_F(ReaderTest, ReadsEveryQueuedRangeAndRefusesTheFiftyFirst) {
  std::vector<std::vector<std::uint8_t>> into(kReaderMaxRequests, std::vector<std::uint8_t>(9000));
  ReaderPause(slot_);
  for (int i = 0; i < kReaderMaxRequests; ++i)
    ASSERT_EQ(ReaderAppendRequest(slot_, file_, &into[i], into[i].data(), 9000, 1000u * i), i);
  EXPECT_EQ(ReaderAppendRequest(slot_, file_, nullptr, nullptr, 1, 0), -1);
  ReaderResume(slot_);
  ASSERT_TRUE(WaitAllDone(kReaderMaxRequests));
  for (int i = 0; i < kReaderMaxRequests; ++i) {
    std::int64_t position = 0;
    bool failed = true;
    EXPECT_EQ(ReaderRequestDone(slot_, i, &position, &failed), 1);
    EXPECT_FALSE(failed);
    EXPECT_EQ(position, 1000 * i + 9000);
    EXPECT_EQ(std::string(into[i].begin(), into[i].end()), expected_.substr(1000u * i, 9000)) << i;
  }
  EXPECT_EQ(ReaderFindRequest(slot_, file_, &into[7], nullptr, nullptr, 7000), 7);
  EXPECT_EQ(ReaderFindRequest(slot_, file_, &into[7], nullptr, nullptr, 7001), -1);
  EXPECT_EQ(ReaderClearRequests(slot_), kReaderMaxRequests);
  std::int64_t position = 0;
  EXPECT_EQ(ReaderRequestDone(slot_, 0, &position), 0);
  EXPECT_EQ(position, -1);
}

TEST_F(ReaderTest, ARangePastTheFileEndIsMarkedFailed) {
  std::vector<std::uint8_t> into(8192);
  ASSERT_EQ(ReaderAppendRequest(slot_, file_, nullptr, into.data(), 8192, (1 << 20) - 100), 0);
  ASSERT_TRUE(WaitAllDone(1));
  bool failed = false;
  EXPECT_EQ(ReaderRequestDone(slot_, 0, nullptr, &failed), 1);
  EXPECT_TRUE(failed);
}

TEST_F(ReaderTest, PausingAnIdleSlotReturnsAtOnce) {
  ReaderPause(slot_);
  ReaderSlot* s = ReaderSlotGet(slot_);
  {
    plat::CriticalSectionLock hold(s->lock);
    EXPECT_EQ(s->state, kReaderPaused);
  }
  ReaderResume(slot_);
  plat::CriticalSectionLock hold(s->lock);
  EXPECT_EQ(s->state, kReaderIdle);
}

TEST_F(ReaderTest, CancellingARangeInFlightNeedsAPauseAndRestartsTheSearch) {
  // A slow slot: one byte a chunk keeps the first range busy.
  ReaderSlotDestroy(slot_);
  slot_ = ReaderSlotCreate(1, 200000);
  ASSERT_EQ(slot_, 1);
  auto big = std::make_unique<std::vector<std::uint8_t>>(100000);
  std::vector<std::uint8_t> small(10);
  ASSERT_EQ(ReaderAppendRequest(slot_, file_, nullptr, big->data(), 100000, 0), 0);
  ASSERT_EQ(ReaderAppendRequest(slot_, file_, nullptr, small.data(), 10, 500), 1);
  auto state = [&] {
    plat::CriticalSectionLock hold(ReaderSlotGet(slot_)->lock);
    return ReaderSlotGet(slot_)->state;
  };
  for (int spin = 0; spin < 2000 && state() != kReaderReading; ++spin)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(ReaderRemoveRequest(slot_, 0), 0);  // still being read
  ReaderPause(slot_);
  EXPECT_EQ(ReaderRemoveRequest(slot_, 0), 1);
  big.reset();  // the destination may go once the pause returned
  ReaderResume(slot_);
  ASSERT_TRUE(WaitAllDone(1));
  EXPECT_EQ(std::string(small.begin(), small.end()), expected_.substr(500, 10));
}

TEST_F(ReaderTest, ShutdownStopsThreadsMidRead) {
  std::vector<std::vector<std::uint8_t>> into(10, std::vector<std::uint8_t>(1 << 20));
  for (int i = 0; i < 10; ++i) ReaderAppendRequest(slot_, file_, nullptr, into[i].data(), 1 << 20, 0);
  EXPECT_EQ(ReaderSlotCreate(4096, 0), 2);
  EXPECT_EQ(ReaderSlotCreate(4096, 0), -1);
  ReaderSlotsShutdown();
  EXPECT_EQ(ReaderSlotGet(slot_), nullptr);
  EXPECT_EQ(ReaderAppendRequest(slot_, file_, nullptr, nullptr, 1, 0), -1);
}

}  // namespace
