// The readers of what peers send: session frames cut from a byte stream, and
// enumeration datagrams.
#include <cstddef>
#include <cstdint>
#include <span>

#include "hvmulti/Wire.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> in(data, size);
  hvm::ParseEnumQuery(in);
  hvm::ParseEnumAnswer(in);
  for (;;) {
    hvm::Frame frame;
    std::size_t used = 0;
    if (hvm::ParseFrame(in, frame, used) != hvm::ParseStatus::Ok) break;
    // A frame that parsed encodes back to the bytes it came from.
    if (hvm::EncodeFrame(frame).size() != used) __builtin_trap();
    in = in.subspan(used);
  }
  return 0;
}
