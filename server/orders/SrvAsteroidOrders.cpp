#include "server/orders/SrvAsteroidOrders.h"

#include <algorithm>
#include <map>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GUnit.h"
#include "Game/net/OrderMenuPackets.h"
#include "server/ai/SrvChapterState.h"
#include "server/orders/SrvUnitPackets.h"

namespace {

// The refuelling range of the asteroid views' order mode, squared; a unit
// without a local drive may stand twice as far off.
constexpr std::int64_t kRefuelRangeSq = 1'440'000;

bool InRefuelRange(const CGUnit& unit, std::uint16_t asteroid) {
  if (unit.location.asteroid != asteroid) return false;
  const bool local = unit.design != nullptr && unit.design->GetLocalSpaceSpeed() != 0;
  const std::int64_t x = unit.location.x, y = unit.location.y, z = unit.location.z;
  return x * x + y * y + z * z <= (local ? kRefuelRangeSq : 2 * kRefuelRangeSq);
}

std::uint32_t PowerOutput(const SrvWorld& world, std::uint16_t asteroid, std::uint16_t chapter) {
  const CGAsteroid* a = world.solar.GetAsteroid(asteroid);
  return a != nullptr ? a->GetChapterPowerOutput(chapter) : 0;
}

// The chapter's stores: the asteroids it owns that are its home or store.
std::vector<std::uint16_t> Stores(const SrvWorld& world, std::uint16_t chapter) {
  std::vector<std::uint16_t> out;
  const CGChapter* c = world.Chapter(chapter);
  if (c == nullptr) return out;
  for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i) {
    const CGAsteroid* a = world.solar.GetAsteroid(i);
    if (a != nullptr && a->owner == chapter && (c->homeAsteroid == i || world.poolDB.GetStorageFacilities(i) != 0))
      out.push_back(i);
  }
  return out;
}

SrvOrderVerdict TakeRefuel(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  RefuelAtAsteroidPacket refuel;
  if (!RefuelAtAsteroidPacket::Parse(packet, &refuel)) return SrvOrderVerdict::kTooShort;
  const std::uint32_t id = refuel.unitId;
  const std::uint16_t asteroid = refuel.asteroid;
  if (asteroid >= CGSolarDB::GetAsteroidCount()) return SrvOrderVerdict::kBadTarget;
  std::uint16_t at = 0;
  const CGUnit* unit = world.pieces->FindUnit(id, &at);
  if (unit == nullptr) return SrvOrderVerdict::kUnknownUnit;
  if (unit->GetChapter() != chapter) return SrvOrderVerdict::kNotOwner;
  if (!unit->IsOperational()) return SrvOrderVerdict::kUnoperational;
  if (!InRefuelRange(*unit, asteroid)) return SrvOrderVerdict::kBadTarget;
  if (PowerOutput(world, asteroid, chapter) == 0) return SrvOrderVerdict::kBadOrder;
  if (std::any_of(world.refuels.begin(), world.refuels.end(),
                  [&](const SrvAsteroidRequest& r) { return r.unitId == id; }))
    return SrvOrderVerdict::kRepeated;
  world.refuels.push_back({static_cast<std::uint8_t>(chapter), asteroid, id});
  return SrvOrderVerdict::kAccepted;
}

SrvOrderVerdict TakeDistribution(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  DistributeResourcesPacket distribution;
  if (!DistributeResourcesPacket::Parse(packet, &distribution)) return SrvOrderVerdict::kTooShort;
  const std::uint16_t guild = distribution.guild, slot = distribution.slot, asteroid = distribution.asteroid;
  if (guild != (chapter >> 3) || slot != (chapter & 7)) return SrvOrderVerdict::kNotOwner;
  if (asteroid >= CGSolarDB::GetAsteroidCount()) return SrvOrderVerdict::kBadTarget;
  if (world.solar.GetAsteroid(asteroid)->owner != chapter) return SrvOrderVerdict::kNotOwner;
  const std::vector<std::uint16_t> stores = Stores(world, chapter);
  if (stores.size() < 2 || std::find(stores.begin(), stores.end(), asteroid) == stores.end())
    return SrvOrderVerdict::kBadOrder;
  if (std::any_of(world.distributions.begin(), world.distributions.end(),
                  [&](const SrvAsteroidRequest& r) { return r.asteroid == asteroid; }))
    return SrvOrderVerdict::kRepeated;
  world.distributions.push_back({static_cast<std::uint8_t>(chapter), asteroid, 0});
  return SrvOrderVerdict::kAccepted;
}

}  // namespace

