#pragma once
// Chapter traits as the traits screen lets a player pick them: per trait 0
// (not picked) or the value of one of its three levels, and all picks of one
// level: up to three of the lowest, two of the middle or one of the highest.
//
// Any thread.

#include <array>
#include <cstdint>

#include "Game/model/GChapter.h"
#include "Game/model/GWorldTypes.h"

using SrvTraitBytes = std::array<std::uint8_t, kTraitCount>;
// Every chapter's traits by chapter number (all 0: none).
using SrvChapterTraits = std::array<SrvTraitBytes, kMaxChapters>;

// The settings packet's (53) traits, at 48.
constexpr std::size_t kSrvTraitsOffset = 48;

bool SrvTraitsAllowed(const SrvTraitBytes& traits);
