#pragma once
// Control of an asteroid follows its zones: a chapter that owns more of its
// zones than the controller does takes control and ownership of it (equal
// counts keep the controller). The new controller is told 407, the one who
// lost it 408 (parameter 2 the asteroid); everyone gets the new owner and
// controller (123) and then every zone of the asteroid (121): the full
// asteroid record (127) would hand every occupied zone to the controller on
// the clients' screens, and zones told while nobody owned the asteroid would
// stay nobody's there.
//
// One thread only.

#include "server/turn/SrvTurnSteps.h"

void SrvSettleAsteroidControl(SrvTurnContext& turn);
