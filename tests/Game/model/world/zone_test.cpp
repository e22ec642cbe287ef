#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "tests/Game/model/world/world_fixture.h"

namespace world_test {
namespace {

constexpr std::uint8_t kOwner = 9;  // guild 1, slot 1

class ZoneTest : public WorldTest {
 protected:
  ZoneTest() {
    UseGameVariables(
        "COST_POWER_FACILITY=3\nCOST_MINING_FACILITY=2\nCOST_STORAGE_FACILITY=4\n"
        "COST_ATV_CONSTRUCTION_FACILITY=200\nEFFECT_MINING_FACILITY=150\n"
        "ATV_TECH_LEVELS=1 0 0 9 1 9 9 X X\nATV_TECH_LEVELS=1 0 1 9 5 9 9 X X\n");
    Chapter(kOwner)->SetATVTechLevels(255, 0);
    solar.CreateAsteroidArray(3);
    asteroid = AddAsteroid(2, 1);
    asteroid->SetCompositionType(0);
    zone = asteroid->GetZone(3);
    zone->SetOwner(kOwner);
    rules.localChapter = kOwner;
  }
  std::vector<std::uint16_t> Words(const std::vector<std::uint8_t>& p, int from) {
    std::vector<std::uint16_t> out;
    for (std::size_t i = static_cast<std::size_t>(from); i + 1 < p.size(); i += 2)
      out.push_back(static_cast<std::uint16_t>(p[i] | p[i + 1] << 8));
    return out;
  }
  CGAsteroid* asteroid = nullptr;
  CGZone* zone = nullptr;
};

TEST_F(ZoneTest, LosingTheLastAtvsFreesTheZoneAndTellsEveryone) {
  zone->SetAtvCounts(2, 0, 1, 0);
  zone->SetAtvKindEntrenched(0, 1);
  zone->SetAtvKindEntrenched(2, 1);
  zone->AddAtvs(2, -1, 0);
  EXPECT_EQ(zone->IsAtvKindEntrenched(2), 0u);
  EXPECT_EQ(zone->IsAtvKindEntrenched(0), 1u);
  EXPECT_EQ(zone->owner, kOwner);
  zone->AddAtvs(0, -2, 1);
  EXPECT_EQ(zone->owner, kZoneNobody);
  EXPECT_EQ(zone->IsAtvKindEntrenched(0), 0u);
  EXPECT_EQ(zone->dirty, 1);
  ASSERT_EQ(rules.sent.size(), 1u);
  EXPECT_EQ(rules.sent[0].bytes.size(), 24u);
  EXPECT_EQ(Words(rules.sent[0].bytes, 0),
            (std::vector<std::uint16_t>{601, 0, 0, 0, 2, 3, kZoneNobody, 0, 0, 0, 0, 0}));
}

TEST_F(ZoneTest, CountsStopAtTheEndsOfTheByte) {
  zone->SetAtvCounts(250, 3, 0, 0);
  zone->AddAtvs(0, 100, 0);
  EXPECT_EQ(zone->GetAtvCount(0), 255);
  zone->AddAtvs(1, -5, 0);
  EXPECT_EQ(zone->GetAtvCount(1), 0);
}

TEST_F(ZoneTest, FacilitiesCostTheirAtvsFromTheGameVariables) {
  zone->SetAtvCounts(0, 7, 5, 250);
  EXPECT_EQ(zone->BuildFacility(FACILITY_POWER), 1);
  EXPECT_EQ(zone->GetAtvCount(ATV_POWER), 2);
  EXPECT_EQ(zone->facilityOwner, kOwner);
  EXPECT_EQ(zone->BuildFacility(FACILITY_MINING), 1);
  EXPECT_EQ(zone->BuildFacility(FACILITY_STORAGE), 1);
  EXPECT_EQ(zone->GetAtvCount(ATV_MINING), 1);
  EXPECT_EQ(pools.GetStorageFacilities(2), 1);
  // A cost above 127 cannot go through the signed count change, and the
  // count stays below 256 either way.
  EXPECT_EQ(zone->BuildFacility(FACILITY_ATV_CONSTRUCTION), 1);
  EXPECT_EQ(zone->GetAtvCount(ATV_SEED_BANK), 50);
  EXPECT_EQ(zone->facilities, 15u);
  ASSERT_NE(zone->atvConstruction, nullptr);
  zone->atvConstruction[2] = 7;
  zone->SetAtvCounts(0, 0, 0, 200);
  EXPECT_EQ(zone->BuildFacility(FACILITY_ATV_CONSTRUCTION), 1);  // one block, zeroed again
  EXPECT_EQ(zone->atvConstruction[2], 0);
  // Too few ATVs: nothing is built and no count wraps.
  zone->SetFacilities(0);
  EXPECT_EQ(zone->atvConstruction, nullptr);
  zone->SetAtvCounts(0, 1, 2, 0);
  EXPECT_EQ(zone->BuildFacility(FACILITY_POWER), 0);
  EXPECT_EQ(zone->BuildFacility(FACILITY_STORAGE), 0);
  EXPECT_EQ(zone->BuildFacility(16), 0);
  EXPECT_EQ(zone->facilities, 0u);
  EXPECT_EQ(zone->GetAtvCount(kAllAtvKinds), 3);
}

TEST_F(ZoneTest, ArrivalsAndAttacksKeepOneLocalEntry) {
  zone->AddArrivingAtvs(1, 2, 4, 1);
  zone->AddArrivingAtvs(2, 1, 4, 0);
  EXPECT_EQ(zone->arriving.count, 1);
  EXPECT_EQ(zone->HasArrivingAtvs(kOwner), 1);
  EXPECT_EQ(zone->GetChapterAtvCount(kOwner, kAllAtvKinds), 3);
  zone->AddArrivingAtvs(1, static_cast<std::uint8_t>(-2), 4, 0);
  zone->AddArrivingAtvs(2, static_cast<std::uint8_t>(-1), 4, 0);
  EXPECT_EQ(zone->arriving.count, 0);
  zone->AddArrivingAtvs(0, 1, 4, 0);
  EXPECT_EQ(zone->GetArrivingAtvCount(0, 0), 1);
  zone->AddAttackingAtvs(0, 3, 5);
  ASSERT_EQ(rules.sent.size(), 2u);
  EXPECT_EQ(Words(rules.sent[0].bytes, 0), (std::vector<std::uint16_t>{600, 0, 0, 0, 2, 3, 4, kOwner, 1, 2}));
  EXPECT_EQ(Words(rules.sent[1].bytes, 0), (std::vector<std::uint16_t>{607, 0, 0, 0, 2, 3, 5, kOwner, 0, 3}));
  zone->AddAtvMoves(1, 2, 4);
  zone->RemoveAtvMove(1, 4);
  EXPECT_EQ(zone->atvMoves.count, 1);
  zone->Reset();
  EXPECT_EQ(zone->atvMoves.count + zone->arriving.count + zone->attacking.count, 0);
  EXPECT_EQ(zone->owner, kOwner);
}

// Mix (40, 30, 20, 10) at mining value 10 gives (4, 3, 2, 1) a vehicle,
// times the second tech value of its kind: 5 for mining, 1 for combat.
TEST_F(ZoneTest, MiningOutputFromMixTechAndFacility) {
  zone->SetMiningValue(10);
  zone->SetAtvCounts(1, 2, 0, 0);
  std::uint16_t m[4];
  zone->GetMiningOutput(&m[0], &m[1], &m[2], &m[3]);
  EXPECT_EQ(std::vector<std::uint16_t>(m, m + 4), (std::vector<std::uint16_t>{44, 33, 22, 11}));
  zone->SetFacilities(FACILITY_MINING);
  zone->GetMiningOutput(&m[0], &m[1], &m[2], &m[3]);
  EXPECT_EQ(std::vector<std::uint16_t>(m, m + 4), (std::vector<std::uint16_t>{66, 50, 33, 17}));
  zone->owner = kZoneNobody;
  zone->GetMiningOutput(&m[0], &m[1], &m[2], &m[3]);
  EXPECT_EQ(m[0] + m[1] + m[2] + m[3], 0);
  EXPECT_EQ(zone->SetMiningValue(17), 0);
  EXPECT_EQ(zone->SetAtvLimit(16), 1);
}

TEST_F(ZoneTest, OlderVersionsLackTheirLaterFields) {
  zone->SetFacilities(FACILITY_ATV_CONSTRUCTION | FACILITY_POWER);
  zone->atvConstruction[1] = 0x55;
  zone->zoneWord = 0x01020304;
  zone->facilityOwner = kOwner;
  zone->AddAtvMoves(2, 1, 6);
  zone->AddArrivingAtvs(3, 2, 6, 0);
  const std::vector<std::uint8_t> v4 = Saved(*zone);
  CGZone copy(0, 0);
  ASSERT_EQ(Load(copy, v4, 4), LoadStatus::kOk);
  EXPECT_EQ(Saved(copy), v4);
  EXPECT_EQ(copy.atvConstruction[1], 0x55);

  zone->SetFacilities(0);
  std::vector<std::uint8_t> plain = Saved(*zone);
  std::vector<std::uint8_t> v3 = plain;
  v3.erase(v3.begin() + 33, v3.begin() + 37);  // no zone word
  ASSERT_EQ(Load(copy, v3, 3), LoadStatus::kOk);
  EXPECT_EQ(std::make_tuple(copy.zoneWord, copy.facilityOwner), std::make_tuple(0u, kOwner));
  std::vector<std::uint8_t> v1 = v3;
  v1.erase(v1.begin() + 8, v1.begin() + 13);  // no facility owner or facilities
  ASSERT_EQ(Load(copy, v1, 1), LoadStatus::kOk);
  EXPECT_EQ(std::make_tuple(copy.facilityOwner, copy.arriving.count), std::make_tuple(0, 1));

  std::vector<std::uint8_t> bad = v4;
  bad.back() = 0xE3;
  EXPECT_EQ(Load(copy, bad, 4), LoadStatus::kBadEndByte);
  EXPECT_EQ(copy.zoneWord, 0u);  // unchanged by the refused block
  for (std::size_t n = 0; n < v4.size(); ++n)
    EXPECT_EQ(Load(copy, std::span(v4).first(n), 4), LoadStatus::kTruncated) << n;
}

}  // namespace
}  // namespace world_test
