// The hull and module read-outs of the design view and the research and
// technology panels, in the local guild's pale colour.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "Game/model/GLocalChapter.h"
#include "Game/panels/CVData.h"
#include "Game/panels/CVDataText.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"

using namespace plat;
using namespace datapanel;

namespace {

const char* const kCostLabels[5] = {"__METALS", "_SILICAT", "_EXOTICS", "_REACTIV", "_CREDITS"};

// One line of a module's details: a label in its row and a value at a column.
struct DetailLine {
  int row;
  std::string label;  // written with AddRow, or empty
  int labelColumn;    // 0: AddRow; else AddRowText at this column
  std::string value;
  int column;
};

std::string Number(int v) { return Format("%d", v); }

// The weapon's lines from row 7. "Unlimited" is too wide to stand beside its
// label in the panel's font, so it takes the next row by itself, as the attack
// type does, and the lines below it move down a row.
std::vector<DetailLine> WeaponLines(const ModuleRecord& m, int index) {
  const auto p = [&m](int n) { return static_cast<int>(m.TypeByte(n)); };
  const CGModuleDB& db = *g_gameData->moduleDB;
  int strength = p(1);
  if (p(9) == PATTERN_CANNON) strength = WithTrait(strength, 0);
  if (p(9) == PATTERN_BEAM) strength = WithTrait(strength, 1);
  std::vector<DetailLine> lines{{7, Text("STRGHVAL"), 0, Number(strength), 80},
                                {8, Text("EFFRANGE"), 0, Format("%.2f", db.GetEffectiveRange(index)), 80},
                                {9, Text("MAXRANGE"), 0, Format("%.2f", db.GetMaxRange(index)), 80},
                                {10, Text("ROF_____"), 0, p(6) > 20 ? std::string("8") : Number(p(6)), 80}};
  int row = 11;
  if (p(8) == kUnlimitedAmmo) {
    lines.push_back({row++, Text("NUMSHOTS"), 0, "", 0});
    lines.push_back({row++, "", 0, Text("UNLIMITD"), 50});
  } else {
    lines.push_back({row++, Text("NUMSHOTS"), 0, Number(p(8)), 80});
  }
  lines.push_back({row++, Text("PERC_HIT"), 0, Number(p(7)), 80});
  lines.push_back({row++, Text("PATTERN_"), 0, db.GetWeaponPatternText(index), 80});
  lines.push_back({row++, Text("ATTCKTYP"), 0, "", 0});
  lines.push_back({row, Format("              %s", db.GetWeaponAttackTypeText(index)), 0, "", 0});
  return lines;
}

// The type's lines of the details mode (empty for a type outside 0..10).
std::vector<DetailLine> DetailLines(const ModuleRecord& m, int index) {
  const auto p = [&m](int n) { return static_cast<int>(m.TypeByte(n)); };
  const auto signedP = [&m](int n) { return static_cast<int>(static_cast<std::int8_t>(m.TypeByte(n))); };
  switch (m.type) {
    case MODULE_CONSTRUCTION:
      return {{7, Text("CONSTVAL"), 0, Number(WithTrait(p(0), 17)), 92}};
    case MODULE_COMPUTER: {
      static constexpr const char* kLabels[9] = {"BONATVCP", "BONCONST", "BONDMCON", "BON__ADF", "BONPWGEN",
                                                 "BONSPEED", "BONSTEAL", "BONSURVY", "BONTRACK"};
      static constexpr int kBytes[9] = {1, 3, 4, 5, 6, 9, 7, 8, 2};
      std::vector<DetailLine> lines{{7, Text("CBONUSES"), 0, "", 0}};
      for (int i = 0; i < 9; ++i)
        lines.push_back({8 + i, Text(kLabels[i]), 10, Format("%+d %%", signedP(kBytes[i])), 85});
      return lines;
    }
    case MODULE_DAMAGECONTROL:
      return {{7, Text("DAMAGCTL"), 0, Number(WithTrait(p(0), 5)), 73}};
    case MODULE_DEFENSE: {
      std::vector<DetailLine> lines{{7, Text("ADFVALUE"), 0, Number(p(0)), 92}, {8, Text("SHLDDFNS"), 0, "", 0}};
      for (int type = 0; type < kAttackTypeCount; ++type)
        lines.push_back({9 + type, Format("  %s", CGModuleDB::GetAttackTypeText(type)), 0,
                         Format("%d ", WithTrait(p(1 + type), 4)), 92});
      return lines;
    }
    case MODULE_POWER:
      return {{7, Text("XFERRATE"), 0, "", 0},  {8, "", 0, Text("PER_TURN", static_cast<int>(m.TypeWord(0))), 40},
              {9, Text("GEN_RATE"), 0, "", 0},  {10, "", 0, Text("PER_TURN", WithTrait(m.TypeWord(2), 14)), 40},
              {11, Text("STORAGE_"), 0, "", 0}, {12, "", 0, Number(m.TypeWord(1)), 40}};
    case MODULE_PROPULSION:
      return {{7, Text("PROPULSN"), 0, "", 0},
              {8, Text("LOCLSPCE"), 20, Number(WithTrait(p(8), 9)), 92},
              {9, Text("DEEPSPCE"), 20, Number(WithTrait(p(0), 8)), 92}};
    case MODULE_SCOUT:
      return {{7, Text("SURVYVAL"), 0, Number(WithTrait(p(0), 9)), 100}};
    case MODULE_ECM:
      return {{7, Text("STLTHVAL"), 0, Number(WithTrait(p(0), 6)), 100}};
    case MODULE_TRACKING:
      return {{7, Text("TRACLVAL"), 0, Number(WithTrait(p(0), 2)), 100}};
    case MODULE_TRANSPORT:
      return {{7, Text("ATV_CAP_"), 0, Number(m.TypeWord(0)), 80}};
    case MODULE_WEAPON:
      return WeaponLines(m, index);
    default:
      return {};
  }
}

}  // namespace

