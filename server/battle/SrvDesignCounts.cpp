#include "server/battle/SrvDesignCounts.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <unordered_map>

#include "Game/model/GUnit.h"
#include "Game/rules/GUnitTem.h"

namespace {

template <class T>
void CountOne(T& counter) {
  if (counter < std::numeric_limits<T>::max()) ++counter;
}

// Where each counter lies among the design's server-held values.
std::uint16_t& Dead(CGUnitTemplate& d) { return d.trailingWords[0]; }
std::uint16_t& Kills(CGUnitTemplate& d) { return d.trailingWords[1]; }
std::uint32_t& Shots(CGUnitTemplate& d) { return d.trailingLongs[0]; }
std::uint32_t& Hits(CGUnitTemplate& d) { return d.trailingLongs[1]; }
std::uint32_t& ShotsTaken(CGUnitTemplate& d) { return d.trailingLongs[2]; }
std::uint32_t& HitsTaken(CGUnitTemplate& d) { return d.trailingLongs[3]; }

}  // namespace

std::vector<CGUnitTemplate*> SrvCountBattleOnDesigns(const SrvSpaceBattleResult& r, std::span<CGUnit* const> units) {
  std::unordered_map<std::uint32_t, CGUnitTemplate*> designOf;
  for (CGUnit* u : units)
    if (u != nullptr && u->GetTemplate() != nullptr) designOf[u->id] = u->GetTemplate();
  std::vector<CGUnitTemplate*> changed;
  auto find = [&](std::uint32_t id) -> CGUnitTemplate* {
    const auto it = designOf.find(id);
    if (it == designOf.end()) return nullptr;
    if (std::find(changed.begin(), changed.end(), it->second) == changed.end()) changed.push_back(it->second);
    return it->second;
  };
  for (const auto& round : r.rounds) {
    for (const SrvShot& shot : round) {
      const std::span<const SrvShotPart> parts(shot.parts.data(),
                                               std::min<std::size_t>(shot.partCount, shot.parts.size()));
      const bool hit = std::any_of(parts.begin(), parts.end(),
                                   [](const SrvShotPart& p) { return p.code == kShotHit || p.code == kShotDestroyed; });
      const bool killed = !parts.empty() && parts.back().code == kShotDestroyed;
      if (CGUnitTemplate* firer = find(shot.unitId)) {
        CountOne(Shots(*firer));
        if (hit) CountOne(Hits(*firer));
        if (killed) CountOne(Kills(*firer));
      }
      if (CGUnitTemplate* target = find(shot.targetId)) {
        CountOne(ShotsTaken(*target));
        if (hit) CountOne(HitsTaken(*target));
      }
    }
  }
  for (std::uint32_t id : r.destroyed)
    if (CGUnitTemplate* lost = find(id)) CountOne(Dead(*lost));
  return changed;
}
