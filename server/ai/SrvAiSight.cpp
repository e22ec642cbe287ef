#include "server/ai/SrvAiSight.h"

#include "Game/model/GAsteroid.h"
#include "Game/model/GZone.h"
#include "server/ai/SrvChapterState.h"

CGUnit* SrvAiEnemyAt(const SrvWorld& world, std::uint16_t chapter, std::uint16_t location) {
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) {
    if (!world.HasChapter(c) || SrvSameSide(world, chapter, c)) continue;
    if (CGUnit* u = world.pieces->GetOperationalUnitAt(location, c, 0)) return u;
  }
  return nullptr;
}

std::vector<std::uint16_t> SrvAiFreeZones(const SrvWorld& world, std::uint16_t asteroid) {
  std::vector<std::uint16_t> zones;
  if (const CGAsteroid* a = world.solar.GetAsteroid(asteroid))
    for (std::uint16_t z = 0; z < a->GetZoneCount(); ++z)
      if (const CGZone* zone = a->GetZone(z); zone != nullptr && zone->owner == kZoneNobody && zone->atvLimit > 0)
        zones.push_back(z);
  return zones;
}

bool SrvAiCanSettle(const SrvWorld& world, std::uint16_t chapter, std::uint16_t asteroid) {
  const CGAsteroid* a = world.solar.GetAsteroid(asteroid);
  return a != nullptr && (a->controller == kNoChapter || a->controller == chapter) &&
         !SrvAiFreeZones(world, asteroid).empty();
}
