#pragma once
// The victory conditions, each over the world as it stands after the turn's
// politics. A side is a chapter with every chapter in play allied to it
// (SrvSameSide); the winners of a condition are one side: its major winners
// as each condition says, the rest of the side minor winners, everyone else
// defeated.
//
// One thread only.

#include <array>
#include <optional>

#include "server/ai/SrvGameOverPacket.h"
#include "server/ai/SrvVictoryRules.h"
#include "server/world/SrvWorld.h"

// Every chapter in play is on one side (or none is left): the side wins, its
// best scorers (every chapter of the top score) major winners.
std::optional<SrvGameOutcome> SrvLastManStanding(const SrvWorld& world);
// A guild's flag is the home asteroid of its first chapter. One side controls
// all five flags: the side wins, the members controlling the most flags major
// winners.
std::optional<SrvGameOutcome> SrvCaptureTheFlag(const SrvWorld& world);
// A guild's imperator (not in an interregnum) whose side controls the rules'
// share of the asteroids: the imperator is the major winner.
std::optional<SrvGameOutcome> SrvImperatorWins(const SrvWorld& world, const SrvVictoryRules& rules);
// When the turn being resolved completes the game's length (at least one
// turn): the chapters in play of the top score are major winners, their
// sides minor winners.
std::optional<SrvGameOutcome> SrvBiggestIsBest(const SrvWorld& world, const SrvVictoryRules& rules);
// Players took part and every chapter they hold has been eliminated: nobody
// is left to play the game, which ends as at its length (the scores decide,
// reported as biggest is best) rather than running on among the computer
// chapters alone. No outcome while a player's chapter is in play, or in a
// game of computer chapters only.
std::optional<SrvGameOutcome> SrvNoPlayerInPlay(const SrvWorld& world, const std::array<bool, kMaxChapters>& human);
