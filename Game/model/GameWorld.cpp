#include "Game/model/GameWorld.h"

#include "Game/model/GChapter.h"
#include "Game/model/GGamePieceDB.h"
#include "Game/model/GGuild.h"
#include "Game/model/GNotify.h"
#include "Game/model/GSolarSys.h"
#include "Game/model/GUnit.h"

namespace {

GameWorld g_noWorld;

}  // namespace

GameWorld* game_world_detail::current = &g_noWorld;

void RegisterGameWorld(GameWorld* world) {
  game_world_detail::current = world != nullptr ? world : &g_noWorld;
  RegisterRulesFacts(world);
}

bool IsGameWorld(const GameWorld* world) { return world != nullptr && game_world_detail::current == world; }

CGChapter* GameWorld::Chapter(std::uint16_t chapter) const {
  return guilds != nullptr ? guilds->GetChapter(chapter) : nullptr;
}

CGAsteroid* GameWorld::Asteroid(std::uint16_t index) const {
  return solar != nullptr ? solar->GetAsteroid(index) : nullptr;
}

bool GameWorld::AsteroidPosition(std::uint16_t index, Location* out) const {
  const CGAsteroid* asteroid = Asteroid(index);
  if (asteroid == nullptr) return false;
  asteroid->GetPosition(out);
  out->asteroid = g_numAsteroids;
  return true;
}

int GameWorld::NearestAsteroid(const Location* at, std::uint32_t maxAxis, std::uint32_t* outSq) const {
  *outSq = 0xFFFFFFFFu;
  if (solar == nullptr) return -1;
  const CGAsteroid* nearest = searchEveryAsteroid ? solar->SearchNearestAsteroid(at, maxAxis, outSq)
                                                  : solar->FindNearestAsteroid(at, maxAxis, outSq);
  return nearest != nullptr ? int{nearest->id} : -1;
}

bool GameWorld::ResourceMix(std::uint8_t composition, std::uint8_t out[4]) const {
  for (int i = 0; i < 4; ++i) out[i] = 0;
  return MixOf(composition, out);
}

bool GameWorld::InOneCamp(std::uint8_t a, std::uint8_t b) const {
  const CGChapter* ca = Chapter(a);
  const CGChapter* cb = Chapter(b);
  if ((ca != nullptr && ca->renegade != 0) || (cb != nullptr && cb->renegade != 0)) return false;
  // The camps compare as the bytes the packets carry.
  const auto campA = static_cast<std::uint8_t>(ca != nullptr ? ca->camp : 0);
  const auto campB = static_cast<std::uint8_t>(cb != nullptr ? cb->camp : 0);
  return campA == campB;
}

void GameWorld::Notify(std::uint16_t chapter, std::uint16_t category, std::uint16_t code, const char* text1,
                       const char* text2, std::uint16_t p1, std::uint32_t p2, std::uint32_t p3) const {
  if (notifications != nullptr) notifications->Add(chapter, category, code, text1, text2, p1, p2, p3);
}

bool GameWorld::HasOperationalUnits(std::uint16_t chapter, std::uint16_t asteroid) const {
  return pieces != nullptr && pieces->HasOperationalUnits(asteroid, chapter) != 0;
}

std::uint8_t GameWorld::ChapterTrait(std::uint8_t chapter, int trait) const {
  const CGChapter* c = Chapter(chapter);
  return c != nullptr ? c->GetTrait(trait) : std::uint8_t{0};
}

std::uint32_t GameWorld::AllocateId(std::uint8_t chapter) {
  CGChapter* c = Chapter(chapter);
  return c != nullptr ? c->AllocateId() : std::uint32_t{chapter} << 26;
}

CGUnit* GameWorld::FindUnitBuiltFrom(const CGUnitTemplate& design, std::uint8_t chapter) const {
  // Units released while their database is being replaced ask too.
  if (pieces == nullptr) return nullptr;
  for (std::uint32_t at = 0; at <= g_numAsteroids && at < kPieceLocations; ++at) {
    const auto location = static_cast<std::uint16_t>(at);
    for (std::uint32_t k = 0, n = pieces->CountUnits(location, chapter); k < n; ++k)
      if (CGUnit* unit = pieces->GetUnitAt(location, chapter, static_cast<std::uint16_t>(k));
          unit != nullptr && unit->GetTemplate() == &design)
        return unit;
  }
  return nullptr;
}
