#include "server/ai/SrvPoliticsPackets.h"

#include <algorithm>

#include "Game/base/Packets.h"
#include "Game/net/GuildPackets.h"
#include "Game/rules/GRulesPackets.h"

namespace {

static_assert(GuildVotesPacket::kMembers == kMaxChaptersPerGuild);

template <std::size_t N>
SrvPacket Out(const PacketImage<N>& p) {
  return SrvPacket(p.bytes.begin(), p.bytes.end());
}

std::uint8_t Byte(std::uint16_t v) { return static_cast<std::uint8_t>(std::min<std::uint16_t>(v, 0xFF)); }

}  // namespace

SrvPacket SrvGuildVotesPacket(const SrvWorld& world, int guild, const SrvGuildTally& tally, bool renegadeVotesAside) {
  GuildVotesPacket p;
  p.guild = static_cast<std::uint16_t>(guild);
  for (int c = 0; c < tally.members; ++c) {
    const auto m = static_cast<std::size_t>(c);
    p.against[m] = renegadeVotesAside ? 0 : Byte(tally.against[c]);
    p.held[m] = Byte(tally.held[c]);
    p.imperatorVote[m] = 0xFF;
    const CGChapter* member = world.Chapter(static_cast<std::uint16_t>(guild * 8 + c));
    if (member == nullptr) continue;
    for (int s = 0; s < tally.members; ++s)
      p.renegadeVotes[m][static_cast<std::size_t>(s)] = member->renegadeVotes[s] != 0 ? 1 : 0;
    if (const int choice = SrvImperatorChoice(*member, tally.members); choice >= 0)
      p.imperatorVote[m] = static_cast<std::uint8_t>(choice);
  }
  p.total = tally.total;
  return Out(p.Build());
}

SrvPacket SrvInterregnumStartPacket(int guild, int leader, const std::array<bool, kMaxChaptersPerGuild>& backers) {
  InterregnumStartPacket p{static_cast<std::uint16_t>(guild), static_cast<std::uint8_t>(leader), {}};
  for (std::size_t i = 0; i < p.backers.size(); ++i) p.backers[i] = backers[i] ? 1 : 0;
  return Out(p.Build());
}

SrvPacket SrvInterregnumEndPacket(int guild) {
  return Out(InterregnumEndPacket{static_cast<std::uint16_t>(guild)}.Build());
}
