// The read-outs of places: an asteroid (with the selection's travel estimate
// to it), a zone of its surface in three modes, a star, and the guilds.
#include <algorithm>
#include <cmath>

#include "Game/app/AppGlobals.h"
#include "Game/app/GameView.h"
#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGamePieceDB.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GPoolDB.h"
#include "Game/model/GSolarSys.h"
#include "Game/model/GStar.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/panels/CVData.h"
#include "Game/panels/CVDataText.h"
#include "Game/rules/GModuleDB.h"
#include "media/CSprite.h"
#include "platform/resource/module.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"

using namespace plat;
using namespace datapanel;

namespace {

constexpr std::uint16_t kNoTurns = 0xFFFF;
constexpr int kTurnsTooFar = -19;
const char* const kMineralLabels[4] = {"METALS__", "SILICAT_", "EXOTIC__", "REACTIVE"};
const char* const kAtvLabels[4] = {"COMBATVS", "MINGATVS", "POWRATVS", "SDBKATVS"};
const char* const kKindLabels[4] = {"COMBAT__", "MINING__", "POWER___", "SEEDBANK"};
constexpr COLORREF kGuildListColours[5] = {0xBEBEFF, 0xBEFFBE, 0xFFD7D7, 0xBEFFFF, 0xFFBEFF};

// The colour of a place owned by `owner` (a chapter number; anything else is nobody's).
COLORREF OwnerColour(std::uint32_t owner) {
  return owner < static_cast<std::uint32_t>(kMaxChapters) ? GetPaleColor(owner >> 3) : kPaleYellow;
}

CGUnit* SelectedUnit(std::uint32_t index) {
  std::uint16_t kind = 0;
  std::uint32_t id = 0;
  std::uint16_t location = 0;
  if (!g_gameData || !g_gameData->GetSelectionAt(index, &kind, &id, &location) || kind != 2) return nullptr;
  if (CGUnit* unit = g_gameData->pieces.FindUnitAt(location, id)) return unit;
  return g_gameData->pieces.FindUnit(id, nullptr);
}

bool ZoneHasNoData(CGAsteroid* asteroid) {
  const CGZone* centre = asteroid->GetZone(0);
  return !centre || centre->owner == kZoneUnknown;
}

std::int32_t PropulsionPowerUse(const CGUnit* unit) {
  return static_cast<std::int32_t>(unit->GetModulePowerUse(MODULE_PROPULSION, 0xFFFF, 0xFFFF));
}

// The zone the zone read-outs show, or null. An asteroid with fewer zones than
// the zone number, and a zone at or past the count, show nothing.
CGZone* ShownZone(std::uint32_t zoneNumber, std::uint32_t zone, CGAsteroid* asteroid) {
  if (!asteroid) return nullptr;
  const auto count = static_cast<std::uint32_t>(asteroid->GetZoneCount());
  if (count < zoneNumber || zone >= count) return nullptr;
  return asteroid->GetZone(static_cast<std::uint16_t>(zone));
}

}  // namespace

std::uint16_t CVData::GetSelectionEta(int targetKind, std::uint32_t target, std::int32_t* failure,
                                      std::int32_t* powerNeed) {
  if (failure) *failure = 0;
  if (powerNeed) *powerNeed = 0;
  if (!g_gameData) return kNoTurns;
  const bool ctrl = (GetKeyState(static_cast<int>(VK_CONTROL)) & 0x8000) != 0;
  const std::uint32_t count = g_gameData->GetSelectionCount();
  CGUnit* targetUnit = targetKind == 2 ? g_gameData->pieces.FindUnit(target, nullptr) : nullptr;
  // The estimate is for the order a click on the asteroid gives: in the
  // asteroid's own space a move next to it, which approaches its centre;
  // elsewhere a move to it, which a unit already there has finished.
  const bool approach = g_currentView != nullptr && g_currentView->GetViewType() == VIEW_ASTEROID_SPACE;
  std::uint32_t best = 0;
  bool found = false;
  CGUnit* bestUnit = nullptr;
  for (std::uint32_t i = 0; i < count; ++i) {
    CGUnit* unit = SelectedUnit(i);
    if (!unit || (ctrl && unit->GetOrderCount() == 0)) continue;
    std::int32_t code = 0;
    std::uint32_t turns;
    if (targetKind != 2 && unit->location.asteroid == target && !approach) {
      turns = 0;
    } else if (targetKind != 2) {
      turns = unit->GetTurnsToAsteroid(static_cast<std::uint16_t>(target), &code);
    } else if (count == 1 && unit == targetUnit) {
      turns = 0;
    } else if (targetUnit) {
      turns = unit->GetTurnsToLocation(&targetUnit->location, 1, kApproachRangeSq, &code);
    } else {
      turns = kUnreachable;
    }
    if (code != 0 && failure) *failure = code;
    if (turns >= kNoTurns) continue;
    if (!found || turns > best) {
      best = turns;
      bestUnit = unit;
      found = true;
    }
  }
  if (!found) return kNoTurns;
  if (powerNeed && bestUnit) {
    const std::int32_t turns = static_cast<std::int32_t>(best);
    std::int32_t need = PropulsionPowerUse(bestUnit) * turns * 8;
    const std::int32_t generated = bestUnit->GetPowerGeneration() * turns;
    if (generated < need) need -= generated;
    if (need <= bestUnit->GetPower()) *powerNeed = need;
  }
  return static_cast<std::uint16_t>(best);
}

