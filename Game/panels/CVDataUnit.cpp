// The unit read-outs: four pages of an own (or visible) unit, the short
// status of another chapter's unit, and renaming by the picture.
#include <algorithm>
#include <cstring>

#include "Game/app/AppGlobals.h"
#include "Game/app/GameView.h"
#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GUnit.h"
#include "Game/panels/CVData.h"
#include "Game/panels/CVDataText.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GUnitTem.h"
#include "media/CSprite.h"

using namespace plat;
using namespace datapanel;

namespace {

constexpr int kBarX = 667;
constexpr int kBarTop = 235;
constexpr int kBarStep = 17;
constexpr int kBarLimit = 405;
constexpr int kForeignBarY = 226;

bool IsOwn(const CGUnit* unit) { return unit->GetChapter() == LocalChapterId(); }

bool IsReadable(const CGUnit* unit) {
  const CGUnitTemplate* design = unit->GetTemplate();
  return IsOwn(unit) || (design && design->visible == 1);
}

int StructurePoints(const CGUnit* unit) {
  const CGUnitTemplate* design = unit->GetTemplate();
  return design && design->hull ? design->hull->structurePoints : 0;
}

std::string TemplateName(const CGUnit* unit) {
  const CGUnitTemplate* design = unit->GetTemplate();
  return design && design->GetName() ? design->GetName() : "";
}

std::string ClassName(const CGUnit* unit) {
  const CGUnitTemplate* design = unit->GetTemplate();
  return design ? design->GetClassName() : "";
}

// The name of a module by id; empty for an id past the table.
std::string ModuleName(std::uint16_t id) {
  const ModuleRecord* record = g_gameData && g_gameData->moduleDB ? g_gameData->moduleDB->GetRecord(id) : nullptr;
  if (!record) return "";
  return std::string(record->name, strnlen(record->name, sizeof record->name));
}

int FittedSlots(const CGUnit* unit) {
  const CGUnitTemplate* design = unit->GetTemplate();
  if (!design) return 0;
  return static_cast<int>(std::count_if(std::begin(design->slots), std::end(design->slots),
                                        [](const TemplateModuleSlot& s) { return s.fitted != 0; }));
}

std::uint32_t FirstOrderType(const CGUnit* unit) {
  const UnitOrder* order = unit->GetOrderCount() ? unit->GetOrder(0) : nullptr;
  return order ? order->type : 0xFFFFFFFFu;
}

bool NoArtPath() { return g_instData.GetArtPath()[0] == '\0'; }

}  // namespace

void CVData::ShowUnitData(CGUnit* shownUnit, std::uint16_t context, int noPicture) {
  // A stranger's orders page reads "Orders unavailable" alone, an unscanned
  // one's damage page a bare condition bar, and with nothing selected no
  // next-page row leads off a page: only an own ship read while something is
  // selected keeps the page the last read-out was turned to.
  const bool selection = g_gameData && g_gameData->GetSelectionCount() > 0;
  if (shownUnit && (!IsOwn(shownUnit) || !selection)) unitPage = 0;
  ShowUnitPages(shownUnit, context, noPicture);
}

void CVData::ShowUnitPages(CGUnit* shownUnit, std::uint16_t context, int noPicture) {
  unitId = shownUnit ? shownUnit->id : kNoShownUnit;
  unitContext = context;
  Clear(0);
  if (NoArtPath()) return;
  if (!shownUnit) {
    TraceError("no unit to show", __FILE__, __LINE__);
    return;
  }
  const COLORREF colour = GetPaleColor(shownUnit->GetGuild());
  switch (unitPage) {
    case 0:
      ShowUnitSummaryPage(shownUnit, context, colour);
      break;
    case 1:
      ShowUnitDamagePage(shownUnit, colour);
      break;
    case 2:
      ShowUnitModulesPage(shownUnit, colour);
      break;
    default:
      ShowUnitOrdersPage(shownUnit, colour);
      break;
  }
  if (g_gameData && g_gameData->GetSelectionCount() > 0) {
    AddRow(18, Text("NEXTPAGE").c_str(), colour, kRowCentre);
    rowAction[18] = ROW_NEXT_PAGE;
  }
  if (!noPicture) ShowUnitPicture(shownUnit, colour);
}

