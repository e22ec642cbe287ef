#pragma once
// A chapter's votes in its guild, as its player's client sends them (455,
// 456) or as the server's own players cast them: both come through here.
// A vote is stored at once; the turn's politics (SrvResolvePolitics) settle
// what the votes make of the guild. The member a vote is about gets a
// notification (SrvPoliticsNotices.h) when it changes.
//
// One thread only.

#include <cstdint>
#include <span>

#include "server/world/SrvWorld.h"

// False (nothing stored, nobody told) when the chapter is not in play, the
// slot is outside its guild or is its own, or its guild is in an
// interregnum (when renegade votes are set aside). Any non-zero value votes.
bool SrvTakeRenegadeVote(SrvWorld& world, std::uint16_t chapter, std::uint16_t slot, std::uint16_t value);
// False when the chapter is not in play or the slot is outside its guild.
// Backing oneself is allowed (it is every chapter's vote at the start).
bool SrvTakeImperatorVote(SrvWorld& world, std::uint16_t chapter, std::uint16_t slot);

// The client packets: 455 (16 bytes: u16 chapter at 8, u16 slot at 10, u16
// value at 12) and 456 (12 bytes: u16 chapter at 8, u16 slot at 10) from a
// player holding `chapter`. False for a short packet, another chapter than
// `chapter`, another type, or a vote refused as above.
bool SrvTakeVotePacket(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet);
