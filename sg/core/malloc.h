#pragma once
// Every block of the 3D library is obtained and released here, with the C
// runtime's semantics: null on failure, freeing null does nothing.

#include <cstddef>
#include <cstdint>

void* SGMalloc(std::size_t size);
void* SGCalloc(std::size_t count, std::size_t size);
void* SGRealloc(void* block, std::size_t size);
void SGFree(void* block);

// Test hooks. SGMallocFailAt(n) makes the n-th allocation from now fail (1: the
// next one); 0 turns failing off. Reallocations count as allocations.
void SGMallocFailAt(std::uint32_t n);
// Blocks obtained and not yet freed, for leak checks in tests.
std::size_t SGMallocLiveBlocks();
// Allocations and reallocations made so far, for tests that a path allocates nothing.
std::uint64_t SGMallocCount();
