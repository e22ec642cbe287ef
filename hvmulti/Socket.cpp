#include "hvmulti/Socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

namespace hvm {

void Fd::Reset() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

namespace {

sockaddr_in ToSockaddr(const Endpoint& e) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(e.address);
  sa.sin_port = htons(e.port);
  return sa;
}

Endpoint FromSockaddr(const sockaddr_in& sa) { return Endpoint{ntohl(sa.sin_addr.s_addr), ntohs(sa.sin_port)}; }

std::optional<std::uint32_t> ResolveHost(const std::string& host) {
  in_addr numeric{};
  if (::inet_pton(AF_INET, host.c_str(), &numeric) == 1) return ntohl(numeric.s_addr);
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* list = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0 || !list) return std::nullopt;
  const auto* sa = reinterpret_cast<const sockaddr_in*>(list->ai_addr);
  const std::uint32_t address = ntohl(sa->sin_addr.s_addr);
  ::freeaddrinfo(list);
  return address;
}

// Connections the system completes before the host accepts them: room for a
// crowd joining at once while the host holds back behind its count of
// connections still waiting for their hello.
constexpr int kListenBacklog = 128;

Fd NewSocket(int type) { return Fd(::socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)); }

}  // namespace

std::optional<Endpoint> ParseEndpoint(std::string_view text, std::uint16_t defaultPort) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  std::uint16_t port = defaultPort;
  if (const auto colon = text.rfind(':'); colon != std::string_view::npos) {
    const std::string_view digits = text.substr(colon + 1);
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || value > 65535)
      return std::nullopt;
    port = static_cast<std::uint16_t>(value);
    text = text.substr(0, colon);
  }
  if (text.empty()) return std::nullopt;
  const auto address = ResolveHost(std::string(text));
  if (!address) return std::nullopt;
  return Endpoint{*address, port};
}

std::string FormatEndpoint(const Endpoint& e) {
  char text[INET_ADDRSTRLEN] = {};
  in_addr a{};
  a.s_addr = htonl(e.address);
  ::inet_ntop(AF_INET, &a, text, sizeof text);
  return std::string(text) + ":" + std::to_string(e.port);
}

Fd ListenTcp(const Endpoint& at, Endpoint& bound) {
  Fd fd = NewSocket(SOCK_STREAM);
  if (!fd.Valid()) return fd;
  const int one = 1;
  ::setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in sa = ToSockaddr(at);
  if (::bind(fd.Get(), reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || ::listen(fd.Get(), kListenBacklog) != 0)
    return Fd();
  socklen_t len = sizeof sa;
  ::getsockname(fd.Get(), reinterpret_cast<sockaddr*>(&sa), &len);
  bound = FromSockaddr(sa);
  return fd;
}

Fd BindUdp(const Endpoint& at) {
  Fd fd = NewSocket(SOCK_DGRAM);
  if (!fd.Valid()) return fd;
  const int one = 1;
  ::setsockopt(fd.Get(), SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
  sockaddr_in sa = ToSockaddr(at);
  if (::bind(fd.Get(), reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) return Fd();
  return fd;
}

Fd ConnectTcp(const Endpoint& to, int timeoutMs) {
  Fd fd = NewSocket(SOCK_STREAM);
  if (!fd.Valid()) return fd;
  sockaddr_in sa = ToSockaddr(to);
  if (::connect(fd.Get(), reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
    if (errno != EINPROGRESS) return Fd();
    pollfd p{fd.Get(), POLLOUT, 0};
    if (::poll(&p, 1, timeoutMs) != 1) return Fd();
    int error = 0;
    socklen_t len = sizeof error;
    if (::getsockopt(fd.Get(), SOL_SOCKET, SO_ERROR, &error, &len) != 0 || error != 0) return Fd();
  }
  const int one = 1;
  ::setsockopt(fd.Get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return fd;
}

Fd AcceptTcp(const Fd& listener, Endpoint& from) {
  sockaddr_in sa{};
  socklen_t len = sizeof sa;
  Fd fd(::accept4(listener.Get(), reinterpret_cast<sockaddr*>(&sa), &len, SOCK_NONBLOCK | SOCK_CLOEXEC));
  if (fd.Valid()) {
    from = FromSockaddr(sa);
    const int one = 1;
    ::setsockopt(fd.Get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  }
  return fd;
}

bool SendDatagram(const Fd& udp, const Endpoint& to, std::span<const std::uint8_t> data) {
  sockaddr_in sa = ToSockaddr(to);
  return ::sendto(udp.Get(), data.data(), data.size(), MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&sa), sizeof sa) ==
         static_cast<ssize_t>(data.size());
}

bool ReceiveDatagram(const Fd& udp, std::vector<std::uint8_t>& buffer, Endpoint& from) {
  buffer.resize(2048);
  sockaddr_in sa{};
  socklen_t len = sizeof sa;
  const ssize_t n = ::recvfrom(udp.Get(), buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&sa), &len);
  if (n < 0) return false;
  buffer.resize(static_cast<std::size_t>(n));
  from = FromSockaddr(sa);
  return true;
}

WakeSignal::WakeSignal() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

void WakeSignal::Raise() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const auto n = ::write(fd_.Get(), &one, sizeof one);
}

void WakeSignal::Clear() {
  std::uint64_t value = 0;
  [[maybe_unused]] const auto n = ::read(fd_.Get(), &value, sizeof value);
}

}  // namespace hvm
