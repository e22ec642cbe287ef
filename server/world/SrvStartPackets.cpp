#include "server/world/SrvStartPackets.h"

#include <algorithm>
#include <array>
#include <set>

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/rules/GRulesPackets.h"
#include "server/ai/SrvChapterState.h"
#include "server/world/SrvDesignPackets.h"
#include "server/world/SrvScienceBonus.h"

namespace {

// Widths of the text fields, up to the next field of their packet.
constexpr std::size_t kStarNameWidth = 40;
constexpr std::size_t kAsteroidNameWidth = 40;
constexpr std::size_t kChapterNameWidth = 32;
constexpr int kMaxPacketZones = 31;

template <std::size_t N>
SrvPacket Bytes(const PacketImage<N>& p) {
  return SrvPacket(p.bytes.begin(), p.bytes.end());
}

}  // namespace

SrvPacket BuildSolarSystemPacket(const SrvWorld& world) {
  PacketImage<24> p(100);
  p.Put<std::uint16_t>(8, world.solar.GetStarCount());
  p.Put<std::int8_t>(10, world.solar.orbitDirection);
  p.Put<std::uint16_t>(12, CGSolarDB::GetAsteroidCount());
  p.Put<std::uint32_t>(16, world.turn);
  p.Put<std::uint16_t>(20, world.solar.orbitMotion);
  return Bytes(p);
}

SrvPacket BuildStarPacket(const CGStar& star) {
  PacketImage<92> p(110);
  Location at;
  star.GetLocation(&at);
  p.Put<std::uint8_t>(16, static_cast<std::uint8_t>(at.asteroid));
  p.Put<std::int16_t>(18, at.x);
  p.Put<std::int16_t>(20, at.y);
  p.Put<std::int16_t>(22, at.z);
  p.SetText(24, kStarNameWidth, star.name ? star.name.get() : "");
  p.Put<double>(64, star.cyclePeak);
  p.Put<double>(72, star.baseRadiation);
  p.Put<double>(80, star.fluctuation);
  p.Put<std::uint32_t>(88, star.rising);
  return Bytes(p);
}

SrvPacket BuildResourceMixPacket(const SrvWorld& world) {
  PacketImage<92> p(124);
  p.Put<std::uint8_t>(8, static_cast<std::uint8_t>(world.resourceMix.size()));
  for (std::size_t t = 0; t < world.resourceMix.size(); ++t)
    for (std::size_t k = 0; k < 4; ++k) p.Put<std::uint8_t>(10 + 20 * k + t, world.resourceMix[t][k]);
  return Bytes(p);
}

SrvPacket BuildAsteroidPacket(const CGAsteroid& a) {
  PacketImage<520> p(127);
  p.Put<std::uint16_t>(8, a.id);
  p.Put<std::uint16_t>(10, a.owner);
  p.Put<std::uint16_t>(12, a.previousOwner);
  p.Put<std::uint16_t>(14, a.controller);
  p.Put<std::uint8_t>(16, a.automanage);
  p.SetText(17, kAsteroidNameWidth, a.name ? a.name.get() : "");
  p.Put<std::uint8_t>(57, a.sizeClass);
  p.Put<std::uint8_t>(58, a.composition);
  p.Put<std::uint8_t>(59, a.orbitKind);
  p.Put<std::uint8_t>(60, a.spin);
  p.Put<std::uint8_t>(61, a.thermal);
  p.Put<std::uint8_t>(62, a.kinetic);
  p.Put<float>(64, a.zFactor);
  p.Put<float>(68, a.speed);
  p.Put<std::uint16_t>(72, a.radius1);
  p.Put<std::uint16_t>(74, a.radius2);
  p.Put<double>(76, a.angle);
  p.Put<std::int16_t>(84, a.position.x);
  p.Put<std::int16_t>(86, a.position.y);
  p.Put<std::int16_t>(88, a.position.z);
  const Location* centres[] = {&a.center1, &a.center2};
  for (int c = 0; c < 2; ++c) {
    const std::size_t at = 90 + 8 * c;
    p.Put<std::uint8_t>(at, static_cast<std::uint8_t>(centres[c]->asteroid));
    p.Put<std::int16_t>(at + 2, centres[c]->x);
    p.Put<std::int16_t>(at + 4, centres[c]->y);
    p.Put<std::int16_t>(at + 6, centres[c]->z);
  }
  for (int i = 0; i < kRingCount; ++i) p.Put<std::int8_t>(106 + 2 * i, a.ringRotations[i]);
  const int zones = a.GetZoneCount() < kMaxPacketZones ? a.GetZoneCount() : kMaxPacketZones;
  for (int i = 0; i < zones; ++i) {
    const CGZone* z = a.GetZone(static_cast<std::uint16_t>(i));
    if (z == nullptr) continue;
    p.Put<std::uint8_t>(116 + i, z->atvLimit);
    p.Put<std::uint8_t>(147 + i, z->miningValue);
    for (int k = 0; k < kAtvKinds; ++k) p.Put<std::uint8_t>(209 + 31 * k + i, z->atvCounts[k]);
    p.Put<std::uint8_t>(333 + i, z->status);
    p.Put<std::uint8_t>(364 + i, z->facilityOwner);
    p.Put<std::uint32_t>(396 + 4 * i, z->facilities);
  }
  return Bytes(p);
}

