#pragma once
// The TCP/IP address screen: the address goes into the application's
// service-settings block. It runs modally and reports the button pressed.
// Game thread only.

#include <cstdint>

class CClntApp;

// 9 connect (the address is stored), 100 back, 1 the title.
std::int16_t RunTcpIpDlg(CClntApp& app);
