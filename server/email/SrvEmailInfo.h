#pragma once
// The set-up the client's e-mail screen leaves for the server before it runs
// "-En:": the file "<game name>-eminfo.dat" in the installation folder, one
// "Key: value" pair a line (NumberOfChapters:, NumberOfAsteroids:,
// VictoryConditions:, BiggestIsBestTurns:, ImperatorAsteroids:,
// ImperatorVotes:, RandomEvents:, OrbitSpeed:, ResearchShared:,
// ChaoticOrbits:, the six FOW...: keys, RandomSystemSize:,
// RandomEconomicGrade:, RandomOrbits:, ResourceScale:, ForceScale:, and
// "ChapterTrait: <index 0..19> <value>").
//
// Any thread.

#include <string>
#include <string_view>

#include "server/world/SrvSetup.h"

// Takes every well-formed pair of `text` into `setup` (a value that is not
// a decimal number of the field's width, an unknown key or a trait index out
// of range is passed over); the number of pairs taken.
int SrvTakeEmailInfo(std::string_view text, SrvSetup& setup);
// The file's text for game `name` (without its "-0"): from the installation
// folder, else the current one; empty when neither holds it.
std::string SrvReadEmailInfo(const std::string& name);
