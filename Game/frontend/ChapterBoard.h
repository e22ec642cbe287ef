#pragma once
// What the guild-and-chapter screen knows of the session's 40 chapters: which
// are taken and their names, as the server reports them (packets 23, 25 and
// its answers to claims, 3), and the claim a player sends. Plain data, no
// windows. Game thread only.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

constexpr std::uint16_t kChapterCount = 40;
constexpr std::uint16_t kSlotsPerGuild = 8;
constexpr std::uint16_t kGuildCount = 5;
constexpr std::size_t kChapterNameChars = 30;
constexpr std::uint16_t kNoSelection = 65535;

struct ChapterEntry {
  std::uint32_t taken = 1;  // held by some player
  std::string name;
};

class ChapterBoard {
 public:
  enum class Event { None, Counts, Name, Refused, Granted };

  // The chapter this player holds already: free for it although reported taken.
  explicit ChapterBoard(std::uint16_t held) : m_held(held) {}

  // Takes one server packet; `chapter` receives the chapter a name, refusal or
  // grant is about. Short or unknown packets and chapters beyond 39 are None.
  Event Take(std::span<const std::uint8_t> packet, std::uint16_t& chapter);

  // Taken by a player other than this one.
  bool TakenByOther(std::uint16_t chapter) const;
  // The chapter may be chosen: in the game and not another player's.
  bool Open(std::uint16_t chapter) const;
  // The server has reported the number of chapters and every chapter's name.
  bool Complete() const { return m_countsKnown && !m_entries[kChapterCount - 1].name.empty(); }

  const ChapterEntry& Entry(std::uint16_t chapter) const { return m_entries[chapter % kChapterCount]; }
  std::uint16_t ChaptersPerGuild() const { return m_chaptersPerGuild; }
  bool CountsKnown() const { return m_countsKnown; }

 private:
  std::array<ChapterEntry, kChapterCount> m_entries;
  std::uint16_t m_held;
  std::uint16_t m_chaptersPerGuild = kSlotsPerGuild;
  bool m_countsKnown = false;
};

// Packet 3 asking for `chapter`, naming the chapter held so far; the name is
// cut to 30 characters.
std::array<std::uint8_t, 48> ChapterClaimPacket(std::uint16_t chapter, std::uint16_t held, std::string_view name);
