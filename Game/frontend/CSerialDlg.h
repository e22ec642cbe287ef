#pragma once
// The serial-link screen: port, baud rate, stop bits, parity and flow
// control, each a group of image buttons of which one is chosen. OK writes
// the five values into the application's service settings. Game thread only.

#include <array>
#include <cstdint>

class CClntApp;

enum SerialGroup : std::size_t { kSerialPort, kSerialBaud, kSerialStopBits, kSerialParity, kSerialFlow };

// The five chosen values, in group order; the screen starts with port 1,
// 57,600 baud, 1 stop bit, no parity, DTR and RTS flow control. 1.5 stop
// bits is stored as 15.
struct SerialChoices {
  std::array<std::uint32_t, 5> values{1, 57600, 1, 0, 3};
  // Makes `value` the group's choice; false when it already was.
  bool Choose(SerialGroup group, std::uint32_t value);
};

// 9 connect (the values are stored), 100 back, 1 the title.
std::int16_t RunSerialDlg(CClntApp& app);
