#include "Game/base/Packets.h"

#include "platform/core/bytes.h"

bool ReadPacketHeader(std::span<const std::uint8_t> packet, PacketHeader& out) {
  plat::ByteReader r(packet);
  PacketHeader h;
  if (!r.Read(h.type) || !r.Read(h.reserved) || !r.Read(h.sequence)) return false;
  out = h;
  return true;
}

bool WritePacketSequence(std::span<std::uint8_t> packet, std::uint32_t sequence) {
  if (packet.size() < kPacketHeaderSize) return false;
  plat::ByteWriter w(packet.subspan(4, 4));
  return w.Write(sequence);
}

bool WritePacketHeader(std::span<std::uint8_t> packet, const PacketHeader& header) {
  if (packet.size() < kPacketHeaderSize) return false;
  plat::ByteWriter w(packet.first(kPacketHeaderSize));
  return w.Write(header.type) && w.Write(header.reserved) && w.Write(header.sequence);
}
