#pragma once
// A peer that speaks the wire format by hand over a raw socket: it joins, then
// sends what a test makes it send (garbage, single bytes, a flood), ignoring
// every rule a well-behaved library keeps.

#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "hvmulti/Connection.h"
#include "hvmulti/Socket.h"
#include "hvmulti/Wire.h"
#include "session_helpers.h"

namespace hvmtest {

class RawPeer {
 public:
  explicit RawPeer(std::uint16_t port) : conn_(hvm::ConnectTcp(hvm::Endpoint{hvm::kLoopback, port}, 2000)) {}
  std::uint32_t Join() {
    conn_.Queue(hvm::EncodeFrame(hvm::HelloFrame{kGuid, HVM_PROTOCOL_VERSION, "", "raw", "raw", ""}));
    conn_.WriteAvailable();
    std::uint32_t id = 0;
    WaitUntil([&] {
      conn_.ReadAvailable();
      hvm::Frame f;
      while (conn_.NextFrame(f) == hvm::ParseStatus::Ok)
        if (auto* w = std::get_if<hvm::WelcomeFrame>(&f)) id = w->yourId;
      return id != 0;
    });
    return id;
  }
  void SendRaw(const std::vector<std::uint8_t>& bytes) {
    ::send(conn_.Handle(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
  }
  // True when the other side closed the connection.
  bool ClosedByHost() {
    return WaitUntil([&] { return !conn_.ReadAvailable(); }, 5000);
  }
  // Sends `frame` again and again, as fast as the socket takes it, throwing
  // away whatever comes back. True when the host closed the connection before
  // `maxBytes` went out or `ms` passed.
  bool FloodUntilClosed(const std::vector<std::uint8_t>& frame, std::uint64_t maxBytes, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    std::uint64_t queued = 0;
    while (queued < maxBytes && std::chrono::steady_clock::now() < end) {
      while (conn_.Pending() < 64 * 1024) {
        conn_.Queue(frame);
        queued += frame.size();
      }
      if (!conn_.WriteAvailable() || !Discard()) return true;
      pollfd p{conn_.Handle(), POLLIN | POLLOUT, 0};
      ::poll(&p, 1, 10);
    }
    return false;
  }

 private:
  // Takes what the host sent; false when it closed the connection.
  bool Discard() {
    if (!conn_.ReadAvailable()) return false;
    hvm::Frame f;
    while (conn_.NextFrame(f) == hvm::ParseStatus::Ok) {
    }
    return true;
  }

  hvm::Connection conn_;
};

}  // namespace hvmtest
