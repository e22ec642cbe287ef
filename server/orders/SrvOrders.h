#pragma once
// A chapter's orders for the running turn, as its player's client sends
// them or as the server's own players submit them: the same packets and the
// same checks for both. An accepted order is stored in the world (a unit's
// queue, a guild's research allocation, a standing transfer) and carried out
// when the turn is resolved (SrvResolveOrders); a refused one changes nothing.
//
// Packets taken (offsets from the packet's start):
//   301  order (ParseOrderPacket, 172 bytes): u32 unit at 8, the order from 12
//   306  cancel orders: u32 unit at 8, u16 asteroid at 12, u8 all at 14
//   314  battle plan of a unit (BattlePlanPacket, 48 bytes); refused when it
//        changes a mind weapon's firing level on a unit not of the Emerald
//        Combine, or raises the level of an empty slot
//   510  module research allocation: u8 chapter slot at 8, u16 module at 10, u16 percent at 12
//   511  hull research allocation: u16 section at 8, u8 slot at 10, u16 hull at 12, u16 percent at 14
//   512, 513  science bonus (SrvScienceBonus.h)
//   555  transfer (20 bytes): u8 chapter at 8, u8 source asteroid at 9, u8
//        destination at 10, u8 mineral at 11, u16 amount at 12, u16 transit
//        turns at 14 (at least 1), u32 at 16 (1: a standing transfer, which
//        the client sends again every turn; 0: once). Either moves the amount
//        this turn.
//
// One thread only.

#include <cstdint>
#include <span>

#include "server/world/SrvStartPackets.h"
#include "server/world/SrvWorld.h"

enum class SrvOrderVerdict : std::uint8_t {
  kAccepted,
  kTooShort,       // shorter than its layout
  kNotAnOrder,     // a type this intake does not take
  kNoChapter,      // the chapter is not in the game, or no longer in play
  kUnknownUnit,    // no unit of that id
  kNotOwner,       // the unit belongs to another chapter
  kUnoperational,  // the unit cannot take orders
  kBadOrder,       // an order type, mode, place or value out of range
  kBadTarget,      // the order's target does not exist or may not be used
  kCannotAfford,   // a building order its pool cannot pay
  kRepeated,       // asked already this turn, and done once a turn
  kStunned,        // the unit is stunned: its queue cannot be replaced nor its stun cancelled
  kOutOfRange,     // a special or mental attack on a unit beyond the weapon's range
};

// The packet types SrvSubmitOrder takes.
bool SrvIsOrderPacket(std::uint16_t type);
// Checks the packet as from `chapter` and stores the order it holds.
SrvOrderVerdict SrvSubmitOrder(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet);
// The client queued a unit order (301) before the server refused it. When
// the two queues can be brought back together, this does so and gives the
// packet that tells the owner (303 with the failure code, which makes the
// client drop its queue): for an order that replaced the queue, or that
// joined a queue the server holds empty, the server's queue of the unit is
// emptied too. Nothing (empty) otherwise, or when the unit is not the
// chapter's.
SrvPacket SrvRefusedOrderNotice(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet,
                                SrvOrderVerdict verdict);
// A short reason for the log ("accepted" for kAccepted).
const char* SrvOrderVerdictText(SrvOrderVerdict verdict);
