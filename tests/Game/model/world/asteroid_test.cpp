#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "tests/Game/model/world/world_fixture.h"

namespace world_test {
namespace {

class AsteroidTest : public WorldTest {
 protected:
  AsteroidTest() {
    solar.CreateAsteroidArray(4);
    asteroid = AddAsteroid(1, 2, 100, -200);
  }
  // An asteroid with something in every part of its block.
  void Fill(CGAsteroid& a) {
    a.SetName("Cobalt Drift");
    a.owner = 12;
    a.previousOwner = 3;
    a.controller = 12;
    a.SetCompositionType(5);
    a.SetPowerCoefficients(1, 2, 3);
    a.SetOrbitShape(1, 2.5f, -3.25f, 0.75);
    a.SetOrbitAngle(120.5, 4.0f);
    a.SetOrbitRadii(3000, 2000);
    a.ringRotations[2] = -3;
    a.lastScanTurn = 7;
    a.lastVisitTurn = 6;
    a.AddEvent({2, 77, 9, 1});
    a.GetZone(5)->SetFacilities(FACILITY_ATV_CONSTRUCTION);
    a.GetZone(5)->SetAtvCounts(1, 2, 3, 4);
    a.GetZone(6)->AddArrivingAtvs(1, 2, 5, 0);
    a.AddTerrainEvents(1, 2, 3, 4, 5, 2, 7, 8, 9, 2);
  }
  CGAsteroid* asteroid = nullptr;
};

// An asteroid's new zones belong to nobody, or to an unknown owner while
// the game leaves asteroids unscanned; the setting is asked as they are made.
TEST_F(AsteroidTest, NewZonesTakeTheirOwnerFromTheScanSetting) {
  CGAsteroid rock(7);
  rock.sizeClass = 1;
  rock.CreateZones();
  ASSERT_EQ(rock.GetZoneCount(), 7);
  EXPECT_EQ(std::make_tuple(rock.GetZone(0)->owner, rock.GetZone(6)->owner, rock.GetZone(6)->asteroidId,
                            rock.GetZone(6)->index),
            std::make_tuple(kZoneNobody, kZoneNobody, 7, 6));
  rules.allAsteroidsScanned = false;
  rock.CreateZones();
  EXPECT_EQ(std::make_tuple(rock.GetZone(0)->owner, rock.GetZone(6)->owner),
            std::make_tuple(kZoneUnknown, kZoneUnknown));
  EXPECT_EQ(CGZone(2, 7).owner, kZoneUnknown);
  rules.allAsteroidsScanned = true;
}

TEST_F(AsteroidTest, OwnersKeepTheChaptersCounts) {
  rules.localChapter = 12;
  asteroid->SetOwner(3);
  asteroid->SetOwner(3);
  EXPECT_EQ(Chapter(3)->GetOwnedAsteroidCount(), 1);
  EXPECT_EQ(asteroid->detected, 0u);
  asteroid->SetOwner(9);  // guild 1, as the local chapter 12
  EXPECT_EQ(Chapter(3)->GetOwnedAsteroidCount(), 0);
  EXPECT_EQ(Chapter(9)->GetOwnedAsteroidCount(), 1);
  EXPECT_EQ(std::make_tuple(asteroid->previousOwner, asteroid->detected), std::make_tuple(3, 1u));
  asteroid->SetOwner(kNoChapter);
  EXPECT_EQ(Chapter(9)->GetOwnedAsteroidCount(), 0);
  Chapter(9)->DecOwnedAsteroidCount();  // never below 0
  EXPECT_EQ(Chapter(9)->GetOwnedAsteroidCount(), 0);
}

TEST_F(AsteroidTest, ANewControllerWithdrawsTheOldGuildsVoteOffer) {
  std::vector<std::uint8_t> offer(32, 0);
  offer[12] = 1;  // this asteroid
  guilds.GetGuild(1)->PostVoteOffer(offer);
  asteroid->SetController(9);
  asteroid->SetController(20);
  EXPECT_EQ(guilds.GetGuild(1)->FindVoteOffer(1), nullptr);
  EXPECT_EQ(asteroid->controller, 20);
}

TEST_F(AsteroidTest, TurnsSeenAndVisited) {
  rules.localChapter = 12;
  asteroid->SetVisitTurnNext();
  EXPECT_EQ(asteroid->lastVisitTurn, 0);
  rules.turn = 5;
  asteroid->SetVisitTurnNext();
  EXPECT_EQ(asteroid->lastVisitTurn, 6);
  EXPECT_EQ(asteroid->GetLastScanTurn(), 0);
  asteroid->owner = 12;
  EXPECT_EQ(asteroid->GetLastScanTurn(), 5);
  asteroid->GetZone(4)->AddArrivingAtvs(0, 1, 3, 0);
  EXPECT_EQ(asteroid->GetLastVisitTurn(), 5);
}

TEST_F(AsteroidTest, EventsExpireAfterTheirTurn) {
  rules.turn = 10;
  for (std::uint32_t expiry : {10u, 11u, 12u}) asteroid->AddEvent({1, expiry * 2, expiry, 0});
  asteroid->ExpireEvents();
  ASSERT_EQ(asteroid->GetEventCount(), 1);
  EXPECT_EQ(asteroid->GetEventExpiry(0), 12u);
  EXPECT_EQ(asteroid->GetEventKind(1), 5);
  EXPECT_EQ(asteroid->GetEventValue(1), 0u);
  EXPECT_EQ(asteroid->GetEventFlag(1), 3);
}

TEST_F(AsteroidTest, AutomanageTellsEveryone) {
  asteroid->ToggleAutomanage();
  ASSERT_EQ(rules.sent.size(), 1u);
  EXPECT_EQ(rules.sent[0].bytes, (std::vector<std::uint8_t>{0x62, 0x02, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0}));
  asteroid->SetAutomanage(0, 0);
  EXPECT_EQ(rules.sent.size(), 1u);
}

TEST_F(AsteroidTest, SavedBlockLoadsBackWhole) {
  Fill(*asteroid);
  const std::vector<std::uint8_t> bytes = Saved(*asteroid);
  EXPECT_EQ(bytes.front(), 4);
  EXPECT_EQ(bytes.back(), 0xC9);
  CGAsteroid copy(0);
  ASSERT_EQ(Load(copy, bytes), LoadStatus::kOk);
  EXPECT_EQ(Saved(copy), bytes);
  EXPECT_STREQ(copy.PeekName(), "Cobalt Drift");
  EXPECT_EQ(copy.GetZoneCount(), 13);
  EXPECT_EQ(copy.GetEventCount(), 1);
  EXPECT_EQ(copy.GetTerrainEventCount(), 2);
  EXPECT_EQ(copy.previousPosition.x, 100);
  // The turns seen and visited are the player's own record: no packet gives
  // them back after a load.
  EXPECT_EQ(copy.lastScanTurn, 7);
  EXPECT_EQ(copy.lastVisitTurn, 6);
}

TEST_F(AsteroidTest, AnUnnamedAsteroidSavesTheEmptyName) {
  CGAsteroid unnamed(3);
  const std::vector<std::uint8_t> bytes = Saved(unnamed);
  EXPECT_EQ(std::make_tuple(bytes[1], bytes[2]), std::make_tuple(1, 0));
  CGAsteroid copy(0);
  ASSERT_EQ(Load(copy, bytes), LoadStatus::kOk);
  ASSERT_NE(copy.PeekName(), nullptr);
  EXPECT_STREQ(copy.PeekName(), "");
}

// A version-2 block: no previous owner, and zones without their zone word.
TEST_F(AsteroidTest, VersionTwoBlockLoads) {
  CGAsteroid small(2);
  small.sizeClass = 0;
  small.CreateZones();
  small.SetName("Vesper");
  small.previousOwner = 4;
  std::vector<std::uint8_t> bytes = Saved(small);
  constexpr std::size_t kZoneSize = 44, kTail = 4;  // empty recorder (3) and end byte
  for (int z = 2; z >= 0; --z) {
    const std::size_t word = bytes.size() - kTail - (3 - z) * kZoneSize + 33;
    bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(word),
                bytes.begin() + static_cast<std::ptrdiff_t>(word + 4));
  }
  const std::size_t previousOwner = 1 + 1 + 7 + 24 + 4;
  bytes.erase(bytes.begin() + previousOwner, bytes.begin() + previousOwner + 2);
  bytes[0] = 2;
  CGAsteroid copy(0);
  ASSERT_EQ(Load(copy, bytes), LoadStatus::kOk);
  EXPECT_EQ(copy.previousOwner, kNoChapter);
  EXPECT_EQ(copy.GetZoneCount(), 3);
  EXPECT_STREQ(copy.PeekName(), "Vesper");
}

TEST_F(AsteroidTest, DamagedBlocksLeaveTheAsteroidAsItWas) {
  Fill(*asteroid);
  const std::vector<std::uint8_t> bytes = Saved(*asteroid);
  CGAsteroid target(0);
  target.SetName("Untouched");
  const std::vector<std::uint8_t> before = Saved(target);
  for (std::size_t n = 0; n < bytes.size(); ++n)
    ASSERT_EQ(Load(target, std::span(bytes).first(n)), LoadStatus::kTruncated) << n;
  std::vector<std::uint8_t> bad = bytes;
  bad[0] = 5;
  EXPECT_EQ(Load(target, bad), LoadStatus::kBadVersion);
  bad = bytes;
  bad.back() = 0xFE;
  EXPECT_EQ(Load(target, bad), LoadStatus::kBadEndByte);
  bad = bytes;
  const std::size_t sizeClass = 1 + 1 + 13 + 24 + 8 + 1;
  bad[sizeClass] = 4;  // 31 zones made, 13 stored
  EXPECT_EQ(Load(target, bad), LoadStatus::kBadCount);
  EXPECT_EQ(Saved(target), before);
}

}  // namespace
}  // namespace world_test
