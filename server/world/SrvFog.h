#pragma once
// Fog of war: what each chapter is told of the other chapters' units.
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
  static SrvFogRules From(const SrvSetup& setup) { return {setup.settings.U16(36), setup.settings.U16(38)}; }
  bool Off() const { return inTransit == 0 && inAsteroidal == 0; }
};

// The other chapters' units `chapter` sees now, by id (its own are not listed).
std::set<std::uint32_t> SrvVisibleUnits(const SrvWorld& world, const SrvFogRules& fog, std::uint16_t chapter);

// The other chapters' units each client has been told of (300, 1313) and not
// told gone (1308): its picture of them.
class SrvUnitSight {
 public:
  // A new or loaded game: each chapter's client knows what it sees now.
  void Reset(const SrvWorld& world, const SrvFogRules& fog);
  // Limits packets queued for `chapter` (a start sequence or a turn's) to
  // the units it sees once they are applied, then appends 1313 for each unit
  // that came into sight and 1308 for each that left it. A packet about an
  // unseen unit, or about a seen one its client does not know yet (which the
  // appended 1313 brings), is dropped. With fog off the queue stays as it is.
  void Filter(const SrvWorld& world, const SrvFogRules& fog, std::uint16_t chapter, std::vector<SrvPacket>& queue);

 private:
  std::array<std::set<std::uint32_t>, kMaxChapters> m_known{};
};