int CVData::ShowMoveFailure(int row, char* buffer, std::int32_t failure, int rows) {
  std::string text;
  if (failure == -23)
    text = Text("FAILNOSP");
  else if (failure == -19)
    text = Text("FAILTURN");
  else if (failure == -11)
    text = Text("FAILNOMV");
  else if (failure == -10)
    text = Text("FAILSPED");
  else if (failure == -9)
    text = Text("FAILBOXD");
  else if (failure == -24 || (failure >= -18 && failure <= -12) || (failure >= -8 && failure <= -1))
    text = Text("FAILIMPL", failure);
  else
    return 0;
  if (buffer) std::snprintf(buffer, 128, "%s", text.c_str());
  return AddRowWrapped(row, 0, text, kRed, 0, 0, rows);
}

void CVData::ShowAsteroidData(std::uint16_t number, int noEta) {
  if (g_instData.GetArtPath()[0] == '\0' || !g_gameData) return;
  CGAsteroid* asteroid = g_gameData->solarDB.GetAsteroid(number);
  if (!asteroid) {
    TraceError("no such asteroid", __FILE__, __LINE__);
    return;
  }
  Clear(0);
  const COLORREF colour = OwnerColour(asteroid->owner);
  const COLORREF local = GetPaleColor(static_cast<std::uint32_t>(LocalGuild()));
  const auto label = [&](int row, const std::string& text, COLORREF c) {
    AddRow(static_cast<std::uint16_t>(row), text.c_str(), c, 0);
  };
  const auto value = [&](int row, int column, const std::string& text, COLORREF c) {
    AddRowText(static_cast<std::uint16_t>(row), static_cast<std::uint8_t>(column), text.c_str(), c, 0);
  };

  // Head: the vote, or the selection's travel estimate. Its second entry (a
  // long name, a failure) may run on into the rows the read-out leaves empty
  // at its bottom, and the rest moves down with it.
  const std::uint8_t storage = number < kMaxAsteroids ? g_gameData->poolDB.GetStorageFacilities(number) : 0;
  const int bodyRows = storage ? 17 : 14;
  const int headRows = kDataRows - 1 - bodyRows;
  int b = 1;  // the head's last row
  if (g_gameData->GetSelectionCount() == 0 || noEta) {
    label(0, Text("DATAVOTE"), colour);
    const std::uint16_t holder = asteroid->controller;
    std::string text;
    if (holder == 0xFFFF)
      text = Text("VOTUNOWN");
    else if (holder < 1000)
      text = ChapterName(holder);
    else if (holder == 0xFFFE)
      text = Text("SALEPEND");
    else
      text = Text("OWNDBYGD");
    b = std::max(1, AddRowWrapped(1, 15, text, colour, 15, 0, headRows));
  } else {
    std::int32_t failure = 0;
    std::int32_t need = 0;
    const std::uint16_t turns = GetSelectionEta(0, number, &failure, &need);
    if (turns == kNoTurns) {
      if (failure == kTurnsTooFar) {
        label(0, "ETA: > 255 turns", kRed);
      } else {
        label(0, "ETA: Unreachable", kRed);
        char buffer[128] = {};
        b = std::max(1, ShowMoveFailure(1, buffer, failure, headRows));
      }
    } else {
      CGUnit* first = SelectedUnit(0);
      COLORREF etaColour = kGreen;
      if (first && turns != 0) {
        const std::int32_t drain = (PropulsionPowerUse(first) * 8 - first->GetPowerGeneration()) * turns;
        if (drain >= first->GetPower()) etaColour = kRed;
      }
      label(0, Format("ETA : %d turns", turns), etaColour);
      if (first && turns != 0) {
        char buffer[128] = {};
        ShowPowerState(1, buffer, turns, first, static_cast<std::int16_t>(std::clamp(-need, -32768, 32767)), kGreen);
      }
    }
  }

  // The asteroid itself.
  DrawRowLine(b + 1, colour);
  // A label and its value, kept apart.
  const auto pair = [&](int row, const std::string& text, int column, const std::string& figure) {
    label(row, text, colour);
    AddRowValue(row, column, figure, colour, kDataLeft + TextWidth(text));
  };
  char size[32] = {};
  asteroid->GetSizeText(size);
  pair(b + 1, Text("SIZE____"), 55, size);
  std::string orbit;
  if (asteroid->orbitKind == ORBIT_OSCILLATING) {
    orbit = Text("ELLIPTIC");
  } else if (CGStar* star = g_gameData->solarDB.GetStarOfAsteroid(asteroid)) {
    orbit = star->GetName();
  }
  pair(b + 2, Text("ORBIT___"), 55, orbit);
  pair(b + 3, Text("SOLARYER"), 55,
       g_gameData->solarDB.orbitMotion == 0 ? std::string("???") : Text("TURNS___", asteroid->GetOrbitPeriod()));
  const bool noData = ZoneHasNoData(asteroid);
  pair(b + 4, Text("ECONCLAS"), 90, noData ? std::string("???") : std::string(asteroid->GetCompositionCode()));
  // Each guild sees the one coefficient its power comes from.
  const char* coefficient = nullptr;
  int figure = 0;
  switch (LocalGuild()) {
    case 4:
      coefficient = "SPINCOEF";
      figure = asteroid->spin;
      break;
    case 2:
      coefficient = "THERCOEF";
      figure = asteroid->GetThermalCoefficient();
      break;
    case 1:
      coefficient = "KINECOEF";
      figure = asteroid->kinetic;
      break;
    case 3:
      coefficient = "RADICOEF";
      figure = asteroid->GetRadiationCoefficient();
      break;
    default:
      break;
  }
  if (coefficient) pair(b + 5, Text(coefficient), 90, noData ? std::string("???") : Format("%d", figure));

  // The local chapter's output here, then its pool.
  DrawRowLine(b + 6, colour);
  const std::uint16_t chapter = LocalChapterId();
  label(b + 6, Text("OUTPUT__"), local);
  std::uint16_t mined[4] = {};
  asteroid->GetChapterMiningOutput(chapter, &mined[0], &mined[1], &mined[2], &mined[3]);
  value(b + 7, 15, Text("POWER___"), local);
  value(b + 7, 90, Format("%u", asteroid->GetChapterPowerOutput(chapter)), local);
  for (int m = 0; m < 4; ++m) {
    value(b + 8 + m, 15, Text(kMineralLabels[m]), local);
    value(b + 8 + m, 90, Format("%u", mined[m]), local);
  }
  DrawRowLine(b + 12, colour);
  label(b + 12, Text("LOCLPOOL"), local);
  int row = b + 13;
  if (storage) {
    value(b + 12, 90, Format("(%d)", storage), local);
    for (int m = 0; m < 4; ++m, ++row) {
      value(row, 15, Text(kMineralLabels[m]), local);
      value(row, 90, Format("%u", g_gameData->poolDB.GetMineral(number, static_cast<std::uint32_t>(m))), local);
    }
  } else {
    value(row++, 15, Text("NONE____"), local);
  }
  DrawRowLine(row, colour);
  label(row, Text("TRNLSTUP", asteroid->GetLastScanTurn()), colour);

  // Picture and captions.
  const int n = number % 16 + 1;
  char file[300];
  std::snprintf(file, sizeof file, n < 10 ? "%sasteroid\\ast0%d_ds.ima" : "%sasteroid\\ast%d_ds.ima",
                g_instData.GetArtPath(), n);
  if (!asteroidPictures) {
    char modulePath[300];
    g_instData.BuildPath(modulePath, "asneex.dll", INSTPATH_ART);
    asteroidPictures = LoadLibrary(modulePath);
  }
  DrawPictureFile(file, asteroidPictures, false);
  DrawCaption(asteroid->GetName(), colour, 1);
  const bool owned = asteroid->owner < static_cast<std::uint16_t>(kMaxChapters);
  DrawCaption(owned ? ChapterName(asteroid->owner) : Text("UNOWNED_").c_str(), colour, 0);
}

