#pragma once
// The victory conditions and guild rules of the game's configuration (u16
// at 20: bit 1 capture the flag, bit 2 biggest is best, bit 3 imperator wins,
// bit 4 interregnum; last man standing always holds; u16 at 22 the game
// length in turns, 24 the percent of the asteroids an imperator's guild must
// control, 26 the percent of the guild's votes that make an imperator).
//
// Any thread.

#include <cstdint>

#include "server/world/SrvSetup.h"

enum SrvVictoryCondition : std::uint8_t {
  kSrvLastManStanding = 1,
  kSrvCaptureTheFlag = 2,
  kSrvBiggestIsBest = 4,
  kSrvImperatorWins = 8,
  kSrvInterregnum = 16,
};

struct SrvVictoryRules {
  std::uint16_t conditions = kSrvLastManStanding;
  std::uint16_t gameLength = 0;
  // 1..100 (a configuration outside is brought inside).
  std::uint16_t imperatorAsteroidsPercent = 100;
  std::uint16_t imperatorVotesPercent = 100;

  bool Has(SrvVictoryCondition c) const { return (conditions & c) != 0; }
  // Guilds have imperators only when an imperator can win.
  bool Imperators() const { return Has(kSrvImperatorWins); }
  // The interregnum rule holds only beside the imperator's.
  bool Interregnum() const { return Has(kSrvImperatorWins) && Has(kSrvInterregnum); }
};

SrvVictoryRules SrvVictoryRulesOf(const SrvSetup& setup);
// Asteroids an imperator's guild must control: the percent of `asteroids`,
// rounded up.
int SrvImperatorAsteroidTarget(const SrvVictoryRules& rules, int asteroids);
