#pragma once
// The classic C runtime's random numbers: a linear congruential generator whose
// sequence the game's visible results depend on (replayed battles, intercepted
// text). Each thread has its own state, starting at seed 1, as in the classic
// multi-threaded runtime.

namespace plat {

// The largest value rand returns (the classic 0x7FFF, not the host's RAND_MAX).
constexpr int kRandMax = 0x7FFF;

void srand(unsigned int seed);
// state = state * 214013 + 2531011 (mod 2^32); returns (state >> 16) & 0x7FFF.
int rand();

}  // namespace plat
