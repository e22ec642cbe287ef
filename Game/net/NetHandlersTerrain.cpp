// Packets 602 to 604: the terrain battles of the turn.
#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/net/NetHandlers.h"

namespace {

constexpr std::size_t kTerrainEventSize = 36;

bool TerrainCleared(const PacketContext& p) {
  CGAsteroid* a = p.game->solarDB.GetAsteroid(p.U16(8));
  if (a == nullptr) return Refuse(p, "Unknown asteroid");
  a->CRecorder::Clear();
  return true;
}

bool TerrainEvents(const PacketContext& p) {
  CGAsteroid* a = p.game->solarDB.GetAsteroid(p.U16(10));
  if (a == nullptr) return Refuse(p, "Unknown asteroid");
  const std::int16_t count = p.At<std::int16_t>(8);
  if (count <= 0) return true;
  if (p.bytes.size() < 12 + kTerrainEventSize * static_cast<std::size_t>(count))
    return Refuse(p, "Terrain events beyond the packet");
  a->AddTerrainEventPacket(p.bytes);
  return true;
}

bool TerrainAccepted(const PacketContext&) { return true; }

constexpr HandlerEntry kHandlers[] = {
    {PKT_TERRAIN_CLEARED, 10, true, TerrainCleared},
    {PKT_TERRAIN_EVENTS, 12, true, TerrainEvents},
    {PKT_TERRAIN_ACCEPTED, 8, false, TerrainAccepted},
};

}  // namespace

std::span<const HandlerEntry> TerrainHandlers() { return kHandlers; }
