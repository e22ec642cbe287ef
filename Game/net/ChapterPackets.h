#pragma once
// The packets that tell a chapter's client of the chapters, its purse and its
// standing, built and read in one place:
//   0     the start signal (12 bytes): u16 at 8, 1 to start play (0 ends a
//         waiting room, left to the front end)
//   450   a chapter in the game (68 bytes): u16 guild at 8, u16 slot in the
//         guild at 10, char[32] name at 12, u16 home asteroid at 64
//   464   the chapter's traits (28 bytes): u8 each at 8 + t
//   550   a mineral pool (32 bytes): u16 asteroid at 8, u8 storage at 10,
//         u32 blockade at 12, u32 of each mineral at 16
//   551   the chapter's credits (12 bytes): u32 at 8
//   505   the standings (8 + 8 per chapter): for chapter c at 8 + 8 c, u8
//         asteroids owned, u8 asteroids present, u8 votes, u16 ships at + 4,
//         u16 science bonus limit at + 6
//   507   the scores (168 bytes): u32 per chapter at 8 + 4 c
//   504, 509  research progress of a module (504) or hull (509) (14 bytes):
//         u16 index at 8, u16 points at 10, u16 research word at 12
//   201   a design's trailing values (36 bytes): u32 design id at 8, u16
//         creation turn and its high word at 12 and 14, two u16 at 16, four
//         u32 at 20
//   19    the game's end (1012 bytes), per chapter c: u8 result at 8 + c
//         (0 defeated, 1 minor winner, 2 major winner), u8 asteroids owned
//         at 50 + c and controlled at 90 + c, u32 credits at 132 + 4 c, u32
//         of each mineral m in the owned asteroids' pools at 292 + 160 m +
//         4 c, u16 operational units at 932 + 2 c; u16 the condition that
//         ended the game at 48
// Names are fixed text fields (FixedText). Each Parse is false for an image
// shorter than its packet. Plain functions: any thread.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "Game/model/GChapter.h"
#include "Game/model/GWorldTypes.h"
#include "Game/rules/GRulesPackets.h"

constexpr std::size_t kStartSignalSize = 12;
constexpr std::size_t kChapterStartSize = 68;
constexpr std::size_t kChapterTraitsSize = 28;
constexpr std::size_t kPoolStateSize = 32;
constexpr std::size_t kCreditsSize = 12;
constexpr std::size_t kStandingsSize = 8 + 8 * kMaxChapters;
constexpr std::size_t kScoresSize = 8 + 4 * kMaxChapters;
constexpr std::size_t kResearchProgressSize = 14;
constexpr std::size_t kTemplateValuesSize = 36;
constexpr std::size_t kGameOverSize = 1012;

struct StartSignalPacket {
  std::uint16_t start = 0;

  PacketImage<kStartSignalSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, StartSignalPacket* out);
};

struct ChapterStartPacket {
  static constexpr std::size_t kNameWidth = 32;
  std::uint16_t guild = 0;
  std::uint16_t slot = 0;
  std::string name;
  std::uint16_t home = 0;

  PacketImage<kChapterStartSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, ChapterStartPacket* out);
};

struct ChapterTraitsPacket {
  std::array<std::uint8_t, kTraitCount> traits{};

  PacketImage<kChapterTraitsSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, ChapterTraitsPacket* out);
};

struct PoolStatePacket {
  std::uint16_t asteroid = 0;
  std::uint8_t storage = 0;
  std::uint32_t blockade = 0;
  std::array<std::uint32_t, 4> minerals{};

  PacketImage<kPoolStateSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, PoolStatePacket* out);
};

struct CreditsPacket {
  std::uint32_t credits = 0;

  PacketImage<kCreditsSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, CreditsPacket* out);
};

struct StandingsPacket {
  struct Row {
    std::uint8_t owned = 0;
    std::uint8_t present = 0;
    std::uint8_t votes = 0;
    std::uint16_t ships = 0;
    std::uint16_t bonusLimit = 0;
  };
  std::array<Row, kMaxChapters> rows{};

  PacketImage<kStandingsSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, StandingsPacket* out);
};

struct ScoresPacket {
  std::array<std::uint32_t, kMaxChapters> scores{};

  PacketImage<kScoresSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, ScoresPacket* out);
};

struct ResearchProgressPacket {
  bool hull = false;  // 509; else 504
  std::uint16_t index = 0;
  std::uint16_t points = 0;
  std::uint16_t research = 0;

  PacketImage<kResearchProgressSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, ResearchProgressPacket* out);
};

struct GameOverPacket {
  std::array<std::uint8_t, kMaxChapters> results{};
  std::uint16_t condition = 0;
  std::array<std::uint8_t, kMaxChapters> owned{};
  std::array<std::uint8_t, kMaxChapters> controlled{};
  std::array<std::uint32_t, kMaxChapters> credits{};
  std::array<std::array<std::uint32_t, kMaxChapters>, 4> minerals{};  // by mineral, then chapter
  std::array<std::uint16_t, kMaxChapters> units{};

  PacketImage<kGameOverSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, GameOverPacket* out);
};

struct TemplateValuesPacket {
  std::uint32_t designId = 0;
  std::uint16_t creationTurn = 0;
  std::uint16_t creationTurnHigh = 0;
  std::array<std::uint16_t, 2> words{};
  std::array<std::uint32_t, 4> longs{};

  PacketImage<kTemplateValuesSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, TemplateValuesPacket* out);
};
