// The 3D views' data panel when no object is hovered: the construct list of
// a unit choosing a design, the guild or chapter list the panel waits on,
// the asteroid of the selection, or the turn summary with the version line.
#include <cstdio>

#include "Game/base/GIDString.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GUnitOrder.h"
#include "Game/panels/CVData.h"
#include "Game/views/frame/CVDataHookup.h"
#include "Game/views/frame/OrderFeedback.h"
#include "Game/views/space/CVB3DView.h"
#include "Game/views/world/CVDispObj.h"
#include "QuenVersion.h"

namespace {

// The data panel's modes (the framework's byte).
constexpr std::uint8_t kPanelNormal = 0;
constexpr std::uint8_t kPanelGuildList = 4;
constexpr std::uint8_t kPanelGuildMembers = 5;
constexpr std::uint8_t kPanelNone = 255;
constexpr std::uint8_t kNoSlotSelected = 255;

// The column of the figures beside their labels.
constexpr std::uint8_t kFigureColumn = 80;
constexpr std::uint16_t kVersionRow = 18;
constexpr std::uint8_t kVersionColumn = 95;

std::string Text(const char* id, std::int64_t n = 0) {
  char text[orders::kTextSize + 1] = {};
  if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText(id, text, orders::kTextSize, n);
  return text;
}

std::string Number(std::uint32_t n) {
  char text[16];
  std::snprintf(text, sizeof text, "%u", n);
  return text;
}

}  // namespace

void CVB3DView::RefreshDataPanel(int force) {
  if (!SharedScreen().dataPanel) return;
  CVData& panel = *SharedScreen().dataPanel;
  if (IsReplay() && HasReplayTarget()) {
    if (force) panel.Clear(1);
    return;
  }
  if (SharedScreen().pendingOrderOption == kPanelNormal) {
    const std::uint16_t here = GetCurrentAsteroidId();
    if (SharedScreen().commandMode == ORDER_BUILD_SHIP) {
      if (CGUnit* unit = orders::FindUnitNear(here, SharedScreen().commandUnitId))
        SharedScreen().pendingOrderOption = panel.ShowTemplateList(unit, 0, nullptr);
      FlushScreen();
      return;
    }
    panel.Clear(1);
    if (SharedScreen().commandUnitId == 0xFFFFFFFF) {
      SharedScreen().pendingOrderOption = kPanelNone;
      currentKind = 0xFFFF;
      currentId = 0xFFFFFFFF;
      ShowTurnSummary();
      ShowVersion();
      FlushScreen();
      return;
    }
    CGUnit* commander = orders::FindUnitNear(here, SharedScreen().commandUnitId);
    CGUnit* second = SharedScreen().modifyTargetId == 0xFFFFFFFF
                         ? nullptr
                         : orders::FindUnitNear(here, SharedScreen().modifyTargetId);
    if (commander && second) {
      SharedScreen().pendingOrderOption = panel.ShowTemplateList(commander, 0, second);
    } else {
      panel.ShowDesignTemplateList(0, kNoSlotSelected);
      SharedScreen().pendingOrderOption = kPanelNormal;
    }
    FlushScreen();
    return;
  }
  if (SharedScreen().pendingOrderOption == kPanelGuildList) {
    panel.ShowGuildList();
    FlushScreen();
    return;
  }
  if (SharedScreen().pendingOrderOption == kPanelGuildMembers) {
    panel.ShowGuildMembers(SharedScreen().chosenGuild);
    FlushScreen();
    return;
  }
  ClearOrderTargetMarker(nullptr);
  std::uint16_t kind = 0, location = 0;
  std::uint32_t id = 0;
  if (g_gameData && g_gameData->GetSelectionAt(0, &kind, &id, &location)) {
    if (force && currentKind == DISP_ASTEROID && currentId == location) currentKind = 0xFFFF;
    ShowAsteroidHover(location);
    return;
  }
  // (A panel left blank, as the game screen starts it, gets its summary.)
  if (currentKind == 0xFFFF && !force && !panel.shown.empty()) return;
  panel.Clear(1);
  currentKind = 0xFFFF;
  currentId = 0xFFFFFFFF;
  ShowTurnSummary();
  ShowVersion();
  FlushScreen();
}

void CVB3DView::ShowTurnSummary() {
  if (!SharedScreen().dataPanel || !g_gameData) return;
  CVData& panel = *SharedScreen().dataPanel;
  const std::uint8_t guildIndex = g_gameData->GetLocalGuildIndex();
  const plat::COLORREF colour = GetPaleColor(guildIndex);
  const CGChapter* chapter = g_gameData->GetLocalChapter();
  std::uint32_t byGuild = 0;
  if (const CGuild* guild = g_gameData->GetLocalGuild())
    for (std::uint32_t slot = 0; slot < kMaxChaptersPerGuild; ++slot)
      if (const CGChapter* member = guild->GetChapter(slot)) byGuild += member->GetOwnedAsteroidCount();
  panel.AddRow(0, Text("TURN____", g_gameData->turn).c_str(), colour, kRowCentre);
  panel.DrawRowLine(1, colour);
  panel.AddRow(2, Text("DCREDITS").c_str(), colour, 0);
  panel.AddRowText(2, kFigureColumn, Number(chapter ? chapter->credits : 0).c_str(), colour, 0);
  panel.DrawRowLine(3, colour);
  panel.AddRow(4, Text("DCONTROL").c_str(), colour, kRowCentre);
  panel.AddRow(5, Text("D_BYYOU_").c_str(), colour, 0);
  panel.AddRowText(5, kFigureColumn, Number(chapter ? chapter->GetOwnedAsteroidCount() : 0).c_str(), colour, 0);
  panel.AddRow(6, Text("D_BYGILD").c_str(), colour, 0);
  panel.AddRowText(6, kFigureColumn, Number(byGuild).c_str(), colour, 0);
  panel.DrawRowLine(7, colour);
}

void CVB3DView::ShowVersion() {
  if (!SharedScreen().dataPanel) return;
  const plat::COLORREF colour = g_gameData ? GetPaleColor(g_gameData->GetLocalGuildIndex()) : 0xD7FFFF;
  // A read-out reaching the bottom row gives way (its picture stays): the
  // version asked for is not written over it.
  for (const DataPanelText& t : SharedScreen().dataPanel->shown)
    if (t.row == kVersionRow) {
      SharedScreen().dataPanel->Clear(0);
      break;
    }
  SharedScreen().dataPanel->AddRow(kVersionRow, Text("VERSIOND").c_str(), colour, 0);
  SharedScreen().dataPanel->AddRowText(kVersionRow, kVersionColumn, kQuenVersion, colour, 0);
}
