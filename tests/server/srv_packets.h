#pragma once
// Packets for the server's tests: built field by field in one expression, and
// read back by type from the queues a turn fills for the chapters.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/rules/GRulesPackets.h"
#include "server/orders/SrvPacketRead.h"
#include "server/turn/SrvTurnSteps.h"

namespace {

template <std::size_t N>
std::vector<std::uint8_t> Bytes(const PacketImage<N>& p) {
  return {p.bytes.begin(), p.bytes.end()};
}

// A packet of N bytes built in one expression: Pkt<20>(type).U16(8, a).U32(16, b).
template <std::size_t N>
struct Pkt {
  PacketImage<N> image;
  explicit Pkt(std::uint16_t type) : image(type) {}
  Pkt& U8(std::size_t at, std::uint8_t v) { return image.SetU8(at, v), *this; }
  Pkt& U16(std::size_t at, std::uint16_t v) { return image.SetU16(at, v), *this; }
  Pkt& U32(std::size_t at, std::uint32_t v) { return image.SetU32(at, v), *this; }
  Pkt& Text(std::size_t at, std::size_t width, std::string_view text) { return image.SetText(at, width, text), *this; }
  operator std::vector<std::uint8_t>() const { return Bytes(image); }
  operator std::span<const std::uint8_t>() const { return image.bytes; }
};

// The packets of `type` the turn queued for the chapter, in order.
inline std::vector<SrvPacket> OfType(const SrvTurnContext& turn, std::uint16_t chapter, std::uint16_t type) {
  std::vector<SrvPacket> out;
  for (const SrvPacket& p : turn.toChapter[chapter])
    if (ReadU16(p, 0) == type) out.push_back(p);
  return out;
}

}  // namespace
