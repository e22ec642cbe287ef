#include "Game/net/AsteroidPackets.h"

#include "Game/base/Packets.h"
#include "platform/core/bytes.h"

namespace {

// An orbit centre or a star's place: u8 asteroid, then i16 x, y, z from
// `at` + 2.
template <std::size_t N>
void PutNarrowLocation(PacketImage<N>& p, std::size_t at, const Location& l) {
  p.Put(at, static_cast<std::uint8_t>(l.asteroid));
  p.Put(at + 2, l.x);
  p.Put(at + 4, l.y);
  p.Put(at + 6, l.z);
}

void ReadNarrowLocation(const plat::ByteReader& r, std::size_t at, Location& l) {
  std::uint8_t asteroid = 0;
  r.ReadAt(at, asteroid);
  l.asteroid = asteroid;
  r.ReadAt(at + 2, l.x);
  r.ReadAt(at + 4, l.y);
  r.ReadAt(at + 6, l.z);
}

void ReadText(std::span<const std::uint8_t> image, std::size_t at, std::size_t width, std::string& out) {
  plat::ByteReader field(image, at);
  plat::FixedText::Read(field, width, out);
}

}  // namespace

PacketImage<kSolarSystemSize> SolarSystemPacket::Build() const {
  PacketImage<kSolarSystemSize> p(PKT_SOLAR_SYSTEM);
  p.Put(8, stars);
  p.Put(10, orbitDirection);
  p.Put(12, asteroids);
  p.Put(16, turn);
  p.Put(20, orbitMotion);
  return p;
}

bool SolarSystemPacket::Parse(std::span<const std::uint8_t> image, SolarSystemPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kSolarSystemSize)) return false;
  r.ReadAt(8, out->stars);
  r.ReadAt(10, out->orbitDirection);
  r.ReadAt(12, out->asteroids);
  r.ReadAt(16, out->turn);
  r.ReadAt(20, out->orbitMotion);
  return true;
}

PacketImage<kStarSize> StarPacket::Build() const {
  PacketImage<kStarSize> p(PKT_STAR);
  PutNarrowLocation(p, 16, location);
  p.SetText(24, kNameWidth, name);
  p.Put(64, cyclePeak);
  p.Put(72, baseRadiation);
  p.Put(80, fluctuation);
  p.Put(88, rising);
  return p;
}

bool StarPacket::Parse(std::span<const std::uint8_t> image, StarPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kStarSize)) return false;
  ReadNarrowLocation(r, 16, out->location);
  ReadText(image, 24, kNameWidth, out->name);
  r.ReadAt(64, out->cyclePeak);
  r.ReadAt(72, out->baseRadiation);
  r.ReadAt(80, out->fluctuation);
  r.ReadAt(88, out->rising);
  return true;
}

PacketImage<kResourceMixSize> ResourceMixPacket::Build() const {
  PacketImage<kResourceMixSize> p(PKT_RESOURCE_MIX);
  p.Put(8, rows);
  for (std::size_t t = 0; t < mix.size(); ++t)
    for (std::size_t k = 0; k < 4; ++k) p.Put(10 + 20 * k + t, mix[t][k]);
  return p;
}

bool ResourceMixPacket::Parse(std::span<const std::uint8_t> image, ResourceMixPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kResourceMixSize)) return false;
  r.ReadAt(8, out->rows);
  for (std::size_t t = 0; t < out->mix.size(); ++t)
    for (std::size_t k = 0; k < 4; ++k) r.ReadAt(10 + 20 * k + t, out->mix[t][k]);
  return true;
}

PacketImage<kAsteroidWithZonesSize> AsteroidWithZonesPacket::Build() const {
  PacketImage<kAsteroidWithZonesSize> p(PKT_ASTEROID_WITH_ZONES);
  p.Put(8, id);
  p.Put(10, owner);
  p.Put(12, previousOwner);
  p.Put(14, controller);
  p.Put(16, automanage);
  p.SetText(17, kNameWidth, name);
  p.Put(57, sizeClass);
  p.Put(58, composition);
  p.Put(59, orbitKind);
  p.Put(60, spin);
  p.Put(61, thermal);
  p.Put(62, kinetic);
  p.Put(64, zFactor);
  p.Put(68, speed);
  p.Put(72, radius1);
  p.Put(74, radius2);
  p.Put(76, angle);
  p.Put(84, position.x);
  p.Put(86, position.y);
  p.Put(88, position.z);
  for (std::size_t c = 0; c < centres.size(); ++c) PutNarrowLocation(p, 90 + 8 * c, centres[c]);
  for (std::size_t i = 0; i < ringRotations.size(); ++i) p.Put(106 + 2 * i, ringRotations[i]);
  for (std::size_t i = 0; i < zones.size(); ++i) {
    const Zone& z = zones[i];
    p.Put(116 + i, z.atvLimit);
    p.Put(147 + i, z.miningValue);
    for (std::size_t k = 0; k < z.atvCounts.size(); ++k) p.Put(209 + kZones * k + i, z.atvCounts[k]);
    p.Put(333 + i, z.status);
    p.Put(364 + i, z.facilityOwner);
    p.Put(396 + 4 * i, z.facilities);
  }
  return p;
}

