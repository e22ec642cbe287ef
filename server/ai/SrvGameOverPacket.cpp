#include "server/ai/SrvGameOverPacket.h"

#include <algorithm>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/rules/GRulesPackets.h"
#include "server/ai/SrvChapterState.h"

namespace {

constexpr std::size_t kMineralColumns[kMineralTypes] = {292, 452, 612, 772};

std::uint8_t Count(std::uint32_t n) { return static_cast<std::uint8_t>(std::min<std::uint32_t>(n, 0xFF)); }

}  // namespace

SrvPacket SrvGameOverPacket(const SrvWorld& world, const SrvGameOutcome& outcome) {
  PacketImage<kSrvGameOverSize> p(PKT_GAME_OVER);
  p.SetU16(48, outcome.condition);
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) {
    const CGChapter* chapter = world.Chapter(c);
    if (chapter == nullptr) continue;
    p.SetU8(8 + c, outcome.results[c]);
    std::uint32_t owned = 0, minerals[kMineralTypes] = {};
    for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i) {
      const CGAsteroid* a = world.solar.GetAsteroid(i);
      if (a == nullptr || a->owner != c) continue;
      ++owned;
      std::uint32_t pool[kMineralTypes];
      world.poolDB.GetMinerals(i, pool);
      for (int m = 0; m < kMineralTypes; ++m) minerals[m] += pool[m];
    }
    p.SetU8(50 + c, Count(owned));
    p.SetU8(90 + c, Count(static_cast<std::uint32_t>(SrvControlledAsteroids(world, c))));
    p.SetU32(132 + 4 * c, chapter->credits);
    for (int m = 0; m < kMineralTypes; ++m) p.SetU32(kMineralColumns[m] + 4 * c, minerals[m]);
    p.SetU16(932 + 2 * c,
             static_cast<std::uint16_t>(std::min<std::uint32_t>(world.pieces->CountOwnerUnits(c, true), 0xFFFF)));
  }
  return SrvPacket(p.bytes.begin(), p.bytes.end());
}
