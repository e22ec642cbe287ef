// The process-wide game variables, built by a static initialiser before the
// program's entry runs. They read their file through g_instData, which is
// built before every ordinary static object (GInstData.cpp).
#include "Game/rules/GGameVar.h"

CGameVariables g_gameVariables;
