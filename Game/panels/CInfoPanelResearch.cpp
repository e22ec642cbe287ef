// The research page of the info panel: the local guild's modules by role or
// hulls by class, researched ones first, with cost and research bars, the
// allocation gauges and the science-bonus marks of the researched ones.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Game/base/GIDString.h"
#include "Game/model/GGameData.h"
#include "Game/model/GLocalChapter.h"
#include "Game/panels/CInfoPanel.h"
#include "Game/panels/InfoPageDraw.h"
#include "Game/panels/PanelFrame.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "media/CSprite.h"
#include "platform/gdi/text.h"
#include "platform/user/messages.h"

using namespace plat;
using namespace infopage;

namespace {

constexpr int kRowTop = 64;
constexpr int kRowHeight = 15;
constexpr int kModuleRoles = 12;
constexpr int kHullClasses = 11;
constexpr std::uint8_t kWeaponType = 10;
constexpr std::uint8_t kProjectileRole = 11;
constexpr char kAngle = '\xBB';  // the right-pointing double angle of the Latin-1 page

constexpr COLORREF kCostGreen = RGB(60, 220, 60);
constexpr COLORREF kSlowRed = RGB(240, 50, 50);
constexpr COLORREF kFastYellow = RGB(220, 220, 50);

// The role a module is listed under: its type, but a weapon that carries
// ammunition is a projectile weapon.
int ModuleRole(const ModuleRecord& m) {
  if (m.type == kWeaponType && m.TypeByte(8) != 0xFF) return kProjectileRole;
  return m.type;
}

CGModuleDB* Modules() { return g_gameData ? g_gameData->moduleDB.get() : nullptr; }
CGHullDB* Hulls() { return g_gameData ? g_gameData->hullDB.get() : nullptr; }

CGHull* HullAt(std::uint16_t item) {
  CGHullDB* hulls = Hulls();
  return hulls && item != kNoPanelItem ? hulls->GetHull(LocalGuild(), item) : nullptr;
}

// The items of the current list, researched first, in walk order.
std::vector<std::uint16_t> ListItems(const ResearchPageState& s) {
  std::vector<std::uint16_t> items;
  if (s.mode == 0) {
    CGModuleDB* modules = Modules();
    if (!modules) return items;
    const unsigned bit = 1u << LocalGuild();
    for (int pass = 0; pass < 2; ++pass) {
      for (std::uint16_t i = 0; i < modules->GetCount(); ++i) {
        const ModuleRecord* m = modules->GetRecord(i);
        if (!(m->guildMask & bit) || ModuleRole(*m) != s.roleFilter || m->researchPoints == 0) continue;
        if ((modules->GetResearchPercent(i) == 100) == (pass == 0)) items.push_back(i);
      }
    }
    return items;
  }
  CGHullDB* hulls = Hulls();
  if (!hulls) return items;
  const int count = hulls->GetHullCount(LocalGuild());
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < count; ++i) {
      const CGHull* h = hulls->GetHull(LocalGuild(), i);
      if (!h || h->unitClass != s.classFilter || h->researchPoints == 0) continue;
      if (h->IsResearched() == (pass == 0)) items.push_back(static_cast<std::uint16_t>(i));
    }
  }
  return items;
}

struct ItemResearch {
  const char* name = nullptr;
  std::uint16_t points = 0;
  std::uint16_t allocation = 0;
  std::uint16_t bonus = 0;
  std::uint16_t usage = 0;
  std::uint16_t costPercent = 0;
  int percent = 0;
  bool researched = false;
};

bool ReadItem(const ResearchPageState& s, std::uint16_t item, ItemResearch* out) {
  if (item == kNoPanelItem) return false;
  if (s.mode == 0) {
    CGModuleDB* modules = Modules();
    const ModuleRecord* m = modules ? modules->GetRecord(item) : nullptr;
    if (!m) return false;
    *out = {m->name,
            m->researchPoints,
            m->researchAllocation,
            m->scienceBonus,
            m->researchWord,
            modules->GetCostPercent(item),
            modules->GetResearchPercent(item),
            false};
    out->researched = out->percent == 100;
    return true;
  }
  const CGHull* h = HullAt(item);
  if (!h) return false;
  *out = {h->name, h->researchPoints, h->researchAllocation, h->scienceBonus, h->researchWord, h->GetCostPercent(),
          0,       h->IsResearched()};
  out->percent = h->IsResearched() ? 100 : h->researchPoints * 100 / kResearched;
  return true;
}

