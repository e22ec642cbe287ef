#include "Game/net/GuildPackets.h"

#include <algorithm>

#include "Game/base/Packets.h"
#include "Game/net/PacketFields.h"

namespace {

constexpr auto kMineralOfferFields = [](auto& p, auto& io) {
  io.Field(8, p.seller);
  io.Field(9, p.asteroid);
  io.Field(10, p.mineral);
  io.Field(12, p.amount);
  io.Each(14, 2, p.price);
};

constexpr auto kMineralPurchaseFields = [](auto& p, auto& io) {
  io.Field(8, p.seller);
  io.Field(9, p.asteroid);
  io.Field(10, p.mineral);
  io.Field(11, p.buyer);
  io.Field(12, p.pool);
  io.Field(13, p.paidWith);
  io.Field(14, p.amount);
};

constexpr auto kRenegadeVoteFields = [](auto& p, auto& io) {
  io.Field(8, p.voter);
  io.Field(10, p.slot);
  io.Field(12, p.renegade);
};

constexpr auto kImperatorVoteFields = [](auto& p, auto& io) {
  io.Field(8, p.voter);
  io.Field(10, p.slot);
};

constexpr auto kGuildVotesFields = [](auto& p, auto& io) {
  io.Field(8, p.guild);
  io.Each(10, 1, p.against);
  io.Each(18, 1, p.held);
  for (std::size_t v = 0; v < p.renegadeVotes.size(); ++v) io.Each(26 + 8 * v, 1, p.renegadeVotes[v]);
  io.Each(90, 1, p.imperatorVote);
  io.Field(98, p.total);
};

constexpr auto kInterregnumStartFields = [](auto& p, auto& io) {
  io.Field(8, p.guild);
  io.Field(10, p.leader);
  io.Each(12, 1, p.backers);
};

constexpr auto kInterregnumEndFields = [](auto& p, auto& io) { io.Field(8, p.guild); };

}  // namespace

PacketImage<kMineralOfferSize> MineralOfferPacket::Build() const {
  return BuildFields<kMineralOfferSize>(PKT_MINERAL_OFFER_POSTED, *this, kMineralOfferFields);
}

bool MineralOfferPacket::Parse(std::span<const std::uint8_t> image, MineralOfferPacket* out) {
  return ParseFields<kMineralOfferSize>(image, out, kMineralOfferFields);
}

PacketImage<kMineralPurchaseSize> MineralPurchasePacket::Build() const {
  return BuildFields<kMineralPurchaseSize>(PKT_MINERAL_TRADE, *this, kMineralPurchaseFields);
}

bool MineralPurchasePacket::Parse(std::span<const std::uint8_t> image, MineralPurchasePacket* out) {
  return ParseFields<kMineralPurchaseSize>(image, out, kMineralPurchaseFields);
}

PacketImage<kRenegadeVoteSize> RenegadeVotePacket::Build() const {
  return BuildFields<kRenegadeVoteSize>(PKT_RENEGADE_VOTE, *this, kRenegadeVoteFields);
}

bool RenegadeVotePacket::Parse(std::span<const std::uint8_t> image, RenegadeVotePacket* out) {
  return ParseFields<kRenegadeVoteSize>(image, out, kRenegadeVoteFields);
}

PacketImage<kImperatorVoteSize> ImperatorVotePacket::Build() const {
  return BuildFields<kImperatorVoteSize>(PKT_IMPERATOR_VOTE, *this, kImperatorVoteFields);
}

bool ImperatorVotePacket::Parse(std::span<const std::uint8_t> image, ImperatorVotePacket* out) {
  return ParseFields<kImperatorVoteSize>(image, out, kImperatorVoteFields);
}

PacketImage<kGuildVotesSize> GuildVotesPacket::Build() const {
  return BuildFields<kGuildVotesSize>(PKT_GUILD_VOTES, *this, kGuildVotesFields);
}

bool GuildVotesPacket::Parse(std::span<const std::uint8_t> image, GuildVotesPacket* out) {
  return ParseFields<kGuildVotesSize>(image, out, kGuildVotesFields);
}

PacketImage<kInterregnumStartSize> InterregnumStartPacket::Build() const {
  return BuildFields<kInterregnumStartSize>(PKT_INTERREGNUM_START, *this, kInterregnumStartFields);
}

bool InterregnumStartPacket::Parse(std::span<const std::uint8_t> image, InterregnumStartPacket* out) {
  return ParseFields<kInterregnumStartSize>(image, out, kInterregnumStartFields);
}

PacketImage<kInterregnumEndSize> InterregnumEndPacket::Build() const {
  return BuildFields<kInterregnumEndSize>(PKT_INTERREGNUM_END, *this, kInterregnumEndFields);
}

bool InterregnumEndPacket::Parse(std::span<const std::uint8_t> image, InterregnumEndPacket* out) {
  return ParseFields<kInterregnumEndSize>(image, out, kInterregnumEndFields);
}

std::vector<std::uint8_t> ChatPacket::Build() const {
  const std::size_t length = std::min(text.size(), kMaxChatText);
  std::vector<std::uint8_t> p(kChatTextOffset + length + 1, 0);
  plat::ByteWriter w(p);
  WritePacketHeader(p, PacketHeader{PKT_CHAT, 0, 0});
  w.WriteAt<std::uint8_t>(8, sender);
  w.WriteAt<std::uint8_t>(9, target);
  w.WriteAt<std::uint32_t>(12, intercepted);
  std::copy_n(text.begin(), length, p.begin() + kChatTextOffset);
  return p;
}

bool ChatPacket::SetIntercepted(std::span<std::uint8_t> image, std::uint32_t intercepted) {
  if (image.size() < kChatTextOffset) return false;
  return plat::ByteWriter(image).WriteAt<std::uint32_t>(12, intercepted);
}

bool ChatPacket::Parse(std::span<const std::uint8_t> image, ChatPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kChatTextOffset)) return false;
  r.ReadAt(8, out->sender);
  r.ReadAt(9, out->target);
  r.ReadAt(12, out->intercepted);
  const auto rest = image.subspan(kChatTextOffset);
  const auto end = std::find(rest.begin(), rest.begin() + std::min(rest.size(), kMaxChatText), std::uint8_t{0});
  out->text.assign(rest.begin(), end);
  return true;
}
