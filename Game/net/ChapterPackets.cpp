#include "Game/net/ChapterPackets.h"

#include "Game/base/Packets.h"
#include "Game/net/PacketFields.h"

namespace {

constexpr auto kStartSignalFields = [](auto& p, auto& io) { io.Field(8, p.start); };

constexpr auto kChapterStartFields = [](auto& p, auto& io) {
  io.Field(8, p.guild);
  io.Field(10, p.slot);
  io.Text(12, ChapterStartPacket::kNameWidth, p.name);
  io.Field(64, p.home);
};

constexpr auto kChapterTraitsFields = [](auto& p, auto& io) { io.Each(8, 1, p.traits); };

constexpr auto kPoolStateFields = [](auto& p, auto& io) {
  io.Field(8, p.asteroid);
  io.Field(10, p.storage);
  io.Field(12, p.blockade);
  io.Each(16, 4, p.minerals);
};

constexpr auto kCreditsFields = [](auto& p, auto& io) { io.Field(8, p.credits); };

// A row of eight bytes a chapter.
constexpr auto kStandingsFields = [](auto& p, auto& io) {
  std::size_t at = 8;
  for (auto& row : p.rows) {
    io.Field(at, row.owned);
    io.Field(at + 1, row.present);
    io.Field(at + 2, row.votes);
    io.Field(at + 4, row.ships);
    io.Field(at + 6, row.bonusLimit);
    at += 8;
  }
};

constexpr auto kScoresFields = [](auto& p, auto& io) { io.Each(8, 4, p.scores); };

constexpr auto kTemplateValuesFields = [](auto& p, auto& io) {
  io.Field(8, p.designId);
  io.Field(12, p.creationTurn);
  io.Field(14, p.creationTurnHigh);
  io.Each(16, 2, p.words);
  io.Each(20, 4, p.longs);
};

constexpr auto kGameOverFields = [](auto& p, auto& io) {
  io.Each(8, 1, p.results);
  io.Field(48, p.condition);
  io.Each(50, 1, p.owned);
  io.Each(90, 1, p.controlled);
  io.Each(132, 4, p.credits);
  for (std::size_t m = 0; m < p.minerals.size(); ++m) io.Each(292 + 160 * m, 4, p.minerals[m]);
  io.Each(932, 2, p.units);
};

}  // namespace

PacketImage<kStartSignalSize> StartSignalPacket::Build() const {
  return BuildFields<kStartSignalSize>(PKT_START, *this, kStartSignalFields);
}

bool StartSignalPacket::Parse(std::span<const std::uint8_t> image, StartSignalPacket* out) {
  return ParseFields<kStartSignalSize>(image, out, kStartSignalFields);
}

PacketImage<kChapterStartSize> ChapterStartPacket::Build() const {
  return BuildFields<kChapterStartSize>(PKT_CHAPTER_START, *this, kChapterStartFields);
}

bool ChapterStartPacket::Parse(std::span<const std::uint8_t> image, ChapterStartPacket* out) {
  return ParseFields<kChapterStartSize>(image, out, kChapterStartFields);
}

PacketImage<kChapterTraitsSize> ChapterTraitsPacket::Build() const {
  return BuildFields<kChapterTraitsSize>(PKT_CHAPTER_TRAITS, *this, kChapterTraitsFields);
}

bool ChapterTraitsPacket::Parse(std::span<const std::uint8_t> image, ChapterTraitsPacket* out) {
  return ParseFields<kChapterTraitsSize>(image, out, kChapterTraitsFields);
}

PacketImage<kPoolStateSize> PoolStatePacket::Build() const {
  return BuildFields<kPoolStateSize>(PKT_POOL_STATE, *this, kPoolStateFields);
}

bool PoolStatePacket::Parse(std::span<const std::uint8_t> image, PoolStatePacket* out) {
  return ParseFields<kPoolStateSize>(image, out, kPoolStateFields);
}

PacketImage<kCreditsSize> CreditsPacket::Build() const {
  return BuildFields<kCreditsSize>(PKT_CREDITS, *this, kCreditsFields);
}

bool CreditsPacket::Parse(std::span<const std::uint8_t> image, CreditsPacket* out) {
  return ParseFields<kCreditsSize>(image, out, kCreditsFields);
}

PacketImage<kStandingsSize> StandingsPacket::Build() const {
  return BuildFields<kStandingsSize>(PKT_TURN_STANDINGS, *this, kStandingsFields);
}

bool StandingsPacket::Parse(std::span<const std::uint8_t> image, StandingsPacket* out) {
  return ParseFields<kStandingsSize>(image, out, kStandingsFields);
}

PacketImage<kScoresSize> ScoresPacket::Build() const {
  return BuildFields<kScoresSize>(PKT_CHAPTER_SCORES, *this, kScoresFields);
}

bool ScoresPacket::Parse(std::span<const std::uint8_t> image, ScoresPacket* out) {
  return ParseFields<kScoresSize>(image, out, kScoresFields);
}

PacketImage<kResearchProgressSize> ResearchProgressPacket::Build() const {
  PacketImage<kResearchProgressSize> p(hull ? PKT_HULL_RESEARCH : PKT_MODULE_RESEARCH);
  p.Put(8, index);
  p.Put(10, points);
  p.Put(12, research);
  return p;
}

bool ResearchProgressPacket::Parse(std::span<const std::uint8_t> image, ResearchProgressPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kResearchProgressSize)) return false;
  std::uint16_t type = 0;
  r.ReadAt(0, type);
  out->hull = type == PKT_HULL_RESEARCH;
  r.ReadAt(8, out->index);
  r.ReadAt(10, out->points);
  r.ReadAt(12, out->research);
  return true;
}

PacketImage<kTemplateValuesSize> TemplateValuesPacket::Build() const {
  return BuildFields<kTemplateValuesSize>(PKT_TEMPLATE_VALUES, *this, kTemplateValuesFields);
}

bool TemplateValuesPacket::Parse(std::span<const std::uint8_t> image, TemplateValuesPacket* out) {
  return ParseFields<kTemplateValuesSize>(image, out, kTemplateValuesFields);
}

PacketImage<kGameOverSize> GameOverPacket::Build() const {
  return BuildFields<kGameOverSize>(PKT_GAME_OVER, *this, kGameOverFields);
}

bool GameOverPacket::Parse(std::span<const std::uint8_t> image, GameOverPacket* out) {
  return ParseFields<kGameOverSize>(image, out, kGameOverFields);
}
