// The settings file reader and the game script reader on any bytes: they keep
// what is good, refuse what is not, and never read past the text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Game/app/GameScript.h"
#include "Game/app/SettingsFile.h"

namespace {

struct Fields {
  char player[52] = "Quenbar Player";
  char nick[32] = "Player";
  char chapter[32] = "Rangers";
  std::uint16_t chapterId = 255;
  std::uint16_t second = 255;
  GameConfigPacket config;
  GameSettingsPacket settings;
  PlayerOptions options;
  UserInfoFields View() { return {player, nick, chapter, &chapterId, &second, &config, &settings, &options}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Fields read;
  if (ParseUserInfo(text, read.View())) {
    // What a clean file held is what its rewrite holds: the file is read word
    // by word, so spacing may change, but no value may.
    const std::string written = FormatUserInfo(read.View());
    Fields again;
    if (!ParseUserInfo(written, again.View()) || FormatUserInfo(again.View()) != written) __builtin_trap();
  }
  if (read.options.musicLevel < 0 || read.options.musicLevel > 3 || (read.chapterId >= 40 && read.chapterId != 255))
    __builtin_trap();
  std::string error;
  ParseGameScript(text, error);
  return 0;
}