bool SrvIsAsteroidRequestPacket(std::uint16_t type) {
  return type == PKT_REFUEL_AT_ASTEROID || type == PKT_DISTRIBUTE_RESOURCES;
}

SrvOrderVerdict SrvSubmitAsteroidRequest(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  // Both requests are 16 bytes: a shorter one is refused before its chapter is looked at.
  static_assert(kRefuelAtAsteroidSize == kDistributeResourcesSize);
  PacketHeader header;
  if (!ReadPacketHeader(packet, header) || packet.size() < kRefuelAtAsteroidSize) return SrvOrderVerdict::kTooShort;
  if (!SrvInPlay(world, chapter)) return SrvOrderVerdict::kNoChapter;
  switch (header.type) {
    case PKT_REFUEL_AT_ASTEROID:
      return TakeRefuel(world, chapter, packet);
    case PKT_DISTRIBUTE_RESOURCES:
      return TakeDistribution(world, chapter, packet);
    default:
      return SrvOrderVerdict::kNotAnOrder;
  }
}

void SrvRefuelAtAsteroids(SrvTurnContext& turn) {
  SrvWorld& world = turn.world;
  // What each chapter's facilities at an asteroid still give this turn.
  std::map<std::uint32_t, std::uint32_t> left;
  for (const SrvAsteroidRequest& r : world.refuels) {
    std::uint16_t at = 0;
    CGUnit* unit = world.pieces->FindOperationalUnit(r.unitId, &at);
    if (unit == nullptr || unit->GetChapter() != r.chapter || !InRefuelRange(*unit, r.asteroid)) continue;
    const std::uint32_t key = std::uint32_t{r.asteroid} << 8 | r.chapter;
    const auto [it, fresh] = left.try_emplace(key, 0);
    if (fresh) it->second = PowerOutput(world, r.asteroid, r.chapter);
    const std::int32_t room = std::max(unit->GetMaxPower() - unit->power, 0);
    const auto taken = static_cast<std::int32_t>(std::min<std::uint32_t>(it->second, static_cast<std::uint32_t>(room)));
    if (taken == 0) continue;
    it->second -= static_cast<std::uint32_t>(taken);
    unit->power += taken;
    turn.Tell(r.chapter, BuildUnitPowerPacket(*unit));
  }
  world.refuels.clear();
}

void SrvDistributePools(SrvTurnContext& turn) {
  SrvWorld& world = turn.world;
  for (const SrvAsteroidRequest& r : world.distributions) {
    const std::vector<std::uint16_t> stores = Stores(world, r.chapter);
    // An asteroid lost or emptied of its store since the request keeps its pool.
    if (stores.size() < 2 || std::find(stores.begin(), stores.end(), r.asteroid) == stores.end()) continue;
    for (std::uint32_t m = 0; m < kMineralTypes; ++m) {
      const std::uint32_t share = world.poolDB.GetMineral(r.asteroid, m) / static_cast<std::uint32_t>(stores.size());
      if (share == 0) continue;
      for (std::uint16_t store : stores) {
        if (store == r.asteroid || world.poolDB.TakeMineral(r.asteroid, m, share) == 0) continue;
        world.poolDB.AddMineral(store, m, share);
      }
    }
  }
  world.distributions.clear();
}