void CVData::ShowZoneInfo(std::uint32_t zoneNumber, std::uint32_t zone, CGAsteroid* asteroid, CGUnit* cargo,
                          CSprite* const icons[4], int force) {
  if (!force && zoneNumber == zoneKey && zone == zoneIndex) return;
  zoneKey = zoneNumber;
  zoneIndex = zone;
  switch (zoneMode) {
    case 0:
      ShowZoneReadout(zoneNumber, zone, asteroid, cargo);
      break;
    case 1:
      ShowAtvTechTable(icons);
      break;
    default:
      ShowFacilityReadout(zoneNumber, zone, asteroid, icons);
      break;
  }
  // The read-out's clear without a fixed picture forgets the zone; it is the one shown now.
  zoneKey = zoneNumber;
  zoneIndex = zone;
  Flush();
}

void CVData::ShowZoneReadout(std::uint32_t zoneNumber, std::uint32_t zone, CGAsteroid* asteroid, CGUnit* cargo) {
  CGZone* z = ShownZone(zoneNumber, zone, asteroid);
  if (!z) return;
  Clear(1);
  const std::uint8_t owner = z->owner;
  const COLORREF colour = owner == kZoneUnknown || owner == kZoneNobody ? kPaleYellow : OwnerColour(owner);
  const auto label = [&](int row, int column, const std::string& text) {
    if (column == 0)
      AddRow(static_cast<std::uint16_t>(row), text.c_str(), colour, 0);
    else
      AddRowText(static_cast<std::uint16_t>(row), static_cast<std::uint8_t>(column), text.c_str(), colour, 0);
  };
  AddRow(0, asteroid->GetName(), colour, kRowCentre);
  int next;
  if (owner == kZoneUnknown) {
    label(2, 0, Text("NODATAVL"));
    next = 3;
  } else {
    // An owner's name too wide to stand beside its label wraps there: the
    // heading and the owner move up into the empty row below the asteroid's
    // name, then the rows below them down into the one above the output; past
    // those the name is cut short.
    const std::string ownerName = owner == kZoneNobody ? Text("UNOCCUPD") : std::string(ChapterName(owner));
    const int ownerRows = std::max(1, static_cast<int>(WrapLines(ownerName, 55, 55, 0, 3).size()));
    int row = ownerRows == 1 ? 2 : 1;
    label(row++, 0, Text("ZONEINFO"));
    label(row, 0, Text("OWNER___"));
    AddRowWrapped(row, 55, ownerName, colour, 55, 0, 3);
    row += ownerRows;
    label(row, 0, Text("ATVLIMIT"));
    label(row++, 95, Format("%d", z->atvLimit));
    label(row, 0, Text("MINNGVAL"));
    label(row, 95, Format("%d", z->miningValue));
    label(7, 0, Text("CRTOUTPT"));
    label(8, 10, Text("POWER___"));
    label(8, 95, Format("%u", asteroid->GetZonePowerOutput(owner, static_cast<std::uint16_t>(zone), 0)));
    std::uint16_t mined[4] = {};
    if (owner == LocalChapterId()) z->GetMiningOutput(&mined[0], &mined[1], &mined[2], &mined[3]);
    const int trait = Trait(13);
    for (int m = 0; m < 4; ++m) {
      long shownValue = mined[m];
      if (trait != 0) shownValue = std::lround(mined[m] * (1.0 + trait / 100.0));
      label(9 + m, 10, Text(kMineralLabels[m]));
      label(9 + m, 95, Format("%ld", shownValue));
    }
    label(14, 0, Text("ATVCURAR"));
    for (int k = 0; k < 4; ++k) {
      const auto kind = static_cast<std::uint8_t>(k);
      label(15 + k, 10, Text(kAtvLabels[k]));
      // Right-aligned in their column, clear of the longest label.
      AddRowText(static_cast<std::uint16_t>(15 + k), 95,
                 Format("%d / %d", z->GetAtvCount(kind), z->GetArrivingAtvCount(0, kind)).c_str(), colour, kRowRight);
    }
    next = 19;
  }
  if (!cargo) return;
  const int row = next + 2;
  label(row, 0, Text("UNITHAS_"));
  for (int k = 0; k < 4; ++k) {
    label(row + 1 + k, 10, Text(kAtvLabels[k]));
    label(row + 1 + k, 95, Format("%d", cargo->atvCargo[static_cast<std::size_t>(k)]));
  }
}

