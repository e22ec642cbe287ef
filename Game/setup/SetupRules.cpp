#include "Game/setup/SetupRules.h"

#include <limits>
#include <utility>

namespace {

constexpr std::uint16_t kVictoryAlways = 1;
constexpr std::uint16_t kVictoryCaptureTheFlag = 2;
constexpr std::uint16_t kVictoryBiggestIsBest = 4;
constexpr std::uint16_t kVictoryImperator = 8;
constexpr std::uint16_t kVictoryInterregnum = 16;
constexpr std::uint16_t kMinutesPerHour = 60;

// The numbers the form keeps as the block does.
constexpr std::pair<std::uint16_t ConfigForm::*, std::uint16_t GameConfigPacket::*> kSameNumbers[] = {
    {&ConfigForm::orbitSpeed, &GameConfigPacket::orbitSpeed},
    {&ConfigForm::chapters, &GameConfigPacket::chapters},
    {&ConfigForm::biggestIsBestTurns, &GameConfigPacket::biggestIsBestTurns},
    {&ConfigForm::imperatorAsteroids, &GameConfigPacket::imperatorAsteroids},
    {&ConfigForm::imperatorVotes, &GameConfigPacket::imperatorVotes},
    {&ConfigForm::asteroids, &GameConfigPacket::asteroids},
    {&ConfigForm::researchShared, &GameConfigPacket::researchShared},
};

struct Range {
  std::uint32_t low, high;
  const char* textId;
};

bool Take(std::uint32_t value, const Range& range, std::uint16_t& into, const char*& failure) {
  if (value >= range.low && value <= range.high) {
    into = static_cast<std::uint16_t>(value);
    return true;
  }
  if (!failure) failure = range.textId;
  return false;
}

}  // namespace

const std::array<std::array<std::uint8_t, kTraitLevels>, kChapterTraits> kTraitValues{{
    {20, 30, 50}, {20, 30, 50}, {25, 35, 60}, {15, 25, 45}, {20, 30, 50}, {25, 40, 65}, {25, 40, 70},
    {15, 25, 45}, {30, 55, 90}, {30, 55, 90}, {10, 15, 30}, {10, 15, 30}, {2, 3, 5},    {10, 15, 30},
    {10, 15, 30}, {2, 4, 8},    {10, 20, 30}, {15, 25, 40}, {15, 25, 40}, {10, 15, 30},
}};

ConfigForm ReadConfigForm(const GameConfigPacket& config) {
  ConfigForm form;
  form.captureTheFlag = (config.victoryConditions & kVictoryCaptureTheFlag) != 0;
  form.biggestIsBest = (config.victoryConditions & kVictoryBiggestIsBest) != 0;
  form.imperatorWins = (config.victoryConditions & kVictoryImperator) != 0;
  form.interregnum = (config.victoryConditions & kVictoryInterregnum) != 0;
  form.randomEvents = config.randomEvents == 1;
  form.chaotic = config.chaoticOrbits != 0;
  form.locked = config.word36 != 0;
  const std::uint16_t limit = config.turnTimeLimit;
  form.minutes = !(limit > kMinutesPerHour && limit % kMinutesPerHour == 0);
  form.turnTime = form.minutes ? limit : static_cast<std::uint16_t>(limit / kMinutesPerHour);
  for (const auto& [inForm, inBlock] : kSameNumbers) form.*inForm = config.*inBlock;
  return form;
}

const char* ValidateConfigEntries(const ConfigEntries& e, ConfigForm& form) {
  const char* failure = nullptr;
  // A field of a victory condition that is off cannot be edited, so it cannot
  // be put right either: it keeps its value unchecked (the start value of the
  // biggest-is-best turns, 1000, lies outside the range the edit accepts).
  if (form.biggestIsBest) Take(e.biggestIsBestTurns, {1, 999, "FEGCBBER"}, form.biggestIsBestTurns, failure);
  if (form.imperatorWins) {
    Take(e.imperatorAsteroids, {1, 100, "FEGCPAER"}, form.imperatorAsteroids, failure);
    Take(e.imperatorVotes, {1, 100, "FEGCGVER"}, form.imperatorVotes, failure);
  }
  Take(e.chapters, {1, 8, "FEGCNCER"}, form.chapters, failure);
  Take(e.asteroids, {40, 150, "FEGCNAER"}, form.asteroids, failure);
  Take(e.turnTime, {1, 60, "FEGCTTER"}, form.turnTime, failure);
  // Its message names 1 as the lowest, yet no sharing at all is a fair game.
  Take(e.researchShared, {0, 100, "FEGCRSER"}, form.researchShared, failure);
  return failure;
}

