#pragma once
// The science bonus: each asteroid a chapter owns gives it points (more with
// the research-bonus trait) that its player hands out among its guild's
// modules and hulls. A point on an item under research adds to it what one
// percent of allocation does.
//
// Packets taken from a chapter's holder (offsets from the packet's start):
//   512  module: u8 chapter slot at 8, u16 module at 10, u16 bonus at 12,
//        u16 the client's total at 14 (not trusted)
//   513  hull: u16 section at 8, u8 chapter slot at 10, u16 hull at 12,
//        u16 bonus at 14, u16 total at 16 (not trusted)
// A raise is refused when the chapter's points would then pass its limit; a
// cut is always taken (the client gives points back when its limit falls).
// The clients have no use for another chapter's points: nothing is passed on.
//
// One thread only.

#include <cstdint>
#include <span>

#include "server/orders/SrvOrders.h"
#include "server/world/SrvWorld.h"

// Points each owned asteroid gives before the chapter's trait adds its own.
inline constexpr std::uint32_t kScienceBonusPerAsteroid = 5;

// The points the chapter may hand out now (the standings' limit, 505).
std::uint16_t SrvScienceBonusLimit(const SrvWorld& world, std::uint16_t chapter);
// The points the chapter has handed out.
std::uint32_t SrvScienceBonusGiven(const SrvWorld& world, std::uint16_t chapter);
// Takes a 512 or 513 as from `chapter`.
SrvOrderVerdict SrvTakeScienceBonus(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet);
