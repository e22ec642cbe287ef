#include "server/ai/SrvVictoryRules.h"

#include <algorithm>

namespace {

std::uint16_t Percent(std::uint16_t v) { return std::clamp<std::uint16_t>(v, 1, 100); }

}  // namespace

SrvVictoryRules SrvVictoryRulesOf(const SrvSetup& setup) {
  SrvVictoryRules r;
  r.conditions = static_cast<std::uint16_t>((setup.config.U16(20) & 0x1F) | kSrvLastManStanding);
  r.gameLength = setup.config.U16(22);
  r.imperatorAsteroidsPercent = Percent(setup.config.U16(24));
  r.imperatorVotesPercent = Percent(setup.config.U16(26));
  return r;
}

int SrvImperatorAsteroidTarget(const SrvVictoryRules& rules, int asteroids) {
  return (asteroids * rules.imperatorAsteroidsPercent + 99) / 100;
}
