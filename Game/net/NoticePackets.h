#pragma once
// The packets that bring a chapter its notices, built and read in one place:
//   1500        a notification (152 bytes): u16 category at 8, u16 code at
//               10, two 64-byte texts at 12 and 76, u16 parameter 1 at 140,
//               u32 parameters 2 and 3 at 144 and 148
//   1501, 1502  a module's (1501) or hull's (1502) research done (12 bytes):
//               u16 module or hull index at 8
// Texts are fixed text fields (FixedText). Each Parse is false for an image
// shorter than its packet. Plain functions: any thread.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "Game/rules/GRulesPackets.h"

constexpr std::size_t kNotificationSize = 152;
constexpr std::size_t kResearchDoneSize = 12;

struct NotificationPacket {
  static constexpr std::size_t kTextWidth = 64;
  std::uint16_t category = 0;
  std::uint16_t code = 0;
  std::string text1;
  std::string text2;
  std::uint16_t param1 = 0;
  std::uint32_t param2 = 0;
  std::uint32_t param3 = 0;

  PacketImage<kNotificationSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, NotificationPacket* out);
};

struct ResearchDonePacket {
  bool hull = false;  // 1502; else 1501
  std::uint16_t index = 0;

  PacketImage<kResearchDoneSize> Build() const;
  static bool Parse(std::span<const std::uint8_t> image, ResearchDonePacket* out);
};
