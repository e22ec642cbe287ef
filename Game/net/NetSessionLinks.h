#pragma once
// What the multiplayer session needs from parts of the client built around it:
// the application's message boxes, the e-mail turn file, the login screen and
// the packet sniffer. The application fills these in when it creates the
// session; an empty link does nothing.

#include <cstdint>
#include <functional>
#include <memory>

struct HvMServiceEx_Struct;

// The packet sniffer's side of the session: one line per packet sent.
class INetSniffer {
 public:
  virtual ~INetSniffer() = default;
  virtual void LogSent(const std::uint8_t* packet, std::uint32_t length, int slot) = 0;
};

struct NetSessionLinks {
  // Made when the PACKETSNIFFER setting is non-zero at construction.
  std::function<std::unique_ptr<INetSniffer>()> createSniffer;
  // The program's OK box with the text of a text ID.
  std::function<void(const char* textId)> showTextBox;
  // The program's OK box with a literal text.
  std::function<void(const char* text)> showPlainBox;
  // The system message box.
  std::function<void(const char* text, const char* caption)> showSystemBox;
  // Appends a packet to the e-mail turn file.
  std::function<void(const std::uint8_t* packet, std::uint32_t length, int slot)> writeEmailPacket;
  // Runs the login screen over the service settings' user name and password.
  std::function<void(HvMServiceEx_Struct& settings)> runLogin;
  // Posts the quit message (code 0): a game whose server is lost cannot go on.
  std::function<void()> postQuit;
};
