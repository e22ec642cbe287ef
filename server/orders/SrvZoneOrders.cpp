#include "server/orders/SrvZoneOrders.h"

#include <algorithm>
#include <string>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GNotifyCodes.h"
#include "Game/model/GWorldArrays.h"
#include "Game/model/GZone.h"
#include "Game/model/GZonePackets.h"
#include "Game/net/TerrainPackets.h"
#include "Game/rules/GGameVar.h"
#include "server/battle/SrvBattlePackets.h"
#include "server/battle/SrvTerrainBattle.h"
#include "server/orders/SrvPacketRead.h"
#include "server/turn/SrvUnitNotices.h"
#include "server/world/SrvCentreZone.h"
#include "server/world/SrvZoneRoom.h"

namespace {

// The server takes an automanage switch and an ATV construction that stop
// after their last field read (the flag, the fourth count).
constexpr std::size_t kAutomanageFieldsEnd = 11;
constexpr std::size_t kConstructionFieldsEnd = 18;
constexpr std::uint8_t kMaxZoneValue = 16;
// A zone's ATV production: category 1, code 113, its outcome in the low byte
// of parameter 1 (the zone in the high one): built, halted at the zone's
// limit, or shut down unpaid. Parameter 3 is the block the player's zone
// keeps after a build or a shutdown (kinds in order, the first the most
// significant byte): what still waits for room, or 0. The halted notice
// leaves the player's block as it was.
constexpr std::uint16_t kAtvsBuilt = 0;
constexpr std::uint16_t kAtvsHaltedAtLimit = 1;
constexpr std::uint16_t kAtvsShutDownUnpaid = 2;
// The block's byte past the four counts, which the players never read: set
// once the production has been told halted, so a zone that stays full says so
// once per order rather than every turn.
constexpr int kHaltToldByte = kAtvKinds;

CGZone* ZoneOf(SrvWorld& world, std::uint16_t asteroid, std::uint16_t zone) {
  CGAsteroid* a = world.solar.GetAsteroid(asteroid);
  return a != nullptr ? a->GetZone(zone) : nullptr;
}

// Adds n (8-bit; 256 - m takes m away) to the chapter's entry of a list,
// made when absent and dropped when it empties.
void AddToList(ZoneAtvCountArray& list, std::uint8_t chapter, std::uint8_t kind, std::uint8_t n) {
  std::uint16_t i = 0;
  while (i < list.count && list.items[i]->chapter != chapter) ++i;
  if (i == list.count) {
    auto* e = new ZoneAtvCount{};
    e->chapter = chapter;
    if (!AppendOwned(list, e)) return;
  }
  ZoneAtvCount* e = list.items[i];
  e->counts[kind] = static_cast<std::uint8_t>(e->counts[kind] + n);
  if ((e->counts[0] | e->counts[1] | e->counts[2] | e->counts[3]) == 0) delete list.RemoveAt(i);
}

std::uint8_t ListCount(const ZoneAtvCountArray& list, std::uint8_t chapter, std::uint8_t kind) {
  for (std::uint16_t i = 0; i < list.count; ++i)
    if (list.items[i]->chapter == chapter) return list.items[i]->counts[kind];
  return 0;
}

SrvOrderVerdict TakeMove(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> p, bool attack) {
  ZoneAtvMovePacket move;
  if (!ZoneAtvMovePacket::Parse(p, &move)) return SrvOrderVerdict::kTooShort;
  const std::uint16_t asteroid = move.asteroid, zone = move.zone, source = move.sourceZone;
  const std::uint16_t kind = move.kind;
  const auto n = static_cast<std::uint8_t>(move.count);
  if (move.chapter != chapter) return SrvOrderVerdict::kNotOwner;
  CGZone* to = ZoneOf(world, asteroid, zone);
  CGZone* from = ZoneOf(world, asteroid, source);
  if (to == nullptr || from == nullptr || to == from || kind >= kAtvKinds || n == 0) return SrvOrderVerdict::kBadOrder;
  // Sent ATVs end in the target zone (an attack's when it wins), called-back
  // ones in the zone they left.
  if (!SrvZoneTakesAtvKind(n < 128 ? zone : source, kind)) return SrvOrderVerdict::kBadOrder;
  ZoneAtvCountArray& list = attack ? to->attacking : to->arriving;
  const auto self = static_cast<std::uint8_t>(chapter);
  if (n < 128) {
    if (from->owner != chapter || from->atvCounts[kind] < n) return SrvOrderVerdict::kNotOwner;
    from->AddAtvs(static_cast<std::uint8_t>(kind), static_cast<std::int8_t>(-n), 0);
    world.atvOrigins[SrvAtvOriginKey(asteroid, zone, self)] = source;
  } else {
    // Called back: they return to the zone they left.
    const int back = 256 - n;
    if (ListCount(list, self, static_cast<std::uint8_t>(kind)) < back) return SrvOrderVerdict::kBadOrder;
    if (from->owner != chapter && from->owner != kZoneNobody) return SrvOrderVerdict::kNotOwner;
    if (SrvZoneRoom(*from) < back) return SrvOrderVerdict::kBadOrder;
    SrvAtvCounts returning{};
    returning[kind] = back;
    SrvSeatAtvs(*from, self, returning);
  }
  AddToList(list, self, static_cast<std::uint8_t>(kind), n);
  from->dirty = 1;
  to->dirty = 1;
  return SrvOrderVerdict::kAccepted;
}

// The zone of (asteroid, zone), when the chapter holds it.
CGZone* OwnZone(SrvWorld& world, std::uint16_t chapter, std::uint16_t asteroid, std::uint16_t zone) {
  CGZone* z = ZoneOf(world, asteroid, zone);
  return z != nullptr && z->owner == chapter ? z : nullptr;
}

SrvOrderVerdict TakeEntrench(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> p) {
  ZoneEntrenchPacket order;
  if (!ZoneEntrenchPacket::Parse(p, &order)) return SrvOrderVerdict::kTooShort;
  if (order.chapter != chapter) return SrvOrderVerdict::kNotOwner;
  CGZone* z = OwnZone(world, chapter, order.asteroid, order.zone);
  const std::uint16_t kind = order.kind;
  if (z == nullptr) return SrvOrderVerdict::kNotOwner;
  if (kind >= kAtvKinds || z->atvCounts[kind] == 0) return SrvOrderVerdict::kBadOrder;
  z->SetAtvKindEntrenched(static_cast<std::uint8_t>(kind), 1);
  z->dirty = 1;
  return SrvOrderVerdict::kAccepted;
}

SrvOrderVerdict TakeAutomanage(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> p) {
  AutomanagePacket order;
  if (p.size() < kAutomanageFieldsEnd || !AutomanagePacket::Parse(SrvFilledTo<kAutomanageSize>(p), &order))
    return SrvOrderVerdict::kTooShort;
  CGAsteroid* a = world.solar.GetAsteroid(order.asteroid);
  if (a == nullptr || a->owner != chapter) return SrvOrderVerdict::kNotOwner;
  a->SetAutomanage(order.flag != 0 ? 1 : 0, 0);
  return SrvOrderVerdict::kAccepted;
}

SrvOrderVerdict TakeFacility(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> p) {
  ZoneFacilityPacket order;
  if (!ZoneFacilityPacket::Parse(p, &order)) return SrvOrderVerdict::kTooShort;
  if (order.chapter != chapter) return SrvOrderVerdict::kNotOwner;
  const std::uint16_t zone = order.zone;
  CGZone* z = OwnZone(world, chapter, order.asteroid, zone);
  if (z == nullptr) return SrvOrderVerdict::kNotOwner;
  const std::uint32_t bit = order.facility;
  if (zone == kSrvCentreZone || (z->facilities & bit) != 0) return SrvOrderVerdict::kBadOrder;
  if (z->BuildFacility(bit) == 0) return SrvOrderVerdict::kCannotAfford;
  z->dirty = 1;
  return SrvOrderVerdict::kAccepted;
}

// The facility's owner works it while nobody else holds the zone: building
// the facility may have spent the last ATVs there, which leaves the zone
// nobody's.
CGZone* OwnFacilityZone(SrvWorld& world, std::uint16_t chapter, std::uint16_t asteroid, std::uint16_t zone) {
  CGZone* z = ZoneOf(world, asteroid, zone);
  if (z == nullptr || z->facilityOwner != chapter) return nullptr;
  return z->owner == chapter || z->owner == kZoneNobody ? z : nullptr;
}

SrvOrderVerdict TakeConstruction(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> p) {
  ZoneConstructAtvsPacket order;
  if (p.size() < kConstructionFieldsEnd ||
      !ZoneConstructAtvsPacket::Parse(SrvFilledTo<kZoneConstructAtvsSize>(p), &order))
    return SrvOrderVerdict::kTooShort;
  if (order.chapter != chapter) return SrvOrderVerdict::kNotOwner;
  CGZone* z = OwnFacilityZone(world, chapter, order.asteroid, order.zone);
  if (z == nullptr) return SrvOrderVerdict::kNotOwner;
  if ((z->facilities & FACILITY_ATV_CONSTRUCTION) == 0 || !z->atvConstruction) return SrvOrderVerdict::kBadOrder;
  std::copy_n(order.counts.begin(), kAtvKinds, z->atvConstruction.get());
  z->atvConstruction[kHaltToldByte] = 0;
  return SrvOrderVerdict::kAccepted;
}

SrvOrderVerdict TakeImprovement(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> p, bool limit) {
  ZoneImprovementPacket order;
  if (!ZoneImprovementPacket::Parse(p, &order)) return SrvOrderVerdict::kTooShort;
  if (order.chapter != chapter) return SrvOrderVerdict::kNotOwner;
  const std::uint16_t asteroid = order.asteroid;
  CGZone* z = OwnZone(world, chapter, asteroid, order.zone);
  if (z == nullptr) return SrvOrderVerdict::kNotOwner;
  std::uint8_t& value = limit ? z->atvLimit : z->miningValue;
  // The player reads with the turn whether its own zone took the raise.
  const bool raised = z->atvCounts[ATV_SEED_BANK] != 0 && value < kMaxZoneValue;
  world.notices.Add(chapter, notify::kUnitEvent, limit ? notify::kStackingRaised : notify::kMiningRaised, nullptr,
                    nullptr, raised ? 1 : 0, asteroid, kSrvUnitNoParameter);
  if (!raised) return SrvOrderVerdict::kBadOrder;
  ++value;
  z->dirty = 1;
  return SrvOrderVerdict::kAccepted;
}

void TellProduction(SrvTurnContext& turn, const CGAsteroid& a, const CGZone& z, std::uint16_t outcome,
                    const char* built, std::uint32_t block) {
  turn.world.notices.Add(z.facilityOwner, notify::kUnitEvent, notify::kAtvsBuilt, built, nullptr,
                         static_cast<std::uint16_t>(z.index << 8 | outcome), SrvAtvProductionAsteroid(a.id), block);
}

// The production that found no room is told halted, once for the order.
void TellHalted(SrvTurnContext& turn, const CGAsteroid& a, CGZone& z) {
  std::uint8_t& told = z.atvConstruction[kHaltToldByte];
  if (told != 0) return;
  told = 1;
  TellProduction(turn, a, z, kAtvsHaltedAtLimit, nullptr, 0);
}

// The zone's ATV-construction block, paid from its asteroid's pool and the
// facility owner's credits when they hold the whole price; the ATVs are the
// facility owner's, in a zone that is theirs or nobody's. No more are built
// than the zone has room for (kinds in order), and only those are paid: the
// rest of the block waits for room, as the player's copy of it, which the
// halted notice leaves alone and the built one sets to the rest, shows it
// still ordered. A price the pool or the credits cannot meet shuts the
// production down: the order is dropped and told once, as the player's zone
// clears its own block on that notice, rather than waiting unseen turn after
// turn.
void BuildZoneAtvs(SrvTurnContext& turn, const CGAsteroid& a, CGZone& z) {
  std::uint8_t* block = z.atvConstruction.get();
  const std::uint8_t builder = z.facilityOwner;
  if (block == nullptr || (z.facilities & FACILITY_ATV_CONSTRUCTION) == 0 || builder >= kMaxChapters ||
      (z.owner != builder && z.owner != kZoneNobody) || (block[0] | block[1] | block[2] | block[3]) == 0)
    return;
  int room = SrvZoneRoom(z), made = 0;
  SrvAtvCounts fits{};
  for (int kind = 0; kind < kAtvKinds; ++kind) {
    fits[kind] = std::min<int>(block[kind], room);
    room -= fits[kind];
    made += fits[kind];
  }
  if (made == 0) {
    TellHalted(turn, a, z);
    return;
  }
  std::uint32_t cost[5] = {};
  for (int kind = 0; kind < kAtvKinds; ++kind) {
    std::int16_t each[5] = {};
    g_gameVariables.GetATVCosts(kind, each);
    for (int r = 0; r < 5; ++r)
      cost[r] +=
          static_cast<std::uint32_t>(fits[kind]) * static_cast<std::uint32_t>(std::max<std::int16_t>(each[r], 0));
  }
  CGChapter* owner = turn.world.Chapter(builder);
  if (owner == nullptr) return;
  if (owner->credits < cost[4] || turn.world.poolDB.TakeMinerals(a.id, cost) == 0) {
    std::fill_n(block, kAtvConstructionBlockSize, 0);
    TellProduction(turn, a, z, kAtvsShutDownUnpaid, nullptr, 0);
    return;
  }
  owner->credits -= cost[4];
  SrvAtvCounts seated = fits;
  SrvSeatAtvs(z, builder, seated);
  std::uint32_t waiting = 0;
  for (int kind = 0; kind < kAtvKinds; ++kind) {
    block[kind] = static_cast<std::uint8_t>(block[kind] - fits[kind]);
    waiting = waiting << 8 | block[kind];
  }
  TellProduction(turn, a, z, kAtvsBuilt, std::to_string(made).c_str(), waiting);
  if (waiting != 0) TellHalted(turn, a, z);
}

// Arrivals join a zone that is free or their chapter's as far as it has room
// (the surface view paints an arrival past the room red): the rest go back to
// the zone they set off from as far as it has room, and what still finds none
// stays on its way, to join once room is made. Arrivals at another's zone
// attack it.
void SettleArrivals(SrvTurnContext& turn, const CGAsteroid& a, CGZone& z) {
  if (z.arriving.count == 0) return;
  std::vector<ZoneAtvCount> entries;
  for (std::uint16_t i = 0; i < z.arriving.count; ++i) entries.push_back(*z.arriving.items[i]);
  DeleteAllElements(z.arriving);
  z.dirty = 1;
  for (const ZoneAtvCount& e : entries) {
    if (z.owner != kZoneNobody && z.owner != e.chapter) {
      for (std::uint8_t kind = 0; kind < kAtvKinds; ++kind)
        if (e.counts[kind] != 0) AddToList(z.attacking, e.chapter, kind, e.counts[kind]);
      continue;
    }
    SrvAtvCounts left{e.counts[0], e.counts[1], e.counts[2], e.counts[3]};
    SrvSeatAtvs(z, e.chapter, left);
    // ATVs that join a zone from another are shown setting off toward it.
    const auto origin = turn.world.atvOrigins.find(SrvAtvOriginKey(a.id, z.index, e.chapter));
    const bool known = origin != turn.world.atvOrigins.end() && origin->second != z.index;
    for (std::uint8_t kind = 0; kind < kAtvKinds; ++kind)
      if (known && origin->second < a.GetZoneCount() && left[kind] < e.counts[kind])
        turn.surface[a.id].Add(SrvTerrainEvent(kTerrainAtvAdvance, 0, kElementAtv, origin->second, kind, kElementAtv,
                                               z.index, kind, e.chapter),
                               e.chapter);
    if (known) SrvSendAtvsBack(a, origin->second, e.chapter, left);
    for (std::uint8_t kind = 0; kind < kAtvKinds; ++kind)
      if (left[kind] != 0) AddToList(z.arriving, e.chapter, kind, static_cast<std::uint8_t>(left[kind]));
  }
}

}  // namespace

