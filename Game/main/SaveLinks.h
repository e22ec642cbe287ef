#pragma once
// Connects the application to saved games, e-mail turn files and the packet
// sniffer of the game core. Game thread only.

#include "Game/app/AppLinks.h"

void InstallSaveLinks(AppLinks& links);
