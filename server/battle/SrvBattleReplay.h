#pragma once
// The replay of one battle place as the client stores it (".rpl") and its
// replay view and review log read it, little-endian:
//   the chapters taking part (u8 each), 0xFF; u16 replay number;
//   per unit: u32 id, Location (u16 asteroid, i16 x, y, z), u8 n, n bytes of
//     its class abbreviation, u32 0 (present), u32 0; then u32 0xFFFFFFFF;
//   per round: per shot, u32 unit id, its Location, u32 0xFFFFFFFE (no
//     engine), marker, 'e' (101), u32 weapon module, u32 target id, u32
//     chance, u8 1 within effective range, then its parts, each a marker
//     and a code (102 miss; 103 shield held + u32 shield module; 105 hit,
//     106 destroying hit + u16 kind + u16 amount), and marker + 10; the round
//     ends with marker + 1;
//   marker + 11; then the battle section's items, each a marker, a code and
//   its payload: per act of a unit (SrvBattleAct) 4 (scan: u32 unit scanned,
//   u32 scanner module, u32 scanning unit), 5 or 6 (transport: u32 unit, u32
//   transport module) or 9 (fire on the asteroid: u32 unit, u32 asteroid as
//   0xFFFF0000 | index, u32 weapon module); per destroyed unit 3, u32 id and
//   its wreck list (u32 id, u32 flag 1; u32 0xFFFFFFFF, code 10); per
//   retreating unit 7, u32 id, u32 0xFFFFFFFE; per unit that joined the
//   battle 8 and its unit record; marker + 12.
// A marker is u32 0xFFFFFFFF. A replay is kept within what its 503 parts can
// carry: shots past that are left out of it (they were fought all the same).
//
// Any thread.

#include <cstdint>
#include <span>
#include <vector>

#include "server/battle/SrvSpaceBattle.h"

constexpr std::uint32_t kReplayMarker = 0xFFFFFFFFu;
constexpr std::uint32_t kReplayNoEngine = 0xFFFFFFFEu;
constexpr std::uint8_t kReplayShot = 101;
constexpr std::uint8_t kReplayStepEnd = 10;
constexpr std::uint8_t kReplayRoundEnd = 1;
constexpr std::uint8_t kReplayRoundsEnd = 11;
constexpr std::uint8_t kReplayDestroyed = 3;
constexpr std::uint8_t kReplayDeparture = 7;
constexpr std::uint8_t kReplayJoined = 8;
constexpr std::uint8_t kReplayStop = 12;

// `units` in their state at the start of the battle (their places and
// classes); `joined` came as it was fought (the participants are both's
// chapters).
std::vector<std::uint8_t> BuildBattleReplay(std::uint16_t replay, std::span<CGUnit* const> units,
                                            const SrvSpaceBattleResult& result,
                                            std::span<CGUnit* const> joined = {});