bool SrvIsZonePacket(std::uint16_t type) {
  return type == PKT_ZONE_ARRIVING_ATVS || type == PKT_ZONE_ATVS || type == PKT_TERRAIN_VIEW_605 ||
         type == PKT_TERRAIN_VIEW_606 || type == PKT_ZONE_ATTACKING_ATVS || type == PKT_ZONE_ENTRENCHED ||
         type == PKT_ATVS_RETURNED || type == PKT_AUTOMANAGE || type == PKT_TERRAIN_VIEW_611 ||
         type == PKT_TERRAIN_VIEW_612;
}

SrvOrderVerdict SrvSubmitZoneOrder(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  PacketHeader header;
  if (!ReadPacketHeader(packet, header)) return SrvOrderVerdict::kTooShort;
  if (world.Chapter(chapter) == nullptr) return SrvOrderVerdict::kNoChapter;
  switch (header.type) {
    case PKT_ZONE_ARRIVING_ATVS:
      return TakeMove(world, chapter, packet, false);
    case PKT_ZONE_ATTACKING_ATVS:
      return TakeMove(world, chapter, packet, true);
    case PKT_ZONE_ENTRENCHED:
      return TakeEntrench(world, chapter, packet);
    case PKT_AUTOMANAGE:
      return TakeAutomanage(world, chapter, packet);
    case PKT_TERRAIN_VIEW_611:
      return TakeFacility(world, chapter, packet);
    case PKT_TERRAIN_VIEW_612:
      return TakeConstruction(world, chapter, packet);
    case PKT_TERRAIN_VIEW_605:
    case PKT_TERRAIN_VIEW_606:
      return TakeImprovement(world, chapter, packet, header.type == PKT_TERRAIN_VIEW_606);
    case PKT_ZONE_ATVS:
    case PKT_ATVS_RETURNED:
      return SrvOrderVerdict::kAccepted;
    default:
      return SrvOrderVerdict::kNotAnOrder;
  }
}

void SrvResolveZones(SrvTurnContext& turn) {
  for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i) {
    CGAsteroid* a = turn.world.solar.GetAsteroid(i);
    if (a == nullptr) continue;
    bool changed = false;
    for (std::uint16_t k = 0; k < a->GetZoneCount(); ++k) {
      CGZone* z = a->GetZone(k);
      if (z == nullptr) continue;
      SettleArrivals(turn, *a, *z);
      BuildZoneAtvs(turn, *a, *z);
      changed = changed || z->dirty != 0;
      z->dirty = 0;
    }
    if (changed) SrvTellZones(turn, *a);
  }
}

void SrvTellZones(SrvTurnContext& turn, const CGAsteroid& asteroid) {
  for (std::uint16_t k = 0; k < asteroid.GetZoneCount(); ++k)
    if (const CGZone* z = asteroid.GetZone(k)) turn.TellAll(BuildZonePacket(asteroid.id, *z));
}
