#pragma once
// The game's end as the clients read it (packet 19, 1012 bytes, laid out by
// GameOverPacket in Game/net/ChapterPackets.h): each chapter's result, the
// condition that ended the game (SrvVictoryRules.h), the asteroids each owns
// and controls (at most 255), its credits, the minerals in the pools of the
// asteroids it owns and its operational units. Chapters outside the game
// read 0.
//
// One thread only (the figures come through the game's world).

#include <array>
#include <cstdint>

#include "server/world/SrvStartPackets.h"
#include "server/world/SrvWorld.h"

enum SrvGameResult : std::uint8_t { kSrvDefeated = 0, kSrvMinorWinner = 1, kSrvMajorWinner = 2 };

struct SrvGameOutcome {
  std::uint8_t condition = 0;
  std::array<std::uint8_t, kMaxChapters> results{};
};

constexpr std::size_t kSrvGameOverSize = 1012;

SrvPacket SrvGameOverPacket(const SrvWorld& world, const SrvGameOutcome& outcome);
