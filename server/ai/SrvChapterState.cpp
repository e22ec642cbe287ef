#include "server/ai/SrvChapterState.h"

#include "Game/model/GAsteroid.h"

bool SrvInPlay(const CGChapter* chapter) { return chapter != nullptr && chapter->stateFlag != kSrvChapterOut; }

bool SrvInPlay(const SrvWorld& world, std::uint16_t chapter) { return SrvInPlay(world.Chapter(chapter)); }

int SrvControlledAsteroids(const SrvWorld& world, std::uint16_t chapter) {
  int n = 0;
  for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i)
    if (const CGAsteroid* a = world.solar.GetAsteroid(i); a != nullptr && a->controller == chapter) ++n;
  return n;
}

int SrvVotesHeld(const SrvWorld& world, std::uint16_t chapter) {
  return SrvInPlay(world, chapter) ? SrvControlledAsteroids(world, chapter) : 0;
}

bool SrvSameSide(const SrvWorld& world, std::uint16_t a, std::uint16_t b) {
  if (a == b) return world.HasChapter(a);
  const CGChapter* ca = world.Chapter(a);
  return ca != nullptr && world.HasChapter(b) && ca->IsAlliedWith(static_cast<std::uint8_t>(b >> 3), b & 7) != 0;
}
