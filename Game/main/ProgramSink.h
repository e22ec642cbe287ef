#pragma once
// The program's side of the game core's packet sink: the application's
// session. quenbar registers one at start. Game thread only.

#include "Game/base/PacketSink.h"

class CProgramSink : public IPacketSink {
 public:
  void SendToAll(std::span<std::uint8_t> packet) override;
};
