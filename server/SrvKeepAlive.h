#pragma once
// Keeping track of the players while a turn waits: a keep-alive request (26)
// goes to each player every kSrvKeepAliveIntervalMs, which its client answers
// with 33 (its dialogs send 33 on their own every 5 s), and a player from whom
// nothing has come for kSrvSilenceLimitMs is dropped. Any packet counts as a
// sign of life. The time a turn spends being resolved, and the time before
// the start, count against nobody.
//
// One thread only; the times are of any steady millisecond clock.

#include <cstdint>
#include <map>
#include <vector>

constexpr std::uint64_t kSrvKeepAliveIntervalMs = 20'000;
constexpr std::uint64_t kSrvSilenceLimitMs = 120'000;

class SrvKeepAlive {
 public:
  // Something came from the player (one the turn waits for; others are not watched).
  void Heard(std::uint32_t player, std::uint64_t nowMs) {
    if (const auto it = m_heard.find(player); it != m_heard.end()) it->second = nowMs;
  }
  void Forget(std::uint32_t player) { m_heard.erase(player); }
  // The running turn waits for the player from now on (one who took a chapter in play).
  void Watch(std::uint32_t player, std::uint64_t nowMs) { m_heard[player] = nowMs; }
  // A turn begins waiting: `players` are the ones watched, each counting as
  // heard now, and the next request is due an interval on.
  void TurnBegins(const std::vector<std::uint32_t>& players, std::uint64_t nowMs);
  // True once an interval has passed since the last request (or the turn's
  // beginning); the next is then due an interval on.
  bool RequestDue(std::uint64_t nowMs);
  // The watched players silent for the limit or longer.
  std::vector<std::uint32_t> Silent(std::uint64_t nowMs) const;

 private:
  std::map<std::uint32_t, std::uint64_t> m_heard;
  std::uint64_t m_lastRequestMs = 0;
};
