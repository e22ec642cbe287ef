// The ship-list page of the info panel: the local chapter's operational
// units, sortable and paged by 14 rows, and the statistics of its designs.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/app/GameView.h"
#include "Game/base/GInstData.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GUnit.h"
#include "Game/panels/CInfoPanel.h"
#include "Game/panels/InfoPageDraw.h"
#include "Game/rules/GTemplateDB.h"
#include "Game/rules/GUnitTem.h"
#include "media/CSprite.h"

using namespace plat;
using namespace infopage;

namespace {

constexpr int kTemplateRows = 18;
constexpr int kFixedTemplates = 15;
constexpr const char* kIcons[5] = {"stgun.ima", "stradar.ima", "stbox.ima", "ststat.ima", "stwrench.ima"};
enum Icon { GUN = 0, RADAR = 1, BOX = 2, STAT = 3, WRENCH = 4, NONE = -1 };
// The icons of each unit class, first to last.
constexpr int kClassIcons[11][3] = {
    {NONE, NONE, NONE}, {STAT, NONE, NONE}, {STAT, GUN, NONE}, {RADAR, NONE, NONE},
    {RADAR, GUN, NONE}, {BOX, NONE, NONE},  {BOX, GUN, NONE},  {WRENCH, NONE, NONE},
    {GUN, NONE, NONE},  {GUN, GUN, NONE},   {GUN, GUN, GUN},
};

const char* AsteroidName(std::uint16_t a) {
  CGAsteroid* rock = g_gameData ? g_gameData->solarDB.GetAsteroid(a) : nullptr;
  const char* name = rock ? rock->GetName() : nullptr;
  return name ? name : "";
}

CGUnit* LiveUnit(std::uint32_t id) { return g_gameData ? g_gameData->pieces.FindUnit(id, nullptr) : nullptr; }

void CopyName(char* out, std::size_t size, const char* text) { std::snprintf(out, size, "%s", text ? text : ""); }

// The page buttons at the bottom left; the current page white.
void DrawPageBox(bool templates) {
  Box(5, 319, 110, 362, kBlack, 35, kGreen);
  Caption("ISLSHPLS", 15, 325, 90, Pick(!templates));
  Caption("ISLTMPLS", 15, 342, 90, Pick(templates));
}

void DrawPagingBox(bool previous, bool more) {
  Box(450, 319, 580, 337, kBlack, 35, kGreen);
  Caption("INFOMORE", 463, 322, 80, Pick(more), DT_CENTER);
  Caption("INFOPREV", 511, 322, 100, Pick(previous), DT_CENTER);
}

}  // namespace

std::uint8_t ShipCondition(std::int32_t power, std::int32_t maxPower, std::uint8_t hullDamage,
                           std::uint8_t lifeDamage) {
  // A unit without power storage counts as out of power.
  const std::int64_t p = maxPower > 0 ? std::int64_t{power} * 100 / maxPower : 0;
  const int hull = 100 - hullDamage;
  const int life = 100 - lifeDamage;
  if (p <= 0 || hull < 20 || life < 20) return 2;
  if (p < 25 || hull < 50 || life < 50) return 1;
  return 0;
}

void CInfoPanel::ResetShipList() {
  shipPosition = 0xFFFF;
  shipEnd = 0;
  shipHovered = nullptr;
  templatePage = 0;
  templateMore = 0;
  shipRowUnits.fill(nullptr);
}

void CInfoPanel::BuildShipList() {
  shipEntries.clear();
  if (!g_gameData) return;
  const std::uint16_t local = g_gameData->localChapterId;
  for (std::uint32_t location = 0; location <= g_numAsteroids; ++location) {
    const auto at = static_cast<std::uint16_t>(location);
    const std::uint32_t count = g_gameData->pieces.CountOperationalUnits(at, static_cast<std::int16_t>(local));
    for (std::uint32_t k = 0; k < count && k <= 0xFFFF; ++k) {
      CGUnit* unit = g_gameData->pieces.GetOperationalUnitAt(at, local, static_cast<std::uint16_t>(k));
      if (!unit) continue;
      ShipListEntry e;
      e.unit = unit;
      e.unitId = unit->id;
      e.location = at;
      const CGUnitTemplate* design = unit->GetTemplate();
      e.unitClass = design ? design->unitClass : 0;
      CopyName(e.designName, sizeof e.designName, design ? design->GetName() : nullptr);
      CopyName(e.unitName, sizeof e.unitName, unit->GetName());
      e.condition =
          ShipCondition(unit->GetPower(), unit->GetMaxPower(), unit->GetHullDamage(), unit->GetLifeSupportDamage());
      shipEntries.push_back(e);
    }
  }
  shipBuiltTurn = g_gameData->turn;
  SortShipList();
}

