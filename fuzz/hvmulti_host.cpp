// The host's handling of what a member sends: a connection that joins (or
// not) and then sends any bytes, in any pieces, before it closes. The host
// survives it, hands on only whole packets, and once the connection has
// closed its player is gone.
//
// Input: u8 flags (bit 0: join first), u8 piece size seed, then the stream.
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <thread>

#include "hvmulti/Connection.h"
#include "hvmulti/HvMulti.h"
#include "hvmulti/Wire.h"

namespace {

constexpr const char* kGuid = "fuzz-host-guid";

struct Host {
  Host() {
    hvm::TransportLimits limits;
    limits.helloTimeoutMs = 200;
    multi.SetTransportLimits(limits);
    HvMServiceEx_Struct at;
    at.SetText(HvMServiceEx_Struct::kAddress, HvMServiceEx_Struct::kAddressWidth, "127.0.0.1:0");
    HvMSession_Struct session;
    session.SetU32(HvMSession_Struct::kMaxPlayers, 40);
    if (multi.InitServiceEx(HVM_SERVICEID_TCPIP, kGuid, &at) != 0 || multi.CreateAndJoin(&session, &me) != HVM_CREATED)
      __builtin_trap();
    port = multi.GetHostPort();
  }
  void Drain() {
    std::uint8_t buffer[HVM_MAX_PACKET];
    for (;;) {
      std::uint32_t length = sizeof buffer, from = 0;
      const int r = multi.GetTop(buffer, &length, &from, nullptr, nullptr);
      if (r == HVM_ERR_NOMESSAGE) return;
      // Game packets come whole, and from a player of the session.
      if (r == HVM_MSG_PACKET && (length == 0 || length > HVM_MAX_PACKET || from == HVM_ID_NONE)) __builtin_trap();
    }
  }
  CHvMulti multi;
  HvMPlayer_Struct me;
  std::uint16_t port = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Host& host = *new Host;  // one session for the whole run
  if (size < 2) return 0;
  const bool join = (data[0] & 1) != 0;
  const std::size_t piece = 1 + data[1] % 251;
  const std::span<const std::uint8_t> stream(data + 2, size - 2);

  // A loaded machine may keep a connect waiting past its time; a host that
  // turns away five in a row has locked newcomers out.
  hvm::Connection peer(hvm::ConnectTcp(hvm::Endpoint{hvm::kLoopback, host.port}, 2000));
  for (int tries = 1; peer.Handle() < 0 && tries < 5; ++tries) {
    host.Drain();
    peer = hvm::Connection(hvm::ConnectTcp(hvm::Endpoint{hvm::kLoopback, host.port}, 2000));
  }
  if (peer.Handle() < 0) __builtin_trap();
  if (join) peer.Queue(hvm::EncodeFrame(hvm::HelloFrame{kGuid, HVM_PROTOCOL_VERSION, "", "fuzz", "fuzz", ""}));
  std::size_t at = 0;
  while (at < stream.size() || peer.WantsWrite()) {
    const std::size_t n = std::min(piece, stream.size() - at);
    peer.Queue(stream.subspan(at, n));
    at += n;
    pollfd p{peer.Handle(), POLLOUT, 0};
    const bool writable = ::poll(&p, 1, 100) == 1;
    if (!peer.WriteAvailable() || (!writable && at == stream.size())) break;  // the host dropped it
    host.Drain();
  }
  ::shutdown(peer.Handle(), SHUT_WR);
  // Once the host has seen the end, the session holds only its own player.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (host.multi.GetPlayers().size() != 1) {
    if (std::chrono::steady_clock::now() > deadline) __builtin_trap();
    host.Drain();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  host.Drain();
  return 0;
}
