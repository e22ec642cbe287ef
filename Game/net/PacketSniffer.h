#pragma once
// The packet sniffer, a developer's aid made when the PACKETSNIFFER setting
// is on: one line in "<sniffer directory>packetcl.dat" for each packet the
// session sends through the library and each packet the dispatcher takes,
// when its type lies within SNIFFER_RANGE_MIN..SNIFFER_RANGE_MAX. Received
// packets are printed field by field from the definitions file
// "<installation directory>packet.h": its "#define NAME number" lines between
// PACKET_SNIFFER_START and PACKET_SNIFFER_END_DEFINITIONS name the types, and
// its typedef'd structures up to PACKET_SNIFFER_END give their members, the
// n-th structure belonging to the n-th define. Definitions beyond the table
// (199 types, 50 members, 39-character names) are dropped.
//
// Game thread only.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The packet sniffer's side of the session: one line per packet sent.
class INetSniffer {
 public:
  virtual ~INetSniffer() = default;
  virtual void LogSent(const std::uint8_t* packet, std::uint32_t length, int slot) = 0;
};

constexpr int kSnifferTypes = 200;
constexpr int kSnifferMembers = 50;
constexpr int kSnifferNameSize = 40;

struct SnifferType {
  char name[kSnifferNameSize] = {};
  std::uint16_t type = 0;
  std::uint8_t codes[kSnifferMembers] = {};
  std::uint32_t counts[kSnifferMembers] = {};
};

class CPacketSniffer : public INetSniffer {
 public:
  // Empties the log file and reads the definitions file; the range from the
  // installation settings.
  CPacketSniffer();
  // The same over a definitions text, a log file (DOS path) and a range of
  // the caller's.
  CPacketSniffer(std::string_view definitions, std::string logPath, int rangeMin, int rangeMax);

  // The "Sending" line; `slot` -1 is a packet to all (the server).
  void LogSend(std::span<const std::uint8_t> packet, int slot);
  void LogSent(const std::uint8_t* packet, std::uint32_t length, int slot) override { LogSend({packet, length}, slot); }
  // The "Processing" line with the packet's fields.
  void LogReceive(std::span<const std::uint8_t> packet);
  // The first entry from 1 on with this type number; 0 for none.
  int FindType(std::uint16_t type) const;

  // Entries in use (entry 0 included), and entry i for 0 <= i < kSnifferTypes.
  int Count() const { return m_count; }
  const SnifferType& Entry(int i) const { return m_types[i]; }

 private:
  void StartLog();
  void ReadDefinitions(std::string_view text);
  bool InRange(std::span<const std::uint8_t> packet) const;
  void Append(const std::string& text) const;

  int m_count = 1;
  std::string m_logPath;
  int m_rangeMin = 0;
  int m_rangeMax = 0;
  SnifferType m_types[kSnifferTypes];
};
