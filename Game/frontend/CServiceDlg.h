#pragma once
// The connection-type screen: TCP/IP, IPX, modem or serial link, written into
// the application's connection record. It runs modally and reports the
// button pressed. Game thread only.

#include <cstdint>

class CClntApp;

constexpr std::int16_t kResultTcpIp = 124;
constexpr std::int16_t kResultIpx = 125;
constexpr std::int16_t kResultModem = 126;
constexpr std::int16_t kResultSerial = 127;

std::int16_t RunServiceDlg(CClntApp& app);
