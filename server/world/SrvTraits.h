#pragma once
// Chapter traits as the server keeps them; which picks are allowed is the
// traits screen's own rule (TraitPicksAllowed, Game/setup/SetupRules.h).
//
// Any thread.

#include <array>
#include <cstdint>

#include "Game/model/GChapter.h"
#include "Game/model/GWorldTypes.h"

using SrvTraitBytes = std::array<std::uint8_t, kTraitCount>;
// Every chapter's traits by chapter number (all 0: none).
using SrvChapterTraits = std::array<SrvTraitBytes, kMaxChapters>;