// The points the chapter may hand out: its standing of the previous turn.
// Before the first standings there is no such row, so nothing may be handed out.
int BonusLimit() {
  if (!g_gameData || g_gameData->turn == 0) return 0;
  ChapterStanding standing;
  const int row = static_cast<int>((g_gameData->turn - 1) % kStandingRows);
  if (!g_gameData->GetChapterStanding(row, g_gameData->localChapterId, &standing)) return 0;
  return standing.scienceBonusLimit;
}

int BonusTotal() {
  CGModuleDB* modules = Modules();
  return modules ? modules->freeSciencePool : 0;
}

void SetBonusTotal(int total) {
  if (CGModuleDB* modules = Modules()) modules->freeSciencePool = static_cast<std::uint16_t>(total);
}

void SetItemBonus(const ResearchPageState& s, std::uint16_t item, int points) {
  if (s.mode == 0) {
    if (CGModuleDB* modules = Modules()) modules->SetScienceBonus(item, static_cast<std::uint16_t>(points));
  } else if (CGHull* h = HullAt(item)) {
    h->SetScienceBonus(static_cast<std::uint16_t>(points));
  }
}

std::string Bar(int count) { return "|" + std::string(static_cast<std::size_t>(count < 1 ? 1 : count), kAngle); }

const char* FilterName(const ResearchPageState& s, int f, std::string* buffer) {
  if (s.mode == 0) {
    char id[16];
    std::snprintf(id, sizeof id, "IRSROL%02d", f);
    *buffer = Text(id);
  } else {
    const char* text = CGHullDB::GetHullClassText(f);
    *buffer = text ? text : "";
  }
  return buffer->c_str();
}

int MaxPage(const ResearchPageState& s) { return s.entryCount == 0 ? 0 : (s.entryCount - 1) / kResearchRows; }

}  // namespace

void CInfoPanel::DrawResearch() {
  ResearchPageState& s = research;
  Box(5, 5, 140, 27);
  Box(145, 5, 410, 27);
  Box(415, 5, 580, 27);
  Box(5, 282, 235, 292);
  Box(450, 284, 580, 304);
  Box(5, 309, 95, 362);
  Box(100, 309, 580, 362);
  for (int y : {37, 59, 279}) Line(5, y, 580, y);
  for (int x : {190, 400, 495}) Line(x, 37, x, 279);

  std::string filter;
  FilterName(s, s.mode == 0 ? s.roleFilter : s.classFilter, &filter);
  const int limit = BonusLimit();
  const int total = BonusTotal();
  Write(Text("IRSTITLE"), 10, 10, 200, kWhite, DT_LEFT, 1, 1);
  Write(Text(s.mode == 0 ? "IRSROLNM" : "IRSHULNM", filter), 145, 10, 265, kWhite, DT_CENTER, 1, 1);
  Write(Text("IRSSCIBO", limit - total, limit), 420, 10, 160, kWhite, DT_LEFT, 1, 1);
  Write(Text(s.mode == 0 ? "IRSMODUN" : "IRSHULLN"), 5, 42, 185, kWhite, DT_CENTER, 0, 1);
  Write(Text("IRSHDR01"), 190, 42, 210, kWhite, DT_CENTER, 0, 1);
  Write(Text("IRSHDR02"), 400, 42, 95, kWhite, DT_CENTER, 0, 1);
  Write(Text("IRSHDR03"), 495, 42, 90, kWhite, DT_CENTER, 0, 1);

  const std::vector<std::uint16_t> items = ListItems(s);
  s.entryCount = static_cast<std::uint16_t>(items.size());
  for (int r = 0; r < kResearchRows; ++r) {
    const std::size_t entry = static_cast<std::size_t>(s.page) * kResearchRows + r;
    s.rows[r] = entry < items.size() ? items[entry] : kNoPanelItem;
    ItemResearch item;
    if (!ReadItem(s, s.rows[r], &item)) continue;
    const int y = kRowTop + kRowHeight * r;
    char number[32];
    if (item.researched) {
      Write(item.name, 10, y, 200, kWhite, DT_LEFT, 0, 0);
      std::snprintf(number, sizeof number, "  %d %%", item.costPercent);
      Write(Bar(static_cast<int>(item.costPercent * 0.25)) + number, 200, y, 400, kCostGreen, DT_LEFT, 0, 0);
      std::snprintf(number, sizeof number, "%d", item.usage);
      Write(number, 416, y, 100, kCostGreen, DT_LEFT, 0, 0);
      Write("+", 441, y, 100, kCostGreen, DT_LEFT, 0, 0);
      std::snprintf(number, sizeof number, "%d", item.bonus);
      Write(number, 456, y, 100, kCostGreen, DT_LEFT, 0, 0);
    } else {
      Write(item.name, 10, y, 200, kGrey, DT_LEFT, 0, 0);
      std::snprintf(number, sizeof number, "  %d %%", item.percent);
      Write(Bar(static_cast<int>(item.percent * 0.125)) + number + "  " + Text("IRSSPRES"), 200, y, 400,
            item.percent < 50 ? kSlowRed : kFastYellow, DT_LEFT, 0, 0);
    }
  }
  RedrawResearchMarks();

  Write(Text("IRSRSCBO"), 5, 285, 230, s.recovering ? kRed : total != 0 ? kWhite : kGrey, DT_CENTER, 0, 0);
  Write(Text("INFOMORE"), 463, 287, 80, s.page < MaxPage(s) ? kWhite : kGrey, DT_LEFT, 0, 0);
  Write(Text("INFOPREV"), 511, 287, 100, s.page != 0 ? kWhite : kGrey, DT_LEFT, 0, 0);
  Write(Text("IRSMODTT"), 20, 319, 200, s.mode == 0 ? kWhite : kGrey, DT_LEFT, 1, 1);
  Write(Text("IRSHULTT"), 20, 339, 200, s.mode == 1 ? kWhite : kGrey, DT_LEFT, 1, 1);
  const int filters = s.mode == 0 ? kModuleRoles : kHullClasses;
  const int current = s.mode == 0 ? s.roleFilter : s.classFilter;
  constexpr int kColumns[] = {105, 210, 335, 480};
  constexpr int kRows[] = {313, 330, 347};
  // The small font: in the bold one the longer names ("General Purpose",
  // "Armed Space Station") run into the next column.
  for (int f = 0; f < filters; ++f) {
    FilterName(s, f, &filter);
    Write(filter, kColumns[f % 4], kRows[f / 4], f / 4 == 0 ? 200 : 100, f == current ? kWhite : kGrey, DT_LEFT, 0, 1);
  }
}

