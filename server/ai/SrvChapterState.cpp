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
  if (!SrvInPlay(world, chapter)) return 0;
  int held = SrvControlledAsteroids(world, chapter);
  for (const SrvSoldVote& sold : world.soldVotes) {
    // A sale lapses when its asteroid changes controller.
    const CGAsteroid* a = world.solar.GetAsteroid(sold.asteroid);
    if (a == nullptr || a->controller != sold.seller) continue;
    if (sold.seller == chapter) --held;
    if (sold.buyer == chapter) ++held;
  }
  return held;
}

bool SrvSameSide(const SrvWorld& world, std::uint16_t a, std::uint16_t b) {
  if (a == b) return world.HasChapter(a);
  const CGChapter* ca = world.Chapter(a);
  return ca != nullptr && world.HasChapter(b) && ca->IsAlliedWith(static_cast<std::uint8_t>(b >> 3), b & 7) != 0;
}
