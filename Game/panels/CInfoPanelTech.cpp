// The technology page of the info panel: the local guild's modules under or
// after research, in name order, twenty a page, with level, progress,
// successor and the number the local chapter's units carry.
#include <cstdio>
#include <string>

#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GUnit.h"
#include "Game/panels/CInfoPanel.h"
#include "Game/panels/InfoPageDraw.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GUnitTem.h"

using namespace plat;
using namespace infopage;

namespace {

constexpr int kButtonTop = 441, kButtonBottom = 459;

CGModuleDB* Modules() { return g_gameData ? g_gameData->moduleDB.get() : nullptr; }

// A module of the local guild that research has reached.
bool Shown(const CGModuleDB& db, std::uint16_t m) {
  return db.GetGuildIndex(m) == g_gameData->GetLocalGuildIndex() && db.GetResearchPercent(m) != 0;
}

}  // namespace

void CInfoPanel::ResetTechInfo() {
  techFirst = 0xFFFF;
  techNext = 0xFFFF;
  techRows.fill(0xFFFF);
  techHovered = 0xFFFF;
}

void CInfoPanel::CountModulesInUse() {
  CGModuleDB* db = Modules();
  techInUse.assign(db ? db->GetCount() : 0, 0);
  if (!db) return;
  const std::uint16_t local = g_gameData->localChapterId;
  for (std::uint32_t location = 0; location < g_numAsteroids; ++location) {
    const auto at = static_cast<std::uint16_t>(location);
    const std::uint32_t count = g_gameData->pieces.CountOperationalUnits(at, static_cast<std::int16_t>(local));
    for (std::uint32_t k = 0; k < count && k <= 0xFFFF; ++k) {
      const CGUnit* unit = g_gameData->pieces.GetOperationalUnitAt(at, local, static_cast<std::uint16_t>(k));
      const CGUnitTemplate* design = unit ? unit->GetTemplate() : nullptr;
      if (!design) continue;
      // Every slot of the design counts, not only the first ten.
      for (const TemplateModuleSlot& slot : design->slots)
        if (slot.moduleId < techInUse.size()) techInUse[slot.moduleId] += slot.fitted;
    }
  }
}

void CInfoPanel::DrawTechInfo() {
  ResetHotSpots();
  Caption("IDTHEAD1", 30, 7, 100, kWhite);
  Caption("IDTHEAD2", 185, 7, 100, kWhite);
  Caption("IDTHEAD3", 250, 7, 100, kWhite);
  Caption("IDTHEAD4", 340, 7, 100, kWhite);
  Caption("IDTHEAD5", 520, 7, 100, kWhite);
  techRows.fill(0xFFFF);
  techNext = 0xFFFF;
  if (CGModuleDB* db = Modules()) {
    CountModulesInUse();
    const COLORREF pale = GetPaleColor(g_gameData->GetLocalGuildIndex());
    std::uint16_t m = techFirst == 0xFFFF ? db->GetNextByName(kNoModule, 1) : techFirst;
    int row = 0;
    for (int y = 30; y < 330 && m != kNoModule;) {
      if (Shown(*db, m)) {
        techRows[row++] = m;
        const ModuleRecord* record = db->GetRecord(m);
        Write(record ? record->name : "", 10, y, 200, pale);
        Write(std::to_string(record ? record->techLevel : 0), 200, y, 30, pale);
        char percent[16];
        std::snprintf(percent, sizeof percent, "%d%%", db->GetResearchPercent(m));
        Write(percent, 250, y, 50, pale);
        const std::uint16_t next = db->GetSuccessor(m);
        const ModuleRecord* successor = next != kNoModule ? db->GetRecord(next) : nullptr;
        Write(successor ? successor->name : "---", 320, y, 200, pale);
        const std::uint32_t inUse = db->IsResearched(m) && m < techInUse.size() ? techInUse[m] : 0;
        Write(std::to_string(inUse), 530, y, 30, pale);
        y += 15;
      }
      m = db->GetNextByName(m, 1);
      techNext = m;
    }
  }
  for (int y : {4, 24, 337}) Line(5, y, 580, y, kGreen);
  Box(5, 342, 150, 362, kBlack, 35, kGreen);
  Caption("IDTHEADR", 5, 345, 145, kWhite, DT_CENTER);
  Box(450, 342, 580, 362, kBlack, 35, kGreen);
  Caption("INFOPREV", 511, 345, 100, Pick(techFirst != 0xFFFF));
  Caption("INFOMORE", 463, 345, techNext == 0xFFFF ? 100 : 80, Pick(techNext != 0xFFFF));
  hotSpotCount = 2;
}

int CInfoPanel::ClickTechInfo(int x, int y, WPARAM) {
  if (y < kButtonTop || y > kButtonBottom) return 0;
  CGModuleDB* db = Modules();
  if (x >= 493 && x <= 534) {
    if (techNext == 0xFFFF) return 0;
    techFirst = techNext;
    return 1;
  }
  if (x >= 540 && x <= 608) {
    if (!db || techFirst == 0xFFFF) return 1;
    // Back past twenty shown modules, or to the start of the order.
    std::uint16_t m = techFirst;
    for (int passed = 0; passed < kTechRows;) {
      m = db->GetNextByName(m, 0);
      if (m == kNoModule) break;
      if (Shown(*db, m)) ++passed;
    }
    bool earlier = false;
    for (std::uint16_t p = m; p != kNoModule && !earlier;) {
      p = db->GetNextByName(p, 0);
      earlier = p != kNoModule && Shown(*db, p);
    }
    techFirst = earlier ? m : 0xFFFF;
    return 1;
  }
  return 0;
}

void CInfoPanel::HoverTechInfo(int, int y) {
  // The rows as drawn, 15 pixels apart from screen y 128; above them counts
  // as past the table.
  const unsigned row = static_cast<unsigned>(y - 128) / 15;
  const std::uint16_t module = row < kTechRows ? techRows[row] : 0xFFFF;
  if (row >= kTechRows && techHovered == 0xFFFF) return;
  if (row < kTechRows && module == techHovered) return;
  techHovered = module;
  if (module != 0xFFFF)
    PanelFrame().ShowModuleData(0, module, LocalGuild());
  else
    PanelFrame().ClearDataPanel(1);
  PanelFrame().FlushScreen();
}
