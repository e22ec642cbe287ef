#include "server/world/SrvZoneRoom.h"

#include <algorithm>

#include "Game/model/GAsteroid.h"
#include "Game/model/GZone.h"
#include "server/world/SrvCentreZone.h"

int SrvZoneRoom(const CGZone& zone) {
  const int held = zone.atvCounts[0] + zone.atvCounts[1] + zone.atvCounts[2] + zone.atvCounts[3];
  return std::max(0, zone.atvLimit - held);
}

bool SrvSeatAtvs(CGZone& zone, std::uint8_t chapter, SrvAtvCounts& atvs) {
  bool seated = false;
  for (int kind = 0; kind < kAtvKinds; ++kind) {
    const int in = std::min(atvs[kind], SrvZoneRoom(zone));
    if (in <= 0 || !SrvZoneTakesAtvKind(zone.index, kind)) continue;
    zone.SetOwner(chapter);
    // The room is at most 16, within the model's signed-byte step.
    zone.AddAtvs(static_cast<std::uint8_t>(kind), static_cast<std::int8_t>(in), 0);
    atvs[kind] -= in;
    seated = true;
  }
  return seated;
}

bool SrvSendAtvsBack(const CGAsteroid& asteroid, std::uint16_t origin, std::uint8_t chapter, SrvAtvCounts& atvs) {
  CGZone* home = asteroid.GetZone(origin);
  if (home == nullptr || (home->owner != chapter && home->owner != kZoneNobody)) return false;
  return SrvSeatAtvs(*home, chapter, atvs);
}