void CInfoPanel::RedrawResearchMarks() {
  const ResearchPageState& s = research;
  for (int r = 0; r < kResearchRows; ++r) {
    ItemResearch item;
    if (!ReadItem(s, s.rows[r], &item) || !item.researched) continue;
    const int y0 = kRowTop + 5 + kRowHeight * r;
    const auto& gauges = s.hoveredGauge == s.rows[r] ? barGauges : percentGauges;
    const std::size_t step = item.allocation / 25 < gauges.size() ? item.allocation / 25 : gauges.size() - 1;
    // The gauge picture covers the whole gauge area, so drawing it restores the area.
    PanelFrame().DrawViewSprite(gauges[step], 510 + kLeft, y0 - 5 + kTop, nullptr);
    const COLORREF plus = s.hoveredPlus == s.rows[r] ? kWhite : kGreen;
    Line(473, y0, 482, y0, plus);
    Line(473, y0, 477, y0 - 4, plus);
    Line(477, y0 - 4, 482, y0, plus);
    const COLORREF minus = s.hoveredMinus == s.rows[r] ? kWhite : kGreen;
    Line(473, y0 + 2, 482, y0 + 2, minus);
    Line(473, y0 + 2, 477, y0 + 6, minus);
    Line(477, y0 + 6, 482, y0 + 2, minus);
  }
}

