// Packets 502 to 509 and 1500 to 1502: the turn's results, replays and
// notifications.
#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GNotifyCodes.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/net/NetHandlers.h"
#include "Game/net/ReplayFile.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"

namespace {

constexpr std::uint16_t kResearched = 10000;

bool AsteroidPower(const PacketContext& p) {
  CGAsteroid* a = p.game->solarDB.GetAsteroid(p.U16(8));
  if (a == nullptr) return Refuse(p, "Unknown asteroid");
  a->SetCompositionType(p.U8(10));
  a->SetPowerCoefficients(p.U8(11), p.U8(12), p.U8(13));
  a->detected = 1;
  return true;
}

bool ReplayData(const PacketContext& p) {
  if (p.bytes.size() < kReplayDataOffset + p.U16(12)) return Refuse(p, "Replay part longer than its packet");
  g_replayWriter.AddPart(p.bytes);
  return true;
}

bool ModuleResearch(const PacketContext& p) {
  ModuleRecord* m = p.game->moduleDB->GetRecord(p.U16(8));
  if (m == nullptr) return Refuse(p, "Unknown module");
  m->researchPoints = p.U16(10);
  m->researchWord = p.U16(12);
  return true;
}

bool Standings(const PacketContext& p) { return p.game->StoreTurnStandings(p.bytes); }

bool Scores(const PacketContext& p) {
  for (int c = 0; c < kMaxChapters; ++c) p.game->scores[c] = p.U32(8 + 4 * c);
  return true;
}

bool ClassStats(const PacketContext& p) {
  return p.game->templates.SetClassStatRanges(p.bytes) != 0 || Refuse(p, "Short class statistics");
}

CGHull* LocalHull(const PacketContext& p) { return p.game->hullDB->GetHull(p.game->GetLocalGuildIndex(), p.U16(8)); }

bool HullResearch(const PacketContext& p) {
  CGHull* hull = LocalHull(p);
  if (hull == nullptr) return Refuse(p, "Unknown hull");
  hull->researchPoints = p.U16(10);
  hull->researchWord = p.U16(12);
  return true;
}

bool ModuleResearched(const PacketContext& p) {
  ModuleRecord* m = p.game->moduleDB->GetRecord(p.U16(8));
  if (m == nullptr) return Refuse(p, "Unknown module");
  m->researchPoints = kResearched;
  p.game->notifications->Add(p.game->localChapterId, notify::kGameEvent, notify::kResearchComplete, nullptr, nullptr,
                             p.U16(8), 0, 0xFFFFFFFFu);
  return true;
}

bool HullResearched(const PacketContext& p) {
  CGHull* hull = LocalHull(p);
  if (hull == nullptr) return Refuse(p, "Unknown hull");
  hull->researchPoints = kResearched;
  p.game->notifications->Add(p.game->localChapterId, notify::kGameEvent, notify::kHullResearched, nullptr, nullptr,
                             hull->unitClass, 0, 0xFFFFFFFFu);
  return true;
}

bool AsteroidKnown(const CGameData& g, std::uint32_t index) {
  const CGAsteroid* a = g.solarDB.GetAsteroid(index);
  return a == nullptr || a->detected != 0;
}

// The side effects a notification carries; false when it is not to be listed.
bool ApplyNotification(const PacketContext& p, std::uint16_t category, std::uint16_t code, std::uint16_t& p1,
                       std::uint32_t p2, std::uint32_t p3) {
  CGameData& g = *p.game;
  if (category == notify::kGameEvent && code == notify::kChapterEliminated) {
    const std::uint8_t chapter = static_cast<std::uint8_t>(p2);
    if (chapter >= kMaxChapters) return Refuse(p, "Chapter outside the table");
    for (std::uint32_t at = 0; at <= g_numAsteroids && at < kPieceLocations; ++at) {
      const auto location = static_cast<std::uint16_t>(at);
      // Marking a unit unoperational moves it behind the operational ones.
      for (std::uint32_t n = g.pieces.CountOperationalUnits(location, chapter); n > 0; --n) {
        CGUnit* unit = g.pieces.GetOperationalUnitAt(location, chapter, 0);
        if (unit == nullptr) break;
        g.pieces.MarkUnitUnoperational(unit);
      }
    }
    g.solarDB.ReleaseZonesOfChapter(chapter);
  } else if (category == notify::kGameEvent && code == notify::kAsteroidsCollided) {
    if (g.asteroidsHiddenUntilSeen != 0 && (!AsteroidKnown(g, p2 & 0xFFFF) || !AsteroidKnown(g, p1))) return false;
  } else if (category == notify::kGameEvent && code == notify::kAtvsUpgraded) {
    if (p1 >= 1 && p1 <= 4) {
      if (CGChapter* c = p2 < kMaxChapters ? g.guildList->GetChapter(p2) : nullptr)
        c->UpgradeATVTechLevel(static_cast<std::uint8_t>(p1 - 1));
    }
    return p2 == g.localChapterId;
  } else if (category == notify::kGameEvent && code == notify::kAutomanageOff) {
    if (CGAsteroid* a = g.solarDB.GetAsteroid(p2 & 0xFFFF)) a->SetAutomanage(0, 0);
  } else if (category == notify::kUnitEvent && code == notify::kOrderDone) {
    std::uint16_t at = 0;
    const CGUnit* unit = g.pieces.FindUnit(p3, &at);
    if (unit != nullptr && unit->statusWord != 0 && p2 == ORDER_BE_CONSTRUCTED) p1 = 1;
  } else if (category == notify::kUnitEvent && code == notify::kAtvsBuilt && ((p1 & 0xFF) == 0 || (p1 & 0xFF) == 2)) {
    // Parameter 1 carries what was built in its low byte and the zone in its
    // high byte (offset 141); the asteroid stands in the high half of
    // parameter 2.
    const CGAsteroid* a = g.solarDB.GetAsteroid(p2 >> 16);
    CGZone* zone = a != nullptr ? a->GetZone(static_cast<std::uint16_t>(p1 >> 8)) : nullptr;
    if (zone != nullptr && zone->atvConstruction) {
      for (int i = 0; i < 4; ++i) zone->atvConstruction[i] = static_cast<std::uint8_t>(p3 >> (24 - 8 * i));
    }
  }
  return true;
}

bool NotificationArrived(const PacketContext& p) {
  const std::uint16_t category = p.U16(8), code = p.U16(10);
  if (static_cast<std::int16_t>(category) > 6) return true;
  std::uint16_t p1 = p.U16(140);
  const std::uint32_t p2 = p.U32(144), p3 = p.U32(148);
  if (!ApplyNotification(p, category, code, p1, p2, p3)) return true;
  char text1[65], text2[65];
  p.game->notifications->Add(p.game->localChapterId, category, code, p.Text(12, 64, text1), p.Text(76, 64, text2), p1,
                             p2, p3);
  return true;
}

constexpr HandlerEntry kHandlers[] = {
    {PKT_ASTEROID_POWER, 14, true, AsteroidPower},
    {PKT_REPLAY_DATA, kReplayDataOffset, false, ReplayData},
    {PKT_MODULE_RESEARCH, 14, true, ModuleResearch},
    {PKT_TURN_STANDINGS, kStandingsPacketSize, true, Standings},
    {PKT_CHAPTER_SCORES, 8 + 4 * kMaxChapters, true, Scores},
    {PKT_CLASS_STAT_RANGES, 8, true, ClassStats},
    {PKT_HULL_RESEARCH, 14, true, HullResearch},
    {PKT_NOTIFICATION, 152, true, NotificationArrived},
    {PKT_MODULE_RESEARCH_DONE, 10, true, ModuleResearched},
    {PKT_HULL_RESEARCH_DONE, 10, true, HullResearched},
};

}  // namespace

std::span<const HandlerEntry> TurnHandlers() { return kHandlers; }
