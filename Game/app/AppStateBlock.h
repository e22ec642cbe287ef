#pragma once
// The application's block of a saved game, after the game data: the game's
// random seed (u32), the view framework's shared block, the blocks of the
// saved views that exist (design, terrain, solar system, asteroid space, in
// that order), u8 1, u8 the current view's type and i32 the render argument.
//
// Game thread only.

#include <cstdint>
#include <functional>

#include "Game/app/GameView.h"
#include "platform/core/files.h"

// The views whose blocks a saved game holds, in their order.
inline constexpr ViewType kSavedViewOrder[] = {VIEW_DESIGN, VIEW_TERRAIN, VIEW_SOLAR, VIEW_ASTEROID_SPACE};

// Writes the block; `view` gives each view, or null where there is none.
// False when a write failed.
bool WriteAppStateBlock(plat::FILE* file, std::uint32_t randomSeed, const std::function<IGameView*(ViewType)>& view,
                        ViewType current, std::int32_t renderArgument);
