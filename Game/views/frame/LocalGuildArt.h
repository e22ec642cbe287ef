#pragma once
// The local guild's own art, as the views dress their controls and menus in
// it: a picture's path in the guild's folder of the installation and the
// guild's picture module. Before a game is loaded, guild 0's folder and no
// module.

#include <string>

#include "platform/core/types.h"

std::string LocalGuildArt(const char* name);
plat::HMODULE LocalGuildArtModule();
