#pragma once
// What the world model (asteroids, zones, stars, chapters, guilds, pools,
// notifications, terrain records) needs of the game around it: the databases
// the game-data root owns, its settings, the game pieces, the views and the
// application. The game-data root fills these in when a game starts and clears
// them when it ends; an empty link gives the value noted beside it, so the
// model also works with no game around (tests, tools, the server).
// The local chapter, the turn, chapters per guild, the sends and the text index
// come from the rules links (GRulesLinks.h), which the root fills in as well.
//
// Game thread only.

#include <cstdint>
#include <functional>

class CGSolarDB;
class CGuildList;
class CGPoolDB;
class CGNotificationList;
class CGAsteroid;
class CGChapter;
class CSpriteMover;

struct WorldLinks {
  // The game data's databases (null outside a game).
  CGSolarDB* solarDB = nullptr;
  CGuildList* guildList = nullptr;
  CGPoolDB* poolDB = nullptr;
  CGNotificationList* notifications = nullptr;

  // CGameData::GetResourceMix: the four percentages of a composition type
  // 0..19 into out; false for none (all 0).
  std::function<bool(std::uint8_t composition, std::uint8_t out[4])> resourceMix;
  // The game data's all-asteroids-scanned setting (false: new zones have an
  // unknown owner).
  std::function<bool()> allAsteroidsScanned;
  // The asteroids-hidden-until-seen setting (false).
  std::function<bool()> asteroidsHiddenUntilSeen;
  // The random-events setting (false).
  std::function<bool()> randomEvents;

  // CGGamePieceDB::HasOperationalUnits / CountOperationalUnits of a chapter at
  // an asteroid (false / 0).
  std::function<bool(std::uint16_t chapter, std::uint16_t asteroid)> hasOperationalUnits;
  std::function<int(std::uint16_t chapter, std::uint16_t asteroid)> countOperationalUnits;
  // CGGamePieceDB::DetectAsteroidsNearUnitsInSpace (nothing).
  std::function<void(int silent)> detectAsteroidsNearUnitsInSpace;

  // CSpriteMover::ResetFrameSprites, then deletes the mover (nothing; no mover
  // exists without the terrain replay).
  std::function<void(CSpriteMover* mover)> releaseSpriteMover;

  // The application's game settings: the 20 chapter traits and the
  // difficulty; false when there are none or their chapter-slot field is 255.
  std::function<bool(std::uint8_t traits[20], std::uint8_t* difficulty)> gameSettingsTraits;
  // The player's starting-values (resources) setting; -1 when the application
  // holds none (-1).
  std::function<int()> startingResources;
};

extern WorldLinks g_worldLinks;

// The links with their empty-link values.
CGSolarDB* WorldSolarDB();
CGuildList* WorldGuildList();
CGPoolDB* WorldPoolDB();
CGNotificationList* WorldNotifications();
// The chapter of a chapter number through the guild list; null without one.
CGChapter* WorldChapter(std::uint16_t chapter);
CGAsteroid* WorldAsteroid(std::uint16_t index);
bool WorldResourceMix(std::uint8_t composition, std::uint8_t out[4]);
bool WorldHasOperationalUnits(std::uint16_t chapter, std::uint16_t asteroid);
// CGNotificationList::Add on the game's list, when there is one.
void WorldNotify(std::uint16_t chapter, std::uint16_t category, std::uint16_t code, const char* text1,
                 const char* text2, std::uint16_t p1, std::uint32_t p2, std::uint32_t p3);
