// The combat-summary page of the info panel: the last turn's battles with
// their counts, each with its review log as text and its replay.
#include <algorithm>
#include <cstring>
#include <string>

#include "Game/base/GInstData.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GNotify.h"
#include "Game/model/GNotifyCodes.h"
#include "Game/model/GWorldTypes.h"
#include "Game/panels/CInfoPanel.h"
#include "Game/panels/InfoPageDraw.h"
#include "Game/save/ReviewLog.h"
#include "platform/core/files.h"

using namespace plat;
using namespace infopage;

namespace {

constexpr int kLogLineChars = 500;
constexpr int kLogLinesPerPage = 6;
constexpr COLORREF kOwnHit = 0x0000FF;

CGNotificationList* List() { return g_gameData ? g_gameData->notifications.get() : nullptr; }

bool IsCombat(const CGNotificationList& list, int i) {
  const Notification* n = list.GetEntry(i);
  return n && n->code == notify::kSpaceBattle;
}

// The battle of a combat notification: the asteroid it was fought at, whose
// number also names its replay and review log.
std::uint16_t BattleOf(const Notification& n) { return static_cast<std::uint16_t>(n.param2 & 0xFFFF); }

std::string AsteroidName(std::uint16_t a) {
  CGAsteroid* rock = g_gameData ? g_gameData->solarDB.GetAsteroid(a) : nullptr;
  const char* name = rock ? rock->GetName() : nullptr;
  return name ? name : "";
}

// The six counts of a battle's review log: own, allied and enemy ships
// present, then own, allied and enemy ships hit.
std::array<std::uint32_t, 6> Counts(std::uint16_t battle) {
  if (!g_gameData || battle >= kMaxAsteroids) return {};
  return g_gameData->reviewLog[battle];
}

RECT ScreenRect(int left, int top, int right, int bottom) { return {left + 29, top + 98, right + 29, bottom + 98}; }

void DrawButton(const char* id, int left, int y) {
  Box(left, y, left + 75, y + 14, kBlack, 35, kGreen);
  Caption(id, left, y, 75, kWhite, DT_CENTER);
}

}  // namespace

void CInfoPanel::ResetCombatSummary() {
  highlight = kNoHighlight;
  combatLineOffset = 0;
}

void CInfoPanel::DrawCombatSummary() {
  DrawCombatSummaryPage();
  if (combatDetail != kCombatSummaryPage) DrawCombatDetails();
}

void CInfoPanel::DrawCombatSummaryPage() {
  ResetHotSpots();
  const std::uint32_t guild = LocalGuild();
  const COLORREF pale = GetPaleColor(guild);
  Box(5, 5, 145, 25, pale, 35, kGreen);
  Caption("ICMTITLE", 5, 8, 140, kWhite, DT_CENTER);
  for (int y : {30, 60, 337}) Line(5, y, 580, y, kGreen);
  for (int x : {155, 287, 420}) Line(x, 30, x, 337, kGreen);
  Line(155, 46, 420, 46, kGreen);
  for (int x : {199, 243, 331, 375}) Line(x, 46, x, 337, kGreen);
  Caption("ICMHEAD1", 5, 46, 150, kWhite, DT_CENTER);
  Caption("ICMHEAD2", 155, 32, 132, kWhite, DT_CENTER);
  Caption("ICMHEAD3", 287, 32, 133, kWhite, DT_CENTER);
  for (int x : {155, 287}) {
    Caption("ICMHEAD4", x, 51, 44, kWhite, DT_CENTER);
    Caption("ICMHEAD5", x + 44, 51, 44, kWhite, DT_CENTER);
    Caption("ICMHEAD6", x + 88, 51, 44, kWhite, DT_CENTER);
  }
  Caption("ICMHEAD7", 420, 46, 160, kWhite, DT_CENTER);

  int encounters = 0;
  int rows = 0;
  summaryEnd = 1;
  if (CGNotificationList* list = List()) {
    const int count = list->GetCount();
    for (int i = 0; i < count; ++i)
      if (IsCombat(*list, i)) ++encounters;
    combatLast = combatStart;
    for (int i = combatStart; i < count; ++i) {
      if (!IsCombat(*list, i)) continue;
      if (rows == kCombatRows) {
        summaryEnd = 0;
        break;
      }
      const std::uint16_t battle = BattleOf(*list->GetEntry(i));
      const int y = 65 + 20 * rows;
      MakeReviewLog(battle);
      const std::array<std::uint32_t, 6> counts = Counts(battle);
      Write(AsteroidName(battle), 5, y, 150, counts[3] > 0 ? kOwnHit : pale);
      for (int k = 0; k < 6; ++k)
        Write(std::to_string(counts[k]), 175 + 44 * k, y, 34, k == 3 && counts[k] > 0 ? kOwnHit : pale, DT_CENTER);
      DrawButton("ICMBUTN1", 425, y);
      DrawButton("ICMBUTN2", 505, y);
      hotSpots[rows] = ScreenRect(5, y, 580, y + 15);
      combatRowBattles[rows] = battle;
      combatRowNotices[rows] = static_cast<std::uint16_t>(i);
      combatLast = static_cast<std::uint16_t>(i);
      ++rows;
    }
  }
  hotSpotCount = static_cast<std::uint8_t>(rows);
  for (int r = rows; r < kCombatRows; ++r) combatRowNotices[r] = 0xFFFF;

  Box(5, 342, 125, 362, kBlack, 35, kGreen);
  Write(Text("ICMBUTN3", encounters), 5, 345, 120, kWhite, DT_CENTER);
  Box(450, 342, 580, 362, kBlack, 35, kGreen);
  Caption("INFOMORE", 463, 345, 45, Pick(summaryEnd == 0));
  Caption("INFOPREV", 513, 345, 67, Pick(combatStart != 0));
}

