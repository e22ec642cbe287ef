#include "server/trade/SrvTransitTurns.h"

#include <algorithm>

#include "Game/model/GWorldMath.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"

int SrvTransitTurns(const SrvWorld& world, std::uint16_t chapter, std::uint16_t source, std::uint16_t destination) {
  if (source == destination) return 0;
  const int guild = chapter >> 3;
  if (world.modules == nullptr || guild >= kGuildCount || world.solar.GetAsteroid(source) == nullptr ||
      world.solar.GetAsteroid(destination) == nullptr)
    return -1;
  const CGModuleDB& modules = *world.modules;
  const std::vector<std::uint16_t>& points = world.research[static_cast<std::size_t>(guild)].modulePoints;
  // The fastest drive is the one of most thrust, as the client picks it.
  int best = -1;
  for (int m = 0; m < modules.GetCount(); ++m) {
    const ModuleRecord* r = modules.GetRecord(m);
    const auto at = static_cast<std::size_t>(m);
    if (r == nullptr || r->type != MODULE_PROPULSION || (r->guildMask & (1u << guild)) == 0 || at >= points.size() ||
        points[at] < kResearched)
      continue;
    if (best < 0 || r->DeepThrust() > modules.GetRecord(best)->DeepThrust()) best = m;
  }
  const int thrust = best < 0 ? 0 : modules.GetRecord(best)->DeepThrust();
  if (thrust == 0) return -1;
  const double speed = 3.0 * thrust / (3.0 * (modules.GetMass(best) + 15)) * 5000.0;
  const std::int32_t d = world.solar.GetAsteroidDistanceSquared(source, destination);
  if (d < 0) return -1;
  // Kept below the 16-bit turn counts the packets carry.
  return std::min(TruncToInt(d / (speed * speed)), 65534) + 1;
}

int SrvPurchaseTurns(const SrvWorld& world, std::uint16_t buyer, std::uint16_t source, std::uint16_t pool) {
  const int turns = SrvTransitTurns(world, buyer, source, pool);
  return turns < 0 ? 1 : turns;
}
