#pragma once
// What the clients learn of the designs besides the designs themselves
// (200): each design's trailing values (201), and the range of every stat
// over the designs of each unit class (508), which the design view and the
// data panel measure a design against.
//
// Any thread, over designs no other thread changes.

#include <cstdint>

#include "server/world/SrvStartPackets.h"
#include "server/world/SrvWorld.h"

class CGUnitTemplate;

// 201, 36 bytes: u32 template id at 8; the creation-turn pair and the two
// further u16 at 12, 14, 16, 18; the four u32 at 20, 24, 28, 32: the values
// the server holds, which complete the client's copy built from 200.
SrvPacket BuildTemplateValuesPacket(const CGUnitTemplate& design);

// 508, 976 bytes: from 8, for each of the 11 unit classes, 22 u16 minima then
// 22 u16 maxima of the stats, over every design in the chapters' slots (a
// class without one has 0 and 0). Stat k: 0 orbital speed x 100, 1 solar
// speed, 2 mass, 3 none (0), 4 ATV capacity, 5 construction, 6 survey, 7
// power storage, 8 generation, 9 transfer, 10 power use, 11 attack, 12 ECM,
// 13 tracking, 14 active defence, 15 to 19 the five costs, 20 build points,
// 21 damage control; each at most 65535.
SrvPacket BuildClassStatRangesPacket(const SrvWorld& world);
