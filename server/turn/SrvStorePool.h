#pragma once
// Where minerals a chapter gains at an asteroid (mined, taken apart, sent
// back) are stored: that asteroid's pool when the chapter owns it and it
// stores (the chapter's home, or a storage facility there), else the
// chapter's home pool while its home is still its own. A pool on another's
// asteroid, or on a point of solar space, would hand the minerals to
// another chapter or to nobody.

#include <cstdint>

#include "server/world/SrvWorld.h"

constexpr std::uint16_t kSrvNoStorePool = 0xFFFF;

// The pool for `chapter`'s minerals at `asteroid` (any index: solar space's
// and unknown ones find the home pool), or kSrvNoStorePool when it has none.
std::uint16_t SrvStorePool(const SrvWorld& world, std::uint16_t asteroid, std::uint16_t chapter);
