#pragma once
// Control of an asteroid follows its zones: a chapter that owns more of its
// zones than the controller does takes control and ownership of it (equal
// counts keep the controller). The new controller is told 407, the one who
// lost it 408 (parameter 2 the asteroid); everyone gets the new owner and
// controller (123), which leaves the zones as the clients hold them: the
// full asteroid record (127) would hand every occupied zone to the
// controller on their screens.
//
// One thread only.

#include "server/SrvTurnSteps.h"

void SrvSettleAsteroidControl(SrvTurnContext& turn);
