// The chapters no human holds choose their orders and hand them in through
// the same intake as a player's packets; an order the intake refuses is
// logged, as a player's would be.
#include "Game/base/Packets.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GTemplateDB.h"
#include "server/ai/SrvAiChapter.h"
#include "server/ai/SrvAiSubmit.h"
#include "server/ai/SrvVictoryRules.h"
#include "server/ai/SrvVotes.h"
#include "server/orders/SrvDesigns.h"
#include "server/orders/SrvOrders.h"
#include "server/orders/SrvPacketRead.h"
#include "server/orders/SrvZoneOrders.h"
#include "server/trade/SrvMineralTrade.h"
#include "server/trade/SrvShipTrade.h"
#include "server/turn/SrvTurnSteps.h"
#include "server/world/SrvDesignPackets.h"

namespace {

// Each chapter draws from its own sequence, fixed by the game's seed, the
// turn and the chapter, so that no chapter's choices move another's.
std::uint32_t ChapterSeed(const SrvWorld& world, std::uint16_t chapter) {
  return world.seed * 2654435761u ^ (world.turn + 1u) * 40503u ^ (chapter + 1u) * 2246822519u;
}

void TellGuild(SrvTurnContext& turn, std::uint16_t chapter, const SrvPacket& packet) {
  for (std::uint16_t c = static_cast<std::uint16_t>(chapter & ~7u); c < (chapter & ~7u) + 8u; ++c)
    if (c != chapter && turn.world.HasChapter(c)) turn.Tell(c, packet);
}

}  // namespace

SrvOrderVerdict SrvSubmitComputerOrder(SrvTurnContext& turn, std::uint16_t chapter, const SrvPacket& packet) {
  SrvWorld& world = turn.world;
  switch (SrvPacketType(packet)) {
    case PKT_RENEGADE_VOTE:
    case PKT_IMPERATOR_VOTE:
      return SrvTakeVotePacket(world, chapter, packet) ? SrvOrderVerdict::kAccepted : SrvOrderVerdict::kBadOrder;
    case PKT_MINERAL_OFFER_POSTED: {
      const SrvOrderVerdict v = SrvPostMineralOffer(world, chapter, packet);
      if (v == SrvOrderVerdict::kAccepted) TellGuild(turn, chapter, packet);
      return v;
    }
    case PKT_MINERAL_TRADE: {
      SrvPacket board;
      const SrvOrderVerdict v = SrvBuyMinerals(world, chapter, packet, board);
      if (v == SrvOrderVerdict::kAccepted) {
        TellGuild(turn, chapter, board);
        turn.Tell(chapter, board);
      }
      return v;
    }
    case PKT_SHIP_OFFER_POSTED:
    case PKT_SHIP_OFFER_WITHDRAWN: {
      const SrvOrderVerdict v = SrvPacketType(packet) == PKT_SHIP_OFFER_POSTED
                                    ? SrvPostShipOffer(world, chapter, packet)
                                    : SrvWithdrawShipOffer(world, chapter, packet);
      if (v == SrvOrderVerdict::kAccepted) TellGuild(turn, chapter, packet);
      return v;
    }
    case PKT_TEMPLATE: {
      // Everyone learns the design as the server holds it, as of a player's.
      const SrvOrderVerdict v = SrvTakeDesign(world, chapter, packet);
      if (v == SrvOrderVerdict::kAccepted) {
        TemplatePacket sent;
        ParseTemplatePacket(packet, &sent);
        const std::uint16_t slot = sent.slot;
        const CGUnitTemplate& design = *world.templates->GetTemplate(chapter, slot, 1);
        const auto stored = BuildTemplatePacket(design, slot, chapter);
        turn.TellAll(SrvPacket(stored.bytes.begin(), stored.bytes.end()));
        turn.TellAll(BuildTemplateValuesPacket(design));
      }
      return v;
    }
    case PKT_TRADE_REQUEST:
      // Bids are sealed: nobody is told until the offer is settled.
      return SrvBidForShip(world, chapter, packet);
    default:
      return SrvIsZonePacket(SrvPacketType(packet)) ? SrvSubmitZoneOrder(world, chapter, packet)
                                                    : SrvSubmitOrder(world, chapter, packet);
  }
}

void SrvPlayComputerChapters(SrvTurnContext& turn) {
  // The turn's first step: from here on the units' detours draw from the
  // turn's seeding alone.
  ResetUnitDetours();
  SrvAiLevel level = SrvAiLevelOf(SrvDifficultyOf(turn.setup));
  level.flagsWin = SrvVictoryRulesOf(turn.setup).Has(kSrvCaptureTheFlag);
  level.interregnums = SrvVictoryRulesOf(turn.setup).Interregnum();
  if (SrvVictoryRulesOf(turn.setup).Imperators())
    level.imperatorTarget = SrvImperatorAsteroidTarget(SrvVictoryRulesOf(turn.setup), CGSolarDB::GetAsteroidCount());
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) {
    if (turn.human[c] || !turn.world.HasChapter(c)) continue;
    for (const SrvPacket& order : SrvChooseOrders(turn.world, c, level, ChapterSeed(turn.world, c))) {
      const SrvOrderVerdict verdict = SrvSubmitComputerOrder(turn, c, order);
      if (verdict != SrvOrderVerdict::kAccepted)
        turn.log.Line("turn %u: computer chapter %u: order %u refused: %s", turn.world.turn, c, SrvPacketType(order),
                      SrvOrderVerdictText(verdict));
    }
  }
}
