#include "Game/net/ChapterPackets.h"

#include "Game/base/Packets.h"
#include "platform/core/bytes.h"

PacketImage<kStartSignalSize> StartSignalPacket::Build() const {
  PacketImage<kStartSignalSize> p(PKT_START);
  p.Put(8, start);
  return p;
}

bool StartSignalPacket::Parse(std::span<const std::uint8_t> image, StartSignalPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kStartSignalSize)) return false;
  r.ReadAt(8, out->start);
  return true;
}

PacketImage<kChapterStartSize> ChapterStartPacket::Build() const {
  PacketImage<kChapterStartSize> p(PKT_CHAPTER_START);
  p.Put(8, guild);
  p.Put(10, slot);
  p.SetText(12, kNameWidth, name);
  p.Put(64, home);
  return p;
}

bool ChapterStartPacket::Parse(std::span<const std::uint8_t> image, ChapterStartPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kChapterStartSize)) return false;
  r.ReadAt(8, out->guild);
  r.ReadAt(10, out->slot);
  plat::ByteReader name(image, 12);
  plat::FixedText::Read(name, kNameWidth, out->name);
  r.ReadAt(64, out->home);
  return true;
}

PacketImage<kChapterTraitsSize> ChapterTraitsPacket::Build() const {
  PacketImage<kChapterTraitsSize> p(PKT_CHAPTER_TRAITS);
  p.PutBytes(8, traits);
  return p;
}

bool ChapterTraitsPacket::Parse(std::span<const std::uint8_t> image, ChapterTraitsPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kChapterTraitsSize)) return false;
  for (std::size_t t = 0; t < out->traits.size(); ++t) r.ReadAt(8 + t, out->traits[t]);
  return true;
}

PacketImage<kPoolStateSize> PoolStatePacket::Build() const {
  PacketImage<kPoolStateSize> p(PKT_POOL_STATE);
  p.Put(8, asteroid);
  p.Put(10, storage);
  p.Put(12, blockade);
  for (std::size_t k = 0; k < minerals.size(); ++k) p.Put(16 + 4 * k, minerals[k]);
  return p;
}

bool PoolStatePacket::Parse(std::span<const std::uint8_t> image, PoolStatePacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kPoolStateSize)) return false;
  r.ReadAt(8, out->asteroid);
  r.ReadAt(10, out->storage);
  r.ReadAt(12, out->blockade);
  for (std::size_t k = 0; k < out->minerals.size(); ++k) r.ReadAt(16 + 4 * k, out->minerals[k]);
  return true;
}

PacketImage<kCreditsSize> CreditsPacket::Build() const {
  PacketImage<kCreditsSize> p(PKT_CREDITS);
  p.Put(8, credits);
  return p;
}

bool CreditsPacket::Parse(std::span<const std::uint8_t> image, CreditsPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kCreditsSize)) return false;
  r.ReadAt(8, out->credits);
  return true;
}

PacketImage<kStandingsSize> StandingsPacket::Build() const {
  PacketImage<kStandingsSize> p(PKT_TURN_STANDINGS);
  for (std::size_t c = 0; c < rows.size(); ++c) {
    const std::size_t at = 8 + 8 * c;
    p.Put(at, rows[c].owned);
    p.Put(at + 1, rows[c].present);
    p.Put(at + 2, rows[c].votes);
    p.Put(at + 4, rows[c].ships);
    p.Put(at + 6, rows[c].bonusLimit);
  }
  return p;
}

bool StandingsPacket::Parse(std::span<const std::uint8_t> image, StandingsPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kStandingsSize)) return false;
  for (std::size_t c = 0; c < out->rows.size(); ++c) {
    const std::size_t at = 8 + 8 * c;
    r.ReadAt(at, out->rows[c].owned);
    r.ReadAt(at + 1, out->rows[c].present);
    r.ReadAt(at + 2, out->rows[c].votes);
    r.ReadAt(at + 4, out->rows[c].ships);
    r.ReadAt(at + 6, out->rows[c].bonusLimit);
  }
  return true;
}

PacketImage<kScoresSize> ScoresPacket::Build() const {
  PacketImage<kScoresSize> p(PKT_CHAPTER_SCORES);
  for (std::size_t c = 0; c < scores.size(); ++c) p.Put(8 + 4 * c, scores[c]);
  return p;
}

bool ScoresPacket::Parse(std::span<const std::uint8_t> image, ScoresPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kScoresSize)) return false;
  for (std::size_t c = 0; c < out->scores.size(); ++c) r.ReadAt(8 + 4 * c, out->scores[c]);
  return true;
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
  PacketImage<kTemplateValuesSize> p(PKT_TEMPLATE_VALUES);
  p.Put(8, designId);
  p.Put(12, creationTurn);
  p.Put(14, creationTurnHigh);
  for (std::size_t i = 0; i < words.size(); ++i) p.Put(16 + 2 * i, words[i]);
  for (std::size_t i = 0; i < longs.size(); ++i) p.Put(20 + 4 * i, longs[i]);
  return p;
}

bool TemplateValuesPacket::Parse(std::span<const std::uint8_t> image, TemplateValuesPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kTemplateValuesSize)) return false;
  r.ReadAt(8, out->designId);
  r.ReadAt(12, out->creationTurn);
  r.ReadAt(14, out->creationTurnHigh);
  for (std::size_t i = 0; i < out->words.size(); ++i) r.ReadAt(16 + 2 * i, out->words[i]);
  for (std::size_t i = 0; i < out->longs.size(); ++i) r.ReadAt(20 + 4 * i, out->longs[i]);
  return true;
}
