// The unit packets the server writes and the client reads, at the bytes both
// rely on, and their readers on short input.
#include <gtest/gtest.h>

#include <vector>

#include "Game/net/NoticePackets.h"
#include "Game/net/UnitPackets.h"

namespace {

template <std::size_t N>
std::vector<std::uint8_t> Slice(const PacketImage<N>& p, std::size_t at, std::size_t n) {
  return {p.bytes.begin() + at, p.bytes.begin() + at + n};
}

TEST(UnitPackets, AUnitEntersAndMovesWithItsAsteroidAsAByte) {
  const Location at{0x0107, -2, 3, 0x1234};
  const auto enters = UnitEntersPacket{9, 0x48000011, at, 0xFFFFFFFF}.Build();
  EXPECT_EQ(enters.U16(0), 300);
  EXPECT_EQ(Slice(enters, 8, 20), (std::vector<std::uint8_t>{9,    0,    0, 0, 0x11, 0,    0,    0x48, 0x07, 0,
                                                             0xFE, 0xFF, 3, 0, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0xFF}));
  UnitEntersPacket back;
  ASSERT_TRUE(UnitEntersPacket::Parse(enters.bytes, &back));
  EXPECT_EQ(back.location.asteroid, 7) << "only the low byte travels";
  EXPECT_EQ(back.location.z, 0x1234);
  EXPECT_FALSE(UnitEntersPacket::Parse(std::span(enters.bytes).first(27), &back));

  const auto moved = UnitMovedPacket{5, at}.Build();
  EXPECT_EQ(Slice(moved, 12, 8), (std::vector<std::uint8_t>{0x07, 0, 0xFE, 0xFF, 3, 0, 0x34, 0x12}));
  UnitMovedPacket m;
  EXPECT_FALSE(UnitMovedPacket::Parse(std::span(moved.bytes).first(19), &m));
}

TEST(UnitPackets, AWholeUnitCarriesItsDesignBlockLocationDamageAndModules) {
  UnitResultPacket r;
  r.unitId = 0x10000002;
  r.outOfAction = 1;
  r.status = 6;
  for (std::size_t i = 0; i < r.design.size(); ++i) r.design[i] = static_cast<std::uint8_t>(i + 1);
  r.location = {150, -1, 2, -3};
  r.hullDamage = 40;
  r.lifeSupportDamage = 50;
  r.modules[0] = {7, 0x30, 9};
  r.modules[19] = {1, 2, 3};
  const auto image = r.Build();
  ASSERT_EQ(image.bytes.size(), 210u);
  EXPECT_EQ(image.U16(0), 1313);
  EXPECT_EQ(Slice(image, 12, 2), (std::vector<std::uint8_t>{1, 6}));
  EXPECT_EQ(image.U8(24), 1) << "the block's design id begins at 24";
  EXPECT_EQ(image.U8(133), 110) << "and its last fitted flag ends at 133";
  EXPECT_EQ(Slice(image, 134, 6), std::vector<std::uint8_t>(6, 0));
  EXPECT_EQ(Slice(image, 140, 10), (std::vector<std::uint8_t>{150, 0, 0xFF, 0xFF, 2, 0, 0xFD, 0xFF, 40, 50}));
  EXPECT_EQ(Slice(image, 150, 3), (std::vector<std::uint8_t>{7, 0x30, 9}));
  EXPECT_EQ(Slice(image, 207, 3), (std::vector<std::uint8_t>{1, 2, 3}));

  UnitResultPacket back;
  ASSERT_TRUE(UnitResultPacket::Parse(image.bytes, &back));
  EXPECT_EQ(back.location.asteroid, 150) << "a whole u16 here";
  EXPECT_EQ(back.design, r.design);
  EXPECT_EQ(back.modules[19].ammo, 3);
  EXPECT_FALSE(UnitResultPacket::Parse(std::span(image.bytes).first(209), &back));
}

TEST(UnitPackets, ABattlesUnitStateKeepsItsFieldsApart) {
  UnitStatusPacket s;
  s.unitId = 3;
  s.asteroid = 0x0102;
  s.hullDamage = 4;
  s.lifeSupportDamage = 5;
  s.power = -6;
  s.modules[1] = {8, 9, 10};
  s.receivedPoints = 0x0B0C;
  s.destroyed = 1;
  s.status = 0x0D;
  const auto image = s.Build();
  ASSERT_EQ(image.bytes.size(), kUnitStatusRecordSize);
  EXPECT_EQ(Slice(image, 12, 8), (std::vector<std::uint8_t>{2, 1, 4, 5, 0xFA, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Slice(image, 23, 3), (std::vector<std::uint8_t>{8, 9, 10}));
  EXPECT_EQ(image.U16(96), 0x0B0C);
  EXPECT_EQ(image.U32(100), 1u);
  EXPECT_EQ(image.U32(104), 0x0Du);
  UnitStatusPacket back;
  ASSERT_TRUE(UnitStatusPacket::Parse(image.bytes, &back));
  EXPECT_EQ(back.power, -6);
  EXPECT_FALSE(UnitStatusPacket::Parse(std::span(image.bytes).first(107), &back));
}

TEST(UnitPackets, StagePowerAndCargoNameTheUnitAtEight) {
  const auto stage = OrderStagePacket{11, 12, 255, 0xFFFFFFFF}.Build();
  EXPECT_EQ(Slice(stage, 8, 12), (std::vector<std::uint8_t>{11, 0, 0, 0, 12, 0, 255, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
  const auto power = UnitPowerPacket{11, 12, -1}.Build();
  EXPECT_EQ(power.U32(16), 0xFFFFFFFFu);
  AtvCargoPacket cargo{11, {1, 2, 3, 0x0104}};
  EXPECT_EQ(Slice(cargo.Build(), 12, 8), (std::vector<std::uint8_t>{1, 0, 2, 0, 3, 0, 4, 1}));
  const auto removed = OrderRemovedPacket{11, -3}.Build();
  EXPECT_EQ(removed.U32(12), 0xFFFFFFFDu);
  OrderStagePacket s;
  UnitPowerPacket p;
  AtvCargoPacket c;
  OrderRemovedPacket o;
  UnitDeletedPacket d;
  EXPECT_FALSE(OrderStagePacket::Parse(std::span(stage.bytes).first(19), &s));
  EXPECT_FALSE(UnitPowerPacket::Parse(std::span(power.bytes).first(19), &p));
  EXPECT_FALSE(AtvCargoPacket::Parse(std::span(stage.bytes).first(19), &c));
  EXPECT_FALSE(OrderRemovedPacket::Parse(std::span(removed.bytes).first(15), &o));
  EXPECT_FALSE(UnitDeletedPacket::Parse(std::span(removed.bytes).first(11), &d));
}

TEST(NoticePackets, ANotificationsTextsAreCutToLeaveTheirEnd) {
  NotificationPacket n;
  n.category = 4;
  n.code = 416;
  n.text1 = std::string(70, 'x');
  n.text2 = "Vega";
  n.param1 = 3;
  n.param2 = 0x01020304;
  n.param3 = 0xFFFFFFFF;
  const auto image = n.Build();
  EXPECT_EQ(image.U8(12 + 62), 'x');
  EXPECT_EQ(image.U8(12 + 63), 0) << "the first text ends within its field";
  EXPECT_EQ(image.Text(76, 64), "Vega");
  EXPECT_EQ(image.U16(140), 3);
  NotificationPacket back;
  ASSERT_TRUE(NotificationPacket::Parse(image.bytes, &back));
  EXPECT_EQ(back.text1, std::string(63, 'x'));
  EXPECT_EQ(back.param2, 0x01020304u);
  EXPECT_FALSE(NotificationPacket::Parse(std::span(image.bytes).first(151), &back));

  ResearchDonePacket done;
  ASSERT_TRUE(ResearchDonePacket::Parse(ResearchDonePacket{true, 17}.Build().bytes, &done));
  EXPECT_TRUE(done.hull);
  EXPECT_EQ(done.index, 17);
  EXPECT_EQ((ResearchDonePacket{false, 17}.Build().U16(0)), 1501);
}

}  // namespace
