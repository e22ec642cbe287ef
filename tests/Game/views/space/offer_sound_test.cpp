// Ship offers from the unit menu (packet 460 through the set-price dialog,
// by script) and the volume and balance of sounds placed in the world.
#include <gtest/gtest.h>

#include <cstring>
#include <span>
#include <tuple>

#include "Game/app/AppGlobals.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGuild.h"
#include "Game/net/OrderMenuPackets.h"
#include "Game/views/space/CVB3DView.h"
#include "platform/user/keys.h"
#include "tests/Game/views/space/space_world.h"

namespace {

using namespace plat;
using namespace views_test;
using space_test::SpaceWorld;
using space_test::TestView;

std::uint32_t U32(const std::vector<std::uint8_t>& p, std::size_t at) {
  return p[at] | (p[at + 1] << 8) | (p[at + 2] << 16) | (static_cast<std::uint32_t>(p[at + 3]) << 24);
}

class ShipOffers : public SpaceWorld {
 protected:
  void SetUp() override {
    SpaceWorld::SetUp();
    g_mainWnd = window;
  }
  void TearDown() override {
    g_mainWnd = nullptr;
    SpaceWorld::TearDown();
  }
  // The set-price dialog at (169, 106): the first amount typed, then OK.
  void TypeFirstPrice(const char* digits) {
    backend->Click(169 + 16 + 20, 106 + 68 + 10, input::Button::Left, 800);
    backend->PressKey(VK_END, 20);
    for (int i = 0; i < 4; ++i) backend->PressKey(VK_BACK, 20);
    for (const char* c = digits; *c; ++c) backend->PressKey(static_cast<UINT>(*c), 20);
  }
  void PressOk() { backend->Click(169 + 21 + 50, 106 + 298 + 20, input::Button::Left, 300); }
  std::vector<std::vector<std::uint8_t>> Offers() {
    std::vector<std::vector<std::uint8_t>> found;
    for (const auto& p : packets)
      if (p.size() >= 2 && (p[0] | p[1] << 8) == kShipOfferPacketType) found.push_back(p);
    return found;
  }
};

TEST(ShipOfferPacket, HoldsTheSellerTheUnitItsClassAndFourPricesWithZeroedPadding) {
  const std::uint32_t prices[4] = {100, 2, 30, 40000};
  const std::vector<std::uint8_t> p = BuildShipOfferPacket(9, 0x24000005, 7, prices);
  ASSERT_EQ(p.size(), 36u);
  EXPECT_EQ(p[0] | p[1] << 8, 460);
  EXPECT_EQ(p[8] | p[9] << 8, 1);    // guild
  EXPECT_EQ(p[10] | p[11] << 8, 1);  // slot in the guild
  EXPECT_EQ(U32(p, 12), 0x24000005u);
  EXPECT_EQ(p[16], 7);
  EXPECT_EQ(p[17] | p[18] | p[19], 0);
  EXPECT_EQ(U32(p, 20), 100u);
  EXPECT_EQ(U32(p, 32), 40000u);

  // The server reads it back with the same codec; a short one is refused.
  ShipOfferPostedPacket back;
  ASSERT_TRUE(ShipOfferPostedPacket::Parse(p, &back));
  EXPECT_EQ(std::make_tuple(back.guild, back.slot, back.unitId, back.unitClass, back.prices[3]),
            std::make_tuple(1, 1, 0x24000005u, 7, 40000u));
  EXPECT_FALSE(ShipOfferPostedPacket::Parse(std::span(p).first(35), &back));
}

TEST_F(ShipOffers, AnOfferIsSentWithThePricesSet) {
  TestView& v = Make3D();
  CGUnit* ship = Unit({kComputer, kDrive, kPower}, 0);
  TypeFirstPrice("120");
  PressOk();
  backend->PressKey(VK_RETURN, 400);  // "Offer will be posted next turn"
  v.OfferShip(ship->id);
  auto sent = Offers();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].size(), 36u);
  EXPECT_EQ(U32(sent[0], 12), ship->id);
  EXPECT_EQ(U32(sent[0], 20), 120u);
  EXPECT_EQ(sent[0][16], ship->GetTemplate()->unitClass);
}

TEST_F(ShipOffers, FourZeroPricesOrARenegadeChapterSendNothing) {
  TestView& v = Make3D();
  CGUnit* ship = Unit({kComputer, kDrive, kPower}, 0);
  PressOk();
  v.OfferShip(ship->id);
  EXPECT_TRUE(Offers().empty());
  g_gameData->GetLocalChapter()->renegade = 1;
  backend->PressKey(VK_RETURN, 400);  // "Renegade chapters may not conduct trade"
  v.OfferShip(ship->id);
  EXPECT_TRUE(Offers().empty());
}

TEST(PlacedSounds, VolumeGrowsWithDistanceAndBalanceComesFromTheSide) {
  const double camera[3] = {1100, 1100, 1100};
  const float right[3] = {1, 0, 0};
  const double far700[3] = {1100, 1100, 1800}, far1100[3] = {1100, 1100, 2200};
  EXPECT_FLOAT_EQ(PlaceSound(camera, right, far700, true, false).volume, 10.f);
  EXPECT_FLOAT_EQ(PlaceSound(camera, right, far1100, false, false).volume, 10.f);
  EXPECT_FLOAT_EQ(PlaceSound(camera, right, far1100, false, true).volume, 1100.f / 330.f);
  const PlacedSound here = PlaceSound(camera, right, camera, false, false);
  EXPECT_EQ(here.volume, 0.f);
  EXPECT_EQ(here.balance, 0.f);
  const double toRight[3] = {1110, 1100, 1100};
  EXPECT_FLOAT_EQ(PlaceSound(camera, right, toRight, false, false).balance, -1.f);
  const double ahead[3] = {1100, 1100, 1150};
  EXPECT_FLOAT_EQ(PlaceSound(camera, right, ahead, false, false).balance, 0.f);
}

TEST(PlacedSounds, GeneratedSoundsComeFromTheGenericFolder) {
  const std::string generic = SoundEffectPath("@drv.wav");
  EXPECT_NE(generic.find("generic\\@drv.wav"), std::string::npos);
  EXPECT_EQ(SoundEffectPath("g1\\laser.wav"), "g1\\laser.wav");
}

}  // namespace
