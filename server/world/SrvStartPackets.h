#pragma once
// The packets that hand a client the new world, in the order its start
// handling expects: the solar system (100), each star (110), the resource
// mix (124), each asteroid with its zones (127), each chapter's start (450),
// the client's chapter's traits (464), every chapter's designs (200, 201), the
// class stat ranges (508) and the units (300),
// the client's credits (551) and pool (550), the standings (505), the scores (507), then the
// start signal (0) with the started flag set.
//
// Any thread, over a world no other thread changes.

#include <cstdint>
#include <string>
#include <vector>

#include "Game/net/AsteroidPackets.h"
#include "server/world/SrvWorld.h"

using SrvPacket = std::vector<std::uint8_t>;

SrvPacket BuildSolarSystemPacket(const SrvWorld& world);
SrvPacket BuildStarPacket(const CGStar& star);
SrvPacket BuildResourceMixPacket(const SrvWorld& world);
SrvPacket BuildAsteroidPacket(const CGAsteroid& asteroid);
// The asteroid's record (127) as BuildAsteroidPacket sends it.
AsteroidWithZonesPacket AsteroidRecordOf(const CGAsteroid& asteroid);
SrvPacket BuildChapterStartPacket(const SrvWorld& world, std::uint16_t chapter, const std::string& name);
// 464, 28 bytes: the chapter's 20 traits at 8.
SrvPacket BuildChapterTraitsPacket(const CGChapter& chapter);
// 300, 28 bytes: u16 chapter at 8, u32 unit id at 12, u8 asteroid at 16,
// i16 x, y, z at 18, u32 design id at 24.
SrvPacket BuildUnitPacket(const CGUnit& unit);
SrvPacket BuildCreditsPacket(std::uint32_t credits);
SrvPacket BuildPoolPacket(const SrvPool& pool);
SrvPacket BuildScoresPacket(const SrvWorld& world);
// 505, 328 bytes: per chapter from 8, eight bytes: u8 asteroids owned, u8
// asteroids it is present on, u8 votes held in its guild, u8 0, u16 ships
// (its operational units), u16 science-bonus limit (SrvScienceBonusLimit).
SrvPacket BuildStandingsPacket(const SrvWorld& world);
// 0, 12 bytes, u16 0 at 8: ends the waiting rooms.
SrvPacket BuildRoomStartPacket();
// 0, 12 bytes: u16 started at 8.
SrvPacket BuildStartSignalPacket();

// Every chapter's fixed designs (200, each with its values, 201), the class
// stat ranges (508), then every unit (300).
void AppendDesignsAndUnits(const SrvWorld& world, std::vector<SrvPacket>& out);

// The whole start sequence for the client that holds `chapter`; `names` are
// the chapters' names by chapter number.
std::vector<SrvPacket> BuildStartSequence(const SrvWorld& world, std::uint16_t chapter,
                                          const std::vector<std::string>& names);
