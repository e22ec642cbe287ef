#include "Game/net/AsteroidPackets.h"

#include "Game/base/Packets.h"
#include "Game/net/PacketFields.h"

namespace {

constexpr auto kSolarSystemFields = [](auto& p, auto& io) {
  io.Field(8, p.stars);
  io.Field(10, p.orbitDirection);
  io.Field(12, p.asteroids);
  io.Field(16, p.turn);
  io.Field(20, p.orbitMotion);
};

constexpr auto kStarFields = [](auto& p, auto& io) {
  NarrowLocationFields(io, 16, p.location);
  io.Text(24, StarPacket::kNameWidth, p.name);
  io.Field(64, p.cyclePeak);
  io.Field(72, p.baseRadiation);
  io.Field(80, p.fluctuation);
  io.Field(88, p.rising);
};

// Each mineral's column of 20 rows.
constexpr auto kResourceMixFields = [](auto& p, auto& io) {
  io.Field(8, p.rows);
  for (std::size_t t = 0; t < p.mix.size(); ++t) io.Each(10 + t, 20, p.mix[t]);
};

// The asteroid's record, which 127 and 120 share.
constexpr auto kAsteroidFields = [](auto& p, auto& io) {
  io.Field(8, p.id);
  io.Field(10, p.owner);
  io.Field(12, p.previousOwner);
  io.Field(14, p.controller);
  io.Field(16, p.automanage);
  io.Text(17, AsteroidWithZonesPacket::kNameWidth, p.name);
  io.Field(57, p.sizeClass);
  io.Field(58, p.composition);
  io.Field(59, p.orbitKind);
  io.Field(60, p.spin);
  io.Field(61, p.thermal);
  io.Field(62, p.kinetic);
  io.Field(64, p.zFactor);
  io.Field(68, p.speed);
  io.Field(72, p.radius1);
  io.Field(74, p.radius2);
  io.Field(76, p.angle);
  io.Field(84, p.position.x);
  io.Field(86, p.position.y);
  io.Field(88, p.position.z);
  for (std::size_t c = 0; c < p.centres.size(); ++c) NarrowLocationFields(io, 90 + 8 * c, p.centres[c]);
  io.Each(106, 2, p.ringRotations);
};

// The record and its zones' tables, a column of 31 per field.
constexpr auto kAsteroidWithZonesFields = [](auto& p, auto& io) {
  constexpr std::size_t kZones = AsteroidWithZonesPacket::kZones;
  kAsteroidFields(p, io);
  for (std::size_t i = 0; i < kZones; ++i) {
    auto& z = p.zones[i];
    io.Field(116 + i, z.atvLimit);
    io.Field(147 + i, z.miningValue);
    io.Each(209 + i, kZones, z.atvCounts);
    io.Field(333 + i, z.status);
    io.Field(364 + i, z.facilityOwner);
    io.Field(396 + 4 * i, z.facilities);
  }
};

constexpr auto kZoneFields = [](auto& p, auto& io) {
  io.Field(8, p.asteroid);
  io.Field(10, p.zone);
  io.Field(12, p.atvLimit);
  io.Field(13, p.miningValue);
  io.Field(14, p.owner);
  io.Each(15, 1, p.atvCounts);
  io.Field(19, p.status);
  io.Field(20, p.facilityOwner);
  io.Field(24, p.facilities);
  io.Each(28, 4, p.entrenched);
  io.Field(44, p.zoneWord);
};

constexpr auto kAsteroidControlFields = [](auto& p, auto& io) {
  io.Field(8, p.asteroid);
  io.Field(10, p.owner);
  io.Field(12, p.controller);
};

constexpr auto kOrbitRadiiFields = [](auto& p, auto& io) {
  io.Field(8, p.asteroid);
  io.Field(10, p.radius1);
  io.Field(12, p.radius2);
  io.Field(16, p.speed);
};

constexpr auto kCompositionFields = [](auto& p, auto& io) {
  io.Field(8, p.asteroid);
  io.Field(10, p.composition);
};

constexpr auto kAsteroidMakeUpFields = [](auto& p, auto& io) {
  io.Field(8, p.asteroid);
  io.Field(10, p.composition);
  io.Field(11, p.spin);
  io.Field(12, p.thermal);
  io.Field(13, p.kinetic);
};

}  // namespace

