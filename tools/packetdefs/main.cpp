// quenpacketdefs OUT
//
// Writes the packet sniffer's definitions file of the installation.

#include <fstream>
#include <iostream>

#include "tools/packetdefs/packet_definitions.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: quenpacketdefs OUT\n";
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary);
  out << packetdefs::PacketDefinitionsText();
  if (!out.flush()) {
    std::cerr << "quenpacketdefs: cannot write " << argv[1] << '\n';
    return 1;
  }
  return 0;
}
