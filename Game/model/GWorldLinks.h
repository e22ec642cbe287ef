#pragma once
// What the world model's terrain records need of the views: the terrain
// replay's sprite movers. The replay fills it in while it plays; an empty
// link gives the value noted beside it, so the model also works with no views
// around (tests, tools, the server). The game's databases and settings come
// through the game's world (GameWorld.h).
//
// Game thread only.

#include <functional>

class CSpriteMover;

struct WorldLinks {
  // CSpriteMover::ResetFrameSprites, then deletes the mover (nothing; no mover
  // exists without the terrain replay).
  std::function<void(CSpriteMover* mover)> releaseSpriteMover;
};

extern WorldLinks g_worldLinks;
