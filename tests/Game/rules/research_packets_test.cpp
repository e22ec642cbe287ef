// The research allocations and science bonuses read back as they were built:
// the hull packets' section and slot in their own places, and each refused
// when shorter than its packet or of another type.
#include <gtest/gtest.h>

#include <span>
#include <tuple>

#include "Game/rules/GRulesPackets.h"

namespace {

auto Fields(const ResearchPacket& p) {
  return std::make_tuple(p.type, p.section, p.chapterSlot, p.item, p.value, p.pool);
}

TEST(ResearchPackets, EachOfTheFourReadsBackWhatWasBuilt) {
  ResearchPacket p;
  const auto moduleAllocation = BuildModuleAllocationPacket(5, 700, 40);
  ASSERT_TRUE(ParseResearchPacket(moduleAllocation.bytes, &p));
  EXPECT_EQ(Fields(p), std::make_tuple(510, 0, 5, 700, 40, 0));
  const auto hullAllocation = BuildHullAllocationPacket(3, 6, 12, 25);
  ASSERT_TRUE(ParseResearchPacket(hullAllocation.bytes, &p));
  EXPECT_EQ(Fields(p), std::make_tuple(511, 3, 6, 12, 25, 0));
  const auto moduleBonus = BuildModuleBonusPacket(2, 0x0102, 9, 77);
  ASSERT_TRUE(ParseResearchPacket(moduleBonus.bytes, &p));
  EXPECT_EQ(Fields(p), std::make_tuple(512, 0, 2, 0x0102, 9, 77));
  const auto hullBonus = BuildHullBonusPacket(4, 1, 8, 11, 300);
  ASSERT_TRUE(ParseResearchPacket(hullBonus.bytes, &p));
  EXPECT_EQ(Fields(p), std::make_tuple(513, 4, 1, 8, 11, 300));
}

TEST(ResearchPackets, ShortImagesAndOtherTypesAreRefused) {
  ResearchPacket p;
  const auto hullBonus = BuildHullBonusPacket(4, 1, 8, 11, 300);
  EXPECT_FALSE(ParseResearchPacket(std::span(hullBonus.bytes).first(19), &p));
  const auto moduleBonus = BuildModuleBonusPacket(2, 1, 9, 77);
  EXPECT_FALSE(ParseResearchPacket(std::span(moduleBonus.bytes).first(15), &p));
  EXPECT_FALSE(ParseResearchPacket(std::span(moduleBonus.bytes).first(7), &p));
  PacketImage<20> other(PKT_MODULE_RESEARCH_DONE);
  EXPECT_FALSE(ParseResearchPacket(other.bytes, &p));
}

}  // namespace
