#pragma once
// The nine best finished games of this installation, as kept in
// "hiscore.dat": nine 53-byte little-endian records, best first, written as a
// text file of the old runtime wrote them (every byte 10 stored as 13, 10).
// Game thread only.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

constexpr int kHighScoreRows = 9;
constexpr std::size_t kHighScoreRecordSize = 53;
constexpr std::size_t kHighScoreNameSize = 40;
constexpr const char* kHighScoreFile = "hiscore.dat";

// Victory-condition flags of the conditions field.
enum : std::uint16_t {
  kConditionCaptureFlag = 2,
  kConditionBiggest = 4,
  kConditionImperator = 8,
  kConditionInterregnum = 16,
};

struct HighScoreEntry {
  char name[kHighScoreNameSize] = {};  // always zero-terminated
  std::uint8_t guild = 0;
  std::uint8_t chapters = 0;
  std::uint8_t asteroids = 0;
  std::uint16_t turns = 0;
  std::uint8_t owned = 0;
  std::int32_t score = 0;
  std::uint16_t conditions = 0;
  std::uint8_t result = 0;  // 0 defeated, 1 minor winner, 2 major winner

  // A score below 1 marks an empty row; the table ends there.
  bool Empty() const { return score < 1; }
  // The name, cut to what the field holds with its zero.
  void SetName(std::string_view text);
};

using HighScoreTable = std::array<HighScoreEntry, kHighScoreRows>;

// The file's bytes as the table: 13, 10 read as 10, then the records field by
// field as far as the bytes go (the rest stays empty); longer files are read
// up to their ninth record.
HighScoreTable DecodeHighScores(std::span<const std::uint8_t> file);
// The nine records with each byte 10 written as 13, 10.
std::vector<std::uint8_t> EncodeHighScores(const HighScoreTable& table);

// Places `entry` at the topmost row whose score is below its own (a tie goes
// below), moving the rows under it down and dropping the ninth; its row, or
// -1 when it does not reach the table.
int PlaceHighScore(HighScoreTable* table, const HighScoreEntry& entry);

// "hiscore.dat" of the installation directory; an empty table when it is
// missing. Writing leaves the file as it was when it cannot be opened.
HighScoreTable ReadHighScoreFile();
bool WriteHighScoreFile(const HighScoreTable& table);
