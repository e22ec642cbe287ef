#pragma once
// The packets of the guild's market and of chat, built and read in one place
// by the client's dialogs and panels and by the server:
//   552  a mineral offer posted or changed (24 bytes): u8 seller at 8, u8
//        asteroid of the seller's pool at 9, u8 mineral at 10, u16 amount at
//        12, u16 price per ten units in each mineral at 14, 16, 18, 20
//   554  a purchase from an offer (16 bytes): u8 seller at 8, u8 asteroid at
//        9, u8 mineral at 10, u8 buyer at 11, u8 buyer's pool at 12, u8
//        mineral paid with at 13, u16 amount at 14
//   455  a vote on declaring a guild mate renegade (16 bytes): u16 voter at
//        8, u16 the mate's chapter slot at 10, u16 1 for, 0 against at 12
//   456  a vote for a guild mate as imperator (12 bytes): u16 voter at 8,
//        u16 the mate's chapter slot at 10
//   401  the guild's votes (100 bytes): u16 guild at 8; per member u8
//        renegade votes against it at 10 + m and votes held at 18 + m; the
//        renegade votes cast, a row of 8 bytes a voter (1 against the target
//        member) at 26 + 8 v; per member u8 the slot of its imperator vote at
//        90 + m (0xFF none); u16 total votes at 98
//   17   an interregnum starts (20 bytes): u16 guild at 8, u8 leader slot at
//        10, per member u8 1 when it backs the leader at 12 + m
//   18   an interregnum ends (12 bytes): u16 guild at 8
//   1506 a chat line: u8 sender at 8, u8 target at 9 (255 everyone, 254 the
//        sender's guild, else a chapter), u32 intercepted at 12 (the server's
//        to set), the text from 16 up to its zero
// The battle-plan packets are built beside their records (314: GUnit.h,
// 315: GDefBP.h). Plain functions: any thread.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "Game/rules/GRulesPackets.h"

constexpr std::size_t kMineralOfferSize = 24;
constexpr std::size_t kMineralPurchaseSize = 16;
constexpr std::size_t kRenegadeVoteSize = 16;
constexpr std::size_t kImperatorVoteSize = 12;
constexpr std::size_t kGuildVotesSize = 100;
constexpr std::size_t kInterregnumStartSize = 20;
constexpr std::size_t kInterregnumEndSize = 12;
constexpr std::size_t kChatTextOffset = 16;
// Longest chat text a packet carries (the dialog takes 498 characters).
constexpr std::size_t kMaxChatText = 500;
constexpr std::uint8_t kChatToAll = 255;
constexpr std::uint8_t kChatToGuild = 254;

struct MineralOfferPacket {
  std::uint8_t seller = 0;
  std::uint8_t asteroid = 0;
  std::uint8_t mineral = 0;
  std::uint16_t amount = 0;
  std::uint16_t price[4] = {};

  PacketImage<kMineralOfferSize> Build() const;
  // False when the image is shorter than 24 bytes.
  static bool Parse(std::span<const std::uint8_t> image, MineralOfferPacket* out);
};

struct MineralPurchasePacket {
  std::uint8_t seller = 0;
  std::uint8_t asteroid = 0;
  std::uint8_t mineral = 0;
  std::uint8_t buyer = 0;
  std::uint8_t pool = 0;
  std::uint8_t paidWith = 0;
  std::uint16_t amount = 0;

  PacketImage<kMineralPurchaseSize> Build() const;
  // False when the image is shorter than 16 bytes.
  static bool Parse(std::span<const std::uint8_t> image, MineralPurchasePacket* out);
};

struct RenegadeVotePacket {
  std::uint16_t voter = 0;
  std::uint16_t slot = 0;
  std::uint16_t renegade = 0;

  PacketImage<kRenegadeVoteSize> Build() const;
  // False when the image is shorter than 16 bytes.
  static bool Parse(std::span<const std::uint8_t> image, RenegadeVotePacket* out);
};

struct ImperatorVotePacket {
  std::uint16_t voter = 0;
  std::uint16_t slot = 0;

  PacketImage<kImperatorVoteSize> Build() const;
  // False when the image is shorter than 12 bytes.
  static bool Parse(std::span<const std::uint8_t> image, ImperatorVotePacket* out);
};

struct GuildVotesPacket {
  static constexpr std::size_t kMembers = 8;
  std::uint16_t guild = 0;
  std::array<std::uint8_t, kMembers> against{};
  std::array<std::uint8_t, kMembers> held{};
  std::array<std::array<std::uint8_t, kMembers>, kMembers> renegadeVotes{};  // [voter][target]
  std::array<std::uint8_t, kMembers> imperatorVote{};
  std::uint16_t total = 0;

  PacketImage<kGuildVotesSize> Build() const;
  // False when the image is shorter than 100 bytes.
  static bool Parse(std::span<const std::uint8_t> image, GuildVotesPacket* out);
};

struct InterregnumStartPacket {
  std::uint16_t guild = 0;
  std::uint8_t leader = 0;
  std::array<std::uint8_t, GuildVotesPacket::kMembers> backers{};

  PacketImage<kInterregnumStartSize> Build() const;
  // False when the image is shorter than 20 bytes.
  static bool Parse(std::span<const std::uint8_t> image, InterregnumStartPacket* out);
};

struct InterregnumEndPacket {
  std::uint16_t guild = 0;

  PacketImage<kInterregnumEndSize> Build() const;
  // False when the image is shorter than 12 bytes.
  static bool Parse(std::span<const std::uint8_t> image, InterregnumEndPacket* out);
};

struct ChatPacket {
  std::uint8_t sender = 0;
  std::uint8_t target = kChatToAll;
  std::uint32_t intercepted = 0;
  std::string text;

  // The header, the fields and the text (cut to kMaxChatText) with its zero.
  std::vector<std::uint8_t> Build() const;
  // False when the image is shorter than 16 bytes; the text runs to its zero
  // or the image's end, at most kMaxChatText characters.
  static bool Parse(std::span<const std::uint8_t> image, ChatPacket* out);
  // Sets the intercepted field of a chat line passed on as it came; false
  // (nothing written) when the image is shorter than 16 bytes.
  static bool SetIntercepted(std::span<std::uint8_t> image, std::uint32_t intercepted);
};
