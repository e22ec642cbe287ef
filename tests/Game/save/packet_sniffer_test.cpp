#include "Game/net/PacketSniffer.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/core/bytes.h"
#include "tests/support/scratch_drive.h"

namespace {

constexpr const char* kDefinitions = R"(// packet layouts
#define NOT_YET 99
PACKET_SNIFFER_START
#define PKT_START 0
#define PKT_NAME 13
#define PKT_PLACES 120
#define PKT_MIXED 121
PACKET_SNIFFER_END_DEFINITIONS
typedef struct { unsigned short type; DWORD seq; } P_Start;
typedef struct {
  unsigned short type;
  DWORD sequence;
  unsigned short chapter;
  char name[16];
} P_Name;
typedef struct { short type; long seq; Location where; SlotData slots[2]; } P_Places;
typedef struct { short type; long seq; unsigned BOOL flag; union { int a; float b; char c; } u;
  float f; double d; SlotAttributes at; unsigned char small; short s; P_TemplateInfo info; } P_Mixed;
PACKET_SNIFFER_END
)";

class Packet {
 public:
  Packet(std::uint16_t type, std::uint32_t sequence, std::size_t size) : m_bytes(size, 0) {
    Put(0, type);
    Put(4, sequence);
  }
  template <class T>
  Packet& Put(std::size_t at, T value) {
    plat::ByteWriter(m_bytes).WriteAt(at, value);
    return *this;
  }
  Packet& Text(std::size_t at, const char* text) {
    std::memcpy(m_bytes.data() + at, text, std::strlen(text));
    return *this;
  }
  std::span<const std::uint8_t> bytes() const { return m_bytes; }

 private:
  std::vector<std::uint8_t> m_bytes;
};

class SnifferTest : public ::testing::Test {
 protected:
  // The log (a text file: CR LF line ends) with LF line ends and each line's
  // time of day ("hh:mm:ss ") replaced by "T ".
  std::string Log() const {
    std::string out;
    const std::string text = drive.Read("packetcl.dat");
    for (std::size_t i = 0; i < text.size(); ++i) {
      const bool lineStart = i == 0 || text[i - 1] == '\n';
      if (lineStart && i + 9 <= text.size() && text[i + 2] == ':' && text[i + 5] == ':' && text[i + 8] == ' ') {
        out += "T ";
        i += 8;
      } else if (text[i] != '\r') {
        out += text[i];
      }
    }
    return out;
  }
  quentest::ScratchDrive drive;
};

TEST_F(SnifferTest, DefinitionsGiveNamesAndMemberCodes) {
  CPacketSniffer sniffer(kDefinitions, "C:\\packetcl.dat", 0, 500);
  ASSERT_EQ(sniffer.Count(), 5);
  EXPECT_STREQ(sniffer.Entry(0).name, "Unknown packet type");
  EXPECT_EQ(sniffer.FindType(13), 2);
  EXPECT_EQ(sniffer.FindType(99), 0);
  const SnifferType& name = sniffer.Entry(2);
  EXPECT_EQ(std::vector<int>(name.codes, name.codes + 5), (std::vector<int>{4, 11, 4, 1, 0}));
  EXPECT_EQ(name.counts[3], 16u);
  // BOOL has no unsigned form; a union is as wide as its first member.
  const SnifferType& mixed = sniffer.Entry(4);
  EXPECT_EQ(std::vector<int>(mixed.codes, mixed.codes + 12),
            (std::vector<int>{3, 7, 9, 5, 10, 13, 14, 2, 3, 16, 0, 0}));
}

