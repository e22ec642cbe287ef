#pragma once
// The view framework's block of a saved game: version 3 written, 1 to 3
// read. u8 version; the notification panel's state; the 100 goto entries
// (u16 kind, u32 id); 0xFE; u32 END TURN turn, u16 cursor kind, u32 view
// type, u32 previous view type, u8 goto group, u16 previous asteroid, u32
// frame animations; from version 3 u32 camera travel off and u32 ship facing
// off; u8 info panel type; from version 2 u16 lamp count; 0xFE.
//
// Game thread only.

#include <cstdint>

#include "Game/base/GBlockStream.h"

constexpr std::uint8_t kSavedViewVersion = 3;

// Writes the block; false when a write failed.
bool WriteSavedViewBlock(BlockWriter& w);
// Reads a whole block and only then applies it: a truncated or damaged block,
// a version of 0 or above 3 and a goto group above 9 change nothing past the
// notification panel's own state (which is itself all or nothing). After a
// load END TURN may be given again.
LoadStatus ReadSavedViewBlock(BlockReader& r);
