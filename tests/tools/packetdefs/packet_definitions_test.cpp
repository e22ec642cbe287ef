#include "tools/packetdefs/packet_definitions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/net/PacketSniffer.h"
#include "tests/Game/base/sandbox.h"
#include "tests/support/temp_dir.h"

namespace {

// The installation settings open their registry keys while the program
// starts: the built installation's registry has them, and a sandbox's values
// are then read through them.
struct UseBuiltInstallation {
  UseBuiltInstallation() {
    setenv("QUENBAR_CONFIG_DIR", (std::string(QUEN_BUILD_DIR) + "/gamedata/config").c_str(), 1);
  }
};
__attribute__((init_priority(150))) UseBuiltInstallation g_useBuiltInstallation;

// The definitions file as the data build installed it.
std::string InstalledDefinitions() {
  return quentest::ReadHostFile(std::string(QUEN_BUILD_DIR) + "/gamedata/c/QUENBAR/packet.h");
}

std::vector<std::uint8_t> Packet(std::uint16_t type, std::uint32_t sequence) {
  return {static_cast<std::uint8_t>(type),
          static_cast<std::uint8_t>(type >> 8),
          0,
          0,
          static_cast<std::uint8_t>(sequence),
          0,
          0,
          0,
          1,
          2,
          3,
          4};
}

// The installed file is the current list's, and the sniffer's own reader
// names every packet type the game knows from it, each by its own number.
TEST(PacketDefinitions, TheInstalledFileNamesEveryPacketType) {
  const std::string installed = InstalledDefinitions();
  ASSERT_EQ(installed, packetdefs::PacketDefinitionsText());
  model_test::Sandbox box;
  CPacketSniffer sniffer(installed, "C:\\packetcl.dat", 0, 0xFFFF);
  ASSERT_EQ(sniffer.Count(), static_cast<int>(std::size(kPacketTypeNames)) + 1);
  for (const PacketTypeName& t : kPacketTypeNames) {
    const int entry = sniffer.FindType(t.type);
    ASSERT_GT(entry, 0) << t.name;
    EXPECT_STREQ(sniffer.Entry(entry).name, t.name);
    EXPECT_EQ(sniffer.Entry(entry).codes[0], 0) << t.name;  // no fields claimed
  }
}

// With the sniffer switched on, an installation's sniffer reads the file from
// the installation directory and logs each packet by name.
TEST(PacketDefinitions, AnInstalledSnifferLogsNamedPackets) {
  model_test::Sandbox box;
  box.SetValue("Release", "PATH", "C:\\QUENBAR\\");
  box.SetValue("Debug", "SNIFFERPATH", "C:\\LOGS\\");
  box.SetValue("Debug", "SNIFFER_RANGE_MIN", "0");
  box.SetValue("Debug", "SNIFFER_RANGE_MAX", "2000");
  box.Write("c/QUENBAR/packet.h", InstalledDefinitions());
  box.Write("c/LOGS/packetcl.dat", "");
  CPacketSniffer sniffer;
  sniffer.LogSend(Packet(PKT_CHAT, 7), 1);
  sniffer.LogReceive(Packet(PKT_UNIT_RESULT, 8));
  sniffer.LogReceive(Packet(PKT_START, 9));
  const std::string log = box.Read("c/LOGS/packetcl.dat");
  EXPECT_NE(log.find("Sending: " + std::string(32, ' ') + "PKT_CHAT 1506  ID=7  ----> Player #1"), std::string::npos)
      << log;
  EXPECT_NE(log.find("Processing: " + std::string(25, ' ') + "PKT_UNIT_RESULT  1313 ID=8"), std::string::npos) << log;
  EXPECT_NE(log.find("Processing: " + std::string(31, ' ') + "PKT_START  0 ID=9"), std::string::npos) << log;
  EXPECT_EQ(log.find("Unknown packet type"), std::string::npos) << log;
}

}  // namespace
