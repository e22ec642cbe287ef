#pragma once
// How hard the computer chapters play, from the game settings' difficulty
// (u16 at 12: 0 easy, 1 average, 2 hard, 3 custom). Custom settings play at
// their rating, the sum of the random set-up and fog-of-war fields (20 to
// 28, 36 to 46): below 5 easy, 5 to 10 average, 11 and up hard.
//
// Any thread.

#include <cstdint>

#include "server/SrvSetup.h"

struct SrvAiLevel {
  std::uint8_t difficulty = 1;
  // The chapter builds ships while it has fewer operational units.
  int fleetLimit = 0;
  // The part of a pool a chapter keeps back when it builds.
  int reservePercent = 0;
  // The allocation it gives its guild's research.
  std::uint16_t researchPercent = 0;
  // The chance, in percent, that an idle warship sets out against an enemy
  // asteroid in a turn (0: warships only fight where they stand).
  int aggression = 0;
};

std::uint8_t SrvDifficultyOf(const SrvSetup& setup);
SrvAiLevel SrvAiLevelOf(std::uint8_t difficulty);
