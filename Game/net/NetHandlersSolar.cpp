// Packets 100 to 128: the solar system, its stars, asteroids and zones.
#include <memory>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/model/GStar.h"
#include "Game/model/GViewNotices.h"
#include "Game/model/GZone.h"
#include "Game/net/NetHandlers.h"

namespace {

constexpr std::size_t kAsteroidRecordSize = 116;
constexpr int kMaxZones = 31;
constexpr std::size_t kZoneTablesSize = 396 + 4 * kMaxZones;

CGAsteroid* AsteroidAt(const PacketContext& p, std::size_t offset) {
  return p.game->solarDB.GetAsteroid(p.U16(offset));
}

Location LocationAt(const PacketContext& p, std::size_t offset, std::uint16_t asteroid) {
  Location loc;
  loc.asteroid = asteroid;
  loc.x = p.At<std::int16_t>(offset);
  loc.y = p.At<std::int16_t>(offset + 2);
  loc.z = p.At<std::int16_t>(offset + 4);
  return loc;
}

bool SolarSystem(const PacketContext& p) {
  const std::uint16_t stars = p.U16(8), asteroids = p.U16(12);
  if (stars > kMaxStars || asteroids > kMaxAsteroids) return Refuse(p, "Solar system larger than its tables");
  CGSolarDB& solar = p.game->solarDB;
  solar.CreateStarArray(stars);
  solar.CreateStars();
  solar.CreateAsteroidArray(asteroids);
  // Every asteroid exists from here on; one that is given no name takes
  // its name from "astnames.dat".
  for (std::uint16_t i = 0; i < asteroids; ++i) solar.SetAsteroid(std::make_unique<CGAsteroid>(i));
  solar.orbitDirection = p.At<std::int8_t>(10);
  p.game->turn = p.U32(16);
  const std::uint16_t motion = p.U16(20);
  solar.orbitMotion = motion == 3 ? 4 : motion;
  return true;
}

bool Star(const PacketContext& p) {
  CGStar* star = p.game->solarDB.GetStar(p.U8(16));
  if (star == nullptr) return Refuse(p, "Unknown star");
  const Location loc = LocationAt(p, 18, p.U8(16));
  star->SetLocation(&loc);
  char name[41];
  star->SetName(p.Text(24, 40, name));
  star->SetRadiationCycle(p.At<double>(64), p.At<double>(80));
  star->baseRadiation = p.At<double>(72);
  star->rising = p.U32(88);
  return true;
}

CGAsteroid* ApplyAsteroidRecord(const PacketContext& p) {
  CGAsteroid* a = AsteroidAt(p, 8);
  if (a == nullptr) return nullptr;
  a->sizeClass = p.U8(57);
  a->CreateZones();
  a->SetOwner(p.U16(10));
  a->previousOwner = p.U16(12);
  a->SetController(p.U16(14));
  a->SetAutomanage(p.U8(16), 0);
  char name[41];
  a->SetName(p.Text(17, 40, name));
  a->SetCompositionType(p.U8(58));
  a->SetOrbitShape(p.U8(59), p.At<float>(64), p.At<float>(68), p.At<double>(76));
  a->SetOrbitAngle(p.At<double>(76), p.At<float>(68));
  a->SetOrbitRadii(p.U16(72), p.U16(74));
  a->SetPowerCoefficients(p.U8(60), p.U8(61), p.U8(62));
  const Location position = LocationAt(p, 84, g_numAsteroids);
  a->SetPosition(&position);
  const Location c1 = LocationAt(p, 92, p.U8(90)), c2 = LocationAt(p, 100, p.U8(98));
  a->SetOrbitCenters(&c1, &c2);
  for (int i = 0; i < kRingCount; ++i) a->ringRotations[i] = p.At<std::int8_t>(106 + 2 * i);
  a->ComputeRadiationCoefficient();
  return a;
}

bool Asteroid(const PacketContext& p) {
  if (AsteroidAt(p, 8) == nullptr) return Refuse(p, "Unknown asteroid");
  if (p.U8(57) > 4) return Refuse(p, "Asteroid size out of range");
  ApplyAsteroidRecord(p);
  return true;
}

bool AsteroidWithZones(const PacketContext& p) {
  if (AsteroidAt(p, 8) == nullptr) return Refuse(p, "Unknown asteroid");
  if (p.U8(57) > 4) return Refuse(p, "Asteroid size out of range");
  CGAsteroid* a = ApplyAsteroidRecord(p);
  a->SetVisitTurnNext();
  const int zones = std::min(a->GetZoneCount(), kMaxZones);
  for (int i = 0; i < zones; ++i) {
    CGZone* z = a->GetZone(static_cast<std::uint16_t>(i));
    z->Reset();
    const std::uint8_t c0 = p.U8(209 + i), c1 = p.U8(240 + i), c2 = p.U8(271 + i), c3 = p.U8(302 + i);
    z->SetOwner((c0 | c1 | c2 | c3) != 0 ? p.U8(10) : std::uint8_t{254});
    z->SetAtvLimit(p.U8(116 + i));
    z->SetMiningValue(p.U8(147 + i));
    z->SetAtvCounts(c0, c1, c2, c3);
    z->status = p.U8(333 + i);
    z->SetFacilityOwner(p.U8(364 + i));
    z->SetFacilities(p.U32(396 + 4 * i));
  }
  return true;
}

bool Zone(const PacketContext& p) {
  CGAsteroid* a = AsteroidAt(p, 8);
  CGZone* z = a != nullptr ? a->GetZone(p.U16(10)) : nullptr;
  if (z == nullptr) return Refuse(p, "Unknown asteroid or zone");
  a->SetVisitTurnNext();
  z->Reset();
  z->SetOwner(p.U8(14));
  z->SetAtvLimit(p.U8(12));
  z->SetMiningValue(p.U8(13));
  z->SetAtvCounts(p.U8(15), p.U8(16), p.U8(17), p.U8(18));
  z->status = p.U8(19);
  z->SetFacilityOwner(p.U8(20));
  z->SetFacilities(p.U32(24));
  for (std::uint8_t k = 0; k < 4; ++k) z->SetAtvKindEntrenched(k, p.U32(28 + 4 * k));
  z->zoneWord = p.U32(44);
  return true;
}

bool Owner(const PacketContext& p) {
  CGAsteroid* a = AsteroidAt(p, 8);
  if (a == nullptr) return Refuse(p, "Unknown asteroid");
  a->SetOwner(p.U16(10));
  a->SetController(p.U16(12));
  ViewNotices().InfoPanelOwnerChanged();
  return true;
}

bool ResourceMix(const PacketContext& p) {
  p.game->resourceMixCount = p.U8(8);
  for (std::uint8_t t = 0; t < kResourceMixTypes; ++t) {
    const std::uint8_t mix[4] = {p.U8(10 + t), p.U8(30 + t), p.U8(50 + t), p.U8(70 + t)};
    p.game->SetResourceMix(t, mix);
  }
  return true;
}

bool OrbitRadii(const PacketContext& p) {
  CGAsteroid* a = AsteroidAt(p, 8);
  if (a == nullptr) return Refuse(p, "Unknown asteroid");
  a->SetOrbitRadii(p.U16(10), p.U16(12));
  a->previousSpeed = p.At<float>(16);
  return true;
}

bool Composition(const PacketContext& p) {
  CGAsteroid* a = AsteroidAt(p, 8);
  if (a == nullptr) return Refuse(p, "Unknown asteroid");
  a->SetCompositionType(p.U8(10));
  return true;
}

constexpr HandlerEntry kHandlers[] = {
    {PKT_SOLAR_SYSTEM, 22, true, SolarSystem},
    {PKT_STAR, 92, true, Star},
    {PKT_ASTEROID, kAsteroidRecordSize, true, Asteroid},
    {PKT_ASTEROID_ZONES, 48, true, Zone},
    {PKT_ASTEROID_OWNER, 14, true, Owner},
    {PKT_RESOURCE_MIX, 90, true, ResourceMix},
    {PKT_ORBIT_RADII, 20, true, OrbitRadii},
    {PKT_ASTEROID_WITH_ZONES, kZoneTablesSize, true, AsteroidWithZones},
    {PKT_ASTEROID_COMPOSITION, 11, true, Composition},
};

}  // namespace

std::span<const HandlerEntry> SolarHandlers() { return kHandlers; }
