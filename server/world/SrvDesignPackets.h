#pragma once
// What the clients learn of the designs: a design kept out of the fixed
// slots (200), each design's trailing values (201), and the range of every
// stat over the designs of each unit class (508), which the design view and
// the data panel measure a design against.
//
// Any thread, over designs no other thread changes.

#include <cstdint>
#include <optional>
#include <vector>

#include "server/world/SrvStartPackets.h"
#include "server/world/SrvWorld.h"

class CGUnitTemplate;

// 200 (as BuildTemplatePacket, u16 slot 65535 at 12) for a design held out
// of its chapter's fixed slots: a bought ship's copy, or a slot's former
// design that units still fly; none for a fixed design. Every client holds
// the fixed designs (the start, each store); a loose one may never have
// reached a player, or its client let it go with the last unit of it that it
// saw, so it goes before anything that names it (its values, a unit of it).
std::optional<SrvPacket> BuildLooseDesignPacket(const SrvWorld& world, const CGUnitTemplate& design);

// 201, 36 bytes: u32 template id at 8; the creation-turn pair and the two
// further u16 at 12, 14, 16, 18; the four u32 at 20, 24, 28, 32: the values
// the server holds, which complete the client's copy built from 200.
SrvPacket BuildTemplateValuesPacket(const CGUnitTemplate& design);

// The design's values as every player can take them: its 200 first when it
// is loose (above), then its 201.
std::vector<SrvPacket> BuildDesignValuesNews(const SrvWorld& world, const CGUnitTemplate& design);

// What a player must hold before a unit of the design reaches it: for a
// loose design its 200 and 201 (a client builds its copy from both), for a
// fixed one nothing.
std::vector<SrvPacket> BuildLooseDesignNews(const SrvWorld& world, const CGUnitTemplate& design);

// 508, 976 bytes: from 8, for each of the 11 unit classes, 22 u16 minima then
// 22 u16 maxima of the stats, over every design in the chapters' slots (a
// class without one has 0 and 0). Stat k: 0 orbital speed x 100, 1 solar
// speed, 2 mass, 3 none (0), 4 ATV capacity, 5 construction, 6 survey, 7
// power storage, 8 generation, 9 transfer, 10 power use, 11 attack, 12 ECM,
// 13 tracking, 14 active defence, 15 to 19 the five costs, 20 build points,
// 21 damage control; each at most 65535.
SrvPacket BuildClassStatRangesPacket(const SrvWorld& world);
