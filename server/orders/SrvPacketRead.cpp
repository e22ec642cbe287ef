#include "server/orders/SrvPacketRead.h"

#include <algorithm>

#include "Game/base/Packets.h"
#include "platform/core/bytes.h"

namespace {

template <typename T>
T ReadField(std::span<const std::uint8_t> packet, std::size_t at) {
  T v{};
  plat::ByteReader(packet).ReadAt(at, v);
  return v;
}

}  // namespace

std::uint16_t SrvPacketType(std::span<const std::uint8_t> packet) {
  PacketHeader header;
  ReadPacketHeader(packet, header);
  return header.type;
}

std::uint16_t ReadU16(std::span<const std::uint8_t> packet, std::size_t at) {
  return ReadField<std::uint16_t>(packet, at);
}

std::uint32_t ReadU32(std::span<const std::uint8_t> packet, std::size_t at) {
  return ReadField<std::uint32_t>(packet, at);
}

std::string ReadText(std::span<const std::uint8_t> packet, std::size_t at, std::size_t width) {
  if (at >= packet.size()) return {};
  const std::size_t n = std::min(width, packet.size() - at);
  std::string text;
  for (std::size_t i = 0; i < n && packet[at + i] != 0; ++i) text += static_cast<char>(packet[at + i]);
  return text;
}