void CInfoPanel::DrawCombatDetails() {
  const std::uint8_t r = combatDetail;
  if (r >= kCombatRows || combatRowNotices[r] == 0xFFFF) {
    combatDetail = kCombatSummaryPage;
    return;
  }
  const std::uint16_t battle = combatRowBattles[r];
  MakeReviewLog(battle);
  PanelFrame().ShadeViewportRect(30, 15, 555, 352, kBlack, 85);
  Line(30, 15, 555, 15, kRed);
  Line(555, 15, 555, 352, kRed);
  Line(30, 15, 30, 352, kRed);
  Line(30, 352, 250, 352, kRed);
  Line(335, 352, 555, 352, kRed);
  Box(250, 342, 335, 362, kBlack, 100, kRed);
  Caption("__DONE__", 250, 345, 85, kWhite, DT_CENTER);
  hotSpots[0] = ScreenRect(251, 343, 335, 362);
  Box(420, 327, 550, 347, kBlack, 100, kRed);

  const char* savePath = g_instData.GetSavePath();
  const std::string name = std::string(savePath ? savePath : "") + std::to_string(battle) + ".tlg";
  plat::FILE* file = plat::fopen(name.c_str(), "r");
  if (!file) {
    Caption("ICMRPERR", 40, 25, 585, kPaleYellow, DT_CENTER);
    hotSpotCount = 2;
    return;
  }
  // Lines of at most 500 characters; a longer one goes on as the next line.
  char line[kLogLineChars + 2];
  auto readLine = [&]() -> bool {
    if (!plat::fgets(line, static_cast<int>(sizeof line - 1), file)) return false;
    line[std::strcspn(line, "\r\n")] = '\0';
    return true;
  };
  detailsEnd = 0;
  for (int skipped = 0; skipped < combatLineOffset; ++skipped) {
    if (!readLine()) {
      detailsEnd = 1;
      break;
    }
  }
  for (int y = 40; detailsEnd == 0 && y <= 309; y += 45) {
    if (!readLine()) {
      detailsEnd = 1;
      break;
    }
    Write(line, 40, y, 505, kPaleYellow, DT_LEFT | DT_WORDBREAK, 1);
  }
  plat::fclose(file);
  Caption("INFOMORE", 433, 330, 80, Pick(detailsEnd == 0));
  Caption("INFOPREV", 481, 330, 80, Pick(combatLineOffset != 0));
  hotSpots[1] = detailsEnd ? kNoHotSpot : ScreenRect(433, 328, 479, 347);
  hotSpots[2] = combatLineOffset == 0 ? kNoHotSpot : ScreenRect(481, 328, 550, 347);
  hotSpotCount = 3;
}

int CInfoPanel::ClickCombatSummary(int x, int y, WPARAM) {
  const int vx = x - 29;
  const int vy = y - 98;
  if (combatDetail != kCombatSummaryPage) {
    if (vy >= 328 && vy < 347) {
      if (vx >= 433 && vx < 479) {
        if (detailsEnd == 0) combatLineOffset = static_cast<std::uint16_t>(combatLineOffset + kLogLinesPerPage);
        return 1;
      }
      if (vx >= 481 && vx < 550) {
        combatLineOffset = combatLineOffset > kLogLinesPerPage ? combatLineOffset - kLogLinesPerPage : 0;
        return 1;
      }
    }
    if (vy >= 343 && vy < 362 && vx >= 251 && vx < 335) {
      combatDetail = kCombatSummaryPage;
      ResetHotSpots();
      return 1;
    }
    return 0;
  }
  CGNotificationList* list = List();
  if (vy >= 61 && vy < 337 && vx >= 421 && vx < 580) {
    const int row = (y - 162) / 20;
    if (y < 162 || row >= kCombatRows || combatRowNotices[row] == 0xFFFF) return 0;
    if (vx >= 426 && vx < 500) {
      combatDetail = static_cast<std::uint8_t>(row);
      combatLineOffset = 0;
      ResetHotSpots();
      return 1;
    }
    if (vx >= 506 && vx < 580) {
      const Notification* n = list ? list->GetEntry(combatRowNotices[row]) : nullptr;
      if (n) PanelFrame().ActOnGameEvent(*n);
      return 1;
    }
    return 0;
  }
  if (vy >= 343 && vy < 362 && vx >= 461 && vx < 510) {
    if (summaryEnd == 0) combatStart = static_cast<std::uint16_t>(combatLast + 1);
    return 1;
  }
  if (vy >= 343 && vy < 362 && vx >= 512 && vx < 580) {
    // Back to the twelfth battle before the page's first; to the start when
    // no battle lies before that one.
    int found = 0;
    int i = combatStart - 1;
    for (; i >= 0 && list; --i)
      if (IsCombat(*list, i) && ++found == kCombatRows) break;
    bool earlier = false;
    for (int j = i - 1; j >= 0 && list && !earlier; --j) earlier = IsCombat(*list, j);
    combatStart = static_cast<std::uint16_t>(earlier ? i : 0);
    return 1;
  }
  return 0;
}
