#include "server/ai/SrvVictory.h"

#include <algorithm>
#include <array>
#include <vector>

#include "Game/model/GAsteroid.h"
#include "server/ai/SrvChapterState.h"

namespace {

std::vector<std::uint16_t> InPlay(const SrvWorld& world) {
  std::vector<std::uint16_t> out;
  for (std::uint16_t c = 0; c < kMaxChapters; ++c)
    if (SrvInPlay(world, c)) out.push_back(c);
  return out;
}

// Every chapter in play on the side of `member` a minor winner (a major one
// stays major).
void CrownSide(const SrvWorld& world, std::uint16_t member, SrvGameOutcome& outcome) {
  for (std::uint16_t c : InPlay(world))
    if (SrvSameSide(world, member, c)) outcome.results[c] = std::max<std::uint8_t>(outcome.results[c], kSrvMinorWinner);
}

// The chapters of `among` with the highest score.
std::vector<std::uint16_t> TopScorers(const SrvWorld& world, const std::vector<std::uint16_t>& among) {
  std::vector<std::uint16_t> top;
  for (std::uint16_t c : among) {
    if (!top.empty() && world.scores[c] < world.scores[top.front()]) continue;
    if (!top.empty() && world.scores[c] > world.scores[top.front()]) top.clear();
    top.push_back(c);
  }
  return top;
}

SrvGameOutcome Majors(std::uint8_t condition, const std::vector<std::uint16_t>& majors) {
  SrvGameOutcome outcome;
  outcome.condition = condition;
  for (std::uint16_t c : majors) outcome.results[c] = kSrvMajorWinner;
  return outcome;
}

std::uint16_t Controller(const SrvWorld& world, std::uint16_t asteroid) {
  const CGAsteroid* a = world.solar.GetAsteroid(asteroid);
  return a != nullptr ? a->controller : kNoChapter;
}

}  // namespace

std::optional<SrvGameOutcome> SrvLastManStanding(const SrvWorld& world) {
  const std::vector<std::uint16_t> left = InPlay(world);
  for (std::uint16_t c : left)
    if (!SrvSameSide(world, left.front(), c)) return std::nullopt;
  SrvGameOutcome outcome = Majors(kSrvLastManStanding, TopScorers(world, left));
  if (!left.empty()) CrownSide(world, left.front(), outcome);
  return outcome;
}

std::optional<SrvGameOutcome> SrvCaptureTheFlag(const SrvWorld& world) {
  std::array<int, kMaxChapters> flags{};
  std::uint16_t first = kNoChapter;
  for (int g = 0; g < kGuildCount; ++g) {
    const CGChapter* bearer = world.Chapter(static_cast<std::uint16_t>(g * 8));
    const std::uint16_t holder = bearer != nullptr ? Controller(world, bearer->homeAsteroid) : kNoChapter;
    if (!SrvInPlay(world, holder)) return std::nullopt;
    if (first == kNoChapter) first = holder;
    if (!SrvSameSide(world, first, holder)) return std::nullopt;
    ++flags[holder];
  }
  const int most = *std::max_element(flags.begin(), flags.end());
  std::vector<std::uint16_t> majors;
  for (std::uint16_t c = 0; c < kMaxChapters; ++c)
    if (flags[c] == most) majors.push_back(c);
  SrvGameOutcome outcome = Majors(kSrvCaptureTheFlag, majors);
  CrownSide(world, first, outcome);
  return outcome;
}

std::optional<SrvGameOutcome> SrvImperatorWins(const SrvWorld& world, const SrvVictoryRules& rules) {
  const int target = SrvImperatorAsteroidTarget(rules, CGSolarDB::GetAsteroidCount());
  for (std::uint16_t c : InPlay(world)) {
    const CGChapter* imperator = world.Chapter(c);
    if (imperator->stateFlag != kSrvChapterImperator || world.guilds->GetGuild(imperator->guild)->interregnum != 0)
      continue;
    int controlled = 0;
    for (std::uint16_t member : InPlay(world))
      if (SrvSameSide(world, c, member)) controlled += SrvControlledAsteroids(world, member);
    if (controlled < target) continue;
    SrvGameOutcome outcome = Majors(kSrvImperatorWins, {c});
    CrownSide(world, c, outcome);
    return outcome;
  }
  return std::nullopt;
}

namespace {

SrvGameOutcome ScoresDecide(const SrvWorld& world) {
  const std::vector<std::uint16_t> top = TopScorers(world, InPlay(world));
  SrvGameOutcome outcome = Majors(kSrvBiggestIsBest, top);
  for (std::uint16_t c : top) CrownSide(world, c, outcome);
  return outcome;
}

}  // namespace

std::optional<SrvGameOutcome> SrvBiggestIsBest(const SrvWorld& world, const SrvVictoryRules& rules) {
  // The check runs as a turn is resolved: that turn is played too.
  if (world.turn + 1u < std::max<std::uint16_t>(rules.gameLength, 1)) return std::nullopt;
  return ScoresDecide(world);
}

std::optional<SrvGameOutcome> SrvNoPlayerInPlay(const SrvWorld& world, const std::array<bool, kMaxChapters>& human) {
  bool played = false;
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) {
    if (!human[c] || !world.HasChapter(c)) continue;
    if (SrvInPlay(world, c)) return std::nullopt;
    played = true;
  }
  if (!played) return std::nullopt;
  return ScoresDecide(world);
}
