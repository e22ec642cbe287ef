#include "server/SrvTurnSteps.h"

void SrvResolveOrders(SrvTurnContext&) {}
