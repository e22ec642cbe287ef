#include "Game/net/TradePackets.h"

#include "Game/base/Packets.h"
#include "platform/core/bytes.h"

PacketImage<kMineralOfferWithdrawnSize> MineralOfferWithdrawnPacket::Build() const {
  PacketImage<kMineralOfferWithdrawnSize> p(PKT_MINERAL_OFFER_WITHDRAWN);
  p.Put(8, seller);
  p.Put(9, asteroid);
  p.Put(10, mineral);
  return p;
}

bool MineralOfferWithdrawnPacket::Parse(std::span<const std::uint8_t> image, MineralOfferWithdrawnPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kMineralOfferWithdrawnSize)) return false;
  r.ReadAt(8, out->seller);
  r.ReadAt(9, out->asteroid);
  r.ReadAt(10, out->mineral);
  return true;
}

PacketImage<kMineralTransferSize> MineralTransferPacket::Build() const {
  PacketImage<kMineralTransferSize> p(PKT_AUTO_TRANSFER);
  p.Put(8, sender);
  p.Put(9, source);
  p.Put(10, destination);
  p.Put(11, mineral);
  p.Put(12, amount);
  p.Put(14, transit);
  p.Put(16, std::uint32_t{0});
  return p;
}

bool MineralTransferPacket::Parse(std::span<const std::uint8_t> image, MineralTransferPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kMineralTransferSize)) return false;
  r.ReadAt(8, out->sender);
  r.ReadAt(9, out->source);
  r.ReadAt(10, out->destination);
  r.ReadAt(11, out->mineral);
  r.ReadAt(12, out->amount);
  r.ReadAt(14, out->transit);
  return true;
}

PacketImage<kVoteOfferWithdrawnSize> VoteOfferWithdrawnPacket::Build() const {
  PacketImage<kVoteOfferWithdrawnSize> p(PKT_VOTE_OFFER_WITHDRAWN);
  p.Put(8, guild);
  p.Put(9, slot);
  p.Put(10, asteroid);
  return p;
}

bool VoteOfferWithdrawnPacket::Parse(std::span<const std::uint8_t> image, VoteOfferWithdrawnPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kVoteOfferWithdrawnSize)) return false;
  r.ReadAt(8, out->guild);
  r.ReadAt(9, out->slot);
  r.ReadAt(10, out->asteroid);
  return true;
}

PacketImage<kShipBidSize> ShipBidPacket::Build() const {
  PacketImage<kShipBidSize> p(PKT_TRADE_REQUEST);
  p.Put(8, guild);
  p.Put(10, slot);
  p.Put(12, unitId);
  p.Put(16, unitClass);
  p.Put(18, pool);
  for (std::size_t k = 0; k < bid.size(); ++k) p.Put(20 + 4 * k, bid[k]);
  return p;
}

bool ShipBidPacket::Parse(std::span<const std::uint8_t> image, ShipBidPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kShipBidSize)) return false;
  r.ReadAt(8, out->guild);
  r.ReadAt(10, out->slot);
  r.ReadAt(12, out->unitId);
  r.ReadAt(16, out->unitClass);
  r.ReadAt(18, out->pool);
  for (std::size_t k = 0; k < out->bid.size(); ++k) r.ReadAt(20 + 4 * k, out->bid[k]);
  return true;
}

PacketImage<kVoteBidSize> VoteBidPacket::Build() const {
  PacketImage<kVoteBidSize> p(PKT_TRADE_ANSWER);
  p.Put(8, guild);
  p.Put(10, slot);
  p.Put(12, asteroid);
  p.Put(14, pool);
  for (std::size_t k = 0; k < bid.size(); ++k) p.Put(16 + 4 * k, bid[k]);
  return p;
}

bool VoteBidPacket::Parse(std::span<const std::uint8_t> image, VoteBidPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kVoteBidSize)) return false;
  r.ReadAt(8, out->guild);
  r.ReadAt(10, out->slot);
  r.ReadAt(12, out->asteroid);
  r.ReadAt(14, out->pool);
  for (std::size_t k = 0; k < out->bid.size(); ++k) r.ReadAt(16 + 4 * k, out->bid[k]);
  return true;
}
