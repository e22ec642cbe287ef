// The load manager under a fake clock: budget, throughput estimate, markers,
// finishing and dropping requests, and the reader thread of load mode 1.
#include <gtest/gtest.h>

#include <cstring>

#include "media/ArchiveFormat.h"
#include "media/LoadManager.h"
#include "tests/media/archive/archive_fixture.h"

namespace archivetest {
namespace {

std::uint32_t g_now = 0;
std::uint32_t g_stepPerDelivery = 0;
std::vector<std::pair<std::uint32_t, std::uint8_t*>> g_delivered;

std::uint32_t FakeClock() { return g_now; }

void Collect(std::uint32_t id, std::uint8_t* data, std::intptr_t) {
  g_delivered.push_back({id, data});
  g_now += g_stepPerDelivery;
}

class LoadTest : public ::testing::Test {
 protected:
  void Start(std::uint8_t mode) {
    g_now = 1000;
    g_stepPerDelivery = 0;
    g_delivered.clear();
    ASSERT_EQ(ArchiveSystemInit(FakeClock, mode, 4096, 200000), 1);
  }
  void TearDown() override {
    for (const auto& [id, data] : g_delivered)
      if (data) ResourceRelease(data);
    ArchiveSystemShutdown();
  }
  void Open(std::uint32_t mode, std::uint32_t count, std::uint32_t size, std::uint32_t flags = 0) {
    std::vector<nob::Resource> resources;
    for (std::uint32_t i = 0; i < count; ++i) resources.push_back(Linked(1, static_cast<std::uint8_t>(i), size, flags));
    const auto image = nob::WriteArchive(100, mode, resources);
    drive_.Write("load.nob", AsString(*image));
    ASSERT_EQ(ArchiveOpen(drive_.Dos("load.nob").c_str(), 1), 0);
  }
  quentest::ScratchDrive drive_;
};

TEST_F(LoadTest, PumpStopsWhenTheClockPassesTheLimitAndLearnsTheThroughput) {
  Start(0);
  Open(kArchiveModeStdio, 5, 1000);
  LoadManager* m = LoadSystemManager();
  EXPECT_EQ(LoadManagerBudget(m, 10), 10u * 32768);
  for (std::uint32_t i = 0; i < 5; ++i) ASSERT_EQ(LoadRequest(101 + 2 * i, Collect, 0), 1);
  g_stepPerDelivery = 1;
  EXPECT_EQ(LoadPump(2), 0);
  ASSERT_EQ(g_delivered.size(), 3u);
  EXPECT_EQ(LoadPending(), 2);
  EXPECT_EQ(m->estimator.samples[0], 1000u);  // 3000 bytes in 3 units
  EXPECT_EQ(m->estimator.cursor, 1u);
  EXPECT_EQ(LoadManagerBudget(m, 8), 8u * ((7u * 32768 + 1000) / 8));
  EXPECT_EQ(LoadPump(0), 0);
  EXPECT_EQ(LoadPending(), 0);
  for (std::uint32_t i = 0; i < 5; ++i) {
    EXPECT_EQ(g_delivered[i].first, 101 + 2 * i);
    EXPECT_EQ(g_delivered[i].second[5], i);
  }
}

TEST_F(LoadTest, ASmallBudgetServesOneResourcePerPumpAndNeverLessThanTheFloor) {
  Start(0);
  Open(kArchiveModeStdio, 3, 4000);
  LoadManager* m = LoadSystemManager();
  for (auto& s : m->estimator.samples) s = 1;
  for (std::uint32_t i = 0; i < 3; ++i) LoadRequest(101 + 2 * i, Collect, 0);
  g_stepPerDelivery = 100;
  EXPECT_EQ(LoadPump(1000), 0);
  EXPECT_EQ(g_delivered.size(), 1u);
  EXPECT_EQ(m->estimator.samples[0], kLoadMinThroughput);  // 4000 bytes in 100 units
  // A pump that serves nothing leaves the estimate alone.
  LoadFlush();
  EXPECT_EQ(LoadPump(1000), 0);
  EXPECT_EQ(m->estimator.cursor, 1u);
}

TEST_F(LoadTest, MarkersDoneCallbackAndErrors) {
  Start(0);
  Open(kArchiveModeStdio, 2, 64);
  static int doneCalls = 0;
  doneCalls = 0;
  LoadSetDoneCallback([](std::intptr_t arg, LoadManager*) { doneCalls += static_cast<int>(arg); }, 1);
  EXPECT_EQ(LoadPump(0), 0);
  EXPECT_EQ(doneCalls, 1);
  EXPECT_EQ(LoadRequest(0, Collect, 0), 1);
  EXPECT_EQ(LoadPending(), 0);
  EXPECT_EQ(LoadRequest(99, Collect, 0), 0);
  ASSERT_EQ(LoadRequest(101, Collect, 0), 1);
  ASSERT_EQ(LoadRequest(103, Collect, 0), 1);
  ASSERT_EQ(LoadRequest(101, Collect, 0), 1);
  EXPECT_EQ(LoadCountRequests(103), 1);
  ArchiveClose("load.nob");
  EXPECT_EQ(LoadPump(0), kArchiveUnknown);
  EXPECT_EQ(LoadPending(), 2);
  EXPECT_EQ(doneCalls, 1);
  LoadFlush();
  for (std::size_t i = 0; i < kLoadMaxQueued; ++i) LoadRequest(1, nullptr, 0);
  EXPECT_EQ(LoadRequest(1, nullptr, 0), 0);  // the queue is full
  EXPECT_EQ(LoadPending(), static_cast<int>(kLoadMaxQueued));
  LoadFlush();
  ASSERT_EQ(LoadRequest(1, Collect, 0), 1);  // a marker
  EXPECT_EQ(LoadPump(0), 0);
  EXPECT_EQ(doneCalls, 2);
  ASSERT_EQ(g_delivered.size(), 2u);
  EXPECT_EQ(g_delivered[1], (std::pair<std::uint32_t, std::uint8_t*>{1, nullptr}));
  g_delivered.clear();
}

TEST_F(LoadTest, FinishDeliversAtOnceAndDropKeepsDataOthersHold) {
  Start(0);
  Open(kArchiveModeStdio, 3, 64);
  EXPECT_EQ(LoadFinish(103), 0);
  LoadRequest(103, Collect, 0);
  LoadRequest(105, nullptr, 0);
  EXPECT_EQ(LoadFinish(103), 1);
  ASSERT_EQ(g_delivered.size(), 1u);
  EXPECT_EQ(ResourceGetRefCount(103), 1);
  // Without a callback the data stays loaded and unreferenced.
  EXPECT_EQ(LoadPump(0), 0);
  EXPECT_EQ(ResourceGetRefCount(105), 0);
  ResourceCursor c;
  c.id = 103;
  ASSERT_EQ(ResourceEnumNext(&c), 1);
  EXPECT_NE(c.data, nullptr);
  std::uint8_t* held = ResourceGet(105);
  LoadRequest(105, Collect, 0);
  EXPECT_EQ(LoadDrop(105), 1);
  EXPECT_EQ(ResourceGetId(held), 105u);  // still where its holder has it
  ResourceRelease(held);
  EXPECT_EQ(LoadDrop(107), 0);
}

TEST_F(LoadTest, MappedArchivesDeliverAtOnce) {
  Start(0);
  Open(kArchiveModeMapped, 2, 64);
  ASSERT_EQ(LoadRequest(103, Collect, 0), 1);
  EXPECT_EQ(LoadPending(), 0);
  ASSERT_EQ(g_delivered.size(), 1u);
  EXPECT_EQ(g_delivered[0].second[10], 1);
}

TEST_F(LoadTest, ReaderThreadLoadsAheadOfThePump) {
  Start(1);
  Open(kArchiveModeStdio, 40, 20000, kArchiveLoadAtOpen);
  EXPECT_EQ(LoadPending(), 40);
  int guard = 0;
  while (LoadPending() > 0 && ++guard < 100) ASSERT_EQ(LoadPump(0), 0);
  ASSERT_EQ(LoadPending(), 0);
  for (std::uint32_t i = 0; i < 40; ++i) {
    std::uint8_t* data = ResourceGet(101 + 2 * i);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data[19999], i);
    ResourceRelease(data);
  }
}

TEST_F(LoadTest, ShutdownMidLoadStopsTheReaderCleanly) {
  Start(1);
  Open(kArchiveModeStdio, 60, 200000, kArchiveLoadAtOpen);
  LoadManager* m = LoadSystemManager();
  g_stepPerDelivery = 0;
  LoadManagerPump(m, 0);  // hands ranges to the reader, serves a few
  EXPECT_GT(LoadPending(), 0);
  ArchiveSystemShutdown();
  EXPECT_EQ(LoadPending(), 0);
  EXPECT_EQ(ResourceSize(101), 0u);
}

}  // namespace
}  // namespace archivetest
