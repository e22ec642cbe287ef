#pragma once
// IPv4 sockets for the library: an owning descriptor, address parsing and the
// few socket set-ups the transports need. Every socket is non-blocking.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hvm {

// Owns one file descriptor.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() { Reset(); }
  Fd(Fd&& other) noexcept : fd_(other.Release()) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = other.Release();
    }
    return *this;
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void Reset();

 private:
  int fd_ = -1;
};

// An IPv4 address and port, both in host byte order.
struct Endpoint {
  std::uint32_t address = 0;
  std::uint16_t port = 0;
  bool operator==(const Endpoint&) const = default;
};

constexpr std::uint32_t kLoopback = 0x7F000001;   // 127.0.0.1
constexpr std::uint32_t kAnyAddress = 0;          // 0.0.0.0
constexpr std::uint32_t kBroadcast = 0xFFFFFFFF;  // 255.255.255.255

// "host" or "host:port", the host numeric or a name; `defaultPort` when the text
// names none. Nothing for an empty host, a bad port or an unknown name.
std::optional<Endpoint> ParseEndpoint(std::string_view text, std::uint16_t defaultPort);
std::string FormatEndpoint(const Endpoint& e);

// A listening TCP socket; the port actually bound (for port 0) in `bound`.
Fd ListenTcp(const Endpoint& at, Endpoint& bound);
// A UDP socket bound to `at`, allowed to send broadcasts.
Fd BindUdp(const Endpoint& at);
// A connected TCP socket, or an invalid one when the connection failed or took
// longer than `timeoutMs`.
Fd ConnectTcp(const Endpoint& to, int timeoutMs);
// Accepts one pending connection, its address in `from`; invalid when none waits.
Fd AcceptTcp(const Fd& listener, Endpoint& from);

bool SendDatagram(const Fd& udp, const Endpoint& to, std::span<const std::uint8_t> data);
// Reads one waiting datagram into `buffer` (resized to its length); false when none waits.
bool ReceiveDatagram(const Fd& udp, std::vector<std::uint8_t>& buffer, Endpoint& from);

// A descriptor that another thread can make readable to wake a poll.
class WakeSignal {
 public:
  WakeSignal();
  int Fd() const { return fd_.Get(); }
  bool Valid() const { return fd_.Valid(); }
  void Raise();
  void Clear();

 private:
  hvm::Fd fd_;
};

}  // namespace hvm