void CInfoPanel::SortShipList() {
  // The order of an insertion sort that puts each entry before the first
  // earlier one it does not follow: ascending keys, the later of equal keys
  // first. A stable sort of the reversed list gives it in n log n.
  std::reverse(shipEntries.begin(), shipEntries.end());
  const std::uint8_t key = shipSortKey;
  std::stable_sort(shipEntries.begin(), shipEntries.end(), [key](const ShipListEntry& a, const ShipListEntry& b) {
    switch (key) {
      case SORT_LOCATION:
        return a.location < b.location;
      case SORT_NAME:
        return std::strcmp(a.unitName, b.unitName) < 0;
      case SORT_DESIGN:
        return std::strcmp(a.designName, b.designName) < 0;
      case SORT_CLASS:
        return a.unitClass < b.unitClass;
      default:
        return a.condition > b.condition;  // the worst first
    }
  });
}

void CInfoPanel::DrawShipList() {
  if (g_gameData && shipBuiltTurn != g_gameData->turn) BuildShipList();
  if (templateMode) {
    DrawTemplateList();
    return;
  }
  ResetHotSpots();
  Caption("ISL_NAME", 5, 7, 110, kWhite, DT_CENTER, 1, 1);
  Caption("ISLCLASS", 115, 7, 115, kWhite, DT_CENTER, 1, 1);
  Caption("ISL__LOC", 230, 7, 85, kWhite, DT_CENTER, 1, 1);
  Caption("ISLORDER", 315, 7, 200, kWhite, DT_CENTER, 1, 1);
  DrawShipRows();
  DrawPagingBox(shipPosition != 0xFFFF, shipEnd < shipEntries.size());
  Line(5, 3, 580, 3, kGreen);
  Line(5, 23, 580, 23, kGreen);
  Line(5, 314, 580, 314, kGreen);
  for (int x : {115, 230, 315}) Line(x, 5, x, 314, kGreen);
  Box(120, 342, 580, 362, kBlack, 35, kGreen);
  Caption("ISLSORT_", 130, 345, 80, kGreen);
  constexpr struct {
    const char* id;
    int x;
    std::uint8_t key;
  } kKeys[] = {{"ISLSBLOC", 210, SORT_LOCATION},
               {"ISLSBCLS", 300, SORT_DESIGN},
               {"ISLSBNAM", 370, SORT_NAME},
               {"ISLSBTYP", 430, SORT_CLASS},
               {"ISLSBDMG", 490, SORT_CONDITION}};
  for (const auto& k : kKeys) Caption(k.id, k.x, 345, 75, Pick(shipSortKey == k.key));
  DrawPageBox(false);
  // Rows 0..13, then MORE, PREVIOUS, the template page and the five keys.
  auto spot = [&](int i, int left, int top, int right, int bottom) {
    hotSpots[i] = {left + 29, top + 98, right + 29, bottom + 98};
  };
  spot(14, 461, 320, 510, 338);
  spot(15, 510, 320, 580, 338);
  spot(16, 11, 338, 105, 362);
  spot(17, 211, 343, 290, 360);
  spot(18, 301, 343, 360, 360);
  spot(19, 371, 343, 420, 360);
  spot(20, 431, 343, 480, 360);
  spot(21, 491, 343, 536, 360);
  hotSpotCount = 22;
}

void CInfoPanel::DrawShipRows() {
  // The five icons, then the 6 x 12 and 10 x 12 cells they are shrunk into;
  // kept for the next draws, which then make no heap call for them.
  CSprite** icons = shipIcons.data();
  if (!icons[0]) {
    const char* art = g_instData.GetArtPath();
    HMODULE module = g_gameData ? g_gameData->GetImageModule() : nullptr;
    for (int i = 0; i < 5; ++i) {
      const std::string path = std::string(art ? art : "") + kIcons[i];
      icons[i] = new CSprite(owner, path.c_str(), module, 0, 16, 16, 0, 0, 0);
      icons[i]->LoadImage(module);
    }
    icons[5] = new CSprite(owner, "", 0, 6, 12, 0, 0, 1);
    icons[6] = new CSprite(owner, "", 0, 10, 12, 0, 0, 1);
  }
  std::size_t next = shipPosition == 0xFFFF ? 0 : std::size_t{shipPosition} + 1;
  for (int r = 0; r < kShipRows; ++r) {
    if (next < shipEntries.size()) {
      ShipListEntry& e = shipEntries[next++];
      e.unit = LiveUnit(e.unitId);
      shipRowUnits[r] = e.unit;
      hotSpots[r] = {29 + 2, 98 + 30 + 20 * r, 29 + 580, 98 + 30 + 20 * r + 20};
      DrawShipRow(e, r, icons);
    } else {
      shipRowUnits[r] = nullptr;
      hotSpots[r] = kNoHotSpot;
    }
  }
  shipEnd = static_cast<std::uint16_t>(std::min<std::size_t>(next, 0xFFFF));
}