void StoreConfigForm(const ConfigForm& form, GameConfigPacket& config) {
  config.type = 52;
  std::uint16_t victory = kVictoryAlways;
  if (form.captureTheFlag) victory |= kVictoryCaptureTheFlag;
  if (form.biggestIsBest) victory |= kVictoryBiggestIsBest;
  if (form.imperatorWins) {
    victory |= kVictoryImperator;
    if (form.interregnum) victory |= kVictoryInterregnum;
  }
  config.victoryConditions = victory;
  config.turnTimeLimit = form.minutes ? form.turnTime : static_cast<std::uint16_t>(form.turnTime * kMinutesPerHour);
  config.chaoticOrbits = form.chaotic ? 1 : 0;
  config.randomEvents = form.randomEvents ? 1 : 0;
  for (const auto& [inForm, inBlock] : kSameNumbers) config.*inBlock = form.*inForm;
  config.word36 = form.locked ? 1 : 0;
}

std::uint32_t EditNumber(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.empty()) return 0;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > std::numeric_limits<std::uint32_t>::max()) return std::numeric_limits<std::uint32_t>::max();
  }
  return static_cast<std::uint32_t>(value);
}

std::uint32_t ImperatorAsteroidCount(std::uint32_t asteroids, std::uint32_t percent) {
  return static_cast<std::uint32_t>(std::uint64_t{asteroids} * percent / 100);
}

TraitLevels TraitLevelsOf(const std::array<std::uint8_t, kChapterTraits>& bytes) {
  TraitLevels levels;
  levels.fill(-1);
  for (int t = 0; t < kChapterTraits; ++t)
    for (int l = 0; l < kTraitLevels; ++l)
      if (bytes[t] != 0 && bytes[t] == kTraitValues[t][l]) levels[t] = static_cast<std::int8_t>(l);
  return levels;
}

std::array<std::uint8_t, kChapterTraits> TraitBytesOf(const TraitLevels& levels) {
  std::array<std::uint8_t, kChapterTraits> bytes{};
  for (int t = 0; t < kChapterTraits; ++t)
    if (levels[t] >= 0 && levels[t] < kTraitLevels) bytes[t] = kTraitValues[t][levels[t]];
  return bytes;
}

namespace {

// The most traits a chapter may have at each level.
constexpr std::array<int, kTraitLevels> kTraitLimit{3, 2, 1};

}  // namespace

bool TraitPicksAllowed(const std::array<std::uint8_t, kChapterTraits>& bytes) {
  const TraitLevels levels = TraitLevelsOf(bytes);
  int level = -1, picks = 0;
  for (int t = 0; t < kChapterTraits; ++t) {
    if (bytes[t] == 0) continue;
    if (levels[t] < 0 || (level >= 0 && levels[t] != level)) return false;
    level = levels[t];
    ++picks;
  }
  return level < 0 || picks <= kTraitLimit[level];
}

std::array<bool, kChapterTraits * kTraitLevels> TraitButtonsEnabled(const TraitLevels& levels) {
  std::array<bool, kChapterTraits * kTraitLevels> enabled;
  enabled.fill(true);
  std::array<int, kTraitLevels> chosen{};
  for (std::int8_t l : levels)
    if (l >= 0 && l < kTraitLevels) ++chosen[l];
  for (int level = 0; level < kTraitLevels; ++level) {
    if (chosen[level] == 0) continue;
    for (int t = 0; t < kChapterTraits; ++t) {
      for (int l = 0; l < kTraitLevels; ++l) {
        bool& on = enabled[t * kTraitLevels + l];
        if (l != level) {
          on = false;
        } else if (levels[t] != level) {
          on = chosen[level] < kTraitLimit[level];
        } else {
          // A chosen button stays open while its level's rule is the last to
          // apply; the highest level's always is, so stored values that mix
          // it with others can still be released.
          on = true;
        }
      }
    }
  }
  return enabled;
}