void CVData::ShowAtvTechTable(CSprite* const icons[4]) {
  Clear(1);
  const COLORREF colour = GetPaleColor(static_cast<std::uint32_t>(LocalGuild()));
  const CGChapter* chapter = LocalChapter();
  for (int k = 0; k < 4 && chapter; ++k) {
    const std::uint8_t* s = chapter->GetATVTechStats(k);
    if (!s) continue;
    for (int f = 0; f < 4; ++f) {
      const auto row = static_cast<std::uint16_t>(5 * k + f);
      AddRowText(row, 35, Text(kKindLabels[f]).c_str(), colour, 0);
      AddRowText(row, 90, Format("%d", s[f]).c_str(), colour, kRowRight);
    }
    AddRowText(static_cast<std::uint16_t>(5 * k + 3), 10, Format("%c %c", s[4], s[5]).c_str(), colour, 0);
  }
  for (int k = 0; icons && k < 4; ++k) Blit(icons[k], 661, 217 + 65 * k);
}

void CVData::ShowFacilityReadout(std::uint32_t zoneNumber, std::uint32_t zone, CGAsteroid* asteroid,
                                 CSprite* const icons[4]) {
  CGZone* z = ShownZone(zoneNumber, zone, asteroid);
  if (!z) return;
  Clear(1);
  // The figures of both tables stand right-aligned in their column, clear of "Scientific:".
  if ((z->facilities & FACILITY_ATV_CONSTRUCTION) && z->owner == LocalChapterId()) {
    const COLORREF colour = OwnerColour(z->owner);
    AddRow(0, "Pending Construction", colour, 0);
    if (!z->atvConstruction) return;
    for (int k = 0; k < 4; ++k) {
      if (icons) Blit(icons[k], 661, 219 + 65 * k);
      const auto row = static_cast<std::uint16_t>(2 + 5 * k);
      AddRowText(row, 35, Text(kKindLabels[k]).c_str(), colour, 0);
      AddRowText(row, 90, Format("%d", z->atvConstruction[static_cast<std::size_t>(k)]).c_str(), colour, kRowRight);
    }
    return;
  }
  AddRow(0, "No construction facility", kPaleYellow, 0);
}

