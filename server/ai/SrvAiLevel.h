#pragma once
// How hard the computer chapters play, from the game settings' difficulty
// (easy, average, hard or custom). Custom settings play at the difficulty
// rating the set-up screens show for them.
//
// Any thread.

#include <cstdint>

#include "server/world/SrvSetup.h"

struct SrvAiLevel {
  std::uint8_t difficulty = 1;
  // The chapter builds ships while it has fewer operational units than this,
  // plus `fleetPerAsteroid` for each asteroid it controls.
  int fleetLimit = 0;
  int fleetPerAsteroid = 0;
  // The part of a pool a chapter keeps back when it builds.
  int reservePercent = 0;
  // The allocation it gives its guild's research.
  std::uint16_t researchPercent = 0;
  // The chance, in percent, that an idle warship sets out against an enemy
  // asteroid in a turn (0: warships only fight where they stand).
  int aggression = 0;
  // Warships kept to guard each asteroid it controls while it still has
  // asteroids to settle; only the others set out.
  int guardsPerAsteroid = 0;
  // ATVs built into a hold at once.
  int atvsPerLoad = 0;
  // The workers (units that build or carry ATVs) it keeps: this many, plus
  // one for each `asteroidsPerWorker` asteroids it controls.
  int baseWorkers = 0;
  int asteroidsPerWorker = 1;
  // Whether its workers carry combat ATVs to enemy asteroids with a free
  // zone when nothing is left to settle, to take them zone by zone.
  bool invades = false;
  // The operational units it keeps at most: past `fleetLimit`, a chapter
  // whose pool would pay for a warship several times over builds the
  // dearest it affords, up to this many, so that its pools do not pile up.
  int fleetCap = 0;
  // The cap grows by this many units for each asteroid the chapter controls:
  // a realm that grows keeps the fleet to hold it and to grow on.
  int fleetCapPerAsteroid = 0;
  // Whether its warships bombard an enemy's asteroid no landing would take
  // at once, wearing down the ATVs on its zones until one would.
  bool bombards = false;
  // When its carriers choose where to land and its warships where to set
  // out, an enemy asteroid's squared distance is divided by this for each
  // thing that makes it worth more than most (its holder's home, one of a
  // holder's last two, one a single ATV takes); 1: the nearest is chosen.
  int prizeWeight = 1;
  // Mining grows no further (settlers land power ATVs, which hold a zone
  // but mine nothing, and no mining facility is built) while each mineral
  // in the chapter's pools would last this many turns of what its credit
  // income can spend (0: it always mines): credits, not minerals, bound
  // what a chapter builds, and the rules turn no mineral into credits.
  int mineralCoverTurns = 0;
  // Whether builders change hands in its guild (SrvAiTradeBuilders): a
  // chapter that lost its own buys one from a mate with builders to spare.
  bool tradesBuilders = false;
  // Whether its carriers take the miners off its land not worth mining even
  // where that leaves their zones free (its settlers then hold them with
  // power ATVs), rather than waiting for a power ATV on each zone first, go
  // and fetch them from outlying land, and keep them aboard until new land
  // worth mining comes in reach: landed again on land that yields mostly
  // what the pools outlast, they would go on filling the pools.
  bool freesMinedZones = false;
  // Whether its idle carriers take aboard the combat ATVs its quiet land
  // does not need, for a war load (every one on outlying land not worth
  // mining; SrvAiCommandUnit).
  bool gathersCombat = false;
  // Whether a landing that invades takes every combat ATV the hold has room
  // for and lands those past one a zone on the zones it takes: the holder's
  // ATVs in the neighbouring zones attack a lone one, and each zone lost
  // hands the asteroid back.
  bool massesLandings = false;
  // Whether its warships carry the guild's bombard (SrvAiFitsModule).
  bool fitsBombards = false;
  // Set by the game, not the level: capture the flag is among the victory
  // conditions, so flag-bearers' homes are prizes and flags held are guarded.
  bool flagsWin = false;
  // Set by the game: the interregnum rule holds, so that a rival backing
  // itself may leave its guild without an imperator when the one it has
  // falls.
  bool interregnums = false;
  // Set by the game: the asteroids an imperator's side must control to win
  // (0: an imperator does not win), so that a side closing in on them
  // pushes for the rest.
  int imperatorTarget = 0;
  // At a level that does not invade: the chance, in percent, that a turn
  // sends a raid on a weaker neighbour (SrvAiCommandUnit); 0: never. A
  // chapter that never takes land from anyone is as good as passive.
  int raidPercent = 0;
  // Whether its side pushes for the rest once it closes in on the asteroids
  // an imperator needs (SrvAiClosingIn), as a side ahead in flags does.
  bool pushesWhenClosingIn = false;
};

std::uint8_t SrvDifficultyOf(const SrvSetup& setup);
SrvAiLevel SrvAiLevelOf(std::uint8_t difficulty);
