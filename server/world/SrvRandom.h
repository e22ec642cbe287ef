#pragma once
// The world generator's random numbers: a generator of its own (not the C
// runtime's shared one), so that a seed alone fixes the world whatever else
// the process draws.
//
// One object per thread.

#include <cstdint>

class SrvRandom {
 public:
  explicit SrvRandom(std::uint32_t seed) : m_state(seed) {}
  // A number from lo to hi, both included (lo when hi < lo).
  int Range(int lo, int hi);

 private:
  std::uint32_t Next();
  std::uint32_t m_state;
};
