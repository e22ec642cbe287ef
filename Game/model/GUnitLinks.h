#pragma once
// What the units, their orders and the game-piece database need of the game
// around them: the game's databases (game pieces, designs), the solar system
// and its asteroids, the resource pools, the chapters, the zones, the
// game-data root's selection and settings and the notification list. The game-data root fills these in when a game
// starts and clears them when it ends; an empty link gives the value noted beside it, so that the unit code works with
// no game around (tests, tools). Main thread only.

#include <cstdint>
#include <functional>
#include <string>

#include "Game/model/GLocation.h"

class CGGamePieceDB;
class CGTemplateDB;

struct UnitLinks {
  // The game's game-piece and design databases (null outside a game).
  CGGamePieceDB* pieces = nullptr;
  CGTemplateDB* templates = nullptr;
};

extern UnitLinks g_unitLinks;
