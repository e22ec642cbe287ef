#include "hvmulti/Connection.h"

#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

namespace hvm {
namespace {
// One read takes at most this much, so a flooding peer cannot starve the others.
constexpr std::size_t kReadChunk = 64 * 1024;
// Bytes already written that the write buffer drops from its front once they
// are its larger part.
constexpr std::size_t kDropWrittenBytes = 64 * 1024;
}  // namespace

void Connection::Queue(std::span<const std::uint8_t> frame) {
  DropWritten();
  out_.insert(out_.end(), frame.begin(), frame.end());
}

void Connection::QueueData(const DataView& frame) {
  DropWritten();
  AppendDataFrame(out_, frame);
}

// A socket that never takes everything at once would otherwise leave the
// buffer growing by all that was ever written.
void Connection::DropWritten() {
  if (outStart_ == 0) return;
  if (outStart_ == out_.size()) {
    out_.clear();
    outStart_ = 0;
  } else if (outStart_ >= kDropWrittenBytes && outStart_ * 2 >= out_.size()) {
    out_.erase(out_.begin(), out_.begin() + static_cast<std::ptrdiff_t>(outStart_));
    outStart_ = 0;
  }
}

void Connection::Unqueue(std::span<const Span> runs) {
  auto at = [this](std::uint64_t position) {
    return out_.begin() + static_cast<std::ptrdiff_t>(outStart_ + (position - written_));
  };
  auto to = out_.begin() + static_cast<std::ptrdiff_t>(outStart_);
  std::uint64_t kept = written_;  // the start of the bytes kept after the last run
  for (const auto& run : runs) {
    to = std::copy(at(kept), at(run.begin), to);
    kept = run.end;
  }
  to = std::copy(at(kept), out_.end(), to);
  out_.erase(to, out_.end());
}

// The buffer keeps its size once made, so a read neither allocates nor clears.
bool Connection::ReadAvailable() {
  if (inStart_ > 0) {
    std::copy(in_.begin() + static_cast<std::ptrdiff_t>(inStart_), in_.begin() + static_cast<std::ptrdiff_t>(inEnd_),
              in_.begin());
    inEnd_ -= inStart_;
    inStart_ = 0;
  }
  if (in_.size() < inEnd_ + kReadChunk) in_.resize(inEnd_ + kReadChunk);
  const ssize_t n = ::recv(fd_.Get(), in_.data() + inEnd_, kReadChunk, 0);
  if (n > 0) {
    inEnd_ += static_cast<std::size_t>(n);
    return true;
  }
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
    written_ += static_cast<std::uint64_t>(n);
  }
  out_.clear();
  outStart_ = 0;
  return true;
}

ParseStatus Connection::NextFrame(Frame& out) {
  std::size_t consumed = 0;
  const auto status = ParseFrame(std::span(in_).subspan(inStart_, inEnd_ - inStart_), out, consumed);
  if (status == ParseStatus::Ok) inStart_ += consumed;
  return status;
}

ParseStatus Connection::NextData(DataView& out) {
  std::size_t consumed = 0;
  const auto status = ParseDataFrame(std::span(in_).subspan(inStart_, inEnd_ - inStart_), out, consumed);
  if (status == ParseStatus::Ok) inStart_ += consumed;
  return status;
}

}  // namespace hvm
