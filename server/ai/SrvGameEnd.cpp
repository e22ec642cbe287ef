// The end of the game: the first victory condition of the configuration that
// holds, in a fixed order, ends it for every chapter; so does the elimination
// of the last chapter a player holds.
#include "server/ai/SrvVictory.h"
#include "server/turn/SrvTurnSteps.h"

namespace {

std::optional<SrvGameOutcome> FirstVictory(const SrvTurnContext& turn, const SrvVictoryRules& rules) {
  const SrvWorld& world = turn.world;
  if (auto o = SrvLastManStanding(world)) return o;
  if (rules.Has(kSrvCaptureTheFlag))
    if (auto o = SrvCaptureTheFlag(world)) return o;
  if (rules.Has(kSrvImperatorWins))
    if (auto o = SrvImperatorWins(world, rules)) return o;
  if (rules.Has(kSrvBiggestIsBest))
    if (auto o = SrvBiggestIsBest(world, rules)) return o;
  // Last: a victory the players' last turn brought about is theirs to see.
  return SrvNoPlayerInPlay(world, turn.human);
}

}  // namespace

std::optional<SrvGameEnd> SrvCheckGameEnd(SrvTurnContext& turn) {
  const std::optional<SrvGameOutcome> outcome = FirstVictory(turn, SrvVictoryRulesOf(turn.setup));
  if (!outcome) return std::nullopt;
  SrvGameEnd end;
  end.condition = outcome->condition;
  for (std::uint8_t result : {kSrvMajorWinner, kSrvMinorWinner})
    for (std::uint16_t c = 0; c < kMaxChapters; ++c)
      if (outcome->results[c] == result) end.winners.push_back(c);
  turn.TellAll(SrvGameOverPacket(turn.world, *outcome));
  turn.log.Line("turn %u: game over by condition %u, %zu winners", turn.world.turn, end.condition, end.winners.size());
  return end;
}
