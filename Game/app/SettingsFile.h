#pragma once
// The settings files: "UserInfo.dat" (the player's names, chapter choice, game
// set-up and options) and "eminfo.dat" (an e-mail game's set-up). Plain text,
// one "Key: value" a line. Reading keeps every good value and leaves each bad
// one (overlong, not a number, out of range, garbage) at what it was, so the
// caller's start values stand in for it. Game thread only.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "Game/setup/GameSetup.h"

// Where the settings live: views of the application's own fields.
struct UserInfoFields {
  std::span<char> playerName;  // NUL-terminated within the span
  std::span<char> nickname;
  std::span<char> chapterName;
  std::uint16_t* chapterId;        // the chosen chapter identifier (255 none)
  std::uint16_t* secondChapterId;  // written in its place when the chosen one is 40 or more
  GameConfigPacket* config;
  GameSettingsPacket* settings;
  PlayerOptions* options;
};

// The largest settings file read; the rest of a longer one is ignored.
constexpr std::size_t kMaxSettingsFileSize = 64 * 1024;

// The whole text of "UserInfo.dat" and of "eminfo.dat", lines ending in "\n".
std::string FormatUserInfo(const UserInfoFields& fields);
std::string FormatEmailInfo(const GameConfigPacket& config, const GameSettingsPacket& settings);

// Takes the settings of `text` into `fields`. True when the text was exactly
// what FormatUserInfo writes (every key once, all good, nothing else); false
// when something was missing, bad or unknown, and the file should be written
// again whole.
bool ParseUserInfo(std::string_view text, const UserInfoFields& fields);

// With toUnderscores set turns every blank into '_', otherwise every '_' into
// a blank, in place.
void ConvertNameBlanks(char* text, std::uint32_t toUnderscores);

// The e-mail game's name up to and including its last '-' (searched from the
// end down to the second character), or the whole name without one.
std::string EmailInfoPrefix(std::string_view emailGameName);

// The client turn file of an e-mail game: the game's name cut at its last '-'
// (which goes; searched from the end down to the second character), then
// "-<turn + 1>-<chapter, two digits>.ecl".
std::string EmailTurnFileName(std::string_view emailGameName, std::uint32_t turn, std::uint16_t chapter);

// Replaces the file at a DOS path whole (never a half-written file). False
// when the path cannot be resolved or written.
bool WriteSettingsFile(const std::string& dosPath, std::string_view text);
// Reads at most kMaxSettingsFileSize bytes; false when the file cannot be read.
bool ReadSettingsFile(const std::string& dosPath, std::string& text);
