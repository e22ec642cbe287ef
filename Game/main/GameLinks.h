#pragma once
// Connects the application to the game data and the packet dispatcher of the
// game core. Game thread only.

#include "Game/app/AppLinks.h"

struct NetHandlerLinks;

void InstallGameLinks(AppLinks& links);
// The application's services to the packet handlers: questions, boxes, the
// result movie, the progress dialog, the pending Escape, received settings.
void InstallHandlerLinks(NetHandlerLinks& links);
