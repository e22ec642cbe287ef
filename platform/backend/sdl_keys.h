#pragma once
// The host's keys as the game's virtual-key codes (a US layout by position).
// May be called from any thread.

#include "platform/core/types.h"

namespace plat {

// The virtual key of a key SDL reports (an SDL_Scancode); 0 for keys the game
// has no code for.
UINT VirtualKeyOf(int sdlScancode);
// The same for the key SDL names `name` ("Page Up", "Keypad +", "F5").
UINT VirtualKeyForSdlKeyName(const char* name);

}  // namespace plat
