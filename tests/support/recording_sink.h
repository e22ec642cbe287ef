#pragma once
// The game core's packet sink for tests and tools: registered for its
// lifetime, it keeps every packet the core sent, as sent.

#include <cstdint>
#include <span>
#include <vector>

#include "Game/base/PacketSink.h"

namespace quentest {

class RecordingSink : public IPacketSink {
 public:
  RecordingSink() { RegisterPacketSink(this); }
  ~RecordingSink() override { RegisterPacketSink(nullptr); }
  RecordingSink(const RecordingSink&) = delete;
  RecordingSink& operator=(const RecordingSink&) = delete;

  std::vector<std::vector<std::uint8_t>> toAll;

  void SendToAll(std::span<std::uint8_t> packet) override { toAll.emplace_back(packet.begin(), packet.end()); }
};

}  // namespace quentest
