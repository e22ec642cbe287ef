#pragma once
// What a chapter's player does on an asteroid's surface (the terrain view's
// packets), checked as a unit order is (SrvOrders.h) and kept in the zones
// until the turn resolves them (SrvResolveZones):
//   600  ATVs set off for a zone: u16 asteroid at 8, u16 zone at 10, u16
//        source zone at 12, u16 chapter at 14, u16 kind at 16, u16 count at
//        18 (its low byte; 256 - m calls m back). They leave the source zone
//        at once and join the zone's arriving list.
//   607  ATVs set off to attack a zone: the same layout, into the zone's
//        attacking list, which the battles settle.
//   608  entrench: u16 asteroid at 8, u16 zone at 10, u16 chapter at 12, u16
//        kind at 16.
//   610  automanage: u16 asteroid at 8, u8 flag at 10.
//   611  build a facility: u16 asteroid at 8, u16 chapter at 10, u16 zone at
//        12, u32 facility bit at 16 (paid in the zone's ATVs, as the model prices it).
//   612  ATV construction of a zone's facility: u16 asteroid at 8, u16 zone at
//        10, u16 chapter at 12, u8 counts of the four kinds at 14.
//   605, 606  raise a zone's mining value / ATV limit by one (at most 16):
//        u16 guild at 8, u16 chapter at 10, u16 asteroid at 12, u16 zone at 14.
//   601, 609  the client's own picture of a zone's counts and of ATVs given
//        back by a cancelled recovery: taken without effect, as the server
//        keeps the counts itself.
// Every one names a chapter that must be the sender's, and a zone that must
// exist; the zone must be the sender's except as a move's or an attack's
// target.
//
// One thread only.

#include <cstdint>
#include <span>

#include "server/orders/SrvOrders.h"
#include "server/turn/SrvTurnSteps.h"

class CGAsteroid;

bool SrvIsZonePacket(std::uint16_t type);
SrvOrderVerdict SrvSubmitZoneOrder(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet);

// The turn's zone work, before the battles: arriving ATVs join a zone that
// is free or their chapter's as far as its ATV limit leaves room (those bound
// for another's attack it instead; SrvZoneRoom.h says where the rest go),
// zone facilities build the ATVs ordered from them where the asteroid's pool
// pays and the zone has room (notice 1/113), and pending zone improvements
// take effect. Every asteroid that changed is told to everyone zone by zone
// (SrvTellZones).
void SrvResolveZones(SrvTurnContext& turn);

// Tells everyone each zone of the asteroid (121). Not the whole asteroid
// (127): that makes every occupied zone the asteroid owner's on the clients
// and clears their entrenchments.
void SrvTellZones(SrvTurnContext& turn, const CGAsteroid& asteroid);