void CVData::ShowHullCosts(const CGHull* hull) {
  if (!hull) return;
  Clear(0);
  const COLORREF colour = GetPaleColor(static_cast<std::uint32_t>(LocalGuild()));
  const auto value = [&](int row, const char* label, int v) {
    AddRow(static_cast<std::uint16_t>(row), Text(label).c_str(), colour, 0);
    AddRowText(static_cast<std::uint16_t>(row), 90, Number(v).c_str(), colour, 0);
  };
  AddRow(0, std::string(hull->name, strnlen(hull->name, sizeof hull->name)).c_str(), colour, kRowCentre);
  AddRow(1, hull->GetClassText(), colour, kRowCentre);
  value(3, "MASS____", static_cast<int>(hull->mass));
  value(4, "MASSLIMT", static_cast<int>(hull->massLimit));
  value(5, "STRCTPTS", hull->structurePoints);
  AddRow(7, Text("HULCOSTS").c_str(), colour, 0);
  std::uint16_t costs[4] = {};
  hull->GetCosts(costs);
  for (int i = 0; i < 4; ++i) value(8 + i, kCostLabels[i], costs[i]);
  value(12, "_BULDPTS", hull->GetBuildPoints());
}

void CVData::ShowModuleData(int mode, int index, int guild) {
  Clear(0);
  const CGModuleDB* db = g_gameData ? g_gameData->moduleDB.get() : nullptr;
  const ModuleRecord* m = db ? db->GetRecord(index) : nullptr;
  if (!m) return;
  const COLORREF colour = GetPaleColor(static_cast<std::uint32_t>(LocalGuild()));
  const auto label = [&](int row, const std::string& text) {
    AddRow(static_cast<std::uint16_t>(row), text.c_str(), colour, 0);
  };
  const auto value = [&](int row, int column, const std::string& text) {
    AddRowText(static_cast<std::uint16_t>(row), static_cast<std::uint8_t>(column), text.c_str(), colour, 0);
  };
  // A label from `labelColumn` and its value, kept apart.
  const auto pair = [&](int row, int labelColumn, const std::string& text, int column, const std::string& figure) {
    value(row, labelColumn, text);
    AddRowValue(row, column, figure, colour, kDataLeft + labelColumn + TextWidth(text));
  };
  AddRow(0, std::string(m->name, strnlen(m->name, sizeof m->name)).c_str(), colour, kRowCentre);
  AddRow(1, db->GetTypeText(index), colour, kRowCentre);
  DrawRowLine(2, colour);
  int last = 1;
  if (mode == 0) {
    pair(3, 0, Text("TECHLEVL"), 80, Number(m->techLevel));
    pair(4, 0, Text("MASS____"), 80, Number(db->GetMass(index)));
    pair(5, 0, Text("POWERUSE"), 80, Number(db->GetPowerUse(index)));
    DrawRowLine(6, colour);
    last = 5;
    for (const DetailLine& line : DetailLines(*m, index)) {
      if (line.value.empty())
        value(line.row, line.labelColumn, line.label);
      else if (line.label.empty())
        value(line.row, line.column, line.value);
      else
        pair(line.row, line.labelColumn, line.label, line.column, line.value);
      last = std::max(last, line.row);
    }
  } else if (mode == 1) {
    label(3, Text("BLDCOSTS"));
    std::uint16_t costs[5] = {};
    db->GetCosts(index, costs);
    for (int i = 0; i < 5; ++i) {
      pair(4 + i, 0, Text(kCostLabels[i]), 100, Number(costs[i]));
    }
    pair(9, 0, Text("_BULDPTS"), 100, Number(db->GetBuildPoints(index)));
    last = 9;
  } else {
    label(3, Text("DEFENSE_"));
    std::uint8_t defenses[8] = {};
    db->GetDefenses(index, defenses);
    for (int type = 0; type < kAttackTypeCount; ++type) {
      pair(4 + type, 0, Format("  %s", CGModuleDB::GetAttackTypeText(type)), 90,
           Text(defenses[type] ? "YES_____" : "NO______"));
    }
    last = 11;
  }
  if (!db->IsResearched(index)) {
    // One row is left empty above it while the rows below have room for it.
    const std::string research = Text("MODRSRCH", m->researchPoints * 100 / 10000);
    const int rows = static_cast<int>(WrapLines(research, 0, 0).size());
    AddRowWrapped(std::min(last + 2, kDataRows - rows), 0, research, colour, 0);
  }
  char path[300] = {};
  if (db->GetImageFileName(index, path, guild)) DrawPictureFile(path, g_gameData->GetGuildModule(guild), false);
}
