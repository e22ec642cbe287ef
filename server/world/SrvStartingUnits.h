#pragma once
// What each chapter starts a game with beside its home asteroid: designs
// made from its guild's rules researched at the start (one per hull, in the
// guild's hull order, at most 15, into the fixed slots), and one unit of each
// of its first three designs beside its home asteroid.
//
// One thread only.

#include <array>
#include <cstdint>
#include <memory>

#include "Game/rules/GModuleDB.h"
#include "server/world/SrvWorld.h"

constexpr int kStartingUnitCount = 3;

// The kinds of module a design is given first, in this order.
inline constexpr std::array<std::uint8_t, kModuleTypeCount> kSrvModulePreference = {
    MODULE_PROPULSION, MODULE_CONSTRUCTION, MODULE_TRANSPORT, MODULE_POWER,         MODULE_SCOUT, MODULE_WEAPON,
    MODULE_DEFENSE,    MODULE_COMPUTER,     MODULE_TRACKING,  MODULE_DAMAGECONTROL, MODULE_ECM};

// A design on `hull` for `chapter`: each slot takes a researched module of
// the chapter's guild that the slot accepts, a kind not yet fitted first
// (drives before construction, transport, power, the rest), else the first
// accepted one. Null without a hull.
std::unique_ptr<CGUnitTemplate> SrvMakeStartingDesign(const SrvWorld& world, std::uint16_t chapter, CGHull* hull);
// Fills the chapter's fixed design slots and places its starting units.
void SrvGiveStartingForces(SrvWorld& world, std::uint16_t chapter);
