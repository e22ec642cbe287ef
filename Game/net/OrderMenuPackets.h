#pragma once
// The packets the order menus and order modes send, built in one place:
//   126  a ship recharges from the asteroid it is at (16 bytes): u32 unit id
//        at 8, u16 asteroid at 12
//   402  a ship offer withdrawn (16 bytes): u8 guild at 8, u8 chapter slot at
//        9, u32 unit id at 12
//   460  a ship offered for sale (36 bytes): u16 guild at 8, u16 chapter slot
//        at 10, u32 unit id at 12, u8 unit class at 16, four u32 prices from 20
//   405  an asteroid's resources distributed over its owner's stores (16
//        bytes): u16 guild at 8, u16 chapter slot at 10, u16 asteroid at 12
//   461  an asteroid's votes offered for sale (32 bytes): u16 guild at 8, u16
//        chapter slot at 10, u16 asteroid at 12, four u32 prices from 16
// Each Parse is false for an image shorter than its packet. Plain functions:
// any thread.

#include <array>
#include <cstdint>
#include <span>

#include "Game/rules/GRulesPackets.h"

constexpr std::size_t kRefuelAtAsteroidSize = 16;
constexpr std::size_t kShipOfferWithdrawnSize = 16;
constexpr std::size_t kDistributeResourcesSize = 16;
constexpr std::size_t kVoteOfferPostedSize = 32;
constexpr std::size_t kShipOfferPostedSize = 36;

struct RefuelAtAsteroidPacket {
  std::uint32_t unitId = 0;
  std::uint16_t asteroid = 0;

  PacketImage<kRefuelAtAsteroidSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, RefuelAtAsteroidPacket* out);
};

struct ShipOfferWithdrawnPacket {
  std::uint8_t guild = 0;
  std::uint8_t slot = 0;
  std::uint32_t unitId = 0;

  PacketImage<kShipOfferWithdrawnSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, ShipOfferWithdrawnPacket* out);
};

struct DistributeResourcesPacket {
  std::uint16_t guild = 0;
  std::uint16_t slot = 0;
  std::uint16_t asteroid = 0;

  PacketImage<kDistributeResourcesSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, DistributeResourcesPacket* out);
};

struct ShipOfferPostedPacket {
  std::uint16_t guild = 0;
  std::uint16_t slot = 0;
  std::uint32_t unitId = 0;
  std::uint8_t unitClass = 0;
  std::array<std::uint32_t, 4> prices{};

  PacketImage<kShipOfferPostedSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, ShipOfferPostedPacket* out);
};

struct VoteOfferPostedPacket {
  std::uint16_t guild = 0;
  std::uint16_t slot = 0;
  std::uint16_t asteroid = 0;
  std::array<std::uint32_t, 4> prices{};

  PacketImage<kVoteOfferPostedSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, VoteOfferPostedPacket* out);
};