PacketImage<kSolarSystemSize> SolarSystemPacket::Build() const {
  return BuildFields<kSolarSystemSize>(PKT_SOLAR_SYSTEM, *this, kSolarSystemFields);
}

bool SolarSystemPacket::Parse(std::span<const std::uint8_t> image, SolarSystemPacket* out) {
  return ParseFields<kSolarSystemSize>(image, out, kSolarSystemFields);
}

PacketImage<kStarSize> StarPacket::Build() const { return BuildFields<kStarSize>(PKT_STAR, *this, kStarFields); }

bool StarPacket::Parse(std::span<const std::uint8_t> image, StarPacket* out) {
  return ParseFields<kStarSize>(image, out, kStarFields);
}

PacketImage<kResourceMixSize> ResourceMixPacket::Build() const {
  return BuildFields<kResourceMixSize>(PKT_RESOURCE_MIX, *this, kResourceMixFields);
}

bool ResourceMixPacket::Parse(std::span<const std::uint8_t> image, ResourceMixPacket* out) {
  return ParseFields<kResourceMixSize>(image, out, kResourceMixFields);
}

PacketImage<kAsteroidWithZonesSize> AsteroidWithZonesPacket::Build() const {
  return BuildFields<kAsteroidWithZonesSize>(PKT_ASTEROID_WITH_ZONES, *this, kAsteroidWithZonesFields);
}

bool AsteroidWithZonesPacket::Parse(std::span<const std::uint8_t> image, AsteroidWithZonesPacket* out) {
  return ParseFields<kAsteroidWithZonesSize>(image, out, kAsteroidWithZonesFields);
}

PacketImage<kAsteroidChangedSize> AsteroidWithZonesPacket::BuildChanged() const {
  return BuildFields<kAsteroidChangedSize>(PKT_ASTEROID, *this, kAsteroidFields);
}

bool AsteroidWithZonesPacket::ParseChanged(std::span<const std::uint8_t> image, AsteroidWithZonesPacket* out) {
  return ParseFields<kAsteroidChangedSize>(image, out, kAsteroidFields);
}

PacketImage<kZoneSize> ZonePacket::Build() const {
  return BuildFields<kZoneSize>(PKT_ASTEROID_ZONES, *this, kZoneFields);
}

bool ZonePacket::Parse(std::span<const std::uint8_t> image, ZonePacket* out) {
  return ParseFields<kZoneSize>(image, out, kZoneFields);
}

PacketImage<kAsteroidControlSize> AsteroidControlPacket::Build() const {
  return BuildFields<kAsteroidControlSize>(PKT_ASTEROID_OWNER, *this, kAsteroidControlFields);
}

bool AsteroidControlPacket::Parse(std::span<const std::uint8_t> image, AsteroidControlPacket* out) {
  return ParseFields<kAsteroidControlSize>(image, out, kAsteroidControlFields);
}

PacketImage<kOrbitRadiiSize> OrbitRadiiPacket::Build() const {
  return BuildFields<kOrbitRadiiSize>(PKT_ORBIT_RADII, *this, kOrbitRadiiFields);
}

bool OrbitRadiiPacket::Parse(std::span<const std::uint8_t> image, OrbitRadiiPacket* out) {
  return ParseFields<kOrbitRadiiSize>(image, out, kOrbitRadiiFields);
}

PacketImage<kCompositionSize> CompositionPacket::Build() const {
  return BuildFields<kCompositionSize>(PKT_ASTEROID_COMPOSITION, *this, kCompositionFields);
}

bool CompositionPacket::Parse(std::span<const std::uint8_t> image, CompositionPacket* out) {
  return ParseFields<kCompositionSize>(image, out, kCompositionFields);
}

PacketImage<kAsteroidMakeUpSize> AsteroidMakeUpPacket::Build() const {
  return BuildFields<kAsteroidMakeUpSize>(PKT_ASTEROID_POWER, *this, kAsteroidMakeUpFields);
}

bool AsteroidMakeUpPacket::Parse(std::span<const std::uint8_t> image, AsteroidMakeUpPacket* out) {
  return ParseFields<kAsteroidMakeUpSize>(image, out, kAsteroidMakeUpFields);
}