void CVData::ShowUnitPicture(CGUnit* shown, COLORREF colour) {
  const int guild = static_cast<int>(shown->GetGuild());
  char abbreviation[8] = "reck";
  if (shown->IsOperational()) shown->GetClassAbbreviation(abbreviation);
  char path[300];
  std::snprintf(path, sizeof path, "%sunits\\%s_ds.ima", g_instData.GetGuildPath(guild), abbreviation);
  HMODULE module = g_gameData ? g_gameData->GetGuildModule(guild) : nullptr;
  if (!DrawPictureFile(path, module, true)) return;
  DrawCaption(shown->GetName(), colour, 1);
  DrawCaption(ChapterName(shown->GetChapter()), colour, 0);
  rowAction[kPictureAction] = ROW_EDIT_NAME;
}

void CVData::ShowUnitSummaryPage(CGUnit* shown, std::uint16_t /*context*/, COLORREF colour) {
  AddRow(1, Text("SHIPCLAS", TemplateName(shown)).c_str(), colour, kRowCentre);
  AddRow(2, ClassName(shown).c_str(), colour, kRowCentre);
  DrawRowLine(3, colour);
  if (!IsReadable(shown)) return;
  const int structure = StructurePoints(shown);
  AddRow(3, Text("LIFESUPP").c_str(), colour, 0);
  AddRowText(3, 80, Format("%d%%", 100 - shown->GetLifeSupportDamage()).c_str(), colour, 0);
  AddRow(4, Text("HULLINTG").c_str(), colour, 0);
  AddRowText(4, 80, Format("%d/%d", structure - shown->GetHullDamage(), structure).c_str(), colour, 0);
  DrawRowLine(5, colour);
  AddRow(5, Text("SPEED___").c_str(), colour, 0);
  AddRowText(6, 20, Text("LOCLSPCE").c_str(), colour, 0);
  AddRowText(6, 90, Format("%.2f", shown->GetLocalSpeedScaled()).c_str(), colour, 0);
  AddRowText(7, 20, Text("DEEPSPCE").c_str(), colour, 0);
  AddRowText(7, 90, Format("%d", shown->GetDeepSpaceSpeed()).c_str(), colour, 0);
  const bool own = IsOwn(shown);
  if (own) AddRow(8, Text("POWER_NN", shown->GetPower(), shown->GetMaxPower()).c_str(), colour, 0);
  if (const int construction = shown->GetConstructionCapacity()) {
    AddRow(9, Text("CONSTCAP").c_str(), colour, 0);
    AddRowText(9, 90, Format("%d", construction).c_str(), colour, 0);
  } else if (const int capacity = shown->GetAtvCapacity()) {
    AddRow(9, Text("ATVSCARY", capacity).c_str(), colour, 0);
    static constexpr const char* kKinds[4] = {"COMBAT__", "MINING__", "POWER___", "SEEDBANK"};
    for (int k = 0; k < 4; ++k) {
      const auto row = static_cast<std::uint16_t>(10 + k);
      AddRowText(row, 20, Text(kKinds[k]).c_str(), colour, 0);
      AddRowText(row, 90, Format("%d", shown->atvCargo[static_cast<std::size_t>(k)]).c_str(), colour, 0);
    }
  }
  if (shown->GetAttackStrength() != 0 && own) {
    std::uint32_t unlimited = 0;
    const std::uint32_t ammo = shown->GetTotalAmmo(&unlimited);
    const CGUnitTemplate* design = shown->GetTemplate();
    AddRow(14, Text("VDTAAMMO", ammo, design ? design->totalAmmo : 0, unlimited ? "+" : "").c_str(), colour, 0);
  }
  if (own) {
    char status[50] = {};
    shown->GetOrderStatusText(0, status, sizeof status);
    // A status too wide for its row (a long asteroid name) takes the empty row
    // above it too, and the line above the orders moves up with it.
    const int rows = std::max(1, static_cast<int>(WrapLines(status, 0, 0, 0, 2).size()));
    DrawRowLine(17 - rows, colour);
    AddRowWrapped(17 - rows, 0, status, colour, 0, 0, 2);
  } else {
    DrawRowLine(16, colour);
  }
  if (shown->GetOrderCount() > 0) ShowCompletion(shown, 17, 1, colour);
}

