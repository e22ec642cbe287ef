#pragma once
// A space battle as the designs' counters keep it: for each design, its
// units' shots and hits, the shots fired at them and the hits they took, the
// units it lost and the units its own destroyed. The players' template lists
// show these (201 carries them). One thread only.

#include <span>
#include <vector>

#include "server/battle/SrvSpaceBattle.h"

class CGUnit;
class CGUnitTemplate;

// Adds the battle `r` that `units` fought to their designs' counters (each
// held at its greatest value); returns the designs whose counters changed,
// each once.
std::vector<CGUnitTemplate*> SrvCountBattleOnDesigns(const SrvSpaceBattleResult& r, std::span<CGUnit* const> units);
