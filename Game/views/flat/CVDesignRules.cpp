#include "Game/views/flat/CVDesignRules.h"

#include <algorithm>
#include <array>
#include <optional>

#include "Game/base/GTextFormat.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GUnitTem.h"

int ListGuildModules(const CGModuleDB& db, int guild, int filter, std::span<ModuleListEntry> out) {
  if (guild < 0 || guild > 7) return 0;
  int count = 0;
  for (int i = 0; i < db.GetCount() && count < static_cast<int>(out.size()); ++i) {
    const ModuleRecord* record = db.GetRecord(i);
    if ((record->guildMask & (1u << guild)) == 0) continue;
    if (filter != kAllModulesFilter && record->type != filter) continue;
    const int percent = db.GetResearchPercent(i);
    out[count].module = static_cast<std::uint16_t>(i);
    out[count].percent =
        static_cast<std::uint8_t>(percent >= 100 ? 100 : std::min<int>(percent, kUnresearchedPercentCap));
    ++count;
  }
  return count;
}

ModuleListScroll::Step ModuleListScroll::Scroll(int direction, int count, std::uint32_t now) {
  // Unsigned difference: a clock that wraps still measures the interval.
  if (stepped_ && now - lastStep_ < kStepInterval) return Step::kTooSoon;
  if (direction < 0 ? first_ <= 0 : first_ >= count - kVisibleListCells) return Step::kAtEnd;
  first_ += direction < 0 ? -1 : 1;
  stepped_ = true;
  lastStep_ = now;
  return Step::kMoved;
}

const char* DesignSaveRefusal(const CGUnitTemplate& design) {
  const bool anyFitted = std::any_of(std::begin(design.slots), std::end(design.slots),
                                     [](const TemplateModuleSlot& s) { return s.fitted != 0; });
  if (!anyFitted) return "CANTSAVE";
  if (design.hull != nullptr && design.mass > design.hull->massLimit) return "BIG_MASS";
  return nullptr;
}

TemplateFileVerdict JudgeTemplateFile(int loadResult, CGUnitTemplate& loaded, int localChapter) {
  if (loadResult != 1) return TemplateFileVerdict::kDamaged;
  if ((loaded.chapter & 0xF8) != (localChapter & 0xF8)) return TemplateFileVerdict::kOtherGuild;
  // Without a hull there is nothing to weigh the research of: the file is of
  // no use to this game.
  if (loaded.hull == nullptr || loaded.hull->researchPoints < kResearched)
    return TemplateFileVerdict::kHullNotResearched;
  if (loaded.RemoveUnresearchedModules() != 1) return TemplateFileVerdict::kModulesRemoved;
  return TemplateFileVerdict::kAccept;
}

const char* TemplateFileVerdictText(TemplateFileVerdict verdict) {
  switch (verdict) {
    case TemplateFileVerdict::kAccept:
      return nullptr;
    case TemplateFileVerdict::kDamaged:
      return "BADTPLFL";
    case TemplateFileVerdict::kOtherGuild:
      return "NOTMYGLD";
    case TemplateFileVerdict::kHullNotResearched:
      return "NOLDHULL";
    case TemplateFileVerdict::kModulesRemoved:
      return "BADTEMPL";
  }
  return nullptr;
}

std::string AutoUpgradeMessage(bool hullChanged, int modules, const char* hullText, const char* modulesText) {
  const std::array<TextArg, 1> args{TextArg(modules)};
  const std::string moduleLine = modules > 0 ? FormatText(modulesText ? modulesText : "", args,
                                                          [](const char*) { return std::optional<std::string>(); })
                                             : std::string();
  if (hullChanged && modules > 0) return std::string(hullText ? hullText : "") + "       " + moduleLine;
  if (hullChanged) return hullText ? hullText : "";
  return moduleLine;
}

ChooserCell ClassCellOrigin(int unitClass) { return {39 + (unitClass / 2) * 96, 128 + (unitClass % 2) * 150}; }

ChooserCell HullCellOrigin(int cell) { return {39 + (cell % 6) * 96, 128 + (cell / 6) * 150}; }

namespace {
bool InCell(ChooserCell c, int x, int y) {
  return x >= c.x && x < c.x + kChooserCellWidth && y >= c.y && y < c.y + kChooserCellHeight;
}
}  // namespace

int ClassCellAt(int x, int y) {
  for (int c = 0; c < kChooserClassCells; ++c)
    if (InCell(ClassCellOrigin(c), x, y)) return c;
  return -1;
}

int HullCellAt(int x, int y, int cells) {
  for (int n = 0; n < std::min(cells, kChooserHullCells); ++n)
    if (InCell(HullCellOrigin(n), x, y)) return n;
  return -1;
}

namespace {
int HullPercent(const CGHull& hull) { return std::min<int>(hull.researchPoints * 100 / kResearched, 100); }
}  // namespace

int ListClassHulls(const CGHullDB& db, int section, int unitClass, std::span<HullOffer> out) {
  int count = 0;
  // A successor chain that loops back is cut where it meets the list's size.
  for (CGHull* hull = db.FindResearchedHullOfClass(section, unitClass);
       hull != nullptr && count < static_cast<int>(out.size()) && HullPercent(*hull) > 0;
       hull = db.GetSuccessor(*hull)) {
    out[count++] = {hull, HullPercent(*hull)};
  }
  return count;
}

int ListResearchedClassHulls(const CGHullDB& db, int section, int unitClass, std::span<CGHull*> out) {
  int count = 0;
  CGHull* hull = db.FindResearchedHullOfClass(section, unitClass);
  if (hull == nullptr) return 0;
  while (count < static_cast<int>(out.size())) {
    out[count++] = hull;
    hull = db.GetSuccessor(*hull);
    if (hull == nullptr || !hull->IsResearched()) break;
  }
  return count;
}

StatBarMeasure MeasureStatBar(std::uint32_t classMin, std::uint32_t classMax, std::uint32_t value) {
  StatBarMeasure m;
  m.scale = std::max(classMax, value);
  if (m.scale == 0) return m;
  m.length = static_cast<int>(static_cast<std::uint64_t>(value) * 100 / m.scale);
  m.tick = static_cast<int>(std::min<std::uint64_t>(static_cast<std::uint64_t>(classMin) * 100 / m.scale, 100));
  return m;
}

int SlotTypeLabels(std::uint32_t typeMask, std::span<const char*> out, std::span<int> types) {
  static constexpr const char* kLabels[kModuleTypeCount] = {"CON", "CMP", "DCN", "DEF", "POW", "PRO",
                                                            "SCT", "ECM", "TRK", "TRN", "WPN"};
  const std::size_t room = std::min(out.size(), types.size());
  if (typeMask == kSlotAcceptsAny) {
    if (room == 0) return 0;
    out[0] = "ANY";
    types[0] = -1;
    return 1;
  }
  std::size_t count = 0;
  for (int bit = 0; bit < kModuleTypeCount && count < room; ++bit) {
    if ((typeMask & (1u << bit)) == 0) continue;
    out[count] = kLabels[bit];
    types[count] = bit;
    ++count;
  }
  return static_cast<int>(count);
}