int CVData::ShowCompletion(CGUnit* shown, int row, int sameRow, COLORREF colour) {
  std::int16_t change = 0;
  const std::uint16_t turns = shown->GetNumTurnsUntilOrderCompletion(&change);
  const auto r = static_cast<std::uint16_t>(row);
  if (turns == 0xFFFF) {
    AddRow(r, Text("ETC_UNKN").c_str(), colour, 0);
    return row + 1;
  }
  if (turns == 0) {
    const std::uint32_t type = FirstOrderType(shown);
    const bool inRange = type == ORDER_ATTACK_UNIT || type == ORDER_SPECIAL_ATTACK || type == ORDER_BOMBARD ||
                         type == ORDER_MENTAL_ATTACK;
    AddRow(r, Text(inRange ? "INRANGE_" : "ETC_1_TN").c_str(), colour, 0);
    return row + 1;
  }
  if (turns == 0xFFFE) return row;
  char buffer[128] = {};
  const int runsOut = ShowPowerState(row, buffer, turns, shown, change, colour);
  const std::string estimate = runsOut ? Text("ETC??___") : Text("ETC_2+TN", static_cast<int>(turns));
  if (sameRow) {
    AddRowText(r, 75, estimate.c_str(), colour, 0);
    return row + 1;
  }
  AddRow(static_cast<std::uint16_t>(row + 1), estimate.c_str(), colour, 0);
  return row + 2;
}

int CVData::ShowPowerState(int row, char* buffer, std::uint16_t /*turns*/, CGUnit* shown, std::int16_t change,
                           COLORREF colour) {
  const std::int32_t power = shown->GetPower() + change;
  std::string text;
  int result = 0;
  COLORREF used = colour;
  if (power >= shown->GetMaxPower()) {
    text = Text("EPC_FULL");
  } else if (power < 1) {
    text = Text("EPC_EMPT");
    used = kRed;
    result = FirstOrderType(shown) == ORDER_DECOMMISSION ? 0 : 1;
  } else if (change < 0) {
    text = Text("EPC_NEG_", -static_cast<int>(change));
  } else if (change == 0) {
    text = Text("EPC_ZERO");
  } else {
    text = Text("EPC_POS_", static_cast<int>(change));
  }
  if (buffer) std::snprintf(buffer, 128, "%s", text.c_str());
  AddRow(static_cast<std::uint16_t>(row), text.c_str(), used, 0);
  return result;
}

void CVData::ShowSlotBars(CGUnit* shown, int skip, COLORREF colour) {
  const CGUnitTemplate* design = shown->GetTemplate();
  const bool wrecked = !shown->IsOperational();
  int y = kBarTop;
  int seen = 0;
  for (int slot = 0; design && slot < kTemplateSlots && y < kBarLimit; ++slot) {
    const TemplateModuleSlot& fitted = design->slots[slot];
    if (fitted.fitted == 0 || seen++ < skip) continue;
    const int damage = static_cast<int>(std::min<std::uint32_t>(shown->GetSlotDamagePercent(slot), 100));
    const int health = wrecked ? 0 : 100 - damage;
    if (health != 0) {
      const COLORREF bar = health <= 25 ? kBarRed : health <= 75 ? kBarYellow : colour;
      DrawLine(kBarX, y, kBarX + health, y, bar, 3);
    }
    // The bars leave no row to wrap into: a name too wide for the row beside
    // its count gives up its first words (the maker's, which the modules page
    // shows in full) so that the count stays whole.
    std::string name = ModuleName(fitted.moduleId);
    const auto counted = [&] { return fitted.fitted == 1 ? name : Format("%s (x%d)", name.c_str(), fitted.fitted); };
    std::string text = counted();
    for (std::size_t space;
         TextWidth(text) > kDataRight - kDataLeft && (space = name.find(' ')) != std::string::npos;) {
      name.erase(0, space + 1);
      text = counted();
    }
    const COLORREF tone = health == 0 ? kGrey : health <= 25 ? kRed : health <= 75 ? kYellow : colour;
    DrawTextAt(0, y - 220, text.c_str(), tone, kRowCentre);
    y += kBarStep;
  }
  const int structure = StructurePoints(shown);
  AddRow(15, Text("LIFESUPP").c_str(), colour, 0);
  AddRowText(15, 80, Format("%d%%", wrecked ? 0 : 100 - shown->GetLifeSupportDamage()).c_str(), colour, 0);
  AddRow(16, Text("HULLINTG").c_str(), colour, 0);
  AddRowText(
      16, 80,
      (wrecked ? Format("0/%d", structure) : Format("%d/%d", structure - shown->GetHullDamage(), structure)).c_str(),
      colour, 0);
}

void CVData::ShowUnitDamagePage(CGUnit* shown, COLORREF colour) {
  if (IsReadable(shown)) {
    ShowSlotBars(shown, 0, colour);
    return;
  }
  // A hull without structure points reads as wrecked rather than dividing by zero.
  const int structure = StructurePoints(shown);
  int damage = 100;
  if (structure > 0) {
    const int hull = 100 - 100 * (structure - shown->GetHullDamage()) / structure;
    damage =
        std::max({static_cast<int>(shown->GetDamagePercent()), hull, static_cast<int>(shown->GetLifeSupportDamage())});
  }
  const int health = std::clamp(100 - damage, 0, 100);
  if (health != 0) DrawLine(kBarX, kForeignBarY, kBarX + health, kForeignBarY, colour, 3);
  if (health != 100) DrawLine(kBarX + health, kForeignBarY, kBarX + 100, kForeignBarY, kBarRed, 3);
}

