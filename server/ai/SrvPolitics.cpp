// The turn's politics: who controls each asteroid, who is out, who is a
// renegade, who is imperator, when a guild falls into or comes out of an
// interregnum, and the scores that follow.
#include <array>

#include "Game/model/GNotifyCodes.h"
#include "server/ai/SrvAsteroidControl.h"
#include "server/ai/SrvChapterState.h"
#include "server/ai/SrvEliminations.h"
#include "server/ai/SrvGuildTally.h"
#include "server/ai/SrvPoliticsNotices.h"
#include "server/ai/SrvPoliticsPackets.h"
#include "server/ai/SrvScores.h"
#include "server/ai/SrvVictoryRules.h"
#include "server/turn/SrvTurnSteps.h"

namespace {

std::uint16_t Number(int guild, int slot) { return static_cast<std::uint16_t>(guild * 8 + slot); }

int ImperatorSlot(const SrvWorld& world, int guild) {
  for (int s = 0; s < world.chaptersPerGuild; ++s)
    if (const CGChapter* c = world.Chapter(Number(guild, s)); c != nullptr && c->stateFlag == kSrvChapterImperator)
      return s;
  return -1;
}

void TellGuild(SrvTurnContext& turn, int guild, const SrvPacket& packet) {
  for (int s = 0; s < turn.world.chaptersPerGuild; ++s) turn.Tell(Number(guild, s), packet);
}

void SettleRenegades(SrvTurnContext& turn, int guild, const SrvGuildTally& tally) {
  for (int s = 0; s < tally.members; ++s) {
    CGChapter* c = turn.world.Chapter(Number(guild, s));
    if (c == nullptr || c->SetRenegade(SrvInPlay(c) && tally.Renegade(s) ? 1 : 0) == 0) continue;
    for (int to = 0; to < tally.members; ++to)
      turn.world.notices.Add(Number(guild, to), notify::kVoteEvent,
                             c->renegade != 0 ? notify::kDeclaredRenegade : notify::kDeclaredLoyal, nullptr, nullptr, 0,
                             Number(guild, s), kSrvNoParameter);
    turn.log.Line("turn %u: chapter %u %s", turn.world.turn, Number(guild, s),
                  c->renegade != 0 ? "declared renegade" : "loyal again");
  }
}

// The member with the imperator's share of the votes (the most backed of
// several, the lowest slot of equals); -1 when none has it.
int Candidate(const SrvWorld& world, int guild, const SrvGuildTally& tally, const SrvVictoryRules& rules) {
  int best = -1;
  for (int s = 0; s < tally.members; ++s) {
    const CGChapter* c = world.Chapter(Number(guild, s));
    if (!SrvInPlay(c) || c->renegade != 0 || !tally.HasShare(s, rules.imperatorVotesPercent)) continue;
    if (best < 0 || tally.support[s] > tally.support[best]) best = s;
  }
  return best;
}

// The interregnum centres on the member holding the most votes; the members
// backing it form one camp, the others the other.
void BeginInterregnum(SrvTurnContext& turn, int guild, const SrvGuildTally& tally) {
  int leader = -1;
  for (int s = 0; s < tally.members; ++s)
    if (tally.held[s] != 0 && (leader < 0 || tally.held[s] > tally.held[leader])) leader = s;
  if (leader < 0) return;
  std::array<bool, kMaxChaptersPerGuild> backers{};
  for (int s = 0; s < tally.members; ++s) {
    const CGChapter* c = turn.world.Chapter(Number(guild, s));
    backers[s] = s == leader || (c != nullptr && SrvImperatorChoice(*c, tally.members) == leader);
  }
  const SrvPacket packet = SrvInterregnumStartPacket(guild, leader, backers);
  turn.world.guilds->GetGuild(static_cast<std::uint32_t>(guild))->BeginInterregnum(packet);
  turn.TellAll(packet);
  turn.log.Line("turn %u: guild %d in interregnum around chapter %u", turn.world.turn, guild, Number(guild, leader));
}

void Crown(SrvTurnContext& turn, int guild, int slot) {
  turn.world.Chapter(Number(guild, slot))->stateFlag = kSrvChapterImperator;
  turn.log.Line("turn %u: chapter %u imperator of guild %d", turn.world.turn, Number(guild, slot), guild);
}

void SettleImperator(SrvTurnContext& turn, int guild, int previous, const SrvGuildTally& tally,
                     const SrvVictoryRules& rules) {
  CGuild* g = turn.world.guilds->GetGuild(static_cast<std::uint32_t>(guild));
  const int candidate = Candidate(turn.world, guild, tally, rules);
  if (g->interregnum != 0) {
    if (candidate < 0) return;
    g->ClearRenegades();
    turn.TellAll(SrvInterregnumEndPacket(guild));
    turn.log.Line("turn %u: guild %d interregnum over", turn.world.turn, guild);
    Crown(turn, guild, candidate);
    return;
  }
  if (previous == candidate) return;
  if (previous >= 0) {
    CGChapter* fallen = turn.world.Chapter(Number(guild, previous));
    if (SrvInPlay(fallen)) fallen->stateFlag = kSrvChapterInPlay;
    if (candidate < 0 && rules.Interregnum()) BeginInterregnum(turn, guild, tally);
  }
  if (candidate >= 0) Crown(turn, guild, candidate);
}

}  // namespace

void SrvResolvePolitics(SrvTurnContext& turn) {
  SrvWorld& world = turn.world;
  const SrvVictoryRules rules = SrvVictoryRulesOf(turn.setup);
  SrvSettleAsteroidControl(turn);
  // Taken before the eliminations, so that an imperator who is out now
  // still leaves its guild without one.
  std::array<int, kGuildCount> imperators{};
  for (int g = 0; g < kGuildCount; ++g) imperators[g] = ImperatorSlot(world, g);
  SrvEliminateChapters(turn);
  for (int g = 0; g < kGuildCount; ++g) {
    const SrvGuildTally tally = SrvTallyGuild(world, g);
    const CGuild& guild = *world.guilds->GetGuild(static_cast<std::uint32_t>(g));
    // The votes set aside in an interregnum count again from the turn after
    // the one that ends it, when the renegades are settled again.
    const bool aside = guild.interregnum != 0;
    if (!aside) SettleRenegades(turn, g, tally);
    if (rules.Imperators()) SettleImperator(turn, g, imperators[g], tally, rules);
    TellGuild(turn, g, SrvGuildVotesPacket(world, g, tally, aside || guild.interregnum != 0));
  }
  SrvUpdateScores(world);
  SrvDrainNotifications(turn);
}
