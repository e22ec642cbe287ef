#pragma once
// Who is still in the game and who stands with whom. A chapter's state flag
// (saved with its guild) is the server's record of its standing: in play,
// eliminated, or its guild's imperator.
//
// One thread only.

#include <cstdint>

#include "server/world/SrvWorld.h"

constexpr std::uint32_t kSrvChapterOut = 0;
constexpr std::uint32_t kSrvChapterInPlay = 1;
constexpr std::uint32_t kSrvChapterImperator = 2;

// The chapter takes part in the game and has not been eliminated; null is not.
bool SrvInPlay(const CGChapter* chapter);
bool SrvInPlay(const SrvWorld& world, std::uint16_t chapter);
// Asteroids the chapter controls.
int SrvControlledAsteroids(const SrvWorld& world, std::uint16_t chapter);
// The votes a chapter holds in its guild: one per asteroid it controls while
// it is in play, less those it sold, plus those it bought (SrvVoteTrade.h);
// none once it is out.
int SrvVotesHeld(const SrvWorld& world, std::uint16_t chapter);
// Two chapters on one side: the same chapter, or members of one guild of
// which neither is a renegade and both are in the same interregnum camp.
bool SrvSameSide(const SrvWorld& world, std::uint16_t a, std::uint16_t b);
