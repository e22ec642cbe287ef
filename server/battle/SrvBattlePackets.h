#pragma once
// The packets a battle leaves for the chapters: unit states (304), the
// replay's data parts (503), zone refreshes (121)
// and the terrain recorder's clear (602) and events (603), each laid out as
// the client's handlers read them.
//
// Any thread.

#include <cstdint>
#include <span>
#include <vector>

#include "Game/net/ReplayFormat.h"
#include "server/world/SrvStartPackets.h"

class CGUnit;
class CGZone;
struct TerrainEvent;

// Data bytes in one 503 part, and in a whole replay (parts numbered 1 to 255).
constexpr std::size_t kReplayPartBytes = replay::kReplayPartBytes;
constexpr std::size_t kMaxReplayBytes = replay::kMostReplayBytes;
// Events in one 603 packet.
constexpr std::size_t kTerrainEventsPerPacket = 29;

// 304, 108 bytes: u32 id at 8, u16 asteroid at 12, u8 hull and life-support
// damage at 14 and 15, i32 power at 16, the 60 module-state bytes at 20, u16
// received points at 96, u32 unoperational (destroyed) at 100, u32 status at 104.
SrvPacket BuildUnitStatusPacket(const CGUnit& unit);
// 503 packets numbered 1 upward carrying `data` (at most kMaxReplayBytes are sent).
std::vector<SrvPacket> BuildReplayPackets(std::uint16_t replay, std::span<const std::uint8_t> data);
// 121, 48 bytes: the zone's state as the client's zone refresh reads it.
SrvPacket BuildZonePacket(std::uint16_t asteroid, const CGZone& zone);
// 602, 12 bytes: u16 asteroid at 8.
SrvPacket BuildTerrainClearedPacket(std::uint16_t asteroid);
// 603 packets: i16 count at 8, u16 asteroid at 10, 36-byte records from 12.
std::vector<SrvPacket> BuildTerrainEventPackets(std::uint16_t asteroid, std::span<const TerrainEvent> events);
