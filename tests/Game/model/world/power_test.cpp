#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/Game/model/world/world_fixture.h"

namespace world_test {
namespace {

// Every guild's tech at level 0: a combat ATV draws 1 power and mines with
// tech 1, a power ATV draws 3, a mining ATV mines with tech 5.
std::string GameVariables() {
  std::string text =
      "POWER_BASE_RUBY=2\nPOWER_BASE_EMERALD=3\nPOWER_BASE_SAPHIRE=4\nPOWER_BASE_TOPAZ=5\n"
      "POWER_BASE_DIAMOND=6\nEFFECT_POWER_FACILITY=150\n";
  for (int g = 0; g < 5; ++g) {
    const std::string guild = std::to_string(g);
    text += "ATV_TECH_LEVELS=" + guild + " 0 0 9 1 1 9 X X\n";
    text += "ATV_TECH_LEVELS=" + guild + " 0 1 9 5 0 9 X X\n";
    text += "ATV_TECH_LEVELS=" + guild + " 0 2 9 0 3 9 X X\n";
  }
  return text;
}

class PowerTest : public WorldTest {
 protected:
  PowerTest() {
    UseGameVariables(GameVariables());
    for (int c = 0; c < kMaxChapters; ++c) Chapter(static_cast<std::uint16_t>(c))->SetATVTechLevels(255, 0);
    solar.CreateAsteroidArray(2);
    a = AddAsteroid(1, 2);
    a->SetPowerCoefficients(5, 20, 10);
    a->radiation = 7;
    a->SetCompositionType(0);
  }
  // Zone `zone` held by `chapter` with one combat and two power ATVs (A = 7).
  void Hold(std::uint16_t chapter, std::uint16_t zone) {
    a->GetZone(zone)->SetOwner(static_cast<std::uint8_t>(chapter));
    a->GetZone(zone)->SetAtvCounts(1, 0, 2, 0);
  }
  CGAsteroid* a = nullptr;
};

TEST_F(PowerTest, EachGuildDrawsPowerFromItsCoefficient) {
  for (int i = 0; i < 3; ++i) Chapter(1)->IncOwnedAsteroidCount();
  struct Case {
    std::uint16_t chapter;
    std::uint16_t zone;
    std::uint32_t power;
  };
  // Size class 2; zone 5 is on ring 1, zone 7 on the outermost ring 2.
  const Case cases[] = {
      {1, 5, 3 * 2 * 7},        // owned asteroids x ruby
      {9, 5, 3 * 10 / 2 * 7},   // emerald x kinetic / (2 - 1 + 1)
      {17, 5, 4 * 20 / 2 * 7},  // sapphire x thermal / 2
      {25, 5, 0},               // radiation only on the outermost ring
      {25, 7, 7 * 7},           // radiation
      {33, 5, 5 * 6 * 7},       // spin x diamond
      {17, 0, 4 * 20 / 4 * 7},  // the centre counts as ring -1
  };
  for (const Case& c : cases) {
    Hold(c.chapter, c.zone);
    EXPECT_EQ(a->GetZonePowerOutput(c.chapter, c.zone, 0), c.power) << c.chapter << " " << c.zone;
    EXPECT_EQ(a->GetZonePowerOutput(static_cast<std::uint16_t>(c.chapter + 1), c.zone, 0), 0u);
  }
  EXPECT_EQ(a->GetChapterPowerOutput(17), 140u);  // zone 5 went to others since
}

TEST_F(PowerTest, FacilityAssumedAtvsAndZonesOutsideTheAsteroid) {
  Hold(9, 5);
  a->GetZone(5)->SetFacilities(FACILITY_POWER);
  a->GetZone(5)->SetFacilityOwner(9);
  EXPECT_EQ(a->GetZonePowerOutput(9, 5, 0), 157u);  // 105 x 1.5
  a->GetZone(5)->SetFacilityOwner(10);
  EXPECT_EQ(a->GetZonePowerOutput(9, 5, 0), 105u);
  EXPECT_EQ(a->GetZonePowerOutput(9, 6, 4), 3 * 10 / 2 * 12u);  // four power ATVs anywhere
  // Zone 20 would lie on ring 3, one beyond a size-2 asteroid: its ring
  // divisor would be 0.
  EXPECT_EQ(a->GetZonePowerOutput(9, 20, 4), 0u);
  EXPECT_EQ(a->GetZonePowerOutput(40, 5, 4), 0u);
}

// Mix (40, 30, 20, 10), mining value 10: one combat and two mining ATVs give
// (44, 33, 22, 11); trait 13 of 10 adds 10 percent, rounded.
TEST_F(PowerTest, ChapterMiningAndCapacity) {
  for (int z = 0; z < 13; ++z) {
    a->GetZone(z)->SetMiningValue(10);
    a->GetZone(z)->SetAtvLimit(4);
  }
  for (int z : {0, 3}) {
    a->GetZone(z)->SetOwner(9);
    a->GetZone(z)->SetAtvCounts(1, 2, 0, 0);
  }
  std::uint16_t m[4];
  a->GetChapterMiningOutput(9, &m[0], &m[1], &m[2], &m[3]);
  EXPECT_EQ(std::vector<std::uint16_t>(m, m + 4), (std::vector<std::uint16_t>{44, 33, 22, 11}));  // not the centre
  Chapter(9)->traits[kMiningTrait] = 10;
  a->GetChapterMiningOutput(9, &m[0], &m[1], &m[2], &m[3]);
  EXPECT_EQ(std::vector<std::uint16_t>(m, m + 4), (std::vector<std::uint16_t>{48, 36, 24, 12}));
  a->GetChapterMiningOutput(10, &m[0], &m[1], &m[2], &m[3]);
  EXPECT_EQ(m[0] + m[1] + m[2] + m[3], 0);
  a->GetMiningCapacity(9, &m[0], &m[1], &m[2], &m[3]);  // 12 zones x 10 x 4 = 480
  EXPECT_EQ(std::vector<std::uint16_t>(m, m + 4), (std::vector<std::uint16_t>{211, 158, 106, 53}));
  a->GetMiningCapacity(8, &m[0], &m[1], &m[2], &m[3]);
  EXPECT_EQ(std::vector<std::uint16_t>(m, m + 4), (std::vector<std::uint16_t>{192, 144, 96, 48}));
}

}  // namespace
}  // namespace world_test