SrvPacket BuildChapterStartPacket(const SrvWorld& world, std::uint16_t chapter, const std::string& name) {
  PacketImage<68> p(450);
  p.Put<std::uint16_t>(8, static_cast<std::uint16_t>(chapter >> 3));
  p.Put<std::uint16_t>(10, static_cast<std::uint16_t>(chapter & 7));
  p.SetText(12, kChapterNameWidth, name);
  const CGChapter* c = world.Chapter(chapter);
  p.Put<std::uint16_t>(64, c != nullptr ? c->homeAsteroid : 0xFFFF);
  return Bytes(p);
}

SrvPacket BuildUnitPacket(const CGUnit& unit) {
  PacketImage<28> p(PKT_UNIT);
  p.Put<std::uint16_t>(8, static_cast<std::uint16_t>(unit.GetChapter()));
  p.Put<std::uint32_t>(12, unit.id);
  p.Put<std::uint8_t>(16, static_cast<std::uint8_t>(unit.location.asteroid));
  p.Put<std::int16_t>(18, unit.location.x);
  p.Put<std::int16_t>(20, unit.location.y);
  p.Put<std::int16_t>(22, unit.location.z);
  p.Put<std::uint32_t>(24, unit.design != nullptr ? unit.design->templateId : 0xFFFFFFFFu);
  return Bytes(p);
}

void AppendDesignsAndUnits(const SrvWorld& world, std::vector<SrvPacket>& out) {
  for (std::uint16_t c = 0; c < kMaxChapters; ++c)
    for (int slot = 0; slot < kFixedTemplateSlots; ++slot)
      if (const CGUnitTemplate* t = world.templates->GetTemplate(c, slot, 1)) {
        out.push_back(Bytes(BuildTemplatePacket(*t, static_cast<std::uint16_t>(slot), c)));
        out.push_back(BuildTemplateValuesPacket(*t));
      }
  out.push_back(BuildClassStatRangesPacket(world));
  // A loaded game's units may fly loose designs (bought ships, slots'
  // former designs), which the client has to hold before their units.
  std::set<std::uint32_t> looseTold;
  world.ForEachUnit([&](const CGUnit& u) {
    if (u.design != nullptr && looseTold.insert(u.design->templateId).second)
      for (SrvPacket& p : BuildLooseDesignNews(world, *u.design)) out.push_back(std::move(p));
    out.push_back(BuildUnitPacket(u));
  });
}

SrvPacket BuildCreditsPacket(std::uint32_t credits) {
  PacketImage<12> p(551);
  p.Put<std::uint32_t>(8, credits);
  return Bytes(p);
}

SrvPacket BuildPoolPacket(const SrvPool& pool) {
  PacketImage<32> p(550);
  p.Put<std::uint16_t>(8, pool.asteroid);
  p.Put<std::uint8_t>(10, pool.storage);
  p.Put<std::uint32_t>(12, pool.blockade);
  for (int k = 0; k < 4; ++k) p.Put<std::uint32_t>(16 + 4 * k, pool.minerals[k]);
  return Bytes(p);
}

