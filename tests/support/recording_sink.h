#pragma once
// The game core's packet sink for tests and tools: registered for its
// lifetime, it keeps every packet the core sent and every packet written to
// the e-mail turn file, as sent.

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

  // The game's own packets: to which slot, whether unsequenced, the bytes.
  struct Sent {
    int slot;
    bool unsequenced;
    std::vector<std::uint8_t> bytes;
  };

  std::vector<std::vector<std::uint8_t>> toAll;
  std::vector<Sent> sent;
  // When set, Send keeps the sequenced packets' bytes here instead, in turn
  // with what a test's session writes to the same list.
  std::vector<std::vector<std::uint8_t>>* sequencedInto = nullptr;
  // The e-mail turn file's packets in order; into `emailInto` instead when set.
  std::vector<std::vector<std::uint8_t>> emailed;
  std::vector<std::vector<std::uint8_t>>* emailInto = nullptr;

  void SendToAll(std::span<std::uint8_t> packet) override { toAll.emplace_back(packet.begin(), packet.end()); }
  bool Send(int slot, std::span<std::uint8_t> packet) override {
    if (sequencedInto != nullptr) {
      sequencedInto->emplace_back(packet.begin(), packet.end());
      return true;
    }
    sent.push_back({slot, false, {packet.begin(), packet.end()}});
    return true;
  }
  bool BroadcastUnsequenced(int slot, std::span<std::uint8_t> packet) override {
    sent.push_back({slot, true, {packet.begin(), packet.end()}});
    return true;
  }
  void WriteEmailPacket(std::span<const std::uint8_t> packet, int) override {
    (emailInto != nullptr ? *emailInto : emailed).emplace_back(packet.begin(), packet.end());
  }
};

}  // namespace quentest
