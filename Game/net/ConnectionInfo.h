#pragma once
// The connection record of the application: what the front-end screens chose
// and the session reads when it opens a service, creates or joins.

#include <cstdint>

// Index of the service identifiers by connection kind.
enum ConnectionKind : std::uint16_t {
  CONNECT_ONLINE = 0,
  CONNECT_TCPIP = 1,
  CONNECT_IPX = 2,
  CONNECT_MODEM = 3,
  CONNECT_SERIAL = 4,
  CONNECT_LOCAL_SERVER = 0xFFFE,  // a game against a server on this computer
};
constexpr int kConnectionKinds = 5;

// Bit of the online flags: the service needs a login first.
constexpr std::uint8_t kOnlineNeedsLogin = 0x10;

struct ConnectionInfo {
  char sessionName[32] = {};  // blanks turned into '_'
  char description[52] = {};  // SessionDescription text of a session to create
  char password[16] = {};     // blanks turned into '_'
  char playerName[52] = {};
  char nickname[32] = {};
  std::uint32_t sessionId = 0;                      // library id of the chosen session
  std::uint32_t serviceIds[kConnectionKinds] = {};  // 0 when the library lacks that service
  std::uint8_t serviceType = 0;                     // 7 online, 6 TCP/IP, 4 IPX, 1 modem, 5 serial
  std::uint8_t onlineFlags = 0;
  std::uint16_t connectionKind = 0;
};
