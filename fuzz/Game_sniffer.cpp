// The packet sniffer's definitions text and the packets it prints, from any
// bytes: the text up to the first zero byte, then packets as a u16 length and
// that many bytes. The tables stay within their limits and every line is
// printed from the packet's own bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "Game/net/PacketSniffer.h"
#include "fuzz/scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Scratch::Get();
  const auto* zero = std::find(data, data + size, std::uint8_t{0});
  const std::string_view text(reinterpret_cast<const char*>(data), static_cast<std::size_t>(zero - data));
  CPacketSniffer sniffer(text, "Q:\\packetcl.dat", 0, 0xFFFF);
  if (sniffer.Count() < 1 || sniffer.Count() > kSnifferTypes) __builtin_trap();
  std::span<const std::uint8_t> rest(zero == data + size ? zero : zero + 1, data + size);
  while (rest.size() >= 2) {
    const std::size_t n = std::min<std::size_t>(rest[0] | (rest[1] << 8), rest.size() - 2);
    sniffer.LogReceive(rest.subspan(2, n));
    sniffer.LogSend(rest.subspan(2, n), -1);
    rest = rest.subspan(2 + n);
  }
  return 0;
}
