#include "server/SrvKeepAlive.h"

void SrvKeepAlive::TurnBegins(const std::vector<std::uint32_t>& players, std::uint64_t nowMs) {
  m_heard.clear();
  for (std::uint32_t p : players) m_heard[p] = nowMs;
  m_lastRequestMs = nowMs;
}

bool SrvKeepAlive::RequestDue(std::uint64_t nowMs) {
  if (nowMs < m_lastRequestMs + kSrvKeepAliveIntervalMs) return false;
  m_lastRequestMs = nowMs;
  return true;
}

std::vector<std::uint32_t> SrvKeepAlive::Silent(std::uint64_t nowMs) const {
  std::vector<std::uint32_t> silent;
  for (const auto& [player, heard] : m_heard)
    if (nowMs >= heard + kSrvSilenceLimitMs) silent.push_back(player);
  return silent;
}
