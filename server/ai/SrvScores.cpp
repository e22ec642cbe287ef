#include "server/ai/SrvScores.h"

#include <algorithm>
#include <array>

#include "Game/model/GAsteroid.h"
#include "Game/model/GZone.h"
#include "server/ai/SrvChapterState.h"

namespace {

constexpr std::uint64_t kPerAsteroid = 100;
constexpr std::uint64_t kPerZone = 10;
constexpr std::uint64_t kPerUnit = 25;
constexpr std::uint64_t kWealthPerPoint = 100;

}  // namespace

void SrvUpdateScores(SrvWorld& world) {
  std::array<std::uint64_t, kMaxChapters> score{}, wealth{};
  for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i) {
    const CGAsteroid* a = world.solar.GetAsteroid(i);
    if (a == nullptr) continue;
    if (a->controller < kMaxChapters) score[a->controller] += kPerAsteroid;
    for (std::uint16_t z = 0; z < a->GetZoneCount(); ++z)
      if (const CGZone* zone = a->GetZone(z); zone != nullptr && zone->owner < kMaxChapters)
        score[zone->owner] += kPerZone;
    if (a->owner < kMaxChapters)
      for (std::uint32_t m = 0; m < kMineralTypes; ++m) wealth[a->owner] += world.poolDB.GetMineral(i, m);
  }
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) {
    const CGChapter* chapter = world.Chapter(c);
    if (!SrvInPlay(chapter)) continue;
    const std::uint64_t total =
        score[c] + kPerUnit * world.pieces->CountOwnerUnits(c, true) + (wealth[c] + chapter->credits) / kWealthPerPoint;
    world.scores[c] = static_cast<std::uint32_t>(std::min<std::uint64_t>(total, 0x7FFFFFFF));
  }
}
