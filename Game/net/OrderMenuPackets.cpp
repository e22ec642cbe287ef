#include "Game/net/OrderMenuPackets.h"

#include "Game/base/Packets.h"
#include "platform/core/bytes.h"

PacketImage<kRefuelAtAsteroidSize> RefuelAtAsteroidPacket::Build() const {
  PacketImage<kRefuelAtAsteroidSize> p(PKT_REFUEL_AT_ASTEROID);
  p.Put(8, unitId);
  p.Put(12, asteroid);
  return p;
}

bool RefuelAtAsteroidPacket::Parse(std::span<const std::uint8_t> image, RefuelAtAsteroidPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kRefuelAtAsteroidSize)) return false;
  r.ReadAt(8, out->unitId);
  r.ReadAt(12, out->asteroid);
  return true;
}

PacketImage<kShipOfferWithdrawnSize> ShipOfferWithdrawnPacket::Build() const {
  PacketImage<kShipOfferWithdrawnSize> p(PKT_SHIP_OFFER_WITHDRAWN);
  p.Put(8, guild);
  p.Put(9, slot);
  p.Put(12, unitId);
  return p;
}

bool ShipOfferWithdrawnPacket::Parse(std::span<const std::uint8_t> image, ShipOfferWithdrawnPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kShipOfferWithdrawnSize)) return false;
  r.ReadAt(8, out->guild);
  r.ReadAt(9, out->slot);
  r.ReadAt(12, out->unitId);
  return true;
}

PacketImage<kDistributeResourcesSize> DistributeResourcesPacket::Build() const {
  PacketImage<kDistributeResourcesSize> p(PKT_DISTRIBUTE_RESOURCES);
  p.Put(8, guild);
  p.Put(10, slot);
  p.Put(12, asteroid);
  return p;
}

bool DistributeResourcesPacket::Parse(std::span<const std::uint8_t> image, DistributeResourcesPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kDistributeResourcesSize)) return false;
  r.ReadAt(8, out->guild);
  r.ReadAt(10, out->slot);
  r.ReadAt(12, out->asteroid);
  return true;
}

PacketImage<kShipOfferPostedSize> ShipOfferPostedPacket::Build() const {
  PacketImage<kShipOfferPostedSize> p(PKT_SHIP_OFFER_POSTED);
  p.Put(8, guild);
  p.Put(10, slot);
  p.Put(12, unitId);
  p.Put(16, unitClass);
  for (std::size_t k = 0; k < prices.size(); ++k) p.Put(20 + 4 * k, prices[k]);
  return p;
}

bool ShipOfferPostedPacket::Parse(std::span<const std::uint8_t> image, ShipOfferPostedPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kShipOfferPostedSize)) return false;
  r.ReadAt(8, out->guild);
  r.ReadAt(10, out->slot);
  r.ReadAt(12, out->unitId);
  r.ReadAt(16, out->unitClass);
  for (std::size_t k = 0; k < out->prices.size(); ++k) r.ReadAt(20 + 4 * k, out->prices[k]);
  return true;
}

PacketImage<kVoteOfferPostedSize> VoteOfferPostedPacket::Build() const {
  PacketImage<kVoteOfferPostedSize> p(PKT_VOTE_OFFER_POSTED);
  p.Put(8, guild);
  p.Put(10, slot);
  p.Put(12, asteroid);
  for (std::size_t k = 0; k < prices.size(); ++k) p.Put(16 + 4 * k, prices[k]);
  return p;
}

bool VoteOfferPostedPacket::Parse(std::span<const std::uint8_t> image, VoteOfferPostedPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kVoteOfferPostedSize)) return false;
  r.ReadAt(8, out->guild);
  r.ReadAt(10, out->slot);
  r.ReadAt(12, out->asteroid);
  for (std::size_t k = 0; k < out->prices.size(); ++k) r.ReadAt(16 + 4 * k, out->prices[k]);
  return true;
}
