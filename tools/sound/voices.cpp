#include "tools/sound/voices.h"

#include <spawn.h>
#include <sys/wait.h>

#include <charconv>
#include <sstream>
#include <stdexcept>
#include <vector>

extern char** environ;

namespace sound {
namespace {

bool ToInt(const std::string& s, int& out) {
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && p == s.data() + s.size();
}

std::string Trim(const std::string& s) {
  const auto a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return {};
  return s.substr(a, s.find_last_not_of(" \t\r") - a + 1);
}

}  // namespace

VoiceScript ParseVoiceScript(std::string_view source) {
  VoiceScript script;
  std::istringstream in{std::string(source)};
  int lineNo = 0;
  for (std::string line; std::getline(in, line);) {
    ++lineNo;
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    auto fail = [&](const std::string& what) {
      throw std::runtime_error("line " + std::to_string(lineNo) + ": " + what);
    };
    if (line.rfind("guild ", 0) == 0) {
      std::istringstream words(line.substr(6));
      std::string n, voice, speed, pitch, extra;
      GuildVoice g;
      int guild = 0;
      if (!(words >> n >> voice >> speed >> pitch) || (words >> extra) || !ToInt(n, guild) || guild < 1 || guild > 5 ||
          !ToInt(speed, g.speed) || !ToInt(pitch, g.pitch) || g.speed < 80 || g.speed > 450 || g.pitch < 0 ||
          g.pitch > 99) {
        fail("expected guild N VOICE SPEED PITCH");
      }
      g.voice = voice;
      script.guilds[guild] = g;
      continue;
    }
    const auto bar = line.find('|');
    int number = 0;
    if (bar == std::string::npos || !ToInt(Trim(line.substr(0, bar)), number) || number < 1 || number > 99) {
      fail("expected N | TEXT");
    }
    const std::string text = Trim(line.substr(bar + 1));
    if (text.empty() || !script.texts.emplace(number, text).second) fail("empty or repeated text");
  }
  return script;
}

bool Speak(const GuildVoice& voice, const std::string& text, const std::filesystem::path& wav) {
  // No shell: the text goes to espeak-ng as one argument, whatever it holds.
  std::vector<std::string> args = {
      "espeak-ng", "-v",         voice.voice, "-s", std::to_string(voice.speed), "-p", std::to_string(voice.pitch),
      "-w",        wav.string(), "--",        text};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, "espeak-ng", nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && std::filesystem::file_size(wav) > 44;
}

}  // namespace sound
