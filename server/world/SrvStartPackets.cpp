#include "server/world/SrvStartPackets.h"

#include <algorithm>
#include <array>
#include <set>

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/net/AsteroidPackets.h"
#include "Game/net/ChapterPackets.h"
#include "Game/net/UnitPackets.h"
#include "Game/rules/GRulesPackets.h"
#include "server/ai/SrvChapterState.h"
#include "server/world/SrvDesignPackets.h"
#include "server/world/SrvScienceBonus.h"

namespace {

template <std::size_t N>
SrvPacket Bytes(const PacketImage<N>& p) {
  return SrvPacket(p.bytes.begin(), p.bytes.end());
}

}  // namespace

SrvPacket BuildSolarSystemPacket(const SrvWorld& world) {
  SolarSystemPacket p;
  p.stars = world.solar.GetStarCount();
  p.orbitDirection = world.solar.orbitDirection;
  p.asteroids = CGSolarDB::GetAsteroidCount();
  p.turn = world.turn;
  p.orbitMotion = world.solar.orbitMotion;
  return Bytes(p.Build());
}

SrvPacket BuildStarPacket(const CGStar& star) {
  StarPacket p;
  star.GetLocation(&p.location);
  p.name = star.name ? star.name.get() : "";
  p.cyclePeak = star.cyclePeak;
  p.baseRadiation = star.baseRadiation;
  p.fluctuation = star.fluctuation;
  p.rising = star.rising;
  return Bytes(p.Build());
}

SrvPacket BuildResourceMixPacket(const SrvWorld& world) {
  ResourceMixPacket p;
  p.rows = static_cast<std::uint8_t>(world.resourceMix.size());
  std::copy(world.resourceMix.begin(), world.resourceMix.end(), p.mix.begin());
  return Bytes(p.Build());
}

SrvPacket BuildAsteroidPacket(const CGAsteroid& a) { return Bytes(AsteroidRecordOf(a).Build()); }

AsteroidWithZonesPacket AsteroidRecordOf(const CGAsteroid& a) {
  AsteroidWithZonesPacket p;
  p.id = a.id;
  p.owner = a.owner;
  p.previousOwner = a.previousOwner;
  p.controller = a.controller;
  p.automanage = a.automanage;
  p.name = a.name ? a.name.get() : "";
  p.sizeClass = a.sizeClass;
  p.composition = a.composition;
  p.orbitKind = a.orbitKind;
  p.spin = a.spin;
  p.thermal = a.thermal;
  p.kinetic = a.kinetic;
  p.zFactor = a.zFactor;
  p.speed = a.speed;
  p.radius1 = a.radius1;
  p.radius2 = a.radius2;
  p.angle = a.angle;
  p.position = a.position;
  p.centres = {a.center1, a.center2};
  std::copy_n(a.ringRotations, kRingCount, p.ringRotations.begin());
  const int zones = std::min<int>(a.GetZoneCount(), AsteroidWithZonesPacket::kZones);
  for (int i = 0; i < zones; ++i) {
    const CGZone* z = a.GetZone(static_cast<std::uint16_t>(i));
    if (z == nullptr) continue;
    AsteroidWithZonesPacket::Zone& to = p.zones[static_cast<std::size_t>(i)];
    to.atvLimit = z->atvLimit;
    to.miningValue = z->miningValue;
    std::copy_n(z->atvCounts, kAtvKinds, to.atvCounts.begin());
    to.status = z->status;
    to.facilityOwner = z->facilityOwner;
    to.facilities = z->facilities;
  }
  return p;
}

SrvPacket BuildChapterStartPacket(const SrvWorld& world, std::uint16_t chapter, const std::string& name) {
  const CGChapter* c = world.Chapter(chapter);
  const ChapterStartPacket p{static_cast<std::uint16_t>(chapter >> 3), static_cast<std::uint16_t>(chapter & 7), name,
                             c != nullptr ? c->homeAsteroid : std::uint16_t{0xFFFF}};
  return Bytes(p.Build());
}

SrvPacket BuildUnitPacket(const CGUnit& unit) {
  UnitEntersPacket p;
  p.chapter = static_cast<std::uint16_t>(unit.GetChapter());
  p.unitId = unit.id;
  p.location = unit.location;
  p.designId = unit.design != nullptr ? unit.design->templateId : 0xFFFFFFFFu;
  return Bytes(p.Build());
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

SrvPacket BuildCreditsPacket(std::uint32_t credits) { return Bytes(CreditsPacket{credits}.Build()); }

SrvPacket BuildPoolPacket(const SrvPool& pool) {
  PoolStatePacket p;
  p.asteroid = pool.asteroid;
  p.storage = pool.storage;
  p.blockade = pool.blockade;
  std::copy_n(pool.minerals, 4, p.minerals.begin());
  return Bytes(p.Build());
}

SrvPacket BuildScoresPacket(const SrvWorld& world) {
  ScoresPacket p;
  std::copy(world.scores.begin(), world.scores.end(), p.scores.begin());
  return Bytes(p.Build());
}

SrvPacket BuildStandingsPacket(const SrvWorld& world) {
  std::array<int, kMaxChapters> owned{}, present{};
  for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i) {
    const CGAsteroid* a = world.solar.GetAsteroid(i);
    if (a == nullptr) continue;
    if (a->owner < kMaxChapters) ++owned[a->owner];
    for (std::uint8_t c = 0; c < kMaxChapters; ++c)
      if (world.HasChapter(c) && a->IsChapterPresent(c) != 0) ++present[c];
  }
  StandingsPacket p;
  for (std::size_t c = 0; c < kMaxChapters; ++c) {
    const auto chapter = static_cast<std::uint16_t>(c);
    StandingsPacket::Row& row = p.rows[c];
    row.owned = static_cast<std::uint8_t>(std::min(owned[c], 255));
    row.present = static_cast<std::uint8_t>(std::min(present[c], 255));
    row.votes = static_cast<std::uint8_t>(std::min(SrvVotesHeld(world, chapter), 255));
    const std::uint32_t ships = world.pieces->CountOwnerUnits(chapter, true);
    row.ships = static_cast<std::uint16_t>(std::min<std::uint32_t>(ships, 0xFFFF));
    row.bonusLimit = SrvScienceBonusLimit(world, chapter);
  }
  return Bytes(p.Build());
}

SrvPacket BuildChapterTraitsPacket(const CGChapter& chapter) {
  ChapterTraitsPacket p;
  for (int t = 0; t < kTraitCount; ++t) p.traits[static_cast<std::size_t>(t)] = chapter.GetTrait(t);
  return Bytes(p.Build());
}

SrvPacket BuildRoomStartPacket() { return Bytes(StartSignalPacket{0}.Build()); }

SrvPacket BuildStartSignalPacket() { return Bytes(StartSignalPacket{1}.Build()); }

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
