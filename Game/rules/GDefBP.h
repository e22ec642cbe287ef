#pragma once
// The default battle plan of each unit class, which new units take. Built-in
// values stand until "defBP.dat" is read at game start; the defaults are then
// sent to the other players, and the player may edit them during a game,
// which writes them back into the same file.
//
// "defBP.dat" is text read by the rules-file line reader (GKeyValueReader.h):
// one block of eight keys per unit class, class 0 first, each block closed by
// BATTLEPLAN_RETREATNOWEPAONS. Values are decimal, one byte each, and are
// written back in place in a fixed width (one character, two for the hit
// chance and the retreat thresholds), so the file keeps its layout.

#include <array>
#include <cstdint>
#include <string>

#include "Game/rules/GRulesPackets.h"
#include "Game/rules/GUnitClass.h"

// Whom to fire at, target closest, only primary, range, hit chance.
using TargetingPart = std::array<std::uint8_t, 5>;
// Retreat life, retreat hull, retreat when without weapons.
using RetreatPart = std::array<std::uint8_t, 3>;

struct DefaultBattlePlanTable {
  // A table holding the defaults now in force.
  DefaultBattlePlanTable();
  // Reads "defBP.dat" (else "..\defBP.dat") over this table, makes the result
  // the defaults in force and sends them unsequenced to every player as
  // `chapterId`'s. Without a file: an OK box, and nothing changes.
  void ReadFile(std::uint16_t chapterId);
  // Sends the table to every player, unsequenced (315).
  void Broadcast(std::uint16_t chapterId) const;

  TargetingPart targeting[kUnitClassCount];
  RetreatPart retreat[kUnitClassCount];
};

// The part of a class in force; null (reported) for a class of 11 or more.
const std::uint8_t* GetDefaultTargetingPlan(int unitClass);
const std::uint8_t* GetDefaultRetreatPlan(int unitClass);
// Copies a part in; a class of 11 or more is reported and ignored.
void SetDefaultTargetingPlan(int unitClass, const TargetingPart& part);
void SetDefaultRetreatPlan(int unitClass, const RetreatPart& part);

// Runs the default-battle-plan dialog; when the player confirms, the chosen
// plans come into force, go to every player (sequenced) and into the file.
void SendDefaultBattlePlans();
// Writes the defaults in force into "defBP.dat" (else "..\defBP.dat") in
// place. A read-only file or no file: an OK box, and the file stays as it is.
void WriteDefaultBattlePlanFile();

// A whole "defBP.dat" for `table`: the eleven blocks of eight keys, each value
// in its fixed width (a value too large for it written as the largest that
// fits), CR LF line ends.
std::string DefaultBattlePlanText(const DefaultBattlePlanTable& table);

// Message 315, 100 bytes: u16 chapter id at 8, the 11 targeting parts at 10,
// the 11 retreat parts at 65, two zero bytes.
PacketImage<100> BuildDefaultPlansPacket(std::uint16_t chapterId, const DefaultBattlePlanTable& table);
