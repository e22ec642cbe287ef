#include "hvmulti/Connection.h"

#include <sys/socket.h>

#include <cerrno>

namespace hvm {
namespace {
// One read takes at most this much, so a flooding peer cannot starve the others.
constexpr std::size_t kReadChunk = 64 * 1024;
}  // namespace

void Connection::Queue(const std::vector<std::uint8_t>& frame) {
  if (outStart_ > 0 && outStart_ == out_.size()) {
    out_.clear();
    outStart_ = 0;
  }
  out_.insert(out_.end(), frame.begin(), frame.end());
}

bool Connection::ReadAvailable() {
  if (inStart_ > 0) {
    in_.erase(in_.begin(), in_.begin() + static_cast<std::ptrdiff_t>(inStart_));
    inStart_ = 0;
  }
  const std::size_t old = in_.size();
  in_.resize(old + kReadChunk);
  const ssize_t n = ::recv(fd_.Get(), in_.data() + old, kReadChunk, 0);
  in_.resize(old + (n > 0 ? static_cast<std::size_t>(n) : 0));
  if (n > 0) return true;
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return true;
  return false;
}

bool Connection::WriteAvailable() {
  while (Pending() > 0) {
    const ssize_t n = ::send(fd_.Get(), out_.data() + outStart_, Pending(), MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK) return true;
      if (errno == EINTR) continue;
      return false;
    }
    outStart_ += static_cast<std::size_t>(n);
  }
  out_.clear();
  outStart_ = 0;
  return true;
}

ParseStatus Connection::NextFrame(Frame& out) {
  std::size_t consumed = 0;
  const auto status = ParseFrame(std::span(in_).subspan(inStart_), out, consumed);
  if (status == ParseStatus::Ok) inStart_ += consumed;
  return status;
}

}  // namespace hvm
