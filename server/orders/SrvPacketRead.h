#pragma once
// Reading fields of a received packet in place: a field past the packet's
// end reads as 0 (or the empty text), so a short packet never reads beyond
// what arrived.
//
// Any thread.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// The type its header gives; 0 for a block shorter than a header.
std::uint16_t SrvPacketType(std::span<const std::uint8_t> packet);
std::uint16_t ReadU16(std::span<const std::uint8_t> packet, std::size_t at);
std::uint32_t ReadU32(std::span<const std::uint8_t> packet, std::size_t at);
// A zero-ended text of at most `width` bytes.
std::string ReadText(std::span<const std::uint8_t> packet, std::size_t at, std::size_t width);

// The packet cut or zero-filled to N bytes, for the shared codec of a packet
// whose last bytes the server does without: the server takes such a packet
// when it stops after the fields it reads, the rest reading as 0.
template <std::size_t N>
std::array<std::uint8_t, N> SrvFilledTo(std::span<const std::uint8_t> packet) {
  std::array<std::uint8_t, N> image{};
  std::copy_n(packet.begin(), std::min(N, packet.size()), image.begin());
  return image;
}
