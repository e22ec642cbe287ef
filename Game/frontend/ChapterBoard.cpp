#include "Game/frontend/ChapterBoard.h"

#include <algorithm>

#include "Game/base/Packets.h"
#include "platform/core/bytes.h"

namespace {

constexpr std::size_t kNameField = 32;

// The NUL-ended text at `offset`, within the packet and the field.
std::string TextAt(std::span<const std::uint8_t> packet, std::size_t offset) {
  std::string text;
  for (std::size_t i = offset; i < packet.size() && i < offset + kNameField && packet[i]; ++i)
    text.push_back(static_cast<char>(packet[i]));
  if (text.size() > kChapterNameChars) text.resize(kChapterNameChars);
  return text;
}

}  // namespace

ChapterBoard::Event ChapterBoard::Take(std::span<const std::uint8_t> packet, std::uint16_t& chapter) {
  plat::ByteReader r(packet);
  std::uint16_t type = 0;
  if (!r.ReadAt(0, type)) return Event::None;
  switch (type) {
    case PKT_CHAPTER_REPORTS: {
      std::uint16_t count = 0;
      if (!r.ReadAt(8, count)) return Event::None;
      // A guild has eight places; a count outside them would leave no chapter to choose.
      m_chaptersPerGuild = std::clamp<std::uint16_t>(count, 1, kSlotsPerGuild);
      m_countsKnown = true;
      return Event::Counts;
    }
    case PKT_CHAPTER_NAME: {
      std::uint32_t taken = 0;
      if (!r.ReadAt(8, chapter) || !r.ReadAt(12, taken) || chapter >= kChapterCount) return Event::None;
      m_entries[chapter].taken = taken;
      m_entries[chapter].name = TextAt(packet, 16);
      return Event::Name;
    }
    case PKT_CHAPTER_CLAIM: {
      std::uint32_t granted = 0;
      if (!r.ReadAt(8, chapter) || !r.ReadAt(44, granted) || chapter >= kChapterCount) return Event::None;
      if (granted != 0) return Event::Granted;
      m_entries[chapter].taken = 1;
      m_entries[chapter].name = TextAt(packet, 12);
      return Event::Refused;
    }
    default:
      return Event::None;
  }
}

bool ChapterBoard::TakenByOther(std::uint16_t chapter) const {
  return chapter < kChapterCount && m_entries[chapter].taken != 0 && chapter != m_held;
}

bool ChapterBoard::Open(std::uint16_t chapter) const {
  return chapter < kChapterCount && !TakenByOther(chapter) && chapter % kSlotsPerGuild < m_chaptersPerGuild;
}

std::array<std::uint8_t, 48> ChapterClaimPacket(std::uint16_t chapter, std::uint16_t held, std::string_view name) {
  std::array<std::uint8_t, 48> packet{};
  plat::ByteWriter w(packet);
  w.WriteAt<std::uint16_t>(0, PKT_CHAPTER_CLAIM);
  w.WriteAt<std::uint16_t>(8, chapter);
  w.WriteAt<std::uint16_t>(10, held);
  const std::size_t n = std::min(name.size(), kChapterNameChars);
  for (std::size_t i = 0; i < n && name[i]; ++i) packet[12 + i] = static_cast<std::uint8_t>(name[i]);
  return packet;
}
