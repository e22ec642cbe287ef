#include "server/ai/SrvGameOverPacket.h"

#include <algorithm>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/net/ChapterPackets.h"
#include "server/ai/SrvChapterState.h"

namespace {

static_assert(kSrvGameOverSize == kGameOverSize);

std::uint8_t Count(std::uint32_t n) { return static_cast<std::uint8_t>(std::min<std::uint32_t>(n, 0xFF)); }

}  // namespace

SrvPacket SrvGameOverPacket(const SrvWorld& world, const SrvGameOutcome& outcome) {
  GameOverPacket p;
  p.condition = outcome.condition;
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) {
    const CGChapter* chapter = world.Chapter(c);
    if (chapter == nullptr) continue;
    p.results[c] = outcome.results[c];
    std::uint32_t owned = 0;
    for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i) {
      const CGAsteroid* a = world.solar.GetAsteroid(i);
      if (a == nullptr || a->owner != c) continue;
      ++owned;
      std::uint32_t pool[kMineralTypes];
      world.poolDB.GetMinerals(i, pool);
      for (int m = 0; m < kMineralTypes; ++m) p.minerals[static_cast<std::size_t>(m)][c] += pool[m];
    }
    p.owned[c] = Count(owned);
    p.controlled[c] = Count(static_cast<std::uint32_t>(SrvControlledAsteroids(world, c)));
    p.credits[c] = chapter->credits;
    p.units[c] = static_cast<std::uint16_t>(std::min<std::uint32_t>(world.pieces->CountOwnerUnits(c, true), 0xFFFF));
  }
  const auto image = p.Build();
  return SrvPacket(image.bytes.begin(), image.bytes.end());
}
