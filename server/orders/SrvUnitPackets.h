#pragma once
// Packets that tell the players what happened to units and to them during a
// turn, laid out as the client's handlers read them.
//
// Any thread.

#include <cstdint>

#include "server/world/SrvStartPackets.h"

class CGUnit;
struct Notification;

// 302, 20 bytes: u32 unit id at 8, u8 asteroid at 12, i16 x, y, z at 14.
SrvPacket BuildUnitMovedPacket(const CGUnit& unit);
// 303, 16 bytes: u32 unit id at 8, i32 result at 12 (1 done, else the
// failure code of the order).
SrvPacket BuildOrderRemovedPacket(std::uint32_t unitId, std::int32_t result);
// 310, 20 bytes: u32 unit id at 8, u16 asteroid at 12, u16 stage at 14, u32
// target at 16: the first order's stage (turns left of a trip).
SrvPacket BuildOrderStagePacket(const CGUnit& unit, std::uint32_t targetId);
// 311, 20 bytes: u32 unit id at 8, u16 asteroid at 12, i32 power at 16.
SrvPacket BuildUnitPowerPacket(const CGUnit& unit);
// 312, 20 bytes: u32 unit id at 8, u16 ATV counts at 12, 14, 16, 18.
SrvPacket BuildAtvCargoPacket(const CGUnit& unit);
// 1313, 210 bytes: u32 unit id at 8, u8 out of action at 12, u8 status at
// 13, the design's block at 24 (as packet 200's from 8, the chapter byte
// at 30 being the unit's owner), Location at 140, u8 hull and life-support
// damage at 148, the 60 module-state bytes at 150: a unit as a whole, made
// anew on every client.
SrvPacket BuildUnitResultPacket(const CGUnit& unit);
// 1308, 12 bytes: u32 unit id at 8.
SrvPacket BuildUnitDeletedPacket(std::uint32_t unitId);
// 1500, 152 bytes: u16 category at 8, u16 code at 10, two 64-byte texts at 12
// and 76, u16 parameter 1 at 140, u32 parameters 2 and 3 at 144 and 148.
SrvPacket BuildNotificationPacket(const Notification& n);
// 1501 / 1502, 12 bytes: u16 module or hull index at 8.
SrvPacket BuildResearchDonePacket(bool hull, std::uint16_t index);
