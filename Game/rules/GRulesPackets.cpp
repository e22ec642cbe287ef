#include "Game/rules/GRulesPackets.h"

PacketImage<16> BuildModuleAllocationPacket(std::uint8_t chapterSlot, std::uint16_t module, std::uint16_t percent) {
  PacketImage<16> p(PKT_MODULE_ALLOCATION);
  p.Put(8, chapterSlot);
  p.Put(10, module);
  p.Put(12, percent);
  return p;
}

PacketImage<16> BuildHullAllocationPacket(std::uint16_t section, std::uint8_t chapterSlot, std::uint16_t hull,
                                          std::uint16_t percent) {
  PacketImage<16> p(PKT_HULL_ALLOCATION);
  p.Put(8, section);
  p.Put(10, chapterSlot);
  p.Put(12, hull);
  p.Put(14, percent);
  return p;
}

PacketImage<16> BuildModuleBonusPacket(std::uint8_t chapterSlot, std::uint16_t module, std::uint16_t bonus,
                                       std::uint16_t pool) {
  PacketImage<16> p(PKT_MODULE_SCIENCE_BONUS);
  p.Put(8, chapterSlot);
  p.Put(10, module);
  p.Put(12, bonus);
  p.Put(14, pool);
  return p;
}

PacketImage<20> BuildHullBonusPacket(std::uint16_t section, std::uint8_t chapterSlot, std::uint16_t hull,
                                     std::uint16_t bonus, std::uint16_t pool) {
  PacketImage<20> p(PKT_HULL_SCIENCE_BONUS);
  p.Put(8, section);
  p.Put(10, chapterSlot);
  p.Put(12, hull);
  p.Put(14, bonus);
  p.Put(16, pool);
  return p;
}

bool ParseResearchPacket(std::span<const std::uint8_t> image, ResearchPacket* out) {
  PacketHeader header;
  if (!ReadPacketHeader(image, header)) return false;
  if (header.type < PKT_MODULE_ALLOCATION || header.type > PKT_HULL_SCIENCE_BONUS) return false;
  plat::ByteReader r(image);
  if (!r.Has(0, ResearchPacketSize(header.type))) return false;
  out->type = header.type;
  const bool hull = header.type == PKT_HULL_ALLOCATION || header.type == PKT_HULL_SCIENCE_BONUS;
  const bool bonus = header.type == PKT_MODULE_SCIENCE_BONUS || header.type == PKT_HULL_SCIENCE_BONUS;
  out->section = 0;
  out->pool = 0;
  if (hull) r.ReadAt(8, out->section);
  r.ReadAt(hull ? 10 : 8, out->chapterSlot);
  r.ReadAt(hull ? 12 : 10, out->item);
  r.ReadAt(hull ? 14 : 12, out->value);
  if (bonus) r.ReadAt(hull ? 16 : 14, out->pool);
  return true;
}
