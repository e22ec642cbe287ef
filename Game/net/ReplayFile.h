#pragma once
// The battle replay files of a turn, "<save directory><replay number>.rpl":
// the data parts of packet 503, appended in arrival order. A part number not
// above the last part of the same replay means the server started that replay
// again: the file, unless it is still empty, is reset to the four bytes
// FF FF FF FF and the part is not written. The replay views and the review
// log read the files.
//
// Game thread only.

#include <cstdint>
#include <span>

// Packet 503: u8 part at 8, u16 replay number at 10, u16 length n at 12, n data bytes from 14.
constexpr std::size_t kReplayDataOffset = 14;

class CReplayWriter {
 public:
  // Applies one packet 503 (whose length the caller checked against n).
  // False when the file could not be opened or written (the player is told).
  bool AddPart(std::span<const std::uint8_t> packet);
  // Forgets the last part (a new game).
  void Reset() { m_lastReplay = -1, m_lastPart = 0; }

 private:
  std::int32_t m_lastReplay = -1;
  std::uint8_t m_lastPart = 0;
};

extern CReplayWriter g_replayWriter;
