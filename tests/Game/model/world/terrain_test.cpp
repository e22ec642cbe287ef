#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <vector>

#include "Game/model/GSpriteMoverOwner.h"
#include "tests/Game/model/world/world_fixture.h"

namespace world_test {
namespace {

TrackRecord* Track(std::uint16_t first, int steps) {
  auto* t = new TrackRecord;
  t->values[0] = first;
  TrackStep** tail = &t->steps;
  for (int i = 0; i < steps; ++i) {
    *tail = new TrackStep;
    (*tail)->values[0] = static_cast<std::uint8_t>(i + 1);
    tail = &(*tail)->next;
  }
  return t;
}

TEST(TerrainRecorder, SavedFormOfEmptyAndSmallRecords) {
  CRecorder r;
  EXPECT_EQ(Saved(r), (std::vector<std::uint8_t>{0x00, 0x00, 0x00}));
  r.AddTerrainEvents(1, 2, 0, 4, 99, 3, 7, 8, 9, 1);
  EXPECT_EQ(Saved(r).size(), 3 + 30u);  // no source value for type 0
  r.Clear();
  r.secondTracks = Track(5, 0);
  EXPECT_EQ(Saved(r)[0], 0x80);
}

TEST(TerrainRecorder, EventsKeepTheValuesTheirTypesCarry) {
  CRecorder r;
  r.AddTerrainEvents(1, 2, 2, 4, 3, 6, 7, 8, 9, 3);  // 3 is no facility bit
  r.AddTerrainEvents(1, 2, 2, 4, 8, 9, 7, 8, 9, 0);
  ASSERT_EQ(r.GetTerrainEventCount(), 3);
  EXPECT_NE(r.GetTerrainEvent(0), r.GetTerrainEvent(1));
  EXPECT_EQ(r.GetTerrainEvent(2)->sourceValue, 0u);
  EXPECT_EQ(r.GetTerrainEvent(2)->targetValue, 8u);  // a target of type 6 keeps its own value
  r.AddTerrainEvents(1, 2, 2, 4, 8, 9, 7, 8, 9, 1);
  EXPECT_EQ(r.GetTerrainEvent(3)->sourceValue, 8u);
  EXPECT_EQ(r.GetTerrainEvent(3)->targetValue, 0u);  // unknown type 9
}

// The events' movers go to their registered owner once each and the events
// forget them; with none registered the events forget them all the same.
TEST(TerrainRecorder, EventsHandTheirMoversToTheOwnerOnce) {
  struct Owner : ISpriteMoverOwner {
    void ReleaseSpriteMover(CSpriteMover* mover) override { released.push_back(mover); }
    std::vector<CSpriteMover*> released;
  } owner;
  // Stand-ins the recorder only passes on.
  std::array<std::max_align_t, 3> storage{};
  const auto mover = [&](int i) { return reinterpret_cast<CSpriteMover*>(&storage[static_cast<std::size_t>(i)]); };
  RegisterSpriteMoverOwner(&owner);
  CRecorder r;
  r.AddTerrainEvents(1, 2, 0, 4, 0, 3, 7, 8, 9, 3);
  r.terrainEvents.GetAt(0)->mover = mover(0);
  r.terrainEvents.GetAt(2)->mover = mover(2);
  r.ReleaseEventMovers();
  r.ReleaseEventMovers();
  EXPECT_EQ(owner.released, (std::vector<CSpriteMover*>{mover(0), mover(2)}));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(r.GetTerrainEvent(i)->mover, nullptr);
  r.terrainEvents.GetAt(1)->mover = mover(1);
  r.Clear();
  EXPECT_EQ(owner.released.size(), 3u);
  EXPECT_EQ(owner.released.back(), mover(1));

  RegisterSpriteMoverOwner(nullptr);
  r.AddTerrainEvents(1, 2, 0, 4, 0, 3, 7, 8, 9, 1);
  r.terrainEvents.GetAt(0)->mover = mover(0);
  r.ReleaseEventMovers();
  EXPECT_EQ(r.GetTerrainEvent(0)->mover, nullptr);
  EXPECT_EQ(owner.released.size(), 3u);
}

TEST(TerrainRecorder, EventPacketsAddTheirRecordsOrNothing) {
  std::vector<std::uint8_t> p(12 + 2 * 36, 0);
  p[8] = 2;
  p[12 + 8] = 2;        // source type: a facility
  p[12 + 16] = 4;       // its bit
  p[12 + 36 + 32] = 7;  // w of the second record
  CRecorder r;
  EXPECT_EQ(r.AddTerrainEventPacket(p), 1);
  ASSERT_EQ(r.GetTerrainEventCount(), 2);
  EXPECT_EQ(r.GetTerrainEvent(0)->sourceValue, 4u);
  EXPECT_EQ(r.GetTerrainEvent(1)->w, 7);
  p[8] = 3;  // a third record the packet does not hold
  EXPECT_EQ(r.AddTerrainEventPacket(p), 0);
  EXPECT_EQ(r.AddTerrainEventPacket(std::span(p).first(9)), 0);
  EXPECT_EQ(r.GetTerrainEventCount(), 2);
}

TEST(TerrainRecorder, TracksAndEventsLoadBackAndDamageIsRefused) {
  CRecorder r;
  r.firstTracks = Track(1, 2);
  r.firstTracks->next = Track(2, 0);
  r.firstTracks->runtime = 5;
  r.secondTracks = Track(3, 1);
  r.AddTerrainEvents(1, 2, 5, 4, 55, 2, 7, 4, 9, 2);
  r.SetTrackStepFlags();
  EXPECT_EQ(r.firstTracks->steps->next->values[3], 1);
  const std::vector<std::uint8_t> bytes = Saved(r);
  CRecorder copy;
  ASSERT_EQ(Load(copy, bytes), LoadStatus::kOk);
  EXPECT_EQ(Saved(copy), bytes);
  EXPECT_EQ(copy.firstTracks->runtime, 0u);
  EXPECT_EQ(copy.firstTracks->next->values[0], 2);
  EXPECT_EQ(copy.GetTerrainEvent(1)->targetValue, 4u);
  CRecorder target;
  target.AddTerrainEvents(9, 9, 0, 9, 0, 0, 9, 0, 9, 1);
  for (std::size_t n = 0; n < bytes.size(); ++n)
    ASSERT_EQ(Load(target, std::span(bytes).first(n)), LoadStatus::kTruncated) << n;
  EXPECT_EQ(target.GetTerrainEventCount(), 1);
  EXPECT_EQ(target.firstTracks, nullptr);
}

}  // namespace
}  // namespace world_test
