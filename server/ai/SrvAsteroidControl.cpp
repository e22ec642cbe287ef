#include "server/ai/SrvAsteroidControl.h"

#include <array>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GNotifyCodes.h"
#include "Game/model/GZone.h"
#include "Game/rules/GRulesPackets.h"
#include "server/ai/SrvPoliticsNotices.h"
#include "server/battle/SrvBattlePackets.h"
#include "server/world/SrvFog.h"

namespace {

void Notify(SrvWorld& world, std::uint16_t chapter, std::uint16_t code, std::uint16_t asteroid) {
  if (world.HasChapter(chapter))
    world.notices.Add(chapter, notify::kGameEvent, code, nullptr, nullptr, 0, asteroid, kSrvNoParameter);
}

}  // namespace

void SrvSettleAsteroidControl(SrvTurnContext& turn) {
  SrvWorld& world = turn.world;
  for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i) {
    CGAsteroid* a = world.solar.GetAsteroid(i);
    if (a == nullptr) continue;
    std::array<int, kMaxChapters> zones{};
    for (std::uint16_t z = 0; z < a->GetZoneCount(); ++z)
      if (const CGZone* zone = a->GetZone(z); zone != nullptr && zone->owner < kMaxChapters) ++zones[zone->owner];
    const std::uint16_t before = a->controller;
    std::uint16_t best = before;
    for (std::uint16_t c = 0; c < kMaxChapters; ++c)
      if (zones[c] > (best < kMaxChapters ? zones[best] : 0)) best = c;
    if (best == before) continue;
    a->SetOwner(best);
    a->SetController(best);
    Notify(world, best, notify::kControlGained, i);
    Notify(world, before, notify::kControlLost, i);
    turn.TellAll(BuildAsteroidControlPacket(*a));
    for (std::uint16_t z = 0; z < a->GetZoneCount(); ++z)
      if (const CGZone* zone = a->GetZone(z)) turn.TellAll(BuildZonePacket(i, *zone));
    turn.log.Line("turn %u: asteroid %u controlled by chapter %u", world.turn, i, best);
  }
}
