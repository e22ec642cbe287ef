#pragma once
// A guild's trade boards as they stand: 552, 460 and 461 for each standing
// offer, as its poster sent it. The guild mates' clients filled their boards
// offer by offer as they were posted; a client that comes into a game in
// play has only these to fill its own from, its chapter's own offers (their
// minerals held back from its pools) among them.
//
// One thread only.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "server/world/SrvStartPackets.h"
#include "server/world/SrvWorld.h"

std::vector<SrvPacket> SrvGuildBoardPackets(const SrvWorld& world, std::uint16_t guild);

// Whom an offer posted or withdrawn (552, 553, 460, 402, 461, 403) names as
// its poster: the seller's chapter for mineral offers, the guild for ship and
// vote offers. Nothing for another type or a packet too short for its layout.
std::optional<std::uint16_t> SrvBoardPoster(std::span<const std::uint8_t> packet);
