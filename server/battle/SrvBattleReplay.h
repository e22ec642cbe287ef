#pragma once
// The replay of a space battle, in the format of Game/net/ReplayFormat.h.
// A replay is kept within what its 503 parts can carry: shots past that are
// left out of it (they were fought all the same).
//
// Any thread.

#include <cstdint>
#include <span>
#include <vector>

#include "server/battle/SrvSpaceBattle.h"

// `units` in their state at the start of the battle (their places and
// classes); `joined` came as it was fought (the participants are both's
// chapters).
std::vector<std::uint8_t> BuildBattleReplay(std::uint16_t replay, std::span<CGUnit* const> units,
                                            const SrvSpaceBattleResult& result, std::span<CGUnit* const> joined = {});