void CVData::ShowStarData(std::uint16_t number) {
  Clear(1);
  CGStar* star = g_gameData ? g_gameData->solarDB.GetStar(number) : nullptr;
  if (!star) {
    TraceError("no such star", __FILE__, __LINE__);
    return;
  }
  AddRow(0, Text("NAME____", star->GetName()).c_str(), kPaleYellow, 0);
  AddRow(2, Text("RADICOEF").c_str(), kPaleYellow, 0);
  AddRowText(2, 90, Format("%d", star->GetRadiation()).c_str(), kPaleYellow, 0);
  const std::string path = std::string(g_instData.GetArtPath()) + (star->kind == 0 ? "star.ima" : "star1.ima");
  DrawPictureFile(path, g_gameData->GetImageModule(), false);
}

void CVData::ShowGuildList() {
  Clear(1);
  for (int g = 0; g < 5; ++g) {
    AddRow(static_cast<std::uint16_t>(g), Text(Format("GUILD__%d", g).c_str()).c_str(), kGuildListColours[g], 0);
    rowAction[static_cast<std::size_t>(g)] = ROW_SELECT_GUILD;
  }
}

int CVData::ShowGuildMembers(int guild) {
  if (guild < 0 || guild >= 5) {
    TraceError("no such guild", __FILE__, __LINE__);
    return 0;
  }
  Clear(1);
  const CGuild* members = g_gameData && g_gameData->guildList
                              ? g_gameData->guildList->GetGuild(static_cast<std::uint32_t>(guild))
                              : nullptr;
  int rows = 0;
  for (std::uint32_t slot = 0; members && slot < 8; ++slot) {
    const CGChapter* chapter = members->GetChapter(slot);
    if (!chapter) continue;
    // One row a chapter, for the clicks: a name too wide for it is cut short.
    AddRowWrapped(rows, 0, chapter->GetName() ? chapter->GetName() : "",
                  GetPaleColor(static_cast<std::uint32_t>(guild)), 0, kRowCentre, 1);
    rowAction[static_cast<std::size_t>(rows)] = ROW_SELECT_CHAPTER;
    ++rows;
  }
  return rows;
}
