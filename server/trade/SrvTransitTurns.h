#pragma once
// How many turns minerals take between two asteroids for a chapter, reckoned
// as its player's client reckons them for the shipments it lists: the
// distance at the speed of the guild's fastest researched drive. The game
// model's own reckoning reads the client's local guild, which the server
// does not have.

#include <cstdint>

#include "server/world/SrvWorld.h"

// 0 between an asteroid and itself; -1 when the chapter's guild has no drive
// researched (its client shows "Never"), or an asteroid is missing.
int SrvTransitTurns(const SrvWorld& world, std::uint16_t chapter, std::uint16_t source, std::uint16_t destination);

// The turns a purchase takes from the offer's asteroid to the buyer's pool:
// the trip, 0 from the pool's own asteroid; the next turn for a guild with no
// drive, whose client shows no trip at all.
int SrvPurchaseTurns(const SrvWorld& world, std::uint16_t buyer, std::uint16_t source, std::uint16_t pool);
