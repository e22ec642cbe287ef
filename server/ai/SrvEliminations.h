#pragma once
// A chapter in play that controls no asteroid and has no operational unit is
// out of the game: its state flag becomes "out", the zones it held are
// released, and every chapter gets the notification (409), on which the
// client writes its units and zones off too.
//
// One thread only.

#include <cstdint>
#include <vector>

#include "server/turn/SrvTurnSteps.h"

// The chapters eliminated now, in chapter order.
std::vector<std::uint16_t> SrvEliminateChapters(SrvTurnContext& turn);
