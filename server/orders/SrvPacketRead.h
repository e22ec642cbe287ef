#pragma once
// Reading fields of a received packet in place: a field past the packet's
// end reads as 0 (or the empty text), so a short packet never reads beyond
// what arrived.
//
// Any thread.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

std::uint16_t ReadU16(std::span<const std::uint8_t> packet, std::size_t at);
std::uint32_t ReadU32(std::span<const std::uint8_t> packet, std::size_t at);
// A zero-ended text of at most `width` bytes.
std::string ReadText(std::span<const std::uint8_t> packet, std::size_t at, std::size_t width);
