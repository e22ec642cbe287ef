#include "server/world/SrvDesignPackets.h"

#include <algorithm>
#include <array>

#include "Game/base/Packets.h"
#include "Game/net/ChapterPackets.h"
#include "Game/rules/GRulesPackets.h"
#include "Game/rules/GTemplateDB.h"
#include "Game/rules/GUnitClass.h"
#include "Game/rules/GUnitTem.h"

namespace {

constexpr int kStats = kClassStatCount / 2;

std::array<std::uint32_t, kStats> StatsOf(const CGUnitTemplate& t) {
  std::array<std::uint32_t, kStats> s{};
  s[0] = static_cast<std::uint32_t>(t.GetLocalSpeedScaled() * 100.0);
  s[1] = t.GetDeepSpaceSpeed();
  s[2] = t.mass;
  s[4] = t.atvCapacity;
  s[5] = t.construction;
  s[6] = t.survey;
  s[7] = t.powerStorage;
  s[8] = t.powerGeneration;
  s[9] = t.transferRate;
  s[10] = t.powerUse;
  s[11] = t.attack;
  s[12] = t.stealth;
  s[13] = t.tracking;
  s[14] = t.activeDefence;
  for (int k = 0; k < 5; ++k) s[15 + static_cast<std::size_t>(k)] = t.costs[k];
  s[20] = t.buildPoints;
  s[21] = t.damageControl;
  return s;
}

std::uint16_t Clamped(std::uint32_t v) { return static_cast<std::uint16_t>(std::min<std::uint32_t>(v, 0xFFFF)); }

}  // namespace

std::optional<SrvPacket> BuildLooseDesignPacket(const SrvWorld& world, const CGUnitTemplate& design) {
  std::uint16_t slot = kNotFixedSlot;
  if (world.templates->FindTemplate(design, design.chapter, &slot) != nullptr && slot != kNotFixedSlot)
    return std::nullopt;
  const auto p = BuildTemplatePacket(design, kNotFixedSlot, design.chapter);
  return SrvPacket(p.bytes.begin(), p.bytes.end());
}

SrvPacket BuildTemplateValuesPacket(const CGUnitTemplate& design) {
  TemplateValuesPacket values;
  values.designId = design.templateId;
  values.creationTurn = design.creationTurn;
  values.creationTurnHigh = design.creationTurnHigh;
  std::copy_n(design.trailingWords, values.words.size(), values.words.begin());
  std::copy_n(design.trailingLongs, values.longs.size(), values.longs.begin());
  const auto p = values.Build();
  return SrvPacket(p.bytes.begin(), p.bytes.end());
}

std::vector<SrvPacket> BuildDesignValuesNews(const SrvWorld& world, const CGUnitTemplate& design) {
  std::vector<SrvPacket> news;
  if (auto announced = BuildLooseDesignPacket(world, design)) news.push_back(std::move(*announced));
  news.push_back(BuildTemplateValuesPacket(design));
  return news;
}

std::vector<SrvPacket> BuildLooseDesignNews(const SrvWorld& world, const CGUnitTemplate& design) {
  std::vector<SrvPacket> news;
  if (auto announced = BuildLooseDesignPacket(world, design)) {
    news.push_back(std::move(*announced));
    news.push_back(BuildTemplateValuesPacket(design));
  }
  return news;
}

SrvPacket BuildClassStatRangesPacket(const SrvWorld& world) {
  std::array<std::array<std::uint32_t, kStats>, kUnitClassCount> low{}, high{};
  std::array<bool, kUnitClassCount> any{};
  for (int c = 0; c < kTemplateChapters; ++c)
    for (int slot = 0; slot < kFixedTemplateSlots; ++slot) {
      const CGUnitTemplate* t = world.templates->GetTemplate(c, slot, 1);
      if (t == nullptr || t->unitClass >= kUnitClassCount) continue;
      const auto stats = StatsOf(*t);
      const std::size_t k = t->unitClass;
      for (std::size_t s = 0; s < stats.size(); ++s) {
        low[k][s] = any[k] ? std::min(low[k][s], stats[s]) : stats[s];
        high[k][s] = any[k] ? std::max(high[k][s], stats[s]) : stats[s];
      }
      any[k] = true;
    }
  PacketImage<8 + kClassStatRangesSize> p(PKT_CLASS_STAT_RANGES);
  for (std::size_t k = 0; k < kUnitClassCount; ++k)
    for (std::size_t s = 0; s < kStats; ++s) {
      const std::size_t record = 8 + k * 2 * kClassStatCount;
      p.Put<std::uint16_t>(record + 2 * s, Clamped(low[k][s]));
      p.Put<std::uint16_t>(record + 2 * (kStats + s), Clamped(high[k][s]));
    }
  return SrvPacket(p.bytes.begin(), p.bytes.end());
}
