#pragma once
// The packet sniffer's definitions file ("packet.h" in the installation
// directory), made from the game's own list of packet types: one
// "#define NAME number" line per type between PACKET_SNIFFER_START and
// PACKET_SNIFFER_END_DEFINITIONS, then an empty structure section closed by
// PACKET_SNIFFER_END. With no structures the sniffer names each packet and
// prints no fields.

#include <string>

namespace packetdefs {

// The whole file's text.
std::string PacketDefinitionsText();

}  // namespace packetdefs
