#pragma once
// The server's game world: the solar system (the model's own CGSolarDB, so
// that the orbits the server advances are the ones every client predicts),
// the chapters through the model's guild list, the resource mix of the
// composition types and each chapter's starting pool.
//
// The model finds its databases through process-wide links: a world installs
// itself there while it lives, so a process holds one world at a time.
// One thread only.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Game/model/GGuild.h"
#include "Game/model/GSolarSys.h"
#include "Game/model/GWorldTypes.h"
#include "server/SrvSetup.h"

// Gives asteroid name n (from 1), or nothing past the names file's end.
using SrvAsteroidNames = std::function<std::optional<std::string>(unsigned n)>;

// A chapter's store of minerals on one asteroid.
struct SrvPool {
  std::uint16_t asteroid = 0xFFFF;
  std::uint8_t storage = 0;
  std::uint32_t blockade = 0;
  std::uint32_t minerals[4] = {};
};

class SrvWorld {
 public:
  SrvWorld();
  ~SrvWorld();
  SrvWorld(const SrvWorld&) = delete;
  SrvWorld& operator=(const SrvWorld&) = delete;

  // Builds a new world from the set-up; the same set-up and seed always give
  // the same world. Names come from `names` (a missing one becomes
  // "Asteroid <n>"). Chapters of the set-up's guild size all take part, each
  // with a home asteroid of its own.
  void Generate(const SrvSetup& setup, std::uint32_t seed, const SrvAsteroidNames& names);
  // Takes a loaded game's guilds and counters (its solar system was loaded in place).
  void AdoptLoaded(std::unique_ptr<CGuildList> loaded, std::uint32_t loadedTurn, std::uint32_t loadedSeed,
                   std::uint8_t perGuild);
  // The end of a turn as every client performs it: stars, orbits, the turn.
  void AdvanceTurn();

  CGSolarDB solar;
  std::unique_ptr<CGuildList> guilds;
  std::uint32_t seed = 0;
  std::uint32_t turn = 0;
  std::uint8_t chaptersPerGuild = 8;
  // Four percentages (metals, silicates, exotics, reactives) per type.
  std::array<std::array<std::uint8_t, 4>, 20> resourceMix{};
  std::array<SrvPool, kMaxChapters> pools{};
  std::array<std::uint32_t, kMaxChapters> scores{};

  // Chapter number guild x 8 + slot takes part in this game.
  bool HasChapter(std::uint16_t chapter) const;
  CGChapter* Chapter(std::uint16_t chapter) const;

 private:
  void InstallLinks();
};
