#pragma once
// The game's sends over the session the game is attached to
// (AttachSessionLinks): while one is attached they go to it as its own Send
// and BroadcastUnsequenced, and nothing is sent otherwise. The program's sink
// is one; a test or fuzz target that plays over a session of its own
// registers one for as long as it attaches it.
//
// Game thread only.

#include <cstdint>
#include <span>

#include "Game/base/PacketSink.h"

class CNetSession;

class CSessionSink : public IPacketSink {
 public:
  bool Send(int slot, std::span<std::uint8_t> packet) override;
  bool BroadcastUnsequenced(int slot, std::span<std::uint8_t> packet) override;
};

// The session the game's sends go to (null: none); AttachSessionLinks sets it.
CNetSession* AttachedSession();
void SetAttachedSession(CNetSession* session);
