// What the in-game dialogs hand their callers to send, built with the shared
// codec, as the server takes it: a sale posted and delivered with the next
// turn, a purchase, a chat to the guild, the default plans.
#include <gtest/gtest.h>

#include "Game/base/Packets.h"
#include "Game/net/GuildPackets.h"
#include "Game/rules/GDefBP.h"
#include "tests/server/srv_game_fixture.h"

namespace {

using SrvDialogPackets = SrvGameCase<4321>;

TEST_F(SrvDialogPackets, SaleThenPurchaseThenChatToTheGuild) {
  const Seats seats{{7, 8}, {8, 9}};
  StartTestGame(game, seats, 2);
  const SrvWorld& world = World();
  const std::uint16_t sellerPool = world.Chapter(8)->homeAsteroid, buyerPool = world.Chapter(9)->homeAsteroid;
  const std::uint32_t silicates = world.poolDB.GetMineral(sellerPool, 1);

  MineralOfferPacket sale;
  sale.seller = 8;
  sale.asteroid = static_cast<std::uint8_t>(sellerPool);
  sale.mineral = 1;
  sale.amount = 50;
  sale.price[0] = 3;
  const auto posted = sale.Build();
  ASSERT_TRUE(game.Receive(7, std::vector<std::uint8_t>(posted.bytes.begin(), posted.bytes.end())));
  EXPECT_EQ(world.poolDB.GetMineral(sellerPool, 1), silicates - 50);
  MineralOfferPacket board;
  ASSERT_TRUE(MineralOfferPacket::Parse(out.To(8).back().packet, &board)) << "the guild mate sees the offer";
  EXPECT_EQ(board.amount, 50);

  const std::uint32_t buyerSilicates = world.poolDB.GetMineral(buyerPool, 1);
  const MineralPurchasePacket purchase{
      8, static_cast<std::uint8_t>(sellerPool), 1, 9, static_cast<std::uint8_t>(buyerPool), 0, 20};
  const auto bought = purchase.Build();
  ASSERT_TRUE(game.Receive(8, std::vector<std::uint8_t>(bought.bytes.begin(), bought.bytes.end())));
  ASSERT_TRUE(MineralOfferPacket::Parse(out.To(7).back().packet, &board));
  EXPECT_EQ(board.amount, 30) << "the offer as it now stands";
  EndTestTurn(game, seats);
  EXPECT_GE(world.poolDB.GetMineral(buyerPool, 1), buyerSilicates + 20) << "delivered with the turn";

  ChatPacket chat;
  chat.sender = 9;
  chat.target = kChatToGuild;
  chat.text = "Thanks for the silicates";
  ASSERT_TRUE(game.Receive(8, chat.Build()));
  ChatPacket heard;
  ASSERT_TRUE(ChatPacket::Parse(out.To(7).back().packet, &heard));
  EXPECT_EQ(heard.sender, 9);
  EXPECT_EQ(heard.text, "Thanks for the silicates");

  const auto plans = BuildDefaultPlansPacket(8, DefaultBattlePlanTable());
  EXPECT_TRUE(game.Receive(7, std::vector<std::uint8_t>(plans.bytes.begin(), plans.bytes.end())));
}

}  // namespace