CGUnit* CInfoPanel::ShipRowUnit(int row) {
  const std::size_t index =
      (shipPosition == 0xFFFF ? 0 : std::size_t{shipPosition} + 1) + static_cast<std::size_t>(row);
  if (row < 0 || row >= kShipRows || index >= shipEnd || index >= shipEntries.size()) return nullptr;
  ShipListEntry& e = shipEntries[index];
  e.unit = LiveUnit(e.unitId);
  return shipRowUnits[static_cast<std::size_t>(row)] = e.unit;
}

void CInfoPanel::DrawShipRow(const ShipListEntry& e, int r, CSprite* const icons[7]) {
  const int y = 30 + 20 * r;
  COLORREF colour = GetPaleColor(e.unit ? e.unit->GetGuild() : LocalGuild());
  if (e.unit && e.unit == shipHovered)
    colour = kWhite;
  else if (e.condition == 2)
    colour = 0x3232F0;
  else if (e.condition == 1)
    colour = 0x32DCDC;
  char name[32];
  std::snprintf(name, sizeof name, "%-20.20s", e.unitName);
  Write(name, 2, y, 90, colour, DT_LEFT, 1, 1);

  // The class's icons, shrunk to fit three (or two) in the class column.
  if (e.unitClass <= 10 && screen) {
    const bool guns = e.unitClass >= 8;
    const int width = guns ? 6 : 10;
    for (int i = 0; i < 3; ++i) {
      const int icon = kClassIcons[e.unitClass][i];
      if (icon == NONE) continue;
      CSprite* cell = icons[guns ? 5 : 6];
      cell->FillSurface(0, nullptr);
      icons[icon]->BltToSurfaceStretch(cell, 0, 0, nullptr);
      cell->BltToSurface(screen, 150 + width * i, 130 + 20 * r, nullptr);
    }
  }
  Write(e.designName, 145, y, 80, colour, DT_CENTER);
  Write(e.location >= g_numAsteroids ? Text("ISLINTRN").c_str() : AsteroidName(e.location), 235, y, 80, colour,
        DT_CENTER);

  static std::string order;  // kept from row to row: a redraw makes no heap call for it
  if (!e.unit || e.unit->GetOrderCount() == 0) {
    order = Text("ISLNOORD");
  } else {
    char status[64] = {};
    e.unit->GetOrderStatusText(0, status, sizeof status);
    std::int16_t powerChange = 0;
    std::uint16_t turns = e.unit->GetNumTurnsUntilOrderCompletion(&powerChange);
    if (turns == 0xFFFF) {
      order.assign(status).append(" (").append(Text("ETA_UNKN")).append(")");
    } else {
      if (turns == 0xFFFE) turns = 1;
      order = Text("ISLETA__", status, static_cast<std::int32_t>(turns));
    }
  }
  Write(order, 320, y, 240, colour);
}