TEST_F(SnifferTest, AKnownSequenceIsLoggedFieldByField) {
  CPacketSniffer sniffer(kDefinitions, "C:\\packetcl.dat", 0, 500);
  sniffer.LogSend(Packet(13, 7, 26).bytes(), -1);
  sniffer.LogSend(Packet(0, 8, 8).bytes(), 2);
  sniffer.LogReceive(Packet(13, 3, 26).Put<std::uint16_t>(8, 9).Text(10, "Keeper").bytes());
  const std::uint8_t slots[6] = {1, 0xA5, 2, 3, 0x0F, 4};
  Packet places(120, 4, 22);
  places.Put<std::uint16_t>(8, 3).Put<std::int16_t>(10, -5).Put<std::int16_t>(12, 6).Put<std::int16_t>(14, -7);
  for (int i = 0; i < 6; ++i) places.Put(16 + i, slots[i]);
  sniffer.LogReceive(places.bytes());
  Packet mixed(121, 5, 156);
  mixed.Put<std::uint32_t>(8, 1).Put<std::int32_t>(12, -3).Put(16, 1.5f).Put(20, 2.25).Put<std::uint8_t>(28, 7);
  mixed.Put<std::uint8_t>(29, 200).Put<std::int16_t>(30, -2);
  mixed.Put<std::uint16_t>(32 + 12, 5).Put<std::uint16_t>(32 + 14, 6).Text(32 + 16, "Lancer");
  for (int i = 0; i < 10; ++i) mixed.Put<std::int16_t>(32 + 48 + 2 * i, static_cast<std::int16_t>(i + 1));
  sniffer.LogReceive(mixed.bytes());
  sniffer.LogReceive(Packet(400, 6, 12).bytes());  // no entry
  sniffer.LogReceive(Packet(501, 9, 12).bytes());  // outside the range
  sniffer.LogSend(Packet(501, 9, 12).bytes(), -1);

  const std::string pad = std::string(32, ' ');
  EXPECT_EQ(Log(), "T - Sending: " + pad +
                       "PKT_NAME 13  ID=7  ----> Server\n"
                       "T - Sending: " +
                       std::string(31, ' ') +
                       "PKT_START 0  ID=8  ----> Player #2\n"
                       "T - Processing: " +
                       pad +
                       "PKT_NAME  13 ID=3\n\t9 | 'Keeper' | \n"
                       "T - Processing: " +
                       std::string(30, ' ') +
                       "PKT_PLACES  120 ID=4\n\t[3 -5 6 -7 ] | "
                       "[1 5 2 1 2 ] [3 15 0 0 4 ] | \n"
                       "T - Processing: " +
                       std::string(31, ' ') +
                       "PKT_MIXED  121 ID=5\n\tTRUE | -3 | 1.500000 | "
                       "2.250000 | [7] | 200 | -2 | [5 6 Lancer [1 2 3 4 5 6 7 8 9 10] <<SLOT ATTRIBUTES>>| \n"
                       "T - Processing: " +
                       std::string(21, ' ') + "Unknown packet type  0 ID=6\n\t\n");
}

TEST_F(SnifferTest, TablesStayWithinTheirLimitsAndShortPacketsPrintWhatTheyHold) {
  std::string text = "PACKET_SNIFFER_START\n";
  for (int i = 0; i < 250; ++i)
    text += "#define " + std::string(60, 'N') + std::to_string(i) + " " + std::to_string(i) + "\n";
  text += "PACKET_SNIFFER_END_DEFINITIONS\ntypedef struct { short t; long s;";
  for (int i = 0; i < 80; ++i) text += " int m" + std::to_string(i) + ";";
  text += " char tail[99999999999]; } P_Big;\n";
  for (int i = 0; i < 300; ++i) text += "typedef struct { short t; long s; int x; } P_X;\n";
  text += "PACKET_SNIFFER_END";
  CPacketSniffer sniffer(text, "C:\\packetcl.dat", 0, 1000);
  EXPECT_EQ(sniffer.Count(), kSnifferTypes);
  EXPECT_EQ(std::strlen(sniffer.Entry(199).name), 39u);
  EXPECT_EQ(sniffer.Entry(1).codes[kSnifferMembers - 1], 5);
  EXPECT_EQ(sniffer.Entry(199).codes[2], 5);
  // Fields past the packet's end are not read.
  sniffer.LogReceive(Packet(0, 1, 10).bytes());
  EXPECT_NE(Log().find("\t| | | "), std::string::npos);

  // Without the definitions every packet is of the unknown type.
  CPacketSniffer none("#define PKT_START 0", "C:\\packetcl.dat", 0, 10);
  EXPECT_EQ(none.Count(), 1);
  none.LogSend(Packet(0, 1, 8).bytes(), 0);
  EXPECT_NE(Log().find("Unknown packet type 0  ID=1  ----> Player #0"), std::string::npos);
}

}  // namespace
