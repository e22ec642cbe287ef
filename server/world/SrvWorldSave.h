#pragma once
// The part of the server's file that holds the world beside its solar system
// and guilds: the pools, every chapter's designs, every unit with its orders,
// the guilds' research, the standing transfers and what they carry.
//
// Block: pool block (CGPoolDB); u32 design count, each: u8 chapter, u16 slot
// (0xFFFF: not a fixed slot), u32 id, u8 hull section and index (255 255:
// none), name, 20 x (u16 module, u8 fitted); u32 unit count, each: u32 id,
// u32 design id, Location, u8 stage, 5 + 3 plan bytes, 20 x 3 module bytes,
// u32 unoperational, u32 status, u8 hull and life-support damage, i32 power,
// u16 received points, 4 ATV bytes, name, u16 order count and each order (u32
// type, u8 flag, 8 head bytes, u32 target id, u8 blocks present (bit 0
// construction, 1 landing, 2 recovery) and the blocks); 5 x research (u16
// module count, percent and points each; u16 hull count, likewise; per
// member slot 0..7 a u16 science bonus per module, then per member slot one
// per hull; files of version 2 have no bonus); u32
// transfers and each; u32 in transit and each (u8 destination, u8 mineral,
// u16 amount, u32 arrival turn, then u8 sender and u8 source, both absent
// from files of version 6 and before); u32 ship bids and each (u8
// bidder, u32 unit, u16 pool, 4 x u32 bid); u32 vote bids and each (u8
// bidder, u8 asteroid, u16 pool, 4 x u32 bid) and u32 sold votes and each (u8
// asteroid, seller, buyer), both absent from files of version 3 and before;
// u8 0xFB.
//
// One thread only.

#include <cstdint>

#include "Game/base/GBlockStream.h"
#include "server/world/SrvWorld.h"

// The server file's version whose world block this is; earlier ones are read too.
constexpr std::uint8_t kSrvFileVersion = 7;
// The last version whose shipments in transit do not name their sender.
constexpr std::uint8_t kSrvFileVersionWithoutSenders = 6;
// The last version whose world block keeps no design counters (built, lost,
// kills, shots and hits, which the players' design lists show).
constexpr std::uint8_t kSrvFileVersionWithoutDesignCounts = 5;
// The first version whose file ends in its checksum (SrvGameSave.cpp); the
// world block is that of version 4.
constexpr std::uint8_t kSrvFileVersionWithChecksum = 5;
constexpr std::uint8_t kSrvFileVersionWithoutVoteTrade = 3;
constexpr std::uint8_t kSrvFileVersionWithoutBonus = 2;

bool SrvSaveWorldState(const SrvWorld& world, BlockWriter& w);
// Reads the block into the world, whose solar system, guilds and rules must
// already be in place. False when the block is short or out of range; the
// world then holds no units or designs (the caller keeps its old world when
// that matters, by loading into a fresh one first). A block of an earlier
// `fileVersion` leaves what it lacks empty (no science bonus, no vote trade,
// no design counters, shipments nobody is told of).
bool SrvLoadWorldState(SrvWorld& world, BlockReader& r, std::uint8_t fileVersion = kSrvFileVersion);
