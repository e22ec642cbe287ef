#pragma once
// Each chapter's score, settled every turn after the votes: 100 for each
// asteroid it controls, 10 for each zone it holds, 25 for each operational
// unit, and one for each hundred of its credits and of the minerals in the
// pools of the asteroids it owns. An eliminated chapter keeps the score it
// went out with.
//
// One thread only.

#include "server/world/SrvWorld.h"

void SrvUpdateScores(SrvWorld& world);
