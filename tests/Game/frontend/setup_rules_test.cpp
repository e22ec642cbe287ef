#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "Game/setup/SetupRules.h"

namespace {

ConfigEntries GoodEntries() { return {500, 51, 35, 8, 150, 60, 50}; }

TEST(ConfigForm, TheTurnLimitOpensInHoursOnlyForWholeHoursAboveOne) {
  GameConfigPacket config;
  config.turnTimeLimit = 120;
  ConfigForm form = ReadConfigForm(config);
  EXPECT_FALSE(form.minutes);
  EXPECT_EQ(form.turnTime, 2);
  config.turnTimeLimit = 90;
  form = ReadConfigForm(config);
  EXPECT_TRUE(form.minutes);
  EXPECT_EQ(form.turnTime, 90);
  // 90 minutes is more than the minutes edit takes: it must be changed first.
  ConfigEntries e = GoodEntries();
  e.turnTime = form.turnTime;
  EXPECT_STREQ(ValidateConfigEntries(e, form), "FEGCTTER");
  config.turnTimeLimit = 60;
  form = ReadConfigForm(config);
  EXPECT_TRUE(form.minutes);
  EXPECT_EQ(form.turnTime, 60);
}

TEST(ConfigForm, OnlyTheFirstValueOutOfRangeIsReportedAndTheGoodOnesAreTaken) {
  GameConfigPacket config;
  config.victoryConditions = 1 | 4 | 8;  // biggest is best and imperator: every field is checked
  ConfigForm form = ReadConfigForm(config);
  ConfigEntries e = GoodEntries();
  e.chapters = 9;
  e.asteroids = 39;
  e.imperatorVotes = 77;
  EXPECT_STREQ(ValidateConfigEntries(e, form), "FEGCNCER");
  EXPECT_EQ(form.imperatorVotes, 77);
  EXPECT_EQ(form.chapters, 8);
  EXPECT_EQ(form.asteroids, 150);

  const struct {
    std::uint32_t ConfigEntries::*field;
    std::uint32_t low, high;
    const char* message;
  } kRanges[] = {
      {&ConfigEntries::biggestIsBestTurns, 1, 999, "FEGCBBER"},
      {&ConfigEntries::imperatorAsteroids, 1, 100, "FEGCPAER"},
      {&ConfigEntries::imperatorVotes, 1, 100, "FEGCGVER"},
      {&ConfigEntries::chapters, 1, 8, "FEGCNCER"},
      {&ConfigEntries::asteroids, 40, 150, "FEGCNAER"},
      {&ConfigEntries::turnTime, 1, 60, "FEGCTTER"},
      {&ConfigEntries::researchShared, 0, 100, "FEGCRSER"},
  };
  for (const auto& r : kRanges) {
    for (std::uint32_t v : {r.low, r.high}) {
      ConfigEntries ok = GoodEntries();
      ok.*r.field = v;
      EXPECT_EQ(ValidateConfigEntries(ok, form), nullptr) << r.message << " " << v;
    }
    ConfigEntries bad = GoodEntries();
    bad.*r.field = r.high + 1;
    EXPECT_STREQ(ValidateConfigEntries(bad, form), r.message);
    if (r.low > 0) {
      bad.*r.field = r.low - 1;
      EXPECT_STREQ(ValidateConfigEntries(bad, form), r.message);
    }
  }
}

TEST(ConfigForm, FieldsOfVictoryConditionsThatAreOffKeepTheirValuesUnchecked) {
  GameConfigPacket config;  // start values: imperator only, biggest-is-best turns 1000
  ConfigForm form = ReadConfigForm(config);
  ConfigEntries e = GoodEntries();
  e.biggestIsBestTurns = 1000;
  EXPECT_EQ(ValidateConfigEntries(e, form), nullptr);
  StoreConfigForm(form, config);
  EXPECT_EQ(config.biggestIsBestTurns, 1000);
  form.imperatorWins = false;
  e.imperatorAsteroids = 0;
  EXPECT_EQ(ValidateConfigEntries(e, form), nullptr);
  EXPECT_EQ(form.imperatorAsteroids, 51);
}

TEST(ConfigForm, StoringWritesTheVictoryBitsAndTheTurnLimitInMinutes) {
  GameConfigPacket config;
  config.type = 0;
  ConfigForm form = ReadConfigForm(config);
  form.captureTheFlag = true;
  form.imperatorWins = false;
  form.interregnum = true;  // kept, but stored only with imperator wins
  form.minutes = false;
  form.turnTime = 3;
  form.chaotic = true;
  form.randomEvents = true;
  form.locked = true;
  StoreConfigForm(form, config);
  EXPECT_EQ(config.type, 52);
  EXPECT_EQ(config.victoryConditions, 1 | 2);
  EXPECT_EQ(config.turnTimeLimit, 180);
  EXPECT_EQ(config.chaoticOrbits, 1);
  EXPECT_EQ(config.randomEvents, 1);
  EXPECT_EQ(config.word36, 1u);
  form.imperatorWins = true;
  StoreConfigForm(form, config);
  EXPECT_EQ(config.victoryConditions, 1 | 2 | 8 | 16);
  EXPECT_TRUE(ReadConfigForm(config).interregnum);
}

TEST(ConfigForm, EditTextsAreReadAsUnsignedNumbers) {
  EXPECT_EQ(EditNumber("150"), 150u);
  EXPECT_EQ(EditNumber(" 7 "), 7u);
  EXPECT_EQ(EditNumber(""), 0u);
  EXPECT_EQ(EditNumber("12a"), 0u);
  EXPECT_EQ(EditNumber("-3"), 0u);
  EXPECT_EQ(EditNumber("99999999999999"), std::numeric_limits<std::uint32_t>::max());
  EXPECT_EQ(ImperatorAsteroidCount(150, 51), 76u);
  EXPECT_EQ(ImperatorAsteroidCount(40, 1), 0u);
}

TraitLevels Levels(std::initializer_list<std::pair<int, int>> chosen) {
  TraitLevels levels;
  levels.fill(-1);
  for (auto [trait, level] : chosen) levels[trait] = static_cast<std::int8_t>(level);
  return levels;
}

int EnabledCount(const TraitLevels& levels, int level) {
  const auto enabled = TraitButtonsEnabled(levels);
  int n = 0;
  for (int t = 0; t < kChapterTraits; ++t) n += enabled[t * kTraitLevels + level] ? 1 : 0;
  return n;
}

TEST(ChapterTraits, TheDefaultsAreThreeLowestLevelsAndCloseEveryOtherButton) {
  std::array<std::uint8_t, kChapterTraits> bytes{};
  bytes[1] = 20;
  bytes[8] = 30;
  bytes[17] = 15;
  const TraitLevels levels = TraitLevelsOf(bytes);
  EXPECT_EQ(levels, Levels({{1, 0}, {8, 0}, {17, 0}}));
  EXPECT_EQ(EnabledCount(levels, 0), 3);
  EXPECT_EQ(EnabledCount(levels, 1), 0);
  EXPECT_EQ(EnabledCount(levels, 2), 0);
  EXPECT_EQ(TraitBytesOf(levels), bytes);
}

TEST(ChapterTraits, EachLevelHasItsLimit) {
  EXPECT_EQ(EnabledCount(Levels({}), 0), 20);
  EXPECT_EQ(EnabledCount(Levels({}), 2), 20);
  // Two at level 0: every level-0 button open, the others closed.
  EXPECT_EQ(EnabledCount(Levels({{0, 0}, {5, 0}}), 0), 20);
  EXPECT_EQ(EnabledCount(Levels({{0, 0}, {5, 0}}), 1), 0);
  // One at level 1 leaves level 1 open; two close it.
  EXPECT_EQ(EnabledCount(Levels({{3, 1}}), 1), 20);
  EXPECT_EQ(EnabledCount(Levels({{3, 1}, {4, 1}}), 1), 2);
  EXPECT_EQ(EnabledCount(Levels({{3, 1}}), 0), 0);
  // One at level 2 is all a chapter may have.
  EXPECT_EQ(EnabledCount(Levels({{19, 2}}), 2), 1);
  EXPECT_EQ(EnabledCount(Levels({{19, 2}}), 0) + EnabledCount(Levels({{19, 2}}), 1), 0);
  // Stored values at two levels at once: the later rule wins and level 0 closes.
  EXPECT_EQ(EnabledCount(Levels({{0, 0}, {1, 1}}), 0), 0);
  EXPECT_EQ(EnabledCount(Levels({{0, 0}, {1, 1}}), 1), 20);
}

// Stored values with a highest-level trait beside others would close every
// button: the chosen highest level stays open, so the player can release it.
TEST(ChapterTraits, AHighestLevelStoredBesideOthersCanStillBeReleased) {
  for (const TraitLevels& levels : {Levels({{0, 0}, {7, 2}}), Levels({{3, 1}, {7, 2}})}) {
    const auto enabled = TraitButtonsEnabled(levels);
    EXPECT_TRUE(enabled[7 * kTraitLevels + 2]);
    EXPECT_EQ(std::count(enabled.begin(), enabled.end(), true), 1);
  }
}

TEST(ChapterTraits, TableValuesAndBytesThatMatchNoLevel) {
  std::array<std::uint8_t, kChapterTraits> bytes{};
  bytes[12] = 5;  // points, level 2
  bytes[15] = 4;  // level 1
  bytes[2] = 33;  // no level of trait 2
  bytes[6] = 70;
  const TraitLevels levels = TraitLevelsOf(bytes);
  EXPECT_EQ(levels, Levels({{12, 2}, {15, 1}, {6, 2}}));
  bytes[2] = 0;
  EXPECT_EQ(TraitBytesOf(levels), bytes);
  EXPECT_EQ(kTraitValues[2], (std::array<std::uint8_t, 3>{25, 35, 60}));
  EXPECT_EQ(kTraitValues[8], (std::array<std::uint8_t, 3>{30, 55, 90}));
}

}  // namespace
