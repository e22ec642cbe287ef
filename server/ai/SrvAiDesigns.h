#pragma once
// The designs a computer chapter makes of its guild's research: a hull's
// design as the starting designs are made (SrvMakeStartingDesign: a kind
// not yet fitted first, in the same order), but each slot taking the
// researched module of the highest technology level, within the hull's
// mass limit.
//
// One thread only.

#include <cstdint>
#include <memory>

#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GUnitTem.h"
#include "server/world/SrvWorld.h"

// Whether a computer chapter fits the module: every one but a mind weapon,
// and a bombard only at a level that fits one (`fitsBombards`: hard). Armed
// mind weapons measured worse: stunned foes outlast a war, and a world of
// five hard chapters was won by the last one standing 4 times in 100 seeds
// rather than 15; bombards at average and easy too left the levels out of
// order more often (server/README.md).
bool SrvAiFitsModule(const ModuleRecord& module, bool fitsBombards);

// The best design on `hull` for `chapter` from what its guild has researched:
// each slot the kind it would take first that some researched module of the
// guild fits within the mass still free (the highest technology level, the
// first of equals in the module list), else the best fitting module of any
// kind it takes, else nothing; a weapon slot after the first weapon takes
// the best bombard first, with `fitsBombards` (SrvAiFitsModule). Its id is `id`.
// Null without a hull.
std::unique_ptr<CGUnitTemplate> SrvAiBestDesign(const SrvWorld& world, std::uint16_t chapter, CGHull* hull,
                                                std::uint32_t id, bool fitsBombards);

// Whether `candidate` improves on `fixed`: as many modules fitted or more and
// a higher sum of their technology levels.
bool SrvAiDesignImproves(const SrvWorld& world, const CGUnitTemplate& candidate, const CGUnitTemplate& fixed);
