#pragma once
// Random events, when the configuration allows them (u16 at 28 non-zero): run
// after the victory check, before the orbits advance.
//   - One turn in kSrvOrbitEventOdds, an asteroid on an elliptic orbit, drawn
//     at random, has its orbit disturbed: its long radius becomes 90 to 110 %
//     of what it was (kept within 1500 to 14000, the generated range), its
//     short one keeps its proportion to it.
//   - One turn in kSrvVeinEventOdds, an asteroid drawn at random shows another
//     composition type (a vein laid bare): 0 to 19, not the one it had.
// The chapters learn the new radii (125) and composition (128) with the
// asteroid news (server/world/SrvAsteroidNews.h), those that know the asteroid.
// The events draw from a sequence of their own, made from the game's seed
// and the turn, so they leave the turn's other numbers as they were.
//
// One thread only.

#include "server/turn/SrvTurnSteps.h"

constexpr int kSrvOrbitEventOdds = 8;
constexpr int kSrvVeinEventOdds = 8;

void SrvRandomEvents(SrvTurnContext& turn);
