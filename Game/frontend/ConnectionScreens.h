#pragma once
// The connection screens: the connection type (TCP/IP, IPX, modem, serial
// link) and the TCP/IP address. The type is written into the application's
// connection record, the address into its service-settings block. Each runs
// modally and reports the button pressed. Game thread only.

#include <cstdint>

class CClntApp;

constexpr std::int16_t kResultTcpIp = 124;
constexpr std::int16_t kResultIpx = 125;
constexpr std::int16_t kResultModem = 126;
constexpr std::int16_t kResultSerial = 127;

std::int16_t RunServiceDlg(CClntApp& app);
// 9 connect (the address is stored), 100 back, 1 the title.
std::int16_t RunTcpIpDlg(CClntApp& app);
