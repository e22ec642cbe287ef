// The settings file reader and the game script reader on any bytes: they keep
// what is good, refuse what is not, and never read past the text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Game/app/GameScript.h"
#include "Game/app/SettingsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  char player[52] = "Quenbar Player";
  char nick[32] = "Player";
  char chapter[32] = "Rangers";
  std::uint16_t chapterId = 255;
  std::uint16_t second = 255;
  GameConfigPacket config;
  GameSettingsPacket settings;
  PlayerOptions options;
  const UserInfoFields fields{player, nick, chapter, &chapterId, &second, &config, &settings, &options};
  if (ParseUserInfo(text, fields)) {
    // A clean file writes back exactly as it was read.
    if (FormatUserInfo(fields) != text) __builtin_trap();
  }
  if (options.musicLevel < 0 || options.musicLevel > 3 || (chapterId >= 40 && chapterId != 255)) __builtin_trap();
  std::string error;
  ParseGameScript(text, error);
  return 0;
}
