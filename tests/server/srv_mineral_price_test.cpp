// A mineral purchase is charged its whole price: the client reckons it in 16
// bits, where a dear enough offer wraps round to nothing.
#include <gtest/gtest.h>

#include <vector>

#include "Game/model/GChapter.h"
#include "Game/net/Packets.h"
#include "Game/rules/GRulesPackets.h"
#include "server/SrvGame.h"

namespace {

struct NoOutbox : SrvOutbox {
  void Send(std::uint32_t, const SrvPacket&, bool) override {}
};

template <std::size_t N>
std::vector<std::uint8_t> Bytes(const PacketImage<N>& p) {
  return {p.bytes.begin(), p.bytes.end()};
}

}  // namespace

TEST(SrvMineralPrice, APriceThatWrapsIn16BitsIsChargedInFullAndRefusedWhenTheBuyerCannotPay) {
  NoOutbox out;
  SrvLog log;
  SrvGame game{out, log, nullptr, 5, testing::TempDir()};
  PacketImage<40> config(PKT_GAME_CONFIG);
  config.Put<std::uint16_t>(14, 2);
  config.Put<std::uint16_t>(16, 12);
  game.PlayerJoined(1);
  game.PlayerJoined(2);
  ASSERT_TRUE(game.Receive(1, Bytes(config)));
  for (std::uint16_t c : {8, 9}) {
    PacketImage<48> claim(PKT_CHAPTER_CLAIM);
    claim.Put<std::uint16_t>(8, c);
    ASSERT_TRUE(game.Receive(c - 7u, Bytes(claim)));
  }
  ASSERT_TRUE(game.Receive(1, Bytes(PacketImage<12>(PKT_START))));
  const SrvWorld& world = game.World();
  const auto sellerPool = static_cast<std::uint8_t>(world.Chapter(8)->homeAsteroid);
  const auto buyerPool = static_cast<std::uint8_t>(world.Chapter(9)->homeAsteroid);

  // Twenty reactives at 32768 metals per ten: 65536, which is 0 in 16 bits.
  PacketImage<24> offer(PKT_MINERAL_OFFER_POSTED);
  offer.Put<std::uint8_t>(8, 8);
  offer.Put<std::uint8_t>(9, sellerPool);
  offer.Put<std::uint8_t>(10, 3);
  offer.Put<std::uint16_t>(12, 20);
  offer.Put<std::uint16_t>(14, 32768);
  ASSERT_TRUE(game.Receive(1, Bytes(offer)));
  PacketImage<16> buy(PKT_MINERAL_TRADE);
  buy.Put<std::uint8_t>(8, 8);
  buy.Put<std::uint8_t>(9, sellerPool);
  buy.Put<std::uint8_t>(10, 3);
  buy.Put<std::uint8_t>(11, 9);
  buy.Put<std::uint8_t>(12, buyerPool);
  buy.Put<std::uint16_t>(14, 20);
  const std::size_t shipments = world.inTransit.size();
  const std::uint32_t metals = world.poolDB.GetMineral(buyerPool, 0);
  ASSERT_LT(metals, 65536u);
  EXPECT_FALSE(game.Receive(2, Bytes(buy)));
  EXPECT_EQ(world.inTransit.size(), shipments) << "nothing sent";
  EXPECT_EQ(world.poolDB.GetMineral(buyerPool, 0), metals);
}
