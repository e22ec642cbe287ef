// The battle packets of variable length: their sizes follow what they carry,
// and a count past the image is refused.
#include <gtest/gtest.h>

#include <vector>

#include "Game/net/BattleNewsPackets.h"
#include "Game/net/ReplayFormat.h"

namespace {

TEST(BattleNewsPackets, AReplayPartCarriesItsDataAfterFourteenBytes) {
  const auto image = ReplayPartPacket{3, 0x0102, {9, 8, 7}}.Build();
  EXPECT_EQ(image, (std::vector<std::uint8_t>{0xF7, 0x01, 0, 0, 0, 0, 0, 0, 3, 0, 2, 1, 3, 0, 9, 8, 7}));
  ReplayPartPacket back;
  ASSERT_TRUE(ReplayPartPacket::Parse(image, &back));
  EXPECT_EQ(back.data, (std::vector<std::uint8_t>{9, 8, 7}));
  EXPECT_FALSE(ReplayPartPacket::Parse(std::span(image).first(16), &back)) << "its count names three bytes";
  EXPECT_FALSE(ReplayPartPacket::Parse(std::span(image).first(13), &back));

  const auto full = ReplayPartPacket{1, 0, std::vector<std::uint8_t>(replay::kReplayPartBytes + 5, 1)}.Build();
  EXPECT_EQ(full.size(), kMaxPacketSize) << "cut to one packet";
}

TEST(BattleNewsPackets, TerrainEventsCountTheirRecords) {
  TerrainEventsPacket p;
  p.asteroid = 6;
  p.events.push_back({{1, 2, 3, 4, 5, 6, 7, 0xFFFFFFFF}, 0x0A0B});
  p.events.push_back({});
  const auto image = p.Build();
  ASSERT_EQ(image.size(), 12u + 2 * 36u);
  EXPECT_EQ((std::vector<std::uint8_t>(image.begin(), image.begin() + 16)),
            (std::vector<std::uint8_t>{0x5B, 0x02, 0, 0, 0, 0, 0, 0, 2, 0, 6, 0, 1, 0, 0, 0}));
  EXPECT_EQ(image[12 + 32], 0x0B);
  EXPECT_EQ(image[12 + 28], 0xFF);
  TerrainEventsPacket back;
  ASSERT_TRUE(TerrainEventsPacket::Parse(image, &back));
  ASSERT_EQ(back.events.size(), 2u);
  EXPECT_EQ(back.events[0].words, p.events[0].words);
  EXPECT_EQ(back.events[0].w, 0x0A0B);
  EXPECT_FALSE(TerrainEventsPacket::Parse(std::span(image).first(image.size() - 1), &back));

  TerrainEventsPacket many;
  many.events.resize(40);
  EXPECT_LE(many.Build().size(), kMaxPacketSize) << "as many as fit";
  std::vector<std::uint8_t> negative = TerrainEventsPacket{}.Build();
  negative[8] = 0xFF;
  negative[9] = 0xFF;
  ASSERT_TRUE(TerrainEventsPacket::Parse(negative, &back));
  EXPECT_TRUE(back.events.empty());
}

}  // namespace
