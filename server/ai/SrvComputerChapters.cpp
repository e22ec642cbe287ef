// The chapters no human holds choose their orders and hand them in through
// the same intake as a player's packets; an order the intake refuses is
// logged, as a player's would be.
#include "Game/net/Packets.h"
#include "server/SrvOrders.h"
#include "server/SrvPacketRead.h"
#include "server/SrvTurnSteps.h"
#include "server/ai/SrvAiChapter.h"
#include "server/ai/SrvVotes.h"

namespace {

// Each chapter draws from its own sequence, fixed by the game's seed, the
// turn and the chapter, so that no chapter's choices move another's.
std::uint32_t ChapterSeed(const SrvWorld& world, std::uint16_t chapter) {
  return world.seed * 2654435761u ^ (world.turn + 1u) * 40503u ^ (chapter + 1u) * 2246822519u;
}

bool Submit(SrvWorld& world, std::uint16_t chapter, const SrvPacket& packet, const char** why) {
  const std::uint16_t type = ReadU16(packet, 0);
  if (type == PKT_RENEGADE_VOTE || type == PKT_IMPERATOR_VOTE) {
    *why = "vote refused";
    return SrvTakeVotePacket(world, chapter, packet);
  }
  const SrvOrderVerdict verdict = SrvSubmitOrder(world, chapter, packet);
  *why = SrvOrderVerdictText(verdict);
  return verdict == SrvOrderVerdict::kAccepted;
}

}  // namespace

void SrvPlayComputerChapters(SrvTurnContext& turn) {
  const SrvAiLevel level = SrvAiLevelOf(SrvDifficultyOf(turn.setup));
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) {
    if (turn.human[c] || !turn.world.HasChapter(c)) continue;
    for (const SrvPacket& order : SrvChooseOrders(turn.world, c, level, ChapterSeed(turn.world, c))) {
      const char* why = "";
      if (!Submit(turn.world, c, order, &why))
        turn.log.Line("turn %u: computer chapter %u: order %u refused: %s", turn.world.turn, c, ReadU16(order, 0), why);
    }
  }
}
