#pragma once
// The notifications of guild politics and of the game's end (the world's
// notification list, sent at the end of the step): category 4: 407 / 408
// control of an asteroid gained / lost (parameter 2 the asteroid), 409 a
// chapter eliminated (parameter 2 the chapter); category 6: 601 / 602 a
// chapter declared renegade / loyal again (parameter 2 the chapter), 603 /
// 604 a renegade vote against the reader cast / withdrawn, 605 / 606
// imperator backing given / withdrawn (parameter 1 the voter's slot).

#include <cstdint>

constexpr std::uint16_t kSrvGameEventCategory = 4;
constexpr std::uint16_t kSrvControlGainedCode = 407;
constexpr std::uint16_t kSrvControlLostCode = 408;
constexpr std::uint16_t kSrvEliminatedCode = 409;
constexpr std::uint16_t kSrvVoteCategory = 6;
constexpr std::uint16_t kSrvRenegadeCode = 601;
constexpr std::uint16_t kSrvLoyalCode = 602;
constexpr std::uint16_t kSrvRenegadeVoteCode = 603;
constexpr std::uint16_t kSrvLoyalVoteCode = 604;
constexpr std::uint16_t kSrvBackingCode = 605;
constexpr std::uint16_t kSrvBackingWithdrawnCode = 606;
// Parameter 3 of an entry that names no unit.
constexpr std::uint32_t kSrvNoParameter = 0xFFFFFFFFu;
