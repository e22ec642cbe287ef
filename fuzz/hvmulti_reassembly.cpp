// A connection's reassembly of frames from a byte stream that arrives in any
// pieces: the frames cut from the pieces are the frames cut from the whole,
// the game packets taken in place as they are on the library's own path.
//
// Input: u8 piece size seed, then the stream.
#include <sys/socket.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "hvmulti/Connection.h"
#include "hvmulti/Wire.h"

namespace {

// The frames of a stream, each as it encodes back (text fields lose what
// followed their terminator); parsing stops at the first malformed frame.
std::vector<std::vector<std::uint8_t>> WholeStream(std::span<const std::uint8_t> in) {
  std::vector<std::vector<std::uint8_t>> frames;
  for (;;) {
    hvm::Frame frame;
    std::size_t used = 0;
    if (hvm::ParseFrame(in, frame, used) != hvm::ParseStatus::Ok) return frames;
    frames.push_back(hvm::EncodeFrame(frame));
    in = in.subspan(used);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::size_t piece = 1 + data[0] % 97;
  const std::span<const std::uint8_t> stream(data + 1, size - 1);
  const auto expected = WholeStream(stream);

  int fds[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, fds) != 0) return 0;
  hvm::Fd writer(fds[0]);
  hvm::Connection reader{hvm::Fd(fds[1])};
  std::vector<std::vector<std::uint8_t>> got;
  bool broken = false;
  std::size_t sent = 0;
  while (!broken && (sent < stream.size() || got.size() < expected.size())) {
    const std::size_t n = std::min(piece, stream.size() - sent);
    if (n > 0 && ::send(writer.Get(), stream.data() + sent, n, MSG_NOSIGNAL) != static_cast<ssize_t>(n)) break;
    sent += n;
    if (!reader.ReadAvailable()) break;
    for (;;) {
      hvm::DataView data;
      auto status = reader.NextData(data);
      if (status == hvm::ParseStatus::Ok) {
        std::vector<std::uint8_t> encoded;
        hvm::AppendDataFrame(encoded, data);
        got.push_back(std::move(encoded));
        continue;
      }
      if (status == hvm::ParseStatus::NotData) {
        hvm::Frame frame;
        status = reader.NextFrame(frame);
        if (status == hvm::ParseStatus::Ok) {
          got.push_back(hvm::EncodeFrame(frame));
          continue;
        }
      }
      broken = status == hvm::ParseStatus::Garbage;
      break;
    }
    if (n == 0 && !broken && got.size() < expected.size()) __builtin_trap();  // all sent, frames missing
  }
  // Every frame the whole stream holds came out of the pieces, in order and
  // byte for byte; a malformed frame stops both at the same place.
  if (got.size() != expected.size()) __builtin_trap();
  for (std::size_t i = 0; i < got.size(); ++i)
    if (got[i] != expected[i]) __builtin_trap();
  return 0;
}
