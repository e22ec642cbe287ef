#pragma once
// One computer chapter's orders for a turn, as the packets its player's
// client would send: its guild's research when nothing is being researched,
// its imperator vote for the guild's strongest member, transfers that bring
// the minerals of its outlying stores home, trade on its guild's mineral
// board, work on the zones it holds, and an order for each idle unit
// (SrvAiPlan.h). The world is only read; the same world, level and
// seed always give the same orders.
//
// One thread only.

#include <cstdint>
#include <vector>

#include "server/ai/SrvAiLevel.h"
#include "server/world/SrvStartPackets.h"

std::vector<SrvPacket> SrvChooseOrders(SrvWorld& world, std::uint16_t chapter, const SrvAiLevel& level,
                                       std::uint32_t seed);
