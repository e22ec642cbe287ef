#pragma once
// The guilds' mineral market as the server keeps it: the offers stand on
// the world's guild boards (CGuild, saved with the guilds), the minerals
// offered are held back from the seller's pool while the offer stands, and a
// purchase pays the seller at once and delivers to the buyer once the
// minerals have covered the distance from the offer's asteroid, in the turn
// the buyer's client lists them arriving. Renegades do not trade.
//
// Packets (offsets from the packet's start):
//   552  post: u8 seller at 8, u8 asteroid at 9, u8 mineral at 10, u16 amount
//        at 12, u16 price per ten units in each mineral at 14 (24 bytes)
//   553  withdraw: u8 seller at 8, u8 asteroid at 9, u8 mineral at 10
//   554  buy: u8 seller at 8, u8 asteroid at 9, u8 mineral at 10, u8 buyer at
//        11, u8 buyer's pool at 12, u8 mineral paid with at 13, u16 amount at 14
//
// One thread only.

#include <cstdint>
#include <span>

#include "server/orders/SrvOrders.h"
#include "server/world/SrvStartPackets.h"

// A new offer takes its amount from the pool; a changed one takes or gives
// back the difference.
SrvOrderVerdict SrvPostMineralOffer(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet);
// The offer's minerals go back to the pool.
SrvOrderVerdict SrvWithdrawMineralOffer(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet);
// Pays (amount / 10) x the price of the paying mineral for the whole tens of
// the amount, lowers the offer by them and sends them on their way (kBadOrder
// when that pays nothing: fewer than ten units, or a mineral priced at 0); `board` receives what the guild must be
// told: the offer as it now stands (552) or its end (553).
SrvOrderVerdict SrvBuyMinerals(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet,
                               SrvPacket& board);
