#include "server/SrvTurnSteps.h"

void SrvResolveBattles(SrvTurnContext&) {}
