#pragma once
// Connects the application to the game screen, which hears what the game
// data, the handlers and the application tell it. Game thread only.

#include "Game/app/AppLinks.h"

void InstallGameLinks(AppLinks& links);
