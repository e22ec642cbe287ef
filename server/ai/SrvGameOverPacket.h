#pragma once
// The game's end as the clients read it (packet 19, 1012 bytes), c a chapter
// number: u8 result of c at 8 + c (0 defeated, 1 minor winner, 2 major
// winner); u16 at 48 the condition that ended the game (SrvVictoryRules.h);
// u8 asteroids c owns at 50 + c and controls at 90 + c (at most 255); u32
// credits at 132 + 4c; u32 the metals, silicates, exotics and reactives in
// the pools of the asteroids c owns at 292, 452, 612 and 772 + 4c; u16 its
// operational units at 932 + 2c. Chapters outside the game read 0.
//
// One thread only (the figures come through the model's world links).

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
