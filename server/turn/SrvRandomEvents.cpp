#include "server/turn/SrvRandomEvents.h"

#include <algorithm>
#include <vector>

#include "Game/model/GAsteroid.h"

namespace {

constexpr int kLowestRadius = 1500, kHighestRadius = 14000;
constexpr std::uint32_t kEventStream = 0x5EED7E57u;
constexpr int kCompositionTypes = 20;

}  // namespace

void SrvRandomEvents(SrvTurnContext& turn) {
  if (!turn.setup.RandomEvents()) return;
  SrvWorld& world = turn.world;
  const std::uint16_t count = CGSolarDB::GetAsteroidCount();
  if (count == 0) return;
  SrvRandom random(world.seed ^ kEventStream ^ (world.turn * 0x2545F491u));
  if (random.Range(1, kSrvOrbitEventOdds) == 1) {
    std::vector<CGAsteroid*> elliptic;
    for (std::uint16_t i = 0; i < count; ++i)
      if (CGAsteroid* a = world.solar.GetAsteroid(i); a != nullptr && a->orbitKind == ORBIT_ELLIPTIC)
        elliptic.push_back(a);
    if (!elliptic.empty()) {
      CGAsteroid& a = *elliptic[static_cast<std::size_t>(random.Range(0, static_cast<int>(elliptic.size()) - 1))];
      const int r1 = std::clamp(a.radius1 * random.Range(90, 110) / 100, kLowestRadius, kHighestRadius);
      const int r2 = a.radius1 == 0 ? r1 : r1 * a.radius2 / a.radius1;
      a.SetOrbitRadii(static_cast<std::uint16_t>(r1), static_cast<std::uint16_t>(r2));
      turn.log.Line("turn %u: the orbit of asteroid %u is disturbed (radii %d, %d)", world.turn, a.id, r1, r2);
    }
  }
  if (random.Range(1, kSrvVeinEventOdds) == 1) {
    CGAsteroid* a = world.solar.GetAsteroid(static_cast<std::uint16_t>(random.Range(0, count - 1)));
    if (a != nullptr) {
      const int shift = random.Range(1, kCompositionTypes - 1);
      a->SetCompositionType(static_cast<std::uint8_t>((a->composition + shift) % kCompositionTypes));
      turn.log.Line("turn %u: asteroid %u shows composition %u", world.turn, a->id, a->composition);
    }
  }
}