int CInfoPanel::ClickResearch(int sx, int sy, WPARAM keys) {
  ResearchPageState& s = research;
  const int x = sx - kLeft;
  const int y = sy - kTop;

  if (y >= 312 && y <= 366 && x >= 101) {
    const int column = x < 205 ? 0 : x < 330 ? 1 : x < 465 ? 2 : 3;
    const int row = y < 328 ? 0 : y < 345 ? 1 : 2;
    const int f = row * 4 + column;
    if (s.mode == 1 && f >= kHullClasses) return 0;
    (s.mode == 0 ? s.roleFilter : s.classFilter) = static_cast<std::uint8_t>(f);
    s.page = 0;
    return 1;
  }

  const int row = y >= kRowTop ? (y - kRowTop) / kRowHeight : -1;
  if (row >= 0 && row < kResearchRows && s.rows[row] != kNoPanelItem) {
    const std::uint16_t item = s.rows[row];
    if (x >= 520 && x <= 558) {
      const std::uint16_t percent = static_cast<std::uint16_t>(x <= 526   ? 0
                                                               : x <= 534 ? 25
                                                               : x <= 542 ? 50
                                                               : x <= 550 ? 75
                                                                          : 100);
      if (s.mode == 0) {
        if (CGModuleDB* modules = Modules()) modules->SetResearchAllocation(item, percent);
      } else if (CGHull* h = HullAt(item)) {
        h->SetResearchAllocation(percent);
      }
      return 1;
    }
    ItemResearch current;
    if (x >= 473 && x <= 481 && ReadItem(s, item, &current)) {
      const bool ctrl = (keys & MK_CONTROL) != 0;
      const int total = BonusTotal();
      const int limit = BonusLimit();
      const bool upper = (y - kRowTop) % kRowHeight <= 7;
      if (!upper && current.bonus >= 1) {
        const int taken = ctrl ? current.bonus : 1;
        SetBonusTotal(total - taken);
        SetItemBonus(s, item, current.bonus - taken);
        return 1;
      }
      if (upper && total < limit) {
        const int given = ctrl ? limit - total : 1;
        SetBonusTotal(total + given);
        SetItemBonus(s, item, current.bonus + given);
        return 1;
      }
    }
  }

  if (x >= 6 && x <= 234 && y >= 283 && y <= 291) {
    if (BonusTotal() < 1) return 0;
    // The caption turns red on the page as drawn: the screen keeps the view's
    // picture under the panel, so a caption drawn alone and flushed would show
    // on that picture.
    s.recovering = 1;
    PanelFrame().RedrawInfoPanel();
    s.recovering = 0;
    SetBonusTotal(0);
    if (CGModuleDB* modules = Modules())
      for (std::uint16_t i = 0; i < modules->GetCount(); ++i) modules->SetScienceBonus(i, 0);
    if (CGHullDB* hulls = Hulls())
      for (int i = 0; i < hulls->GetHullCount(LocalGuild()); ++i)
        if (CGHull* h = hulls->GetHull(LocalGuild(), i)) h->SetScienceBonus(0);
    return 1;
  }

  if (x >= 19 && x <= 84 && y >= 318 && y <= 353) {
    const std::uint8_t mode = y >= 336 ? 1 : 0;
    if (mode != s.mode) s.page = 0;
    s.mode = mode;
    return 1;
  }

  if (y >= 286 && y <= 302) {
    if (x >= 453 && x <= 504) {
      if (s.page < MaxPage(s)) ++s.page;
      return 1;
    }
    if (x >= 505 && x <= 577) {
      if (s.page > 0) --s.page;
      return 1;
    }
  }
  return 0;
}

void CInfoPanel::HoverResearch(int sx, int sy) {
  ResearchPageState& s = research;
  const int x = sx - kLeft;
  const int y = sy - kTop;
  const int row = y >= kRowTop ? (y - kRowTop) / kRowHeight : -1;
  if (row >= 0 && row < kResearchRows && x >= 1 && x <= 584) {
    const std::uint16_t item = s.rows[row];
    const bool onMarks = x >= 473 && x <= 481;
    const bool upper = (y - kRowTop) % kRowHeight < 8;
    const std::uint16_t gauge = x >= 511 && x <= 569 ? item : kNoPanelItem;
    const std::uint16_t plus = onMarks && upper ? item : kNoPanelItem;
    const std::uint16_t minus = onMarks && !upper ? item : kNoPanelItem;
    const bool marks = gauge != s.hoveredGauge || plus != s.hoveredPlus || minus != s.hoveredMinus;
    s.hoveredGauge = gauge;
    s.hoveredPlus = plus;
    s.hoveredMinus = minus;
    const bool shown = item != s.shownItem;
    if (shown) {
      if (item == kNoPanelItem)
        PanelFrame().ClearDataPanel(1);
      else if (s.mode == 1)
        PanelFrame().ShowHullCosts(HullAt(item));
      else
        PanelFrame().ShowModuleData(0, item, LocalGuild());
      s.shownItem = item;
    }
    // Marks lit or put out show with the whole page; a new read-out alone
    // needs only the flush of the data panel.
    if (marks)
      PanelFrame().RedrawInfoPanel();
    else if (shown)
      PanelFrame().FlushScreen();
    return;
  }
  if (s.shownItem == kNoPanelItem) return;
  s.hoveredGauge = s.hoveredPlus = s.hoveredMinus = s.shownItem = kNoPanelItem;
  PanelFrame().ClearDataPanel(1);
  PanelFrame().RedrawInfoPanel();
}
