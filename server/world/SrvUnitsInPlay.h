#pragma once
// A chapter taken in play: its client never saw the game, so the start
// sequence it is sent tells the chapter's own units as they stand, not as a
// new game's. Each of their 300s becomes the unit's 1313 (out of action,
// status, damage and module states with it), and before the start signal
// come each one's queued orders (301, appended in queue order), its first
// order's stage and target (310), its power (311) and its ATV cargo (312,
// when it carries any). They come after every unit, so that an order's
// target is held when its stage binds it. Other chapters' units stay 300s:
// a 1313 would tell the new player of each as an arrival.
//
// One thread, over a world no other thread changes.

#include <cstdint>
#include <vector>

#include "server/world/SrvStartPackets.h"

void SrvTellUnitsAsTheyStand(const SrvWorld& world, std::uint16_t chapter, std::vector<SrvPacket>& sequence);
