#pragma once
// One game's world as its model sees it: the databases (solar system, guilds,
// resource pools, notifications, game pieces, designs, hulls, modules, texts)
// and the facts and settings the model asks of the game around it. The
// client's game-data root and the server's world each hold one, fill it in and
// register it while their game exists; with no game registered (tests, tools)
// the world is empty and answers as noted, so the model works on its own.
// The registered world is also the rules data's facts (GRulesFacts.h).
//
// Game thread only.

#include <cstdint>

#include "Game/model/GWorldTypes.h"
#include "Game/rules/GRulesFacts.h"

class CGSolarDB;
class CGuildList;
class CGPoolDB;
class CGNotificationList;
class CGGamePieceDB;
class CGTemplateDB;
class CGAsteroid;
class CGChapter;
struct Location;

class GameWorld : public IRulesFacts {
 public:
  GameWorld() = default;
  GameWorld(const GameWorld&) = delete;
  GameWorld& operator=(const GameWorld&) = delete;

  // The game's databases (null outside a game).
  CGSolarDB* solar = nullptr;
  CGuildList* guilds = nullptr;
  CGPoolDB* pools = nullptr;
  CGNotificationList* notifications = nullptr;
  CGGamePieceDB* pieces = nullptr;
  CGTemplateDB* templates = nullptr;
  CGHullDB* hulls = nullptr;
  CGModuleDB* modules = nullptr;
  const CIDString* texts = nullptr;

  // The chapter of a chapter number through the guilds; the asteroid of an
  // index through the solar system (null without them). The asteroid count,
  // which also stands for solar space, is 0 without a solar system.
  CGChapter* Chapter(std::uint16_t chapter) const;
  CGAsteroid* Asteroid(std::uint16_t index) const;
  std::uint16_t AsteroidCount() const { return solar != nullptr ? g_numAsteroids : std::uint16_t{0}; }
  // The asteroid's place in solar space (the asteroid count as its first
  // field); false when there is no such asteroid.
  bool AsteroidPosition(std::uint16_t index, Location* out) const;
  // Among the asteroids within maxAxis in x and y, the nearest: its index,
  // or -1 with *outSq 0xFFFFFFFF.
  int NearestAsteroid(const Location* at, std::uint32_t maxAxis, std::uint32_t* outSq) const;
  // Set: the nearest-asteroid question looks at every asteroid in turn
  // instead of the solar system's index of places (benches compare the two).
  bool searchEveryAsteroid = false;
  // The four percentages of composition type 0..19 into out; false for none
  // (all 0).
  bool ResourceMix(std::uint8_t composition, std::uint8_t out[4]) const;
  // Neither chapter is a renegade and both are in the same interregnum camp
  // (a missing chapter is no renegade, in camp 0).
  bool InOneCamp(std::uint8_t a, std::uint8_t b) const;
  // CGNotificationList::Add on the game's list, when there is one.
  void Notify(std::uint16_t chapter, std::uint16_t category, std::uint16_t code, const char* text1, const char* text2,
              std::uint16_t p1, std::uint32_t p2, std::uint32_t p3) const;
  // CGGamePieceDB::HasOperationalUnits of a chapter at an asteroid (false
  // without pieces).
  bool HasOperationalUnits(std::uint16_t chapter, std::uint16_t asteroid) const;

  // The settings of the game: all asteroids scanned (false: new zones have an
  // unknown owner), asteroids hidden until seen, random events (false).
  virtual bool AllAsteroidsScanned() const { return false; }
  virtual bool AsteroidsHiddenUntilSeen() const { return false; }
  virtual bool RandomEvents() const { return false; }
  // The player's side of the game: the ship-display setting (0); a selected
  // unit moved to another asteroid (nothing); the selection's entries (none),
  // each the asteroid and the unit id of the entry, false past the end.
  virtual int ShipDisplaySetting() const { return 0; }
  virtual void SelectedUnitMoved(std::uint32_t /*unitId*/, std::uint16_t /*newAsteroid*/) {}
  virtual int SelectionCount() const { return 0; }
  virtual bool SelectedAt(int /*index*/, std::uint16_t* /*location*/, std::uint32_t* /*unitId*/) const { return false; }
  // The application's game settings: the 20 chapter traits and the
  // difficulty; false when there are none or their chapter-slot field is 255.
  virtual bool SettingsTraits(std::uint8_t /*traits*/[20], std::uint8_t* /*difficulty*/) const { return false; }
  // The player's starting-values (resources) setting; -1 when there is none.
  virtual int StartingResources() const { return -1; }

  // The rules data's facts, from the databases above.
  CGHullDB* Hulls() const override { return hulls; }
  CGModuleDB* Modules() const override { return modules; }
  const CIDString* Texts() const override { return texts; }
  std::uint8_t ChapterTrait(std::uint8_t chapter, int trait) const override;
  std::uint32_t AllocateId(std::uint8_t chapter) override;
  CGUnit* FindUnitBuiltFrom(const CGUnitTemplate& design, std::uint8_t chapter) const override;

 protected:
  // The composition's percentages into out, already zeroed (none).
  virtual bool MixOf(std::uint8_t /*composition*/, std::uint8_t /*out*/[4]) const { return false; }
};

namespace game_world_detail {
// The registered world: read on every question the units ask, so inline.
extern GameWorld* current;
}  // namespace game_world_detail

// The registered world, or the empty one.
inline GameWorld& World() { return *game_world_detail::current; }
// Registers a game's world, and with it the rules data's facts; null goes
// back to the empty world. The caller keeps the object alive while it is
// registered.
void RegisterGameWorld(GameWorld* world);
// Whether `world` is the registered one.
bool IsGameWorld(const GameWorld* world);
