#pragma once
// The rules of the set-up screens without their windows: the game
// configuration's working values, their ranges and storing; the chapter
// traits' table, levels and pick limits. Plain functions on plain records.
// Thread-safe (no state).

#include <array>
#include <cstdint>
#include <string_view>

#include "Game/setup/GameSetup.h"

// What the configuration screen edits, in the units it shows.
struct ConfigForm {
  bool captureTheFlag = false;
  bool biggestIsBest = false;
  bool imperatorWins = false;
  bool interregnum = false;
  bool randomEvents = false;
  bool minutes = true;  // the turn time is shown in minutes (else hours)
  bool chaotic = false;
  bool locked = false;
  std::uint16_t orbitSpeed = 2;
  std::uint16_t turnTime = 60;
  std::uint16_t chapters = 8;
  std::uint16_t biggestIsBestTurns = 1000;
  std::uint16_t imperatorAsteroids = 51;
  std::uint16_t imperatorVotes = 35;
  std::uint16_t asteroids = 150;
  std::uint16_t researchShared = 50;
};

// The numbers as typed into the seven edits.
struct ConfigEntries {
  std::uint32_t biggestIsBestTurns, imperatorAsteroids, imperatorVotes, chapters, asteroids, turnTime, researchShared;
};

ConfigForm ReadConfigForm(const GameConfigPacket& config);
// Copies every entry inside its range into the form; the text ID of the
// first one out of range (in the checking order), or null when all are good.
// The fields of victory conditions that are off are neither checked nor taken.
const char* ValidateConfigEntries(const ConfigEntries& entries, ConfigForm& form);
// Writes the form into the block (type 52, victory bits, turn time in minutes).
void StoreConfigForm(const ConfigForm& form, GameConfigPacket& config);
// An edit's text as an unsigned number: 0 for a blank or non-numeric text,
// the largest u32 for one too big.
std::uint32_t EditNumber(std::string_view text);
// How many asteroids make an imperator.
std::uint32_t ImperatorAsteroidCount(std::uint32_t asteroids, std::uint32_t percent);

constexpr int kTraitLevels = 3;
// The value each trait's level gives (percent, or points for traits 12 and 15).
extern const std::array<std::array<std::uint8_t, kTraitLevels>, kChapterTraits> kTraitValues;

// -1 for a trait with no level chosen.
using TraitLevels = std::array<std::int8_t, kChapterTraits>;

// The level of each stored byte that matches one of its trait's values.
TraitLevels TraitLevelsOf(const std::array<std::uint8_t, kChapterTraits>& bytes);
// The stored bytes of the chosen levels (0 for none).
std::array<std::uint8_t, kChapterTraits> TraitBytesOf(const TraitLevels& levels);
// Whether stored trait bytes are a choice the traits screen allows: each 0 or
// the value of one of its trait's levels, all at one level, within that
// level's limit (three, two, one).
bool TraitPicksAllowed(const std::array<std::uint8_t, kChapterTraits>& bytes);
// Which of the 60 buttons (trait x 3 + level) may be pressed: up to three
// traits at level 0, or two at level 1, or one at level 2. A chosen button
// stays enabled unless a later rule disables its whole level.
std::array<bool, kChapterTraits * kTraitLevels> TraitButtonsEnabled(const TraitLevels& levels);
