#pragma once
// The packets the game's host (the server) answers and tells the players
// with about the session, built and read in one place:
//   4    a chapter's player (16 bytes): u16 chapter at 8, u32 the player's
//        library identifier at 12 (0: none holds it)
//   9    a save done (12 bytes): u32 at 8, 1 saved, 0 not
//   10   a load done (16 bytes): u32 at 8, 1 loaded, 0 not; u16 turn lamps lit
//        at 12
//   24   whether the game has started, the answer to a settings query (12
//        bytes): u32 at 8
//   31   the turn lamps (12 bytes): u16 chapter at 8, u16 lamps lit at 10
//   451  a chapter renamed (48 bytes): u16 guild at 8, u16 slot in the guild
//        at 10, char[32] name at 12
// Names are fixed text fields (FixedText). Each Parse is false for an image
// shorter than its packet. Plain functions: any thread.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "Game/rules/GRulesPackets.h"

constexpr std::size_t kPlayerIdSize = 16;
constexpr std::size_t kSaveDoneSize = 12;
constexpr std::size_t kLoadReplySize = 16;
constexpr std::size_t kGameStartedSize = 12;
constexpr std::size_t kTurnLampsSize = 12;
constexpr std::size_t kChapterRenamedSize = 48;

struct PlayerIdPacket {
  std::uint16_t chapter = 0;
  std::uint32_t player = 0;

  PacketImage<kPlayerIdSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, PlayerIdPacket* out);
};

struct SaveDonePacket {
  std::uint32_t saved = 0;

  PacketImage<kSaveDoneSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, SaveDonePacket* out);
};

struct LoadReplyPacket {
  std::uint32_t loaded = 0;
  std::uint16_t lampsLit = 0;

  PacketImage<kLoadReplySize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, LoadReplyPacket* out);
};

struct GameStartedPacket {
  std::uint32_t started = 0;

  PacketImage<kGameStartedSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, GameStartedPacket* out);
};

struct TurnLampsPacket {
  std::uint16_t chapter = 0;
  std::uint16_t lampsLit = 0;

  PacketImage<kTurnLampsSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, TurnLampsPacket* out);
};

struct ChapterRenamedPacket {
  static constexpr std::size_t kNameWidth = 32;
  std::uint16_t guild = 0;
  std::uint16_t slot = 0;
  std::string name;

  PacketImage<kChapterRenamedSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, ChapterRenamedPacket* out);
};
