#pragma once
// The voice texts and the guilds' voices (data/voices/voices.txt, format
// described there), and speaking them with espeak-ng.

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace sound {

struct GuildVoice {
  std::string voice;  // espeak-ng voice name
  int speed = 160;    // words per minute
  int pitch = 50;     // 0..99
};

struct VoiceScript {
  std::map<int, GuildVoice> guilds;  // by guild number 1..5
  std::map<int, std::string> texts;  // by voice file number
};

// Throws std::runtime_error("line N: what") on a malformed line.
VoiceScript ParseVoiceScript(std::string_view source);

// Runs espeak-ng to write `text` in `voice` as a WAV file; false when it fails.
bool Speak(const GuildVoice& voice, const std::string& text, const std::filesystem::path& wav);

}  // namespace sound
