#include "Game/net/AutosavePacket.h"

PacketImage<kAutosavePacketSize> BuildAutosaveSwitchPacket(bool on) {
  PacketImage<kAutosavePacketSize> p(PKT_AUTOSAVE);
  p.SetU32(8, on ? 1 : 0);
  return p;
}
