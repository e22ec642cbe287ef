#pragma once
// The battle-plan file (".bpf") the battle-plan dialogs load and save: the
// eight bytes of one plan, targeting bytes in the order 1, 0, 2, 3, 4, then
// the three retreat bytes. Nothing else is in the file. Any thread: the FILE
// is the caller's.

#include <cstdint>
#include <span>

#include "Game/rules/GDefBP.h"
#include "platform/core/files.h"

constexpr std::size_t kBattlePlanFileSize = 8;

// Writes the plan; false when not all eight bytes were written.
bool WriteBattlePlan(plat::FILE* fp, const TargetingPart& targeting, const RetreatPart& retreat);
// Reads a plan from the file; a file that is not exactly eight bytes leaves
// both parts as they were (false). Bytes out of their range are brought into
// it (ClampBattlePlan).
bool ReadBattlePlan(plat::FILE* fp, TargetingPart* targeting, RetreatPart* retreat);
// The same from the file's bytes.
bool ParseBattlePlan(std::span<const std::uint8_t> bytes, TargetingPart* targeting, RetreatPart* retreat);
// Whom to fire at 0..3, the flags 0..1, the range 1..2, the hit chance and
// both retreat thresholds 0..100.
void ClampBattlePlan(TargetingPart* targeting, RetreatPart* retreat);
