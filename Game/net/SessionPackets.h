#pragma once
// The session's packets that the front end, the application and the server
// exchange before and around play, built and read in one place:
//   1    the local chapter's turn ended (16 bytes): u32 turn at 8
//   3    a chapter claimed, given up (chapter + 100) or answered (48 bytes):
//        u16 chapter at 8, char[32] name at 12, u32 granted at 44
//   13   the player's name for its chapter (44 bytes): u16 chapter at 8,
//        char[34] name at 10
//   23   the chapters' reports asked for or given (12 bytes): u16 chapters
//        per guild at 8 (from the host's front end, 100 + that number)
//   16   the client's status (16 bytes): u16 chapter at 8, u32 session open
//        at 12
//   25   a chapter's name and whether it is taken (48 bytes): u16 chapter at
//        8, u32 taken at 12, char[32] name at 16
//   29   a player removed from the waiting room (12 bytes): u32 player at 8
//   32   a player's readiness in the waiting room (16 bytes): u32 player at 8
//        (0 from the player itself), u32 state at 12
//   6, 7 a game saved (272 bytes) or loaded (276 bytes): char[256] file name
//        at 8, u32 save identifier at 264, u16 chapter at 268; a load adds
//        u32 "from the scenarios" at 272
//   11, 27  a load (11: the layout of 7) or a restart (27, 12 bytes: u16
//        chapter at 8) asked of every player; the asker's chapter at 268 or 8
//        is what the answers name
//   12, 28  a player's answer to a load (12) or restart (28) question (16
//        bytes): u32 answer at 8 (1 yes), u16 what it answers at 12
// Names are fixed text fields (FixedText): read up to their NUL or the
// field's end, written cut to leave their NUL. Each Parse is false for an
// image shorter than its packet. Plain functions: any thread.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "Game/rules/GRulesPackets.h"

constexpr std::size_t kEndTurnSize = 16;
constexpr std::size_t kChapterClaimSize = 48;
constexpr std::size_t kPlayerNameSize = 44;
constexpr std::size_t kStatusSize = 16;
constexpr std::size_t kChapterNameSize = 48;
constexpr std::size_t kRemovePlayerSize = 12;
constexpr std::size_t kReadySize = 16;
constexpr std::size_t kChapterReportsSize = 12;
constexpr std::size_t kSaveGameSize = 272;
constexpr std::size_t kLoadGameSize = 276;
constexpr std::size_t kAnswerSize = 16;
constexpr std::size_t kRestartRequestSize = 12;

struct EndTurnPacket {
  std::uint32_t turn = 0;

  PacketImage<kEndTurnSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, EndTurnPacket* out);
};

struct ChapterClaimPacket {
  static constexpr std::size_t kNameWidth = 32;
  std::uint16_t chapter = 0;
  std::string name;
  std::uint32_t granted = 0;

  PacketImage<kChapterClaimSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, ChapterClaimPacket* out);
};

struct PlayerNamePacket {
  static constexpr std::size_t kNameWidth = 34;
  std::uint16_t chapter = 0;
  std::string name;

  PacketImage<kPlayerNameSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, PlayerNamePacket* out);
};

struct StatusPacket {
  std::uint16_t chapter = 0;
  std::uint32_t sessionOpen = 0;

  PacketImage<kStatusSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, StatusPacket* out);
};

struct ChapterNamePacket {
  static constexpr std::size_t kNameWidth = 32;
  std::uint16_t chapter = 0;
  std::uint32_t taken = 0;
  std::string name;

  PacketImage<kChapterNameSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, ChapterNamePacket* out);
};

struct RemovePlayerPacket {
  std::uint32_t player = 0;

  PacketImage<kRemovePlayerSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, RemovePlayerPacket* out);
};

struct SaveOrLoadPacket {
  static constexpr std::size_t kNameWidth = 256;
  bool load = false;  // 7; else 6
  std::string name;
  std::uint32_t identifier = 0;
  std::uint16_t chapter = 0;
  std::uint32_t fromScenarios = 0;  // a load's only

  // False when the image is shorter than its packet (by its type).
  static bool Parse(std::span<const std::uint8_t> image, SaveOrLoadPacket* out);
};

// What a question (11, 27) tells besides a load's file (SaveOrLoadPacket's
// fields): whether it asks for a restart, and who asks.
struct QuestionPacket {
  bool restart = false;  // 27; else 11
  std::uint16_t chapter = 0;

  // A restart request (27); a load request is built with its file.
  PacketImage<kRestartRequestSize> BuildRestart() const;
  static bool Parse(std::span<const std::uint8_t> image, QuestionPacket* out);
};

struct AnswerPacket {
  bool restart = false;  // 28; else 12
  std::uint32_t answer = 0;
  std::uint16_t answered = 0;

  PacketImage<kAnswerSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, AnswerPacket* out);
};

struct ChapterReportsPacket {
  std::uint16_t chapters = 0;

  PacketImage<kChapterReportsSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, ChapterReportsPacket* out);
};

struct ReadyPacket {
  std::uint32_t player = 0;
  std::uint32_t state = 0;

  PacketImage<kReadySize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, ReadyPacket* out);
};