SrvPacket BuildScoresPacket(const SrvWorld& world) {
  PacketImage<168> p(507);
  for (std::size_t c = 0; c < world.scores.size(); ++c) p.Put<std::uint32_t>(8 + 4 * c, world.scores[c]);
  return Bytes(p);
}

SrvPacket BuildStandingsPacket(const SrvWorld& world) {
  PacketImage<8 + 8 * kMaxChapters> p(505);
  std::array<int, kMaxChapters> owned{}, present{};
  for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i) {
    const CGAsteroid* a = world.solar.GetAsteroid(i);
    if (a == nullptr) continue;
    if (a->owner < kMaxChapters) ++owned[a->owner];
    for (std::uint8_t c = 0; c < kMaxChapters; ++c)
      if (world.HasChapter(c) && a->IsChapterPresent(c) != 0) ++present[c];
  }
  for (std::size_t c = 0; c < kMaxChapters; ++c) {
    p.Put<std::uint8_t>(8 + 8 * c, static_cast<std::uint8_t>(std::min(owned[c], 255)));
    p.Put<std::uint8_t>(9 + 8 * c, static_cast<std::uint8_t>(std::min(present[c], 255)));
    const int votes = SrvVotesHeld(world, static_cast<std::uint16_t>(c));
    p.Put<std::uint8_t>(10 + 8 * c, static_cast<std::uint8_t>(std::min(votes, 255)));
    const std::uint32_t ships = world.pieces->CountOwnerUnits(static_cast<std::uint16_t>(c), true);
    p.Put<std::uint16_t>(12 + 8 * c, static_cast<std::uint16_t>(std::min<std::uint32_t>(ships, 0xFFFF)));
    p.Put<std::uint16_t>(14 + 8 * c, SrvScienceBonusLimit(world, static_cast<std::uint16_t>(c)));
  }
  return Bytes(p);
}

SrvPacket BuildChapterTraitsPacket(const CGChapter& chapter) {
  PacketImage<28> p(PKT_CHAPTER_TRAITS);
  for (int t = 0; t < kTraitCount; ++t) p.Put<std::uint8_t>(8 + static_cast<std::size_t>(t), chapter.GetTrait(t));
  return Bytes(p);
}

SrvPacket BuildRoomStartPacket() { return Bytes(PacketImage<12>(0)); }

SrvPacket BuildStartSignalPacket() {
  PacketImage<12> p(0);
  p.Put<std::uint16_t>(8, 1);
  return Bytes(p);
}

std::vector<SrvPacket> BuildStartSequence(const SrvWorld& world, std::uint16_t chapter,
                                          const std::vector<std::string>& names) {
  std::vector<SrvPacket> out;
  out.push_back(BuildSolarSystemPacket(world));
  for (std::uint16_t s = 0; s < world.solar.GetStarCount(); ++s)
    if (const CGStar* star = world.solar.GetStar(s)) out.push_back(BuildStarPacket(*star));
  out.push_back(BuildResourceMixPacket(world));
  for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i)
    if (const CGAsteroid* a = world.solar.GetAsteroid(i)) out.push_back(BuildAsteroidPacket(*a));
  for (std::uint16_t c = 0; c < kMaxChapters; ++c)
    if (world.HasChapter(c)) out.push_back(BuildChapterStartPacket(world, c, c < names.size() ? names[c] : ""));
  const CGChapter* own = world.Chapter(chapter);
  if (own != nullptr) out.push_back(BuildChapterTraitsPacket(*own));
  AppendDesignsAndUnits(world, out);
  out.push_back(BuildCreditsPacket(own != nullptr ? own->credits : 0));
  if (own != nullptr && own->homeAsteroid < CGSolarDB::GetAsteroidCount())
    out.push_back(BuildPoolPacket(world.Pool(own->homeAsteroid)));
  out.push_back(BuildStandingsPacket(world));
  out.push_back(BuildScoresPacket(world));
  out.push_back(BuildStartSignalPacket());
  return out;
}
