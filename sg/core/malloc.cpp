#include "sg/core/malloc.h"

#include <cstdlib>

namespace {

std::uint32_t g_failCountdown = 0;
std::size_t g_liveBlocks = 0;
std::uint64_t g_allocations = 0;

// True when the allocation about to be made is the one a test asked to fail.
bool InjectFailure() {
  ++g_allocations;
  if (g_failCountdown == 0) {
    return false;
  }
  return --g_failCountdown == 0;
}

}  // namespace

void* SGMalloc(std::size_t size) {
  if (InjectFailure()) {
    return nullptr;
  }
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block != nullptr) {
    ++g_liveBlocks;
  }
  return block;
}

void* SGCalloc(std::size_t count, std::size_t size) {
  if (InjectFailure()) {
    return nullptr;
  }
  void* block = std::calloc(count == 0 ? 1 : count, size == 0 ? 1 : size);
  if (block != nullptr) {
    ++g_liveBlocks;
  }
  return block;
}

void* SGRealloc(void* block, std::size_t size) {
  if (block == nullptr) {
    return SGMalloc(size);
  }
  if (InjectFailure()) {
    return nullptr;
  }
  // A zero size keeps a one-byte block, so that a null result always means failure.
  return std::realloc(block, size == 0 ? 1 : size);
}

void SGFree(void* block) {
  if (block != nullptr) {
    --g_liveBlocks;
    std::free(block);
  }
}

void SGMallocFailAt(std::uint32_t n) { g_failCountdown = n; }

std::size_t SGMallocLiveBlocks() { return g_liveBlocks; }

std::uint64_t SGMallocCount() { return g_allocations; }
