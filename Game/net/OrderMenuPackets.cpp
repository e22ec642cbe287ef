#include "Game/net/OrderMenuPackets.h"

#include "Game/base/Packets.h"
#include "Game/net/PacketFields.h"

namespace {

constexpr auto kRefuelAtAsteroidFields = [](auto& p, auto& io) {
  io.Field(8, p.unitId);
  io.Field(12, p.asteroid);
};

constexpr auto kShipOfferWithdrawnFields = [](auto& p, auto& io) {
  io.Field(8, p.guild);
  io.Field(9, p.slot);
  io.Field(12, p.unitId);
};

constexpr auto kDistributeResourcesFields = [](auto& p, auto& io) {
  io.Field(8, p.guild);
  io.Field(10, p.slot);
  io.Field(12, p.asteroid);
};

constexpr auto kShipOfferPostedFields = [](auto& p, auto& io) {
  io.Field(8, p.guild);
  io.Field(10, p.slot);
  io.Field(12, p.unitId);
  io.Field(16, p.unitClass);
  io.Each(20, 4, p.prices);
};

constexpr auto kVoteOfferPostedFields = [](auto& p, auto& io) {
  io.Field(8, p.guild);
  io.Field(10, p.slot);
  io.Field(12, p.asteroid);
  io.Each(16, 4, p.prices);
};

}  // namespace

PacketImage<kRefuelAtAsteroidSize> RefuelAtAsteroidPacket::Build() const {
  return BuildFields<kRefuelAtAsteroidSize>(PKT_REFUEL_AT_ASTEROID, *this, kRefuelAtAsteroidFields);
}

bool RefuelAtAsteroidPacket::Parse(std::span<const std::uint8_t> image, RefuelAtAsteroidPacket* out) {
  return ParseFields<kRefuelAtAsteroidSize>(image, out, kRefuelAtAsteroidFields);
}

PacketImage<kShipOfferWithdrawnSize> ShipOfferWithdrawnPacket::Build() const {
  return BuildFields<kShipOfferWithdrawnSize>(PKT_SHIP_OFFER_WITHDRAWN, *this, kShipOfferWithdrawnFields);
}

bool ShipOfferWithdrawnPacket::Parse(std::span<const std::uint8_t> image, ShipOfferWithdrawnPacket* out) {
  return ParseFields<kShipOfferWithdrawnSize>(image, out, kShipOfferWithdrawnFields);
}

PacketImage<kDistributeResourcesSize> DistributeResourcesPacket::Build() const {
  return BuildFields<kDistributeResourcesSize>(PKT_DISTRIBUTE_RESOURCES, *this, kDistributeResourcesFields);
}

bool DistributeResourcesPacket::Parse(std::span<const std::uint8_t> image, DistributeResourcesPacket* out) {
  return ParseFields<kDistributeResourcesSize>(image, out, kDistributeResourcesFields);
}

PacketImage<kShipOfferPostedSize> ShipOfferPostedPacket::Build() const {
  return BuildFields<kShipOfferPostedSize>(PKT_SHIP_OFFER_POSTED, *this, kShipOfferPostedFields);
}

bool ShipOfferPostedPacket::Parse(std::span<const std::uint8_t> image, ShipOfferPostedPacket* out) {
  return ParseFields<kShipOfferPostedSize>(image, out, kShipOfferPostedFields);
}

PacketImage<kVoteOfferPostedSize> VoteOfferPostedPacket::Build() const {
  return BuildFields<kVoteOfferPostedSize>(PKT_VOTE_OFFER_POSTED, *this, kVoteOfferPostedFields);
}

bool VoteOfferPostedPacket::Parse(std::span<const std::uint8_t> image, VoteOfferPostedPacket* out) {
  return ParseFields<kVoteOfferPostedSize>(image, out, kVoteOfferPostedFields);
}
