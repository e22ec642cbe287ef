#pragma once
// A guild's votes as they stand: every member in play holds one vote per
// asteroid it controls; a renegade vote counts the voter's votes against its
// target, an imperator vote the voter's votes for its choice. Eliminated
// members hold and cast nothing, and nothing counts against them (the
// clients take a renegade from the votes against it); nobody votes about
// itself as a renegade.
//
// One thread only.

#include <array>
#include <cstdint>

#include "server/world/SrvWorld.h"

struct SrvGuildTally {
  int members = 0;
  std::array<std::uint16_t, kMaxChaptersPerGuild> held{};
  std::array<std::uint16_t, kMaxChaptersPerGuild> against{};
  std::array<std::uint16_t, kMaxChaptersPerGuild> support{};
  std::uint16_t total = 0;

  // More than half of the guild's votes are against the member.
  bool Renegade(int slot) const { return 2u * against[slot] > total; }
  // The member has at least `percent` of the guild's votes behind it.
  bool HasShare(int slot, std::uint16_t percent) const {
    return total != 0 && std::uint32_t{support[slot]} * 100u >= std::uint32_t{percent} * total;
  }
};

SrvGuildTally SrvTallyGuild(const SrvWorld& world, int guild);

// The slot the member's imperator vote names, or -1 when it names none.
int SrvImperatorChoice(const CGChapter& member, int members);
