#include "server/ai/SrvPoliticsPackets.h"

#include <algorithm>

#include "Game/base/Packets.h"
#include "Game/rules/GRulesPackets.h"

namespace {

template <std::size_t N>
SrvPacket Out(const PacketImage<N>& p) {
  return SrvPacket(p.bytes.begin(), p.bytes.end());
}

std::uint8_t Byte(std::uint16_t v) { return static_cast<std::uint8_t>(std::min<std::uint16_t>(v, 0xFF)); }

}  // namespace

SrvPacket SrvGuildVotesPacket(const SrvWorld& world, int guild, const SrvGuildTally& tally, bool renegadeVotesAside) {
  PacketImage<100> p(PKT_GUILD_VOTES);
  p.SetU16(8, static_cast<std::uint16_t>(guild));
  for (int c = 0; c < tally.members; ++c) {
    p.SetU8(10 + c, renegadeVotesAside ? 0 : Byte(tally.against[c]));
    p.SetU8(18 + c, Byte(tally.held[c]));
    p.SetU8(90 + c, 0xFF);
    const CGChapter* member = world.Chapter(static_cast<std::uint16_t>(guild * 8 + c));
    if (member == nullptr) continue;
    for (int s = 0; s < tally.members; ++s) p.SetU8(26 + 8 * c + s, member->renegadeVotes[s] != 0 ? 1 : 0);
    if (const int choice = SrvImperatorChoice(*member, tally.members); choice >= 0)
      p.SetU8(90 + c, static_cast<std::uint8_t>(choice));
  }
  p.SetU16(98, tally.total);
  return Out(p);
}

SrvPacket SrvInterregnumStartPacket(int guild, int leader, const std::array<bool, kMaxChaptersPerGuild>& backers) {
  PacketImage<20> p(PKT_INTERREGNUM_START);
  p.SetU16(8, static_cast<std::uint16_t>(guild));
  p.SetU8(10, static_cast<std::uint8_t>(leader));
  for (int i = 0; i < kMaxChaptersPerGuild; ++i) p.SetU8(12 + i, backers[i] ? 1 : 0);
  return Out(p);
}

SrvPacket SrvInterregnumEndPacket(int guild) {
  PacketImage<12> p(PKT_INTERREGNUM_END);
  p.SetU16(8, static_cast<std::uint16_t>(guild));
  return Out(p);
}
