// Points the model's link tables at the game data's databases while a game
// exists, and takes them back when it ends. Links that the application or
// the views fill in (sends, boxes, dialogs, redraws) are left as they are.
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GUnit.h"
#include "Game/model/GUnitLinks.h"
#include "Game/model/GUnitWorldLinks.h"
#include "Game/model/GWorldLinks.h"
#include "Game/rules/GRulesLinks.h"
#include "Game/rules/GUnitTem.h"

void CGameData::ConnectLinks() {
  RulesLinks& r = g_rulesLinks;
  r.hullDB = hullDB.get();
  r.moduleDB = moduleDB.get();
  r.textIndex = textIndex.get();
  r.localChapterId = [this] { return localChapterId; };
  r.chapterTrait = [this](std::uint8_t chapter, int trait) {
    const CGChapter* c = guildList->GetChapter(chapter);
    return c != nullptr ? c->GetTrait(trait) : std::uint8_t{0};
  };
  r.allocateId = [this](std::uint8_t chapter) {
    CGChapter* c = guildList->GetChapter(chapter);
    return c != nullptr ? c->AllocateId() : std::uint32_t{chapter} << 26;
  };
  r.currentTurn = [this] { return turn; };
  r.allDesignsVisible = [this] { return allShipsScanned != 0; };
  r.chaptersPerGuild = [this] { return chaptersPerGuild; };
  r.findUnitBuiltFrom = [this](const CGUnitTemplate& design, std::uint8_t chapter) -> CGUnit* {
    for (std::uint32_t at = 0; at <= g_numAsteroids && at < kPieceLocations; ++at) {
      const auto location = static_cast<std::uint16_t>(at);
      const std::uint32_t n = pieces.CountUnits(location, chapter);
      for (std::uint32_t k = 0; k < n; ++k) {
        CGUnit* unit = pieces.GetUnitAt(location, chapter, static_cast<std::uint16_t>(k));
        if (unit != nullptr && unit->GetTemplate() == &design) return unit;
      }
    }
    return nullptr;
  };
  r.guildName = [](int guild) {
    char name[64] = {};
    if (guild >= 0 && guild < kGuildCount) GetGuildName(static_cast<std::uint32_t>(guild), name);
    return std::string(name);
  };

  WorldLinks& w = g_worldLinks;
  w.solarDB = &solarDB;
  w.guildList = guildList.get();
  w.poolDB = &poolDB;
  w.notifications = notifications.get();
  w.resourceMix = [this](std::uint8_t composition, std::uint8_t out[4]) { return GetResourceMix(composition, out); };
  w.allAsteroidsScanned = [this] { return allAsteroidsScanned != 0; };
  w.asteroidsHiddenUntilSeen = [this] { return asteroidsHiddenUntilSeen != 0; };
  w.randomEvents = [this] { return randomEvents != 0; };

  UnitLinks& u = g_unitLinks;
  u.pieces = &pieces;
  u.templates = &templates;
  u.shipDisplaySetting = [this] { return static_cast<int>(shipDisplay); };
  u.selectedUnitMoved = [this](std::uint32_t unitId, std::uint16_t newAsteroid) {
    if (SelectionEntry* e = FindSelectionEntry(SEL_UNIT, unitId)) e->location = newAsteroid;
  };
  u.selectionCount = [this] { return static_cast<int>(selection.size()); };
  u.selectionEntry = [this](int index, std::uint16_t* location, std::uint32_t* unitId) {
    std::uint16_t kind = 0;
    return index >= 0 && GetSelectionAt(static_cast<std::uint32_t>(index), &kind, unitId, location) != 0;
  };
  ConnectUnitAndWorldLinks();
}

void DisconnectGameDataLinks() {
  RulesLinks& r = g_rulesLinks;
  r.hullDB = nullptr;
  r.moduleDB = nullptr;
  r.textIndex = nullptr;
  r.localChapterId = nullptr;
  r.chapterTrait = nullptr;
  r.allocateId = nullptr;
  r.currentTurn = nullptr;
  r.allDesignsVisible = nullptr;
  r.chaptersPerGuild = nullptr;
  r.findUnitBuiltFrom = nullptr;
  r.guildName = nullptr;

  // Everything the game data connected, and nothing the views put there.
  WorldLinks world;
  world.releaseSpriteMover = std::move(g_worldLinks.releaseSpriteMover);
  world.gameSettingsTraits = std::move(g_worldLinks.gameSettingsTraits);
  world.startingResources = std::move(g_worldLinks.startingResources);
  g_worldLinks = std::move(world);

  g_unitLinks = UnitLinks{};
}
