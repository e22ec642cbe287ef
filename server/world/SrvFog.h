#pragma once
// Fog of war: what each chapter is told of the other chapters' units and of
// the asteroids.
//
// A chapter is present at an asteroid it owns or controls, where it holds a
// zone, or where it has a unit in action; its sight points are those
// asteroids and its units in action in solar space. Another chapter's unit
// is seen
//   - at an asteroid (settings' u16 at 36 + 2, "show in asteroidal space"):
//     always at 0; else where the chapter is present, and at 1 also when the
//     asteroid lies within kSrvSightRange of a sight point;
//   - in solar space (settings' u16 at 36, "show in transit"): always at 0,
//     within kSrvSightRange of a sight point at 1, never at 2.
// Both at 0 is fog off: every chapter is told every unit.
//
// Every client gets every asteroid's orbit, size and name (it moves them all
// as the server does, and finds those that come within its range itself);
// the rest of an asteroid's record is told as the settings allow:
//   - its make-up (composition and power coefficients): of every asteroid
//     when the u16 at 40 is 0, else of the guild's own and of those the
//     chapter scans;
//   - its owner, controller and zones: once the asteroid is seen (always
//     when the u16 at 46 is 0, else once it has been within kSrvSightRange of
//     a sight point, or is the guild's), and, when the u16 at 44 is not 0,
//     while the chapter is present there or the guild owns it. An asteroid
//     that comes into view is told whole (123, then 121 for each zone); one
//     that leaves it is told nothing more until it is back.
//
// One thread only.

#include <array>
#include <cstdint>
#include <set>
#include <vector>

#include "Game/model/GWorldTypes.h"
#include "server/world/SrvSetup.h"
#include "server/world/SrvStartPackets.h"
#include "server/world/SrvWorld.h"

class CGUnit;

// The per-axis distance within which a sight point sees, the one within which
// the clients detect asteroids.
constexpr std::int32_t kSrvSightRange = 1800;

struct SrvFogRules {
  std::uint16_t inTransit = 0;
  std::uint16_t inAsteroidal = 0;
  std::uint16_t asteroidsScanned = 0;
  std::uint16_t controlShown = 0;
  std::uint16_t showAsteroids = 0;
  static SrvFogRules From(const SrvSetup& setup) {
    const GameSettingsPacket s = setup.Settings();
    return {s.fowShowInTransit, s.fowShowInAsteroidal, s.fowAstStartScanned, s.fowDispControlOfAst, s.fowShowAsteroids};
  }
  // No fog over the units.
  bool Off() const { return inTransit == 0 && inAsteroidal == 0; }
  // No fog over the asteroids.
  bool AsteroidsOpen() const { return asteroidsScanned == 0 && controlShown == 0 && showAsteroids == 0; }
};

// 123, 16 bytes: u16 asteroid at 8, owner at 10, controller at 12.
SrvPacket BuildAsteroidControlPacket(const CGAsteroid& asteroid);

// The other chapters' units `chapter` sees now, by id (its own are not listed).
std::set<std::uint32_t> SrvVisibleUnits(const SrvWorld& world, const SrvFogRules& fog, std::uint16_t chapter);

// The other chapters' units each client has been told of (300, 1313) and not
// told gone (1308), and what it has been told of each asteroid: its picture
// of them.
class SrvUnitSight {
 public:
  // A new or loaded game: each chapter's client knows what it sees now.
  void Reset(const SrvWorld& world, const SrvFogRules& fog);
  // Limits packets queued for `chapter` (a start sequence or a turn's) to
  // the units it sees once they are applied, then appends 1313 for each unit
  // that came into sight and 1308 for each that left it. A packet about an
  // unseen unit, or about a seen one its client does not know yet (which the
  // appended 1313 brings), is dropped; a unit's deletion (1308) passes
  // whether the chapter saw the unit or not. With fog off the queue stays as
  // it is.
  // Likewise for the asteroids (above): an asteroid's record (127) keeps
  // only what the chapter may know, its zones (121) and control (123) reach
  // it only while in view, and 123 and 121 are appended for each asteroid
  // that came into view. An asteroid its client holds as the chapter's own
  // that leaves its view with its control (taken from it) is told to it
  // once by a 123 naming neither owner nor controller; the zones its client
  // holds as the chapter's, lost with its last foothold there, by their 121
  // as they stand.
  void Filter(const SrvWorld& world, const SrvFogRules& fog, std::uint16_t chapter, std::vector<SrvPacket>& queue);

 private:
  struct AsteroidKnown {
    bool seen = false;           // it has been in range
    bool told = false;           // its client holds its control and zones as they stand
    bool ours = false;           // its client holds it as the chapter's own (owner or controller)
    std::uint32_t ourZones = 0;  // bit z: its client holds zone z as the chapter's
  };
  void FilterAsteroids(const SrvWorld& world, const SrvFogRules& fog, std::uint16_t chapter,
                       std::vector<SrvPacket>& queue);

  std::array<std::set<std::uint32_t>, kMaxChapters> m_known{};
  std::array<std::vector<AsteroidKnown>, kMaxChapters> m_asteroids{};
};
