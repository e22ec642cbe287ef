#pragma once

#include <cstdint>
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

// The same generator with a state of its own, for random choices that must not
// move the game's sequence: one drawn at a moment of the wall clock's choosing
// (the music's pauses follow the CD's end-of-track news) would change every
// picture and battle drawn after it.
class RandomStream {
 public:
  explicit RandomStream(unsigned int seed = 1) : state_(seed) {}
  void Seed(unsigned int seed) { state_ = seed; }
  int Next();

 private:
  std::uint32_t state_;
};

}  // namespace plat
