#include "server/SrvTurnSteps.h"

void SrvPlayComputerChapters(SrvTurnContext&) {}
