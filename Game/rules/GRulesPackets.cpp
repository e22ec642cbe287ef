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
