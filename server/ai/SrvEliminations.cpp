#include "server/ai/SrvEliminations.h"

#include "Game/model/GNotifyCodes.h"
#include "server/ai/SrvChapterState.h"
#include "server/ai/SrvPoliticsNotices.h"

std::vector<std::uint16_t> SrvEliminateChapters(SrvTurnContext& turn) {
  std::vector<std::uint16_t> out;
  SrvWorld& world = turn.world;
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) {
    CGChapter* chapter = world.Chapter(c);
    if (!SrvInPlay(chapter) || SrvControlledAsteroids(world, c) != 0 || world.pieces->CountOwnerUnits(c, true) != 0)
      continue;
    chapter->stateFlag = kSrvChapterOut;
    world.solar.ReleaseZonesOfChapter(static_cast<std::uint8_t>(c));
    for (std::uint16_t to = 0; to < kMaxChapters; ++to)
      if (world.HasChapter(to))
        world.notices.Add(to, notify::kGameEvent, notify::kChapterEliminated, nullptr, nullptr, 0, c, kSrvNoParameter);
    turn.log.Line("turn %u: chapter %u eliminated", world.turn, c);
    out.push_back(c);
  }
  return out;
}
