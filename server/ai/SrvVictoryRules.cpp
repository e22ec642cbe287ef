#include "server/ai/SrvVictoryRules.h"

#include <algorithm>

namespace {

std::uint16_t Percent(std::uint16_t v) { return std::clamp<std::uint16_t>(v, 1, 100); }

}  // namespace

SrvVictoryRules SrvVictoryRulesOf(const SrvSetup& setup) {
  const GameConfigPacket config = setup.Config();
  SrvVictoryRules r;
  r.conditions = static_cast<std::uint16_t>((config.victoryConditions & 0x1F) | kSrvLastManStanding);
  r.gameLength = config.biggestIsBestTurns;
  r.imperatorAsteroidsPercent = Percent(config.imperatorAsteroids);
  r.imperatorVotesPercent = Percent(config.imperatorVotes);
  return r;
}

int SrvImperatorAsteroidTarget(const SrvVictoryRules& rules, int asteroids) {
  return (asteroids * rules.imperatorAsteroidsPercent + 99) / 100;
}
