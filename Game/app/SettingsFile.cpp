#include "Game/app/SettingsFile.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/core/dospath.h"
#include "platform/core/durable_file.h"
#include "platform/core/files.h"

namespace {

// A u16 field of a packet with its key; limits are inclusive.
struct NumberKey {
  const char* key;
  std::uint16_t* field;
  std::uint32_t min;
  std::uint32_t max;
};

constexpr std::uint32_t kU16Max = std::numeric_limits<std::uint16_t>::max();

std::vector<NumberKey> ConfigKeys(GameConfigPacket& c, bool withTimeLimit) {
  std::vector<NumberKey> keys{{"NumberOfChapters:", &c.chapters, 0, kU16Max},
                              {"NumberOfAsteroids:", &c.asteroids, 0, kU16Max}};
  if (withTimeLimit) keys.push_back({"TurnTimeLimit:", &c.turnTimeLimit, 0, kU16Max});
  for (NumberKey k :
       {NumberKey{"VictoryConditions:", &c.victoryConditions, 0, kU16Max},
        NumberKey{"BiggestIsBestTurns:", &c.biggestIsBestTurns, 0, kU16Max},
        NumberKey{"ImperatorAsteroids:", &c.imperatorAsteroids, 0, kU16Max},
        NumberKey{"ImperatorVotes:", &c.imperatorVotes, 0, kU16Max},
        NumberKey{"RandomEvents:", &c.randomEvents, 0, kU16Max}, NumberKey{"OrbitSpeed:", &c.orbitSpeed, 0, kU16Max},
        NumberKey{"ResearchShared:", &c.researchShared, 0, kU16Max},
        NumberKey{"ChaoticOrbits:", &c.chaoticOrbits, 0, kU16Max}})
    keys.push_back(k);
  return keys;
}

std::vector<NumberKey> SettingsKeys(GameSettingsPacket& s) {
  return {{"FOWShowInTransit:", &s.fowShowInTransit, 0, kU16Max},
          {"FOWShowInAsteroidal:", &s.fowShowInAsteroidal, 0, kU16Max},
          {"FOWAstStartScanned:", &s.fowAstStartScanned, 0, kU16Max},
          {"FOWShipStartScanned:", &s.fowShipStartScanned, 0, kU16Max},
          {"FOWDispControlOfAst:", &s.fowDispControlOfAst, 0, kU16Max},
          {"FOWShowAsteroids:", &s.fowShowAsteroids, 0, kU16Max},
          {"RandomSystemSize:", &s.randomSystemSize, 0, kU16Max},
          {"RandomEconomicGrade:", &s.randomEconomicGrade, 0, kU16Max},
          {"RandomOrbits:", &s.randomOrbits, 0, kU16Max},
          {"ResourceScale:", &s.resourceScale, 0, kU16Max},
          {"ForceScale:", &s.forceScale, 0, kU16Max}};
}

struct OptionKey {
  const char* key;
  std::uint32_t* field;
};

std::vector<OptionKey> OptionKeys(PlayerOptions& o) {
  return {{"StaticFacing:", &o.staticFacing},
          {"Zoom:", &o.zoom},
          {"Fogging:", &o.fogging},
          {"Stars:", &o.stars},
          {"Speech:", &o.speech},
          {"FrameAnimation:", &o.frameAnimation}};
}

void AppendLine(std::string& out, const char* key, std::string_view value) {
  out += key;
  out += ' ';
  out += value;
  out += '\n';
}

void AppendNumber(std::string& out, const char* key, long long value) { AppendLine(out, key, std::to_string(value)); }

void AppendName(std::string& out, const char* key, std::span<const char> name) {
  std::string word(name.data(), strnlen(name.data(), name.size()));
  for (char& c : word)
    if (c == ' ') c = '_';
  AppendLine(out, key, word);
}

void AppendSetup(std::string& out, GameConfigPacket config, GameSettingsPacket settings, bool withTimeLimit) {
  for (const NumberKey& k : ConfigKeys(config, withTimeLimit)) AppendNumber(out, k.key, *k.field);
  for (const NumberKey& k : SettingsKeys(settings)) AppendNumber(out, k.key, *k.field);
  for (int i = 0; i < kChapterTraits; ++i)
    AppendLine(out, "ChapterTrait:", std::to_string(i) + " " + std::to_string(settings.traits[i]));
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

class Words {
 public:
  explicit Words(std::string_view text) : text_(text) {}
  bool Next(std::string_view& word) {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
    if (pos_ >= text_.size()) return false;
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !IsBlank(text_[pos_])) ++pos_;
    word = text_.substr(start, pos_ - start);
    return true;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// Decimal digits only, within [min, max].
bool ParseNumber(std::string_view word, std::uint64_t min, std::uint64_t max, std::uint64_t& out) {
  if (word.empty() || word.size() > 10) return false;
  std::uint64_t v = 0;
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), v);
  if (ec != std::errc() || end != word.data() + word.size() || v < min || v > max) return false;
  out = v;
  return true;
}

// A printable word that fits the field with its terminator.
bool ParseName(std::string_view word, std::span<char> field) {
  if (word.size() + 1 > field.size()) return false;
  for (char c : word)
    if (static_cast<unsigned char>(c) < 0x21 || static_cast<unsigned char>(c) > 0x7E) return false;
  std::memcpy(field.data(), word.data(), word.size());
  field[word.size()] = '\0';
  ConvertNameBlanks(field.data(), 0);
  return true;
}

// Reads the value of a u16 key when `word` is that key.
void TakeNumber(std::string_view word, const NumberKey& k, Words& words, bool& known, bool& good) {
  if (word != k.key) return;
  known = true;
  std::string_view v;
  std::uint64_t n = 0;
  good = words.Next(v) && ParseNumber(v, k.min, k.max, n);
  if (good) *k.field = static_cast<std::uint16_t>(n);
}

}  // namespace

