#pragma once
// What the clients are told when an asteroid changes: its record (120, with
// each of its zones, 121, as 120 makes the zones anew), its orbit radii (125)
// or its composition type (128). Whether a chapter may know an asteroid, and
// how much of it, is decided by the fog (SrvFog.h), whose filter every
// chapter's queue goes through.
//
// The packets are built before the orbits advance: a client applies them
// and then advances its model as the server did.
//
// One thread only.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "Game/net/AsteroidPackets.h"
#include "server/world/SrvSetup.h"
#include "server/world/SrvStartPackets.h"
#include "server/world/SrvWorld.h"

// 120, 116 bytes: the asteroid's record as 127 lays it out, without the zone tables.
SrvPacket BuildAsteroidRecordPacket(const CGAsteroid& asteroid);
// 125, 20 bytes: u16 asteroid at 8, u16 radii at 10 and 12, f32 previous angular speed at 16.
SrvPacket BuildOrbitRadiiPacket(const CGAsteroid& asteroid);
// 128, 12 bytes: u16 asteroid at 8, u8 composition type at 10.
SrvPacket BuildCompositionPacket(const CGAsteroid& asteroid);

class SrvAsteroidNews {
 public:
  // A new, restarted or loaded game: the clients hold the asteroids as they
  // are, from the start sequence or their files.
  void Reset(const SrvWorld& world);
  // Appends to each queue what the clients lack of every asteroid: the
  // record with its zones when it changed, else the radii when they
  // changed, and the composition when it changed. Owners and controllers
  // travel in 123, the zones in 121, and the motion along the orbit is each
  // side's own. What a chapter may know of it is the fog's to keep
  // (SrvUnitSight::Filter).
  void Append(const SrvWorld& world, std::array<std::vector<SrvPacket>, kMaxChapters>& queues);

 private:
  // The record last told, as its client read it, by asteroid.
  std::vector<std::optional<AsteroidWithZonesPacket>> m_told;
};
