#include "server/world/SrvRandom.h"

std::uint32_t SrvRandom::Next() {
  // xorshift32 has no fixed point but 0, which the state steps around.
  if (m_state == 0) m_state = 0x9E3779B9u;
  m_state ^= m_state << 13;
  m_state ^= m_state >> 17;
  m_state ^= m_state << 5;
  return m_state;
}

int SrvRandom::Range(int lo, int hi) {
  if (hi <= lo) return lo;
  const auto span = static_cast<std::uint32_t>(static_cast<std::int64_t>(hi) - lo + 1);
  return static_cast<int>(lo + static_cast<std::int64_t>(Next() % span));
}
