#pragma once
// A zone holds at most its ATV limit of ATVs, all kinds together: every way
// ATVs come into a zone (landings, moves and call-backs, the zone's own
// construction, a won or joined attack) puts no more there than its room;
// the players' surface view paints a count past it red.

#include <array>
#include <cstdint>

#include "Game/model/GWorldTypes.h"

class CGAsteroid;
class CGZone;

using SrvAtvCounts = std::array<int, kAtvKinds>;

// How many more ATVs the zone takes (0 when it is full or past its limit).
int SrvZoneRoom(const CGZone& zone);

// Puts as many of `atvs` into the zone, a free one or the chapter's, as its
// room takes, kinds in order, the zone becoming the chapter's when any go in;
// those put in are taken off `atvs`. True when any went in.
bool SrvSeatAtvs(CGZone& zone, std::uint8_t chapter, SrvAtvCounts& atvs);

// ATVs of the chapter that found no room where they went go back into the
// zone `origin` they set off from, as far as its room goes and while it is
// free or the chapter's; those put back are taken off `atvs`. True when any
// went back.
bool SrvSendAtvsBack(const CGAsteroid& asteroid, std::uint16_t origin, std::uint8_t chapter, SrvAtvCounts& atvs);
