#pragma once
// Connects the application to the game data and the packet dispatcher of the
// game core. Game thread only.

#include "Game/app/AppLinks.h"

void InstallGameLinks(AppLinks& links);
