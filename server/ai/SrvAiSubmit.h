#pragma once
// Hands one of a computer chapter's packets to the intake a player's packet
// of that type goes through: votes (SrvTakeVotePacket), the guild's mineral
// board (SrvPostMineralOffer, SrvBuyMinerals: the guild is told as it would
// be of a player's), the guild's ship board (SrvPostShipOffer,
// SrvWithdrawShipOffer, SrvBidForShip: a bid is sealed), designs (SrvTakeDesign: everyone is told
// of a stored one as of a player's), zone orders (SrvSubmitZoneOrder) and the other orders
// (SrvSubmitOrder). A refused vote reads as kBadOrder.
//
// One thread only.

#include <cstdint>

#include "server/orders/SrvOrders.h"
#include "server/turn/SrvTurnSteps.h"

SrvOrderVerdict SrvSubmitComputerOrder(SrvTurnContext& turn, std::uint16_t chapter, const SrvPacket& packet);
