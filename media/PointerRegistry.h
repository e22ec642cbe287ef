#pragma once
// The archive's pointer registry: a fixed table of 2,048 pointers that a
// caller can file, ask after and take out again (for instance the blocks it
// owns among those the archive hands out). It owns nothing and reads nothing
// through the pointers.
//
// Game thread only.

#include <cstddef>

constexpr std::size_t kPointerRegistrySlots = 2048;

// Files `p` in the first empty slot: 1, or 0 when every slot is taken (or
// `p` is null, which marks an empty slot). A pointer may be filed more than
// once; each filing takes a slot.
int PointerRegistryAdd(const void* p);
// 1 when `p` (not null) is filed.
int PointerRegistryContains(const void* p);
// Empties the first slot holding `p`: 1, or 0 when it is not filed.
int PointerRegistryRemove(const void* p);
