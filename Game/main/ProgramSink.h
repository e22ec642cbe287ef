#pragma once
// The program's side of the game core's packet sink: the application's
// session for the saves' packets, the session the game is attached to for
// the game's own, the application's e-mail turn file for the session's. quenbar registers one at start. Game thread
// only.

#include "Game/net/SessionSink.h"

class CProgramSink : public CSessionSink {
 public:
  void SendToAll(std::span<std::uint8_t> packet) override;
  void WriteEmailPacket(std::span<const std::uint8_t> packet, int slot) override;
};
