#include "Game/frontend/FrontEnd.h"

#include "Game/app/AppLinks.h"
#include "Game/frontend/ScreenFlow.h"

void InstallFrontEnd(AppLinks& links) { links.runScreenFlow = RunScreenFlow; }
