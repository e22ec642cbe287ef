#include "platform/core/random.h"

#include <cstdint>

namespace plat {

namespace {

thread_local std::uint32_t g_state = 1;

int Step(std::uint32_t& state) {
  state = state * 214013u + 2531011u;
  return static_cast<int>((state >> 16) & 0x7FFF);
}

}  // namespace

void srand(unsigned int seed) { g_state = seed; }

int rand() { return Step(g_state); }

int RandomStream::Next() { return Step(state_); }

}  // namespace plat
