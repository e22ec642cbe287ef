#pragma once
// Stuns (server/README.md, "Special weapons"): a unit a mind weapon hits
// takes the stunned order (35) at the head of its queue, the turns it lasts
// in the order's word 0. While stunned it holds its fire, stays where it is
// and refuses a new queue (an order appended waits behind the stun).
//
// One thread only.

#include <cstdint>

#include "server/turn/SrvTurnSteps.h"

class CGUnit;

// Stuns the unit for `turns` turns (a stun already on it, which battles do
// not draw out, lasts the longer of the two); a new stun is told to its
// owner (301, inserted first).
void SrvStunUnit(SrvTurnContext& turn, CGUnit& unit, std::uint8_t turns);

// One turn of the stun at the head of the unit's queue: in the turn its
// count runs out it ends as a done order (303, notice 1/101 naming type 35),
// the unit joins the turn's released (no mind weapon's target in its
// battles) and true is returned, the next order taking the same turn.
bool SrvAdvanceStun(SrvTurnContext& turn, CGUnit& unit);