void CVData::ShowUnitModulesPage(CGUnit* shown, COLORREF colour) {
  if (!IsReadable(shown) || FittedSlots(shown) < 11) {
    if (lastDirection) {
      unitPage = 3;
      ShowUnitOrdersPage(shown, colour);
    } else {
      unitPage = 1;
      ShowUnitDamagePage(shown, colour);
    }
    return;
  }
  ShowSlotBars(shown, 10, colour);
}

void CVData::ShowUnitOrdersPage(CGUnit* shown, COLORREF colour) {
  if (!IsOwn(shown)) {
    AddRow(2, Text("ORDUNAVL").c_str(), colour, 0);
    return;
  }
  if (shown->GetOrderCount() == 0) {
    AddRow(2, Text("NOCURORD").c_str(), colour, 0);
    return;
  }
  int row = 2;
  for (std::uint16_t i = 0; i < shown->GetOrderCount() && row < kDataRows; ++i) {
    char status[50] = {};
    shown->GetOrderStatusText(i, status, sizeof status);
    row += std::max(1, AddRowWrapped(row, 0, status, colour, 0));
    if (i == 0) row = ShowCompletion(shown, row, 0, colour) + 1;
  }
}

void CVData::ShowUnitStatus(CGUnit* shown) {
  if (!shown) return;
  if (IsOwn(shown)) {
    ShowUnitData(shown, shown->location.asteroid, 0);
    return;
  }
  ShowForeignStatus(shown);
}

void CVData::ShowUnitStatus(CGUnit* shown, std::uint8_t page) {
  if (!shown) return;
  if (!IsOwn(shown)) {
    ShowForeignStatus(shown);
    return;
  }
  unitPage = page;
  ShowUnitPages(shown, shown->location.asteroid, 0);
}

void CVData::ShowForeignStatus(CGUnit* shown) {
  Clear(0);
  if (NoArtPath()) return;
  const COLORREF colour = GetPaleColor(shown->GetGuild());
  AddRow(0, Text("SHIPCLAS", TemplateName(shown)).c_str(), colour, 0);
  AddRow(1, ClassName(shown).c_str(), colour, kRowCentre);
  DrawRowLine(2, colour);
  char guildName[64] = {};
  GetGuildName(shown->GetGuild(), guildName);
  // A chapter's name too wide for its row takes the empty row above it too,
  // and the guild's name moves up with it.
  const std::string chapter = ChapterName(shown->GetChapter());
  const int rows = std::max(1, static_cast<int>(WrapLines(chapter, 0, 0, 0, 2).size()));
  AddRow(static_cast<std::uint16_t>(4 - rows), guildName, colour, 0);
  AddRowWrapped(5 - rows, 0, chapter, colour, 0, 0, 2);
  DrawRowLine(5, colour);
  if (shown->IsOperational()) {
    const int structure = StructurePoints(shown);
    AddRow(6, Text("LIFESUPP").c_str(), colour, 0);
    AddRowText(6, 80, Format("%d%%", 100 - shown->GetLifeSupportDamage()).c_str(), colour, 0);
    AddRow(7, Text("HULLINTG").c_str(), colour, 0);
    AddRowText(7, 80, Format("%d/%d", structure - shown->GetHullDamage(), structure).c_str(), colour, 0);
  } else {
    AddRow(6, Text("UNITUNOP").c_str(), colour, 0);
  }
  DrawRowLine(8, colour);
  ShowUnitPicture(shown, colour);
}

int CVData::EditShipName() {
  CGUnit* unit = ShownUnit();
  if (!unit) return 0;
  std::string answer = unit->GetName();
  std::string prompt = Text("EDTSHPNM").substr(0, 100);
  const bool ok = m_host.EnterName(owner, window, instance, prompt, LocalGuild(), &answer);
  if (!ok || answer.empty()) return 1;
  // The dialog let the game go on: the unit may be gone since.
  unit = ShownUnit();
  if (!unit) return 1;
  unit->SetName(answer.c_str());
  ShowUnitPages(unit, unitContext, 0);
  Flush();
  if (g_currentView) g_currentView->DrawGotoBar();
  return 1;
}