bool AsteroidWithZonesPacket::Parse(std::span<const std::uint8_t> image, AsteroidWithZonesPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kAsteroidWithZonesSize)) return false;
  r.ReadAt(8, out->id);
  r.ReadAt(10, out->owner);
  r.ReadAt(12, out->previousOwner);
  r.ReadAt(14, out->controller);
  r.ReadAt(16, out->automanage);
  ReadText(image, 17, kNameWidth, out->name);
  r.ReadAt(57, out->sizeClass);
  r.ReadAt(58, out->composition);
  r.ReadAt(59, out->orbitKind);
  r.ReadAt(60, out->spin);
  r.ReadAt(61, out->thermal);
  r.ReadAt(62, out->kinetic);
  r.ReadAt(64, out->zFactor);
  r.ReadAt(68, out->speed);
  r.ReadAt(72, out->radius1);
  r.ReadAt(74, out->radius2);
  r.ReadAt(76, out->angle);
  r.ReadAt(84, out->position.x);
  r.ReadAt(86, out->position.y);
  r.ReadAt(88, out->position.z);
  for (std::size_t c = 0; c < out->centres.size(); ++c) ReadNarrowLocation(r, 90 + 8 * c, out->centres[c]);
  for (std::size_t i = 0; i < out->ringRotations.size(); ++i) r.ReadAt(106 + 2 * i, out->ringRotations[i]);
  for (std::size_t i = 0; i < out->zones.size(); ++i) {
    Zone& z = out->zones[i];
    r.ReadAt(116 + i, z.atvLimit);
    r.ReadAt(147 + i, z.miningValue);
    for (std::size_t k = 0; k < z.atvCounts.size(); ++k) r.ReadAt(209 + kZones * k + i, z.atvCounts[k]);
    r.ReadAt(333 + i, z.status);
    r.ReadAt(364 + i, z.facilityOwner);
    r.ReadAt(396 + 4 * i, z.facilities);
  }
  return true;
}

PacketImage<kZoneSize> ZonePacket::Build() const {
  PacketImage<kZoneSize> p(PKT_ASTEROID_ZONES);
  p.Put(8, asteroid);
  p.Put(10, zone);
  p.Put(12, atvLimit);
  p.Put(13, miningValue);
  p.Put(14, owner);
  for (std::size_t k = 0; k < atvCounts.size(); ++k) p.Put(15 + k, atvCounts[k]);
  p.Put(19, status);
  p.Put(20, facilityOwner);
  p.Put(24, facilities);
  for (std::size_t k = 0; k < entrenched.size(); ++k) p.Put(28 + 4 * k, entrenched[k]);
  p.Put(44, zoneWord);
  return p;
}

bool ZonePacket::Parse(std::span<const std::uint8_t> image, ZonePacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kZoneSize)) return false;
  r.ReadAt(8, out->asteroid);
  r.ReadAt(10, out->zone);
  r.ReadAt(12, out->atvLimit);
  r.ReadAt(13, out->miningValue);
  r.ReadAt(14, out->owner);
  for (std::size_t k = 0; k < out->atvCounts.size(); ++k) r.ReadAt(15 + k, out->atvCounts[k]);
  r.ReadAt(19, out->status);
  r.ReadAt(20, out->facilityOwner);
  r.ReadAt(24, out->facilities);
  for (std::size_t k = 0; k < out->entrenched.size(); ++k) r.ReadAt(28 + 4 * k, out->entrenched[k]);
  r.ReadAt(44, out->zoneWord);
  return true;
}

PacketImage<kAsteroidControlSize> AsteroidControlPacket::Build() const {
  PacketImage<kAsteroidControlSize> p(PKT_ASTEROID_OWNER);
  p.Put(8, asteroid);
  p.Put(10, owner);
  p.Put(12, controller);
  return p;
}

bool AsteroidControlPacket::Parse(std::span<const std::uint8_t> image, AsteroidControlPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kAsteroidControlSize)) return false;
  r.ReadAt(8, out->asteroid);
  r.ReadAt(10, out->owner);
  r.ReadAt(12, out->controller);
  return true;
}

PacketImage<kOrbitRadiiSize> OrbitRadiiPacket::Build() const {
  PacketImage<kOrbitRadiiSize> p(PKT_ORBIT_RADII);
  p.Put(8, asteroid);
  p.Put(10, radius1);
  p.Put(12, radius2);
  p.Put(16, speed);
  return p;
}

bool OrbitRadiiPacket::Parse(std::span<const std::uint8_t> image, OrbitRadiiPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kOrbitRadiiSize)) return false;
  r.ReadAt(8, out->asteroid);
  r.ReadAt(10, out->radius1);
  r.ReadAt(12, out->radius2);
  r.ReadAt(16, out->speed);
  return true;
}

PacketImage<kCompositionSize> CompositionPacket::Build() const {
  PacketImage<kCompositionSize> p(PKT_ASTEROID_COMPOSITION);
  p.Put(8, asteroid);
  p.Put(10, composition);
  return p;
}

bool CompositionPacket::Parse(std::span<const std::uint8_t> image, CompositionPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kCompositionSize)) return false;
  r.ReadAt(8, out->asteroid);
  r.ReadAt(10, out->composition);
  return true;
}

PacketImage<kAsteroidMakeUpSize> AsteroidMakeUpPacket::Build() const {
  PacketImage<kAsteroidMakeUpSize> p(PKT_ASTEROID_POWER);
  p.Put(8, asteroid);
  p.Put(10, composition);
  p.Put(11, spin);
  p.Put(12, thermal);
  p.Put(13, kinetic);
  return p;
}

bool AsteroidMakeUpPacket::Parse(std::span<const std::uint8_t> image, AsteroidMakeUpPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kAsteroidMakeUpSize)) return false;
  r.ReadAt(8, out->asteroid);
  r.ReadAt(10, out->composition);
  r.ReadAt(11, out->spin);
  r.ReadAt(12, out->thermal);
  r.ReadAt(13, out->kinetic);
  return true;
}
