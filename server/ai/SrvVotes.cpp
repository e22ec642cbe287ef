#include "server/ai/SrvVotes.h"

#include <algorithm>
#include <iterator>

#include "Game/base/Packets.h"
#include "Game/model/GNotifyCodes.h"
#include "Game/net/GuildPackets.h"
#include "server/ai/SrvChapterState.h"
#include "server/ai/SrvGuildTally.h"
#include "server/ai/SrvPoliticsNotices.h"
#include "server/orders/SrvPacketRead.h"

namespace {

CGChapter* Voter(SrvWorld& world, std::uint16_t chapter, std::uint16_t slot) {
  CGChapter* c = world.Chapter(chapter);
  return SrvInPlay(c) && slot < world.chaptersPerGuild ? c : nullptr;
}

void TellMember(SrvWorld& world, const CGChapter& voter, int slot, std::uint16_t code) {
  if (slot != voter.slot)
    world.notices.Add(static_cast<std::uint16_t>(voter.guild * 8 + slot), notify::kVoteEvent, code, nullptr, nullptr,
                      voter.slot, 0, kSrvNoParameter);
}

}  // namespace

bool SrvTakeRenegadeVote(SrvWorld& world, std::uint16_t chapter, std::uint16_t slot, std::uint16_t value) {
  CGChapter* c = Voter(world, chapter, slot);
  if (c == nullptr || slot == c->slot || world.guilds->GetGuild(c->guild)->interregnum != 0) return false;
  const std::uint32_t vote = value != 0 ? 1 : 0;
  if (c->renegadeVotes[slot] == vote) return true;
  c->renegadeVotes[slot] = vote;
  TellMember(world, *c, slot, vote != 0 ? notify::kRenegadeVoteCast : notify::kRenegadeVoteWithdrawn);
  return true;
}

bool SrvTakeImperatorVote(SrvWorld& world, std::uint16_t chapter, std::uint16_t slot) {
  CGChapter* c = Voter(world, chapter, slot);
  if (c == nullptr) return false;
  const int before = SrvImperatorChoice(*c, world.chaptersPerGuild);
  if (before == slot) return true;
  std::fill(std::begin(c->imperatorVotes), std::end(c->imperatorVotes), 0u);
  c->imperatorVotes[slot] = 1;
  if (before >= 0) TellMember(world, *c, before, notify::kBackingWithdrawn);
  TellMember(world, *c, slot, notify::kBackingGiven);
  return true;
}

bool SrvTakeVotePacket(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  PacketHeader header;
  if (!ReadPacketHeader(packet, header)) return false;
  // A renegade vote is taken though it ends after the vote: its last two bytes are unused.
  if (header.type == PKT_RENEGADE_VOTE && packet.size() >= kRenegadeVoteSize - 2) {
    RenegadeVotePacket vote;
    RenegadeVotePacket::Parse(SrvFilledTo<kRenegadeVoteSize>(packet), &vote);
    return vote.voter == chapter && SrvTakeRenegadeVote(world, chapter, vote.slot, vote.renegade);
  }
  ImperatorVotePacket vote;
  if (header.type != PKT_IMPERATOR_VOTE || !ImperatorVotePacket::Parse(packet, &vote)) return false;
  return vote.voter == chapter && SrvTakeImperatorVote(world, chapter, vote.slot);
}