std::string FormatUserInfo(const UserInfoFields& f) {
  std::string out;
  AppendName(out, "PlayerName:", f.playerName);
  AppendName(out, "PlayerNicname:", f.nickname);
  AppendNumber(out, "MyChapter:", *f.chapterId < 40 ? *f.chapterId : *f.secondChapterId);
  AppendName(out, "MyChapterName:", f.chapterName);
  AppendSetup(out, *f.config, *f.settings, true);
  AppendNumber(out, "MusicScale:", f.options->musicLevel);
  AppendNumber(out, "SFXScale:", f.options->effectsLevel);
  PlayerOptions options = *f.options;
  for (const OptionKey& k : OptionKeys(options)) AppendNumber(out, k.key, *k.field);
  return out;
}

std::string FormatEmailInfo(const GameConfigPacket& config, const GameSettingsPacket& settings) {
  std::string out;
  AppendSetup(out, config, settings, false);
  return out;
}

bool ParseUserInfo(std::string_view text, const UserInfoFields& f) {
  bool clean = text.size() <= kMaxSettingsFileSize;
  text = text.substr(0, kMaxSettingsFileSize);
  const auto configKeys = ConfigKeys(*f.config, true);
  const auto settingsKeys = SettingsKeys(*f.settings);
  const auto optionKeys = OptionKeys(*f.options);
  // Each key counts its good lines: a clean file has every key once (and
  // every trait index once).
  std::vector<std::string_view> seen;
  std::uint32_t traitsSeen = 0;

  Words words(text);
  std::string_view word;
  auto value = [&](std::string_view& v) { return words.Next(v); };
  while (words.Next(word)) {
    std::string_view v;
    std::uint64_t n = 0;
    bool good = false;
    bool known = true;
    if (word == "PlayerName:") {
      good = value(v) && ParseName(v, f.playerName);
    } else if (word == "PlayerNicname:") {
      good = value(v) && ParseName(v, f.nickname);
    } else if (word == "MyChapterName:") {
      good = value(v) && ParseName(v, f.chapterName);
    } else if (word == "MyChapter:") {
      good = value(v) && ParseNumber(v, 0, 255, n) && (n < 40 || n == 255);
      if (good) *f.chapterId = static_cast<std::uint16_t>(n);
    } else if (word == "MusicScale:" || word == "SFXScale:") {
      good = value(v) && ParseNumber(v, 0, 3, n);
      if (good)
        (word == "MusicScale:" ? f.options->musicLevel : f.options->effectsLevel) = static_cast<std::int16_t>(n);
    } else if (word == "ChapterTrait:") {
      std::string_view v2;
      std::uint64_t index = 0;
      good = value(v) && ParseNumber(v, 0, kChapterTraits - 1, index) && value(v2) && ParseNumber(v2, 0, 255, n);
      if (good) {
        f.settings->traits[index] = static_cast<std::uint8_t>(n);
        if (traitsSeen & (1u << index)) clean = false;
        traitsSeen |= 1u << index;
      }
    } else {
      known = false;
      for (const auto& k : configKeys) TakeNumber(word, k, words, known, good);
      for (const auto& k : settingsKeys) TakeNumber(word, k, words, known, good);
      for (const auto& k : optionKeys) {
        if (word != k.key) continue;
        known = true;
        good = value(v) && ParseNumber(v, 0, 0xFFFFFFFFu, n);
        if (good) *k.field = static_cast<std::uint32_t>(n);
      }
    }
    if (!known || !good) {
      clean = false;
      continue;
    }
    if (word != "ChapterTrait:") {
      for (std::string_view s : seen)
        if (s == word) clean = false;
      seen.push_back(word);
    }
  }
  const std::size_t keyCount = 4 + configKeys.size() + settingsKeys.size() + 2 + optionKeys.size();
  return clean && seen.size() == keyCount && traitsSeen == (1u << kChapterTraits) - 1;
}

void ConvertNameBlanks(char* text, std::uint32_t toUnderscores) {
  if (!text) return;
  const char from = toUnderscores ? ' ' : '_';
  const char to = toUnderscores ? '_' : ' ';
  for (; *text; ++text)
    if (*text == from) *text = to;
}

std::string EmailInfoPrefix(std::string_view name) {
  for (std::size_t i = name.size(); i-- > 1;)
    if (name[i] == '-') return std::string(name.substr(0, i + 1));
  return std::string(name);
}

std::string EmailTurnFileName(std::string_view name, std::uint32_t turn, std::uint16_t chapter) {
  std::string prefix(name);
  for (std::size_t i = name.size(); i-- > 1;) {
    if (name[i] != '-') continue;
    prefix.resize(i);
    break;
  }
  char tail[40];
  std::snprintf(tail, sizeof tail, "-%u-%02u.ecl", turn + 1, static_cast<unsigned>(chapter));
  return prefix + tail;
}

bool WriteSettingsFile(const std::string& dosPath, std::string_view text) {
  const auto host = plat::ResolveDosPath(dosPath);
  return host && plat::ReplaceFileDurably(*host, text);
}

bool ReadSettingsFile(const std::string& dosPath, std::string& text) {
  plat::FILE* fp = plat::fopen(dosPath.c_str(), "rb");
  if (!fp) return false;
  text.assign(kMaxSettingsFileSize + 1, '\0');
  const std::size_t n = plat::fread(text.data(), 1, text.size(), fp);
  plat::fclose(fp);
  text.resize(n);
  return true;
}
