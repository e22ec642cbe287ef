// The packets of the solar system and the chapters that a client is sent at
// the start and after each turn, at the bytes its handlers read.
#include <gtest/gtest.h>

#include <vector>

#include "Game/net/AsteroidPackets.h"
#include "Game/net/ChapterPackets.h"

namespace {

template <std::size_t N>
std::vector<std::uint8_t> Slice(const PacketImage<N>& p, std::size_t at, std::size_t n) {
  return {p.bytes.begin() + at, p.bytes.begin() + at + n};
}

TEST(AsteroidPackets, AnAsteroidsZonesLieInTablesOfThirtyOne) {
  AsteroidWithZonesPacket a;
  a.id = 12;
  a.owner = 0x0101;
  a.name = std::string(45, 'n');
  a.sizeClass = 3;
  a.position = {99, -5, 6, -7};
  a.centres[1] = {0x0203, 1, 2, 3};
  a.ringRotations[4] = -1;
  a.zones[0].atvLimit = 1;
  a.zones[30].miningValue = 2;
  a.zones[2].atvCounts = {3, 4, 5, 6};
  a.zones[30].status = 7;
  a.zones[0].facilityOwner = 8;
  a.zones[30].facilities = 0x0A0B0C0D;
  const auto image = a.Build();
  ASSERT_EQ(image.bytes.size(), 520u);
  EXPECT_EQ(image.U16(10), 0x0101);
  EXPECT_EQ(image.U8(17 + 39), 0) << "the name ends within its field";
  EXPECT_EQ(image.U8(57), 3);
  EXPECT_EQ(Slice(image, 84, 6), (std::vector<std::uint8_t>{0xFB, 0xFF, 6, 0, 0xF9, 0xFF}));
  EXPECT_EQ(Slice(image, 98, 8), (std::vector<std::uint8_t>{3, 0, 1, 0, 2, 0, 3, 0}));
  EXPECT_EQ(image.U8(114), 0xFF);
  EXPECT_EQ(image.U8(116), 1);
  EXPECT_EQ(image.U8(147 + 30), 2);
  for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(image.U8(209 + 31 * k + 2), 3 + k) << k;
  EXPECT_EQ(image.U8(333 + 30), 7);
  EXPECT_EQ(image.U8(364), 8);
  EXPECT_EQ(image.U32(396 + 4 * 30), 0x0A0B0C0Du);

  AsteroidWithZonesPacket back;
  ASSERT_TRUE(AsteroidWithZonesPacket::Parse(image.bytes, &back));
  EXPECT_EQ(back.name, std::string(39, 'n'));
  EXPECT_EQ(back.centres[1].asteroid, 3) << "a centre's asteroid is a byte";
  EXPECT_EQ(back.zones[2].atvCounts, a.zones[2].atvCounts);
  EXPECT_EQ(back.zones[30].facilities, 0x0A0B0C0Du);
  EXPECT_FALSE(AsteroidWithZonesPacket::Parse(std::span(image.bytes).first(519), &back));
}

// A changed asteroid (120) is the whole record (127) up to its zone tables.
TEST(AsteroidPackets, AChangedAsteroidIsTheRecordWithoutItsZones) {
  AsteroidWithZonesPacket a;
  a.id = 12;
  a.owner = 0x0101;
  a.name = "Vesta";
  a.composition = 4;
  a.kinetic = 9;
  a.zFactor = 1.5f;
  a.angle = -2.25;
  a.centres[1] = {3, 1, 2, 3};
  a.ringRotations[4] = -1;
  a.zones[0].atvLimit = 1;
  const auto whole = a.Build();
  const auto changed = a.BuildChanged();
  ASSERT_EQ(changed.bytes.size(), 116u);
  EXPECT_EQ(changed.U16(0), 120);
  EXPECT_EQ(Slice(changed, 2, 114), Slice(whole, 2, 114));

  AsteroidWithZonesPacket back;
  back.zones[5].status = 6;
  ASSERT_TRUE(AsteroidWithZonesPacket::ParseChanged(changed.bytes, &back));
  EXPECT_EQ(back.BuildChanged().bytes, changed.bytes);
  EXPECT_EQ(back.zones[5].status, 6) << "the zones are not in it";
  EXPECT_EQ(back.zones[0].atvLimit, 0);
  EXPECT_FALSE(AsteroidWithZonesPacket::ParseChanged(std::span(changed.bytes).first(115), &back));
}

TEST(AsteroidPackets, TheResourceMixIsSentByMineralColumns) {
  ResourceMixPacket mix;
  mix.rows = 20;
  mix.mix[0] = {1, 2, 3, 4};
  mix.mix[19] = {5, 6, 7, 8};
  const auto image = mix.Build();
  EXPECT_EQ(image.U8(8), 20);
  for (std::size_t k = 0; k < 4; ++k) {
    EXPECT_EQ(image.U8(10 + 20 * k), 1 + k) << k;
    EXPECT_EQ(image.U8(10 + 20 * k + 19), 5 + k) << k;
  }
  ResourceMixPacket back;
  ASSERT_TRUE(ResourceMixPacket::Parse(image.bytes, &back));
  EXPECT_EQ(back.mix, mix.mix);
  EXPECT_FALSE(ResourceMixPacket::Parse(std::span(image.bytes).first(91), &back));
}

TEST(AsteroidPackets, ZonesControlAndMakeUpRefuseShortImages) {
  ZonePacket z;
  z.asteroid = 4;
  z.zone = 30;
  z.owner = 9;
  z.atvCounts = {1, 2, 3, 4};
  z.facilityOwner = 5;
  z.facilities = 6;
  z.entrenched = {0, 1, 0, 1};
  z.zoneWord = 7;
  const auto zone = z.Build();
  EXPECT_EQ(Slice(zone, 14, 7), (std::vector<std::uint8_t>{9, 1, 2, 3, 4, 0, 5}));
  EXPECT_EQ(zone.U32(32), 1u);
  EXPECT_EQ(zone.U32(44), 7u);
  const auto control = AsteroidControlPacket{4, 0xFFFF, 3}.Build();
  EXPECT_EQ(Slice(control, 8, 8), (std::vector<std::uint8_t>{4, 0, 0xFF, 0xFF, 3, 0, 0, 0}));
  const auto makeUp = AsteroidMakeUpPacket{4, 1, 2, 3, 4}.Build();
  EXPECT_EQ(Slice(makeUp, 8, 6), (std::vector<std::uint8_t>{4, 0, 1, 2, 3, 4}));
  ZonePacket zb;
  AsteroidControlPacket cb;
  AsteroidMakeUpPacket mb;
  OrbitRadiiPacket ob;
  CompositionPacket pb;
  StarPacket sb;
  SolarSystemPacket yb;
  EXPECT_FALSE(ZonePacket::Parse(std::span(zone.bytes).first(47), &zb));
  EXPECT_FALSE(AsteroidControlPacket::Parse(std::span(control.bytes).first(15), &cb));
  EXPECT_FALSE(AsteroidMakeUpPacket::Parse(std::span(makeUp.bytes).first(13), &mb));
  EXPECT_FALSE(OrbitRadiiPacket::Parse(std::span(zone.bytes).first(19), &ob));
  EXPECT_FALSE(CompositionPacket::Parse(std::span(control.bytes).first(11), &pb));
  EXPECT_FALSE(StarPacket::Parse(std::span(zone.bytes).first(47), &sb));
  EXPECT_FALSE(SolarSystemPacket::Parse(std::span(control.bytes).first(16), &yb));
}

TEST(ChapterPackets, StandingsGiveEachChapterEightBytes) {
  StandingsPacket s;
  s.rows[0] = {1, 2, 3, 0x0405, 0x0607};
  s.rows[kMaxChapters - 1] = {255, 254, 253, 0xFFFF, 9};
  const auto image = s.Build();
  ASSERT_EQ(image.bytes.size(), 8u + 8u * kMaxChapters);
  EXPECT_EQ(Slice(image, 8, 8), (std::vector<std::uint8_t>{1, 2, 3, 0, 5, 4, 7, 6}));
  EXPECT_EQ(Slice(image, 8 + 8 * (kMaxChapters - 1), 8),
            (std::vector<std::uint8_t>{255, 254, 253, 0, 0xFF, 0xFF, 9, 0}));
  StandingsPacket back;
  ASSERT_TRUE(StandingsPacket::Parse(image.bytes, &back));
  EXPECT_EQ(back.rows[kMaxChapters - 1].ships, 0xFFFF);
  EXPECT_FALSE(StandingsPacket::Parse(std::span(image.bytes).first(image.bytes.size() - 1), &back));
}

TEST(ChapterPackets, AChaptersStartNamesItsGuildSlotAndHome) {
  const auto image = ChapterStartPacket{4, 7, std::string(40, 'c'), 0xFFFF}.Build();
  EXPECT_EQ(Slice(image, 8, 4), (std::vector<std::uint8_t>{4, 0, 7, 0}));
  EXPECT_EQ(image.Text(12, 32), std::string(31, 'c'));
  EXPECT_EQ(image.U16(64), 0xFFFF);
  ChapterStartPacket back;
  ASSERT_TRUE(ChapterStartPacket::Parse(image.bytes, &back));
  EXPECT_EQ(back.slot, 7);
  EXPECT_FALSE(ChapterStartPacket::Parse(std::span(image.bytes).first(67), &back));

  const auto start = StartSignalPacket{1}.Build();
  EXPECT_EQ(start.U16(0), 0);
  EXPECT_EQ(start.U16(8), 1);
  ResearchProgressPacket progress;
  ASSERT_TRUE(ResearchProgressPacket::Parse(ResearchProgressPacket{true, 3, 40, 0}.Build().bytes, &progress));
  EXPECT_TRUE(progress.hull);
  EXPECT_EQ(progress.points, 40);
  TemplateValuesPacket values{0x1000002A, 5, 6, {7, 8}, {9, 10, 11, 0xFFFFFFFF}};
  const auto v = values.Build();
  EXPECT_EQ(Slice(v, 12, 8), (std::vector<std::uint8_t>{5, 0, 6, 0, 7, 0, 8, 0}));
  EXPECT_EQ(v.U32(32), 0xFFFFFFFFu);
  TemplateValuesPacket vb;
  EXPECT_FALSE(TemplateValuesPacket::Parse(std::span(v.bytes).first(35), &vb));
}

// The game's end lies in columns of forty chapters, the minerals in one
// column each.
TEST(ChapterPackets, TheGameOverLiesInColumnsOfChapters) {
  GameOverPacket over;
  over.results[39] = 2;
  over.condition = 0x0104;
  over.owned[0] = 7;
  over.controlled[39] = 9;
  over.credits[1] = 0x01020304;
  over.minerals[3][39] = 0x0A0B0C0D;
  over.units[39] = 0x0506;
  const auto image = over.Build();
  ASSERT_EQ(image.bytes.size(), 1012u);
  EXPECT_EQ(image.U16(0), 19);
  EXPECT_EQ(image.U8(8 + 39), 2);
  EXPECT_EQ(image.U16(48), 0x0104);
  EXPECT_EQ(image.U8(50), 7);
  EXPECT_EQ(image.U8(90 + 39), 9);
  EXPECT_EQ(image.U32(132 + 4), 0x01020304u);
  EXPECT_EQ(image.U32(772 + 4 * 39), 0x0A0B0C0Du);
  EXPECT_EQ(image.U16(932 + 2 * 39), 0x0506);
  GameOverPacket back;
  ASSERT_TRUE(GameOverPacket::Parse(image.bytes, &back));
  EXPECT_EQ(back.minerals, over.minerals);
  EXPECT_EQ(back.units, over.units);
  EXPECT_FALSE(GameOverPacket::Parse(std::span(image.bytes).first(1011), &back));
}

}  // namespace
