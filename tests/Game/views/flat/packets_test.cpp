// The terrain view's zone packets, byte for byte, and their readers'
// refusal of short images.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "Game/net/TerrainPackets.h"

namespace {

template <class Image>
std::vector<std::uint8_t> Bytes(const Image& image) {
  return {image.bytes.begin(), image.bytes.end()};
}

TEST(TerrainPackets, ZoneImprovementsAreSixteenBytes) {
  ZoneImprovementPacket p;
  p.guild = 1;
  p.chapter = 9;
  p.asteroid = 0x0203;
  p.zone = 17;
  const std::vector<std::uint8_t> mining{0x5D, 0x02, 0, 0, 0, 0, 0, 0, 1, 0, 9, 0, 3, 2, 17, 0};
  EXPECT_EQ(Bytes(p.Build()), mining);
  p.stacking = true;
  auto stacking = mining;
  stacking[0] = 0x5E;
  EXPECT_EQ(Bytes(p.Build()), stacking);
  ZoneImprovementPacket back;
  ASSERT_TRUE(ZoneImprovementPacket::Parse(stacking, &back));
  EXPECT_TRUE(back.stacking);
  EXPECT_EQ(back.asteroid, 0x0203);
  EXPECT_EQ(back.zone, 17);
  EXPECT_FALSE(ZoneImprovementPacket::Parse(std::span(stacking).first(15), &back));
}

TEST(TerrainPackets, EntrenchFacilityAndConstructionAreTwentyBytes) {
  ZoneEntrenchPacket e;
  e.asteroid = 4;
  e.zone = 30;
  e.chapter = 9;
  e.guild = 1;
  e.kind = 2;
  EXPECT_EQ(Bytes(e.Build()),
            (std::vector<std::uint8_t>{0x60, 0x02, 0, 0, 0, 0, 0, 0, 4, 0, 30, 0, 9, 0, 1, 0, 2, 0, 0, 0}));
  ZoneFacilityPacket f;
  f.asteroid = 4;
  f.chapter = 9;
  f.zone = 6;
  f.cellKind = 1;
  f.facility = 4;
  const std::vector<std::uint8_t> facility{0x63, 0x02, 0, 0, 0, 0, 0, 0, 4, 0, 9, 0, 6, 0, 1, 0, 4, 0, 0, 0};
  EXPECT_EQ(Bytes(f.Build()), facility);
  ZoneConstructAtvsPacket c;
  c.asteroid = 4;
  c.zone = 6;
  c.chapter = 9;
  c.counts = {1, 2, 3, 127};
  const std::vector<std::uint8_t> construct{0x64, 0x02, 0, 0, 0, 0, 0, 0, 4, 0, 6, 0, 9, 0, 1, 2, 3, 127, 0, 0};
  EXPECT_EQ(Bytes(c.Build()), construct);

  ZoneFacilityPacket fb;
  ASSERT_TRUE(ZoneFacilityPacket::Parse(facility, &fb));
  EXPECT_EQ(fb.facility, 4u);
  EXPECT_EQ(fb.cellKind, 1);
  ZoneConstructAtvsPacket cb;
  ASSERT_TRUE(ZoneConstructAtvsPacket::Parse(construct, &cb));
  EXPECT_EQ(cb.counts[3], 127);
  EXPECT_FALSE(ZoneConstructAtvsPacket::Parse(std::span(construct).first(19), &cb));
  EXPECT_FALSE(ZoneFacilityPacket::Parse({}, &fb));
  ZoneEntrenchPacket eb;
  EXPECT_FALSE(ZoneEntrenchPacket::Parse(std::span(facility).first(12), &eb));
}

}  // namespace
