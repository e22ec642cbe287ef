// The model's zone and asteroid packets, byte for byte, and their readers'
// refusal of short images.
#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <vector>

#include "Game/model/GZonePackets.h"

namespace {

template <class Image>
std::vector<std::uint8_t> Bytes(const Image& image) {
  return {image.bytes.begin(), image.bytes.end()};
}

TEST(ZonePackets, AtvMovesAreTwentyBytesArrivingOrAttacking) {
  ZoneAtvMovePacket p;
  p.asteroid = 0x0102;
  p.zone = 5;
  p.sourceZone = 6;
  p.chapter = 9;
  p.kind = 3;
  p.count = 0x0A0B;
  const std::vector<std::uint8_t> arriving{0x58, 0x02, 0, 0, 0, 0, 0, 0, 2, 1, 5, 0, 6, 0, 9, 0, 3, 0, 0x0B, 0x0A};
  EXPECT_EQ(Bytes(p.Build()), arriving);
  p.attacking = true;
  auto attacking = arriving;
  attacking[0] = 0x5F;
  EXPECT_EQ(Bytes(p.Build()), attacking);

  ZoneAtvMovePacket back;
  ASSERT_TRUE(ZoneAtvMovePacket::Parse(attacking, &back));
  EXPECT_TRUE(back.attacking);
  EXPECT_EQ(back.sourceZone, 6);
  EXPECT_EQ(back.chapter, 9);
  EXPECT_EQ(back.count, 0x0A0B);
  ASSERT_TRUE(ZoneAtvMovePacket::Parse(arriving, &back));
  EXPECT_FALSE(back.attacking);
  EXPECT_FALSE(ZoneAtvMovePacket::Parse(std::span(arriving).first(19), &back));
}

TEST(ZonePackets, TheAutomanageSwitchIsTwelveBytes) {
  AutomanagePacket p;
  p.asteroid = 0x0304;
  p.flag = 1;
  const std::vector<std::uint8_t> image{0x62, 0x02, 0, 0, 0, 0, 0, 0, 4, 3, 1, 0};
  EXPECT_EQ(Bytes(p.Build()), image);
  AutomanagePacket back;
  ASSERT_TRUE(AutomanagePacket::Parse(image, &back));
  EXPECT_EQ(back.asteroid, 0x0304);
  EXPECT_EQ(back.flag, 1);
  EXPECT_FALSE(AutomanagePacket::Parse(std::span(image).first(11), &back));
}

}  // namespace
