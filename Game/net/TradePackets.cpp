#include "Game/net/TradePackets.h"

#include "Game/base/Packets.h"
#include "Game/net/PacketFields.h"

namespace {

constexpr auto kMineralOfferWithdrawnFields = [](auto& p, auto& io) {
  io.Field(8, p.seller);
  io.Field(9, p.asteroid);
  io.Field(10, p.mineral);
};

constexpr auto kMineralTransferFields = [](auto& p, auto& io) {
  io.Field(8, p.sender);
  io.Field(9, p.source);
  io.Field(10, p.destination);
  io.Field(11, p.mineral);
  io.Field(12, p.amount);
  io.Field(14, p.transit);
  io.Field(16, p.standing);
};

constexpr auto kVoteOfferWithdrawnFields = [](auto& p, auto& io) {
  io.Field(8, p.guild);
  io.Field(9, p.slot);
  io.Field(10, p.asteroid);
};

constexpr auto kShipBidFields = [](auto& p, auto& io) {
  io.Field(8, p.guild);
  io.Field(10, p.slot);
  io.Field(12, p.unitId);
  io.Field(16, p.unitClass);
  io.Field(18, p.pool);
  io.Each(20, 4, p.bid);
};

constexpr auto kVoteBidFields = [](auto& p, auto& io) {
  io.Field(8, p.guild);
  io.Field(10, p.slot);
  io.Field(12, p.asteroid);
  io.Field(14, p.pool);
  io.Each(16, 4, p.bid);
};

}  // namespace

PacketImage<kMineralOfferWithdrawnSize> MineralOfferWithdrawnPacket::Build() const {
  return BuildFields<kMineralOfferWithdrawnSize>(PKT_MINERAL_OFFER_WITHDRAWN, *this, kMineralOfferWithdrawnFields);
}

bool MineralOfferWithdrawnPacket::Parse(std::span<const std::uint8_t> image, MineralOfferWithdrawnPacket* out) {
  return ParseFields<kMineralOfferWithdrawnSize>(image, out, kMineralOfferWithdrawnFields);
}

PacketImage<kMineralTransferSize> MineralTransferPacket::Build() const {
  return BuildFields<kMineralTransferSize>(PKT_AUTO_TRANSFER, *this, kMineralTransferFields);
}

bool MineralTransferPacket::Parse(std::span<const std::uint8_t> image, MineralTransferPacket* out) {
  return ParseFields<kMineralTransferSize>(image, out, kMineralTransferFields);
}

PacketImage<kVoteOfferWithdrawnSize> VoteOfferWithdrawnPacket::Build() const {
  return BuildFields<kVoteOfferWithdrawnSize>(PKT_VOTE_OFFER_WITHDRAWN, *this, kVoteOfferWithdrawnFields);
}

bool VoteOfferWithdrawnPacket::Parse(std::span<const std::uint8_t> image, VoteOfferWithdrawnPacket* out) {
  return ParseFields<kVoteOfferWithdrawnSize>(image, out, kVoteOfferWithdrawnFields);
}

PacketImage<kShipBidSize> ShipBidPacket::Build() const {
  return BuildFields<kShipBidSize>(PKT_TRADE_REQUEST, *this, kShipBidFields);
}

bool ShipBidPacket::Parse(std::span<const std::uint8_t> image, ShipBidPacket* out) {
  return ParseFields<kShipBidSize>(image, out, kShipBidFields);
}

PacketImage<kVoteBidSize> VoteBidPacket::Build() const {
  return BuildFields<kVoteBidSize>(PKT_TRADE_ANSWER, *this, kVoteBidFields);
}

bool VoteBidPacket::Parse(std::span<const std::uint8_t> image, VoteBidPacket* out) {
  return ParseFields<kVoteBidSize>(image, out, kVoteBidFields);
}
