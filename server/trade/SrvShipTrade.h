#pragma once
// Ships offered on a guild's board and the guild mates' sealed bids for
// them. An offer (460) stands on the world's guild board; a bid (457) is
// taken from the bidder's pool when it is made and held by the server. As a
// turn resolves, each offer with bids goes to the highest bid (the largest
// sum of the four minerals; the earliest on a tie): the ship changes hands
// (to everyone: the copy of its design the buyer gets, 200 and 201, then
// 1308 for the seller's unit and 1313 for the buyer's, whose power the buyer
// is told), the seller's home pool receives the bid, the other bids go back
// to their pools and the offer leaves the board (402 to the guild); the
// buyer and the seller are each sent a notice of the sale. A ship may be
// offered whatever it is doing, but one with an order when a bid would buy
// it is not sold: its bids go back, the offer leaves the board and the
// seller is told (218). Withdrawing an offer (402) gives every bid on it
// back. Renegades do not trade.
//
// Packets (offsets from the packet's start):
//   460  u16 guild at 8, u8 seller slot at 10, u32 unit at 12, u32 first
//        term at 16, u32 least bid in each mineral at 20 (36 bytes)
//   402  u8 guild at 8, u8 seller slot at 9, u32 unit at 12
//   457  u16 guild at 8, u16 bidder slot at 10, u32 unit at 12, u16 paying
//        pool at 18, u32 bid in each mineral at 20 (36 bytes)
//
// One thread only.

#include <cstdint>
#include <span>

#include "server/orders/SrvOrders.h"
#include "server/turn/SrvTurnSteps.h"

SrvOrderVerdict SrvPostShipOffer(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet);
SrvOrderVerdict SrvWithdrawShipOffer(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet);
// A second bid of a chapter on the same ship replaces its first, which goes
// back to its pool.
SrvOrderVerdict SrvBidForShip(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet);
void SrvSettleShipOffers(SrvTurnContext& turn);
