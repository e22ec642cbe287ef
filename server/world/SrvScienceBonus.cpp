#include "server/world/SrvScienceBonus.h"

#include <algorithm>
#include <numeric>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/rules/GRulesPackets.h"

namespace {

// The trait that raises the points each asteroid gives.
constexpr int kBonusPerAsteroidTrait = 12;

}  // namespace

std::uint16_t SrvScienceBonusLimit(const SrvWorld& world, std::uint16_t chapter) {
  const CGChapter* c = world.Chapter(chapter);
  if (c == nullptr) return 0;
  std::uint32_t owned = 0;
  for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i)
    if (const CGAsteroid* a = world.solar.GetAsteroid(i); a != nullptr && a->owner == chapter) ++owned;
  const std::uint32_t points = owned * (kScienceBonusPerAsteroid + c->GetTrait(kBonusPerAsteroidTrait));
  return static_cast<std::uint16_t>(std::min<std::uint32_t>(points, 0xFFFF));
}

std::uint32_t SrvScienceBonusGiven(const SrvWorld& world, std::uint16_t chapter) {
  const SrvGuildResearch& r = world.research[chapter >> 3];
  const std::size_t slot = chapter & 7;
  return std::accumulate(r.moduleBonus[slot].begin(), r.moduleBonus[slot].end(), std::uint32_t{0}) +
         std::accumulate(r.hullBonus[slot].begin(), r.hullBonus[slot].end(), std::uint32_t{0});
}

SrvOrderVerdict SrvTakeScienceBonus(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  ResearchPacket bonus;
  if (!ParseResearchPacket(packet, &bonus)) return SrvOrderVerdict::kTooShort;
  const bool hull = bonus.type == PKT_HULL_SCIENCE_BONUS;
  if (!world.HasChapter(chapter)) return SrvOrderVerdict::kNoChapter;
  const std::size_t guild = chapter >> 3;
  if (bonus.chapterSlot != (chapter & 7) || (hull && bonus.section != guild)) return SrvOrderVerdict::kNotOwner;
  SrvGuildResearch& r = world.research[guild];
  const std::uint16_t item = bonus.item;
  const std::uint16_t points = bonus.value;
  if (!hull) {
    const ModuleRecord* record = world.modules->GetRecord(item);
    if (record == nullptr || (record->guildMask & (1u << guild)) == 0) return SrvOrderVerdict::kBadTarget;
  }
  std::vector<std::uint16_t>& given = (hull ? r.hullBonus : r.moduleBonus)[chapter & 7];
  if (item >= given.size()) return SrvOrderVerdict::kBadTarget;
  const std::uint32_t total = SrvScienceBonusGiven(world, chapter) - given[item] + points;
  if (points > given[item] && total > SrvScienceBonusLimit(world, chapter)) return SrvOrderVerdict::kBadOrder;
  given[item] = points;
  return SrvOrderVerdict::kAccepted;
}
