#pragma once
// Asteroid votes offered on a guild's board and the guild mates' sealed bids
// for them. An offer (461) is its asteroid's controller's and stands on the
// world's guild board; a bid (462) is taken from the bidder's pool when it
// is made and held by the server. As a turn resolves, each offer with bids
// goes to the highest bid (the largest sum of the four minerals; the earliest
// on a tie): the asteroid's vote is the buyer's from then on (SrvSoldVote),
// the seller's home pool receives the bid, the other bids go back to their
// pools and the offer leaves the board (403 to the guild). An offer whose
// asteroid its seller no longer controls, or a withdrawn one (403), gives
// every bid back. Renegades do not trade.
//
// Packets (offsets from the packet's start):
//   461  u16 guild at 8, u8 seller slot at 10, u8 asteroid at 12, u32 least
//        bid in each mineral at 16 (32 bytes)
//   403  u8 guild at 8, u8 seller slot at 9, u8 asteroid at 10 (12 bytes)
//   462  u16 guild at 8, u16 bidder slot at 10, u16 asteroid at 12, u16
//        paying pool at 14, u32 bid in each mineral at 16 (32 bytes)
//
// One thread only.

#include <cstdint>
#include <span>

#include "server/orders/SrvOrders.h"
#include "server/turn/SrvTurnSteps.h"

SrvOrderVerdict SrvPostVoteOffer(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet);
SrvOrderVerdict SrvWithdrawVoteOffer(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet);
// A second bid of a chapter on the same vote replaces its first, which goes
// back to its pool.
SrvOrderVerdict SrvBidForVote(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet);
// Settles the boards' vote offers and forgets sold votes whose asteroid has
// changed controller since.
void SrvSettleVoteOffers(SrvTurnContext& turn);
