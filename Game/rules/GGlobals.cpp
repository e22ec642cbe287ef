// The process-wide settings objects, built by static initialisers before the
// program's entry runs. They stand in one file because their order matters:
// the game variables read their file through g_instData.
#include "Game/rules/GGameVar.h"
#include "Game/base/GInstData.h"

CInstData g_instData;
CGameVariables g_gameVariables;
