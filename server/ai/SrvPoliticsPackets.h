#pragma once
// The guild-politics packets the clients read:
// 401, 100 bytes: u16 guild at 8; per member u8 renegade votes against it at
//   10, u8 votes held at 18; the renegade votes cast, 8 rows (voter) of 8
//   bytes (target) at 26; per member u8 the slot of its imperator vote at 90
//   (0xFF none); u16 total votes at 98. Renegade votes against read 0 when
//   `renegadeVotesAside` (the turns of an interregnum, up to the one that
//   ends it), when nobody is a renegade: the clients take a member's
//   renegade flag from these.
// 17, 20 bytes: u16 guild at 8, u8 leader slot at 10, per member from 12 u8 1
//   when it backs the leader (camp 0), 0 when not (camp 1).
// 18, 12 bytes: u16 guild at 8.
//
// One thread only.

#include <array>
#include <cstdint>

#include "server/ai/SrvGuildTally.h"
#include "server/world/SrvStartPackets.h"

SrvPacket SrvGuildVotesPacket(const SrvWorld& world, int guild, const SrvGuildTally& tally, bool renegadeVotesAside);
SrvPacket SrvInterregnumStartPacket(int guild, int leader, const std::array<bool, kMaxChaptersPerGuild>& backers);
SrvPacket SrvInterregnumEndPacket(int guild);
