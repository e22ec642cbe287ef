#pragma once
// Control of an asteroid follows its zones: a chapter that owns more of its
// zones than the controller does takes control and ownership of it (equal
// counts keep the controller). The new controller is told 407, the one who
// lost it 408 (parameter 2 the asteroid); everyone gets the asteroid (127).
//
// One thread only.

#include "server/SrvTurnSteps.h"

void SrvSettleAsteroidControl(SrvTurnContext& turn);