void CInfoPanel::DrawTemplateList() {
  ResetHotSpots();
  struct Header {
    const char* id;
    int x;
    int y;
  };
  constexpr Header kHeaders[] = {
      {"ISL_SHIP", 41, 5},   {"ISL_SHIP", 127, 5},  {"ISL_TURN", 187, 5},  {"ISL_NMBR", 233, 5},
      {"ISL_SHOT", 484, 5},  {"ISL_HITS", 535, 5},  {"ISL_NAME", 39, 20},  {"ISL_TYPE", 127, 20},
      {"ISLCREAT", 175, 20}, {"ISLBUILT", 238, 20}, {"ISL_DEAD", 291, 20}, {"ISLKILLS", 338, 20},
      {"ISL_SHOT", 384, 20}, {"ISL_HITS", 440, 20}, {"ISLTAKEN", 484, 20}, {"ISLTAKEN", 536, 20}};
  // Each header starts at its x, just inside its column, and so sits over
  // the column's figures; centred on that x it would run across the column
  // line to its left.
  for (const Header& h : kHeaders) Caption(h.id, h.x, h.y, 60, kWhite, DT_LEFT, 1, 1);

  const std::uint16_t local = LocalChapterId(0);
  const COLORREF colour = GetPaleColor(LocalGuild());
  // The designs that were built, fixed slots first (page 0 only), then the others.
  int row = 0;
  int skip = templatePage * kTemplateRows;
  templateMore = 0;
  auto show = [&](const CGUnitTemplate* t) {
    if (!t || t->creationTurnHigh == 0) return;
    if (skip > 0) {
      --skip;
      return;
    }
    if (row >= kTemplateRows) {
      templateMore = 1;
      return;
    }
    const int y = 15 * (row + 3);
    Write(t->GetName() ? t->GetName() : "", 5, y, 110, colour);
    Write(t->GetClassAbbreviation() ? t->GetClassAbbreviation() : "", 120, y, 50, colour);
    // Turn created, built, dead and kills; shots, hits, shots taken, hits taken.
    const std::uint32_t counters[8] = {t->creationTurn,     t->creationTurnHigh, t->trailingWords[0],
                                       t->trailingWords[1], t->trailingLongs[0], t->trailingLongs[1],
                                       t->trailingLongs[2], t->trailingLongs[3]};
    for (int i = 0; i < 8; ++i) Write(std::to_string(counters[i]), 200 + 50 * i - 20, y, 45, colour, DT_CENTER);
    ++row;
  };
  if (g_gameData) {
    for (int s = 0; s < kFixedTemplates; ++s) show(g_gameData->templates.GetTemplate(local, s, 1));
    for (int i = 0; templateMore == 0; ++i) {
      const CGUnitTemplate* t = g_gameData->templates.GetTemplate(local, i, 0);
      if (!t) break;
      show(t);
    }
  }
  for (int y : {3, 36, 314}) Line(5, y, 580, y, kGreen);
  for (int x : {115, 171, 229, 285, 331, 378, 431, 475, 528}) Line(x, 5, x, 314, kGreen);
  DrawPageBox(true);
  DrawPagingBox(templatePage > 0, templateMore != 0);
}

int CInfoPanel::ClickShipList(int x, int y, WPARAM) {
  const int vx = x - 29;
  const int vy = y - 98;
  if (templateMode) {
    if (vy < 320 || vy >= 337) return 0;
    if (vx > 10 && vx < 105) {
      templateMode = 0;
      return 1;
    }
    if (vx > 460 && vx < 510) {
      if (templateMore) ++templatePage;
      return 1;
    }
    if (vx >= 510 && vx < 580) {
      if (templatePage > 0) --templatePage;
      return 1;
    }
    return 0;
  }
  if (vy >= 31 && vy < 310) {
    // One row geometry for clicks and hover.
    const int row = (y - 128) / 20;
    CGUnit* unit = ShipRowUnit(row);
    if (unit && g_currentView) {
      const ViewType view = unit->location.asteroid >= g_numAsteroids ? VIEW_SOLAR : VIEW_ASTEROID_SPACE;
      g_currentView->GoToView(view, static_cast<LPARAM>(unit->id));
    }
    return 0;
  }
  if (vy >= 320 && vy < 338) {
    if (vx > 460 && vx < 510) {
      if (shipEnd < shipEntries.size()) shipPosition = static_cast<std::uint16_t>(shipEnd - 1);
      return 1;
    }
    if (vx >= 510 && vx < 580) {
      if (shipPosition != 0xFFFF) shipPosition = shipPosition >= kShipRows ? shipPosition - kShipRows : 0xFFFF;
      return 1;
    }
    return 0;
  }
  if (vy >= 338 && vy < 362) {
    if (vx > 10 && vx < 105) {
      templateMode = 1;
      return 1;
    }
    std::uint8_t key = shipSortKey;
    if (vx >= 211 && vx <= 289)
      key = SORT_LOCATION;
    else if (vx >= 301 && vx <= 359)
      key = SORT_DESIGN;
    else if (vx >= 371 && vx <= 419)
      key = SORT_NAME;
    else if (vx >= 431 && vx <= 479)
      key = SORT_CLASS;
    else if (vx >= 491 && vx <= 535)
      key = SORT_CONDITION;
    if (key == shipSortKey) return 0;
    shipSortKey = key;
    SortShipList();
    return 1;
  }
  return 0;
}

void CInfoPanel::HoverShipList(int x, int y) {
  if (templateMode) return;
  const int row = (y - 128) / 20;
  const bool inRows = y >= 128 && row < kShipRows && x > 29 && x < 614;
  CGUnit* unit = inRows ? ShipRowUnit(row) : nullptr;
  if (unit == shipHovered) return;
  shipHovered = unit;
  if (unit)
    PanelFrame().ShowUnitData(unit, unit->location.asteroid);
  else
    PanelFrame().ClearDataPanel(1);
  PanelFrame().RedrawInfoPanel();
}
