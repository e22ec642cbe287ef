// The packet sniffer's definitions text and the packets it prints, from any
// bytes: the text up to the first zero byte, then packets as a u16 length and
// that many bytes. The tables stay within their limits and every line is
// printed from the packet's own bytes. Its seeds start from the definitions
// file the data build installs.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/net/PacketSniffer.h"
#include "fuzz/scratch.h"
#include "fuzz/seeds.h"
#include "tools/packetdefs/packet_definitions.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::WriteSeedsIfAsked([] {
    const std::string text = packetdefs::PacketDefinitionsText();
    std::vector<std::uint8_t> seed(text.begin(), text.end());
    seed.push_back(0);
    // A bare header and a packet with a body, each behind its u16 length.
    const struct {
      std::uint16_t type;
      std::uint8_t length;
    } packets[] = {{PKT_START, 8}, {PKT_CHAT, 16}};
    for (const auto& p : packets) {
      seed.insert(seed.end(), {p.length, 0, static_cast<std::uint8_t>(p.type), static_cast<std::uint8_t>(p.type >> 8),
                               0, 0, 1, 0, 0, 0});
      seed.resize(seed.size() + p.length - 8, 'x');
    }
    return fuzz::Seeds{seed};
  });
  return 0;
}

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
