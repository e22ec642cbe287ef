#include "server/ai/SrvGuildTally.h"

#include "server/ai/SrvChapterState.h"

int SrvImperatorChoice(const CGChapter& member, int members) {
  for (int s = 0; s < members; ++s)
    if (member.imperatorVotes[s] != 0) return s;
  return -1;
}

SrvGuildTally SrvTallyGuild(const SrvWorld& world, int guild) {
  SrvGuildTally t;
  t.members = world.chaptersPerGuild;
  for (int s = 0; s < t.members; ++s) {
    t.held[s] = static_cast<std::uint16_t>(SrvVotesHeld(world, static_cast<std::uint16_t>(guild * 8 + s)));
    t.total = static_cast<std::uint16_t>(t.total + t.held[s]);
  }
  for (int voter = 0; voter < t.members; ++voter) {
    const CGChapter* c = world.Chapter(static_cast<std::uint16_t>(guild * 8 + voter));
    if (!SrvInPlay(c) || t.held[voter] == 0) continue;
    for (int s = 0; s < t.members; ++s)
      if (s != voter && c->renegadeVotes[s] != 0 && SrvInPlay(world, static_cast<std::uint16_t>(guild * 8 + s)))
        t.against[s] = static_cast<std::uint16_t>(t.against[s] + t.held[voter]);
    if (const int choice = SrvImperatorChoice(*c, t.members); choice >= 0)
      t.support[choice] = static_cast<std::uint16_t>(t.support[choice] + t.held[voter]);
  }
  return t;
}
