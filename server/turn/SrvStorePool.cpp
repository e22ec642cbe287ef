#include "server/turn/SrvStorePool.h"

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"

std::uint16_t SrvStorePool(const SrvWorld& world, std::uint16_t asteroid, std::uint16_t chapter) {
  const CGChapter* c = world.Chapter(chapter);
  if (c == nullptr) return kSrvNoStorePool;
  const CGAsteroid* here = world.solar.GetAsteroid(asteroid);
  const bool stores = asteroid == c->homeAsteroid || world.poolDB.GetStorageFacilities(asteroid) != 0;
  if (here != nullptr && here->owner == chapter && stores) return asteroid;
  const CGAsteroid* home = world.solar.GetAsteroid(c->homeAsteroid);
  return home != nullptr && home->owner == chapter ? c->homeAsteroid : kSrvNoStorePool;
}
