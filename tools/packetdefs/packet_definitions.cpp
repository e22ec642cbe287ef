#include "tools/packetdefs/packet_definitions.h"

#include <iterator>
#include <string_view>

#include "Game/base/Packets.h"
#include "Game/net/PacketSniffer.h"

namespace packetdefs {
namespace {

// The sniffer drops what does not fit its table, so a list that outgrows it
// stops the build instead of losing names in silence.
consteval bool FitsTheSniffer() {
  if (std::size(kPacketTypeNames) >= static_cast<std::size_t>(kSnifferTypes)) return false;
  for (const PacketTypeName& t : kPacketTypeNames)
    if (std::string_view(t.name).size() >= static_cast<std::size_t>(kSnifferNameSize)) return false;
  return true;
}
static_assert(FitsTheSniffer(), "the packet types no longer fit the packet sniffer's table");

}  // namespace

std::string PacketDefinitionsText() {
  std::string text =
      "// Packet type numbers for the packet sniffer, written by the data build\n"
      "// from the game's list of packet types.\n"
      "PACKET_SNIFFER_START\n";
  for (const PacketTypeName& t : kPacketTypeNames)
    text += "#define " + std::string(t.name) + " " + std::to_string(t.type) + "\n";
  text += "PACKET_SNIFFER_END_DEFINITIONS\nPACKET_SNIFFER_END\n";
  return text;
}

}  // namespace packetdefs
