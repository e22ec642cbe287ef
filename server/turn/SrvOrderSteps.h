#pragma once
// The parts of the order resolution (SrvResolveOrders runs them in this
// order): each unit's first order (movement, construction and the other
// work orders), then the economy: research, mining, power, standing
// transfers. One thread only.

#include <cstdint>

#include "server/turn/SrvTurnSteps.h"

class CGUnit;

// Carries out one turn of the unit's first order; what changed is queued
// for the players.
void SrvAdvanceUnitOrder(SrvTurnContext& turn, CGUnit& unit);
// Ends the unit's first order with `result` (1 done, else its failure code)
// and tells its owner.
void SrvFinishFirstOrder(SrvTurnContext& turn, CGUnit& unit, std::int32_t result);
// One turn of a move order (types 0-4) or of the approach of another order
// to an asteroid; true once the unit has arrived.
bool SrvMoveTowardAsteroid(SrvTurnContext& turn, CGUnit& unit, std::uint16_t asteroid);

// Research points for each guild's allocations; the guild's chapters are
// told the progress (504, 509) and what is finished (1501, 1502). The state is the guilds' own
// (SrvWorld::research): the rules' databases stay as the game began, shared
// by every guild.
void SrvAdvanceResearch(SrvTurnContext& turn);
// Each zone's mining output into its owner's pool; each chapter's income.
void SrvMineAndEarn(SrvTurnContext& turn);
// Units gain their power generation, up to their storage.
void SrvRechargeUnits(SrvTurnContext& turn);
// Standing transfers leave their source pools; transfers due arrive.
void SrvRunTransfers(SrvTurnContext& turn);
// Each chapter's pools (550) to the chapter.
void SrvTellPools(SrvTurnContext& turn);
