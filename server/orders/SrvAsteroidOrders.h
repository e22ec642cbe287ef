#pragma once
// A chapter's requests about an asteroid, from the asteroid views' order
// modes and menus, checked as the other orders are (SrvOrders.h) and carried
// out as the turn resolves:
//   126  refuel at an asteroid (16 bytes): u32 unit at 8, u16 asteroid at 12.
//        The unit, the sender's and in action, must be at the asteroid
//        within the range the view allows (1,440,000 squared units from its
//        centre, twice that for a unit without a local drive), and the
//        sender's facilities there must give power.
//   405  distribute an asteroid's resources (16 bytes): u16 guild at 8, u16
//        chapter slot at 10 (the sender's), u16 asteroid at 12, which must be
//        one of the sender's stores (an asteroid it owns that is its home or
//        has a storage facility) while it has another.
// A unit is refuelled, and an asteroid distributed, once a turn: a second
// request of the turn is refused. Neither packet is queued by the client, so
// a refusal changes nothing on either side.
//
// One thread only.

#include <cstdint>
#include <span>

#include "server/orders/SrvOrders.h"
#include "server/turn/SrvTurnSteps.h"

bool SrvIsAsteroidRequestPacket(std::uint16_t type);
SrvOrderVerdict SrvSubmitAsteroidRequest(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet);

// The turn's refuelling, after the units' own power generation: each
// chapter's power output at an asteroid is shared by the units refuelled
// there, in the order they were asked for, each up to its store (311 to the
// owner). A unit that has left, or left the range, takes nothing.
void SrvRefuelAtAsteroids(SrvTurnContext& turn);
// The turn's distributions, before the transfers: every mineral of the
// asteroid's pool is split evenly over the owner's stores, this one
// included, the remainder staying; the pools are told with the others (550).
void SrvDistributePools(SrvTurnContext& turn);
