#pragma once
// The packets the trade panel sends that have no codec elsewhere (552 and 554
// are in GuildPackets.h, 402 in OrderMenuPackets.h), built and read in one
// place by the client and the server:
//   553  the own mineral offer withdrawn (12 bytes): u8 seller at 8, u8
//        asteroid of the offer at 9, u8 mineral at 10
//   555  minerals sent from one local pool to another (20 bytes): u8 sender
//        at 8, u8 source asteroid at 9, u8 destination at 10, u8 mineral at
//        11, u16 amount at 12, u16 transit turns at 14, u32 at 16: 0 once,
//        1 a standing transfer's turn
//   403  the own vote offer withdrawn (12 bytes): u8 guild at 8, u8 chapter
//        slot at 9, u8 asteroid at 10
//   457  a bid for a ship (36 bytes): u16 guild at 8, u16 chapter slot at
//        10, u32 unit id at 12, u8 unit class at 16, u16 paying pool at 18,
//        four u32 minerals from 20
//   462  a bid for an asteroid's vote (32 bytes): u16 guild at 8, u16
//        chapter slot at 10, u16 asteroid at 12, u16 paying pool at 14, four
//        u32 minerals from 16
// Each Parse is false for an image shorter than its packet. Plain functions:
// any thread.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "Game/rules/GRulesPackets.h"

constexpr std::size_t kMineralOfferWithdrawnSize = 12;
constexpr std::size_t kMineralTransferSize = 20;
constexpr std::size_t kVoteOfferWithdrawnSize = 12;
constexpr std::size_t kShipBidSize = 36;
constexpr std::size_t kVoteBidSize = 32;

struct MineralOfferWithdrawnPacket {
  std::uint8_t seller = 0;
  std::uint8_t asteroid = 0;
  std::uint8_t mineral = 0;

  PacketImage<kMineralOfferWithdrawnSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, MineralOfferWithdrawnPacket* out);
};

struct MineralTransferPacket {
  std::uint8_t sender = 0;
  std::uint8_t source = 0;
  std::uint8_t destination = 0;
  std::uint8_t mineral = 0;
  std::uint16_t amount = 0;
  std::uint16_t transit = 0;
  std::uint32_t standing = 0;

  PacketImage<kMineralTransferSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, MineralTransferPacket* out);
};

struct VoteOfferWithdrawnPacket {
  std::uint8_t guild = 0;
  std::uint8_t slot = 0;
  std::uint8_t asteroid = 0;

  PacketImage<kVoteOfferWithdrawnSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, VoteOfferWithdrawnPacket* out);
};

struct ShipBidPacket {
  std::uint16_t guild = 0;
  std::uint16_t slot = 0;
  std::uint32_t unitId = 0;
  std::uint8_t unitClass = 0;
  std::uint16_t pool = 0;
  std::array<std::uint32_t, 4> bid{};

  PacketImage<kShipBidSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, ShipBidPacket* out);
};

struct VoteBidPacket {
  std::uint16_t guild = 0;
  std::uint16_t slot = 0;
  std::uint16_t asteroid = 0;
  std::uint16_t pool = 0;
  std::array<std::uint32_t, 4> bid{};

  PacketImage<kVoteBidSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, VoteBidPacket* out);
};
