#pragma once
// The packets the rules data sends, built as flat little-endian byte blocks
// and read back by the server: research allocations and science bonuses of
// modules and hulls (510 to 513).
// The design (200) and default battle plan (315) packets are built beside
// their data (GTemplateDB.h, GDefBP.h).

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "Game/base/Packets.h"
#include "platform/core/bytes.h"

// A packet of N bytes, zero-filled, its header holding the type (sequence 0:
// the session numbers sequenced packets as it sends them). Fields go in at
// their offsets (Put, PutBytes); a field that would not fit is not written.
template <std::size_t N>
struct PacketImage : plat::ByteImage<N> {
  explicit PacketImage(std::uint16_t type) {
    static_assert(N >= kPacketHeaderSize && N <= kMaxPacketSize);
    WritePacketHeader(this->bytes, PacketHeader{type, 0, 0});
  }
};

// 510, 16 bytes: u8 chapter slot at 8, u16 module index at 10, u16 percent at 12.
PacketImage<16> BuildModuleAllocationPacket(std::uint8_t chapterSlot, std::uint16_t module, std::uint16_t percent);
// 511, 16 bytes: u16 section at 8, u8 chapter slot at 10, u16 hull index at 12, u16 percent at 14.
PacketImage<16> BuildHullAllocationPacket(std::uint16_t section, std::uint8_t chapterSlot, std::uint16_t hull,
                                          std::uint16_t percent);
// 512, 16 bytes: u8 chapter slot at 8, u16 module index at 10, u16 bonus at 12, u16 free pool at 14.
PacketImage<16> BuildModuleBonusPacket(std::uint8_t chapterSlot, std::uint16_t module, std::uint16_t bonus,
                                       std::uint16_t pool);
// 513, 20 bytes: u16 section at 8, u8 chapter slot at 10, u16 hull index at 12,
// u16 bonus at 14, u16 the module database's free pool at 16.
PacketImage<20> BuildHullBonusPacket(std::uint16_t section, std::uint8_t chapterSlot, std::uint16_t hull,
                                     std::uint16_t bonus, std::uint16_t pool);

// One of 510 to 513 read back: the hull packets name the guild's section
// first and the chapter slot after it.
struct ResearchPacket {
  std::uint16_t type = 0;
  std::uint16_t section = 0;  // 511, 513
  std::uint8_t chapterSlot = 0;
  std::uint16_t item = 0;   // the module or hull index
  std::uint16_t value = 0;  // the percent (510, 511) or the bonus (512, 513)
  std::uint16_t pool = 0;   // 512, 513
};
// Bytes of a research packet of `type`: 20 for 513, else 16.
constexpr std::size_t ResearchPacketSize(std::uint16_t type) { return type == PKT_HULL_SCIENCE_BONUS ? 20 : 16; }
// False when the image is not one of 510 to 513 or is shorter than its packet.
bool ParseResearchPacket(std::span<const std::uint8_t> image, ResearchPacket* out);
