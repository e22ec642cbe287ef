// The player's settings the solar view reads when it makes its scene.
#include "Game/views/space/CVSolarOptions.h"

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"

bool PlayerWantsStarBackground() { return !g_app || g_app->m_options.stars != 0; }
bool PlayerWantsDistanceFog() { return !g_app || g_app->m_options.fogging != 0; }
