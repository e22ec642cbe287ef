#pragma once
// A player's own ship design (packet 200) for one of its chapter's fixed
// design slots, checked as the design view checks it before saving and
// against what the guild has researched on the server:
//   u32 template id at 8 (of the chapter), u16 slot at 12 (0..14), u16
//   chapter at 14, name at 16 (30 bytes, not empty), u8 hull index at 46 (of
//   the guild's hull list, researched), u16 module at 48 + 2i and u8 fitted
//   flag at 98 + i for slot i (a fitted module of the guild, researched, of a
//   type the hull's slot takes), at least one module, the mass within the
//   hull's limit.
// An accepted design takes the slot as the client's own database takes it
// (a design still used by units stays with them). An id another of the
// chapter's designs holds is replaced by a fresh one of the chapter's.
//
// One thread only.

#include <cstdint>
#include <span>

#include "server/orders/SrvOrders.h"
#include "server/world/SrvWorld.h"

// Stores the design in `chapter`'s slot when every check holds; the stored
// design is then `world.templates->GetTemplate(chapter, slot, 1)`, its id
// the packet's unless that one was taken.
SrvOrderVerdict SrvTakeDesign(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet);
