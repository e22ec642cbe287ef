#include "Game/net/AutosavePacket.h"

#include "platform/core/bytes.h"

PacketImage<kAutosavePacketSize> BuildAutosaveSwitchPacket(bool on) {
  PacketImage<kAutosavePacketSize> p(PKT_AUTOSAVE);
  p.SetU32(8, on ? 1 : 0);
  return p;
}

PacketImage<kAutosavePacketSize> BuildAutosaveRequestPacket(std::uint32_t identifier) {
  PacketImage<kAutosavePacketSize> p(PKT_AUTOSAVE);
  p.SetU32(8, identifier);
  return p;
}

bool ParseAutosavePacket(std::span<const std::uint8_t> image, std::uint32_t* value) {
  plat::ByteReader r(image);
  if (!r.Has(0, kAutosavePacketSize)) return false;
  r.ReadAt(8, *value);
  return true;
}
