#pragma once
// The rules of the design chamber that need no screen: which modules the list
// offers, how far it scrolls and how often, what refuses a design at saving
// or a template file at loading, what an automatic upgrade tells the player,
// which hulls the hull chooser offers and where its cells lie, and the
// measures of a stat bar and a slot's type labels in the read-out. The view
// (CVDesign) draws and asks; these decide. Game thread only.

#include <cstdint>
#include <span>
#include <string>

class CGModuleDB;
class CGUnitTemplate;
class CGHullDB;
struct CGHull;

// One entry of the module list: the module's index in the database and its
// research percent (100 researched, otherwise at most 95).
struct ModuleListEntry {
  std::uint16_t module = 0;
  std::uint8_t percent = 0;
};

constexpr int kModuleListCapacity = 200;
constexpr int kModuleFilterCount = 12;
constexpr int kAllModulesFilter = 11;
constexpr int kVisibleListCells = 5;
constexpr std::uint8_t kUnresearchedPercentCap = 95;

// The guild's modules of the filter's type (every type for the last filter) in
// database order, at most `out.size()`; the count written.
int ListGuildModules(const CGModuleDB& db, int guild, int filter, std::span<ModuleListEntry> out);

// The list's scroll position, stepped at most once per 100 ms of the
// millisecond clock.
class ModuleListScroll {
 public:
  enum class Step { kMoved, kAtEnd, kTooSoon };
  static constexpr std::uint32_t kStepInterval = 100;

  // direction < 0 left, otherwise right; `count` entries in the list; `now` in
  // milliseconds. kAtEnd (the caller beeps) at 0 going left, or going right
  // once only five entries remain from the first shown.
  Step Scroll(int direction, int count, std::uint32_t now);
  int First() const { return first_; }
  void Reset() { first_ = 0; }

 private:
  int first_ = 0;
  bool stepped_ = false;
  std::uint32_t lastStep_ = 0;
};

// The text ID of the rule that refuses saving the design into a slot, in the
// rules' order (no module fitted: "CANTSAVE"; mass above the hull's limit:
// "BIG_MASS"); null when the design may be saved. The name is asked after.
const char* DesignSaveRefusal(const CGUnitTemplate& design);

// What becomes of a template read from a file.
enum class TemplateFileVerdict {
  kAccept,             // take its design
  kDamaged,            // the file did not read whole
  kOtherGuild,         // "NOTMYGLD"
  kHullNotResearched,  // "NOLDHULL", also for a design without a hull
  kModulesRemoved,     // "BADTEMPL": accepted only when the player agrees
};
// Judges `loaded` (after CGUnitTemplate::Load gave `loadResult`) for the local
// chapter; unresearched modules are taken out of it on the way.
TemplateFileVerdict JudgeTemplateFile(int loadResult, CGUnitTemplate& loaded, int localChapter);
// The text ID of a verdict's message; null for kAccept.
const char* TemplateFileVerdictText(TemplateFileVerdict verdict);

// The message after an automatic upgrade: the hull text, the modules text
// with its "%n1" replaced by `modules`, or both joined by seven blanks; empty
// when nothing changed (no box is shown).
std::string AutoUpgradeMessage(bool hullChanged, int modules, const char* hullText, const char* modulesText);

// The hull chooser's pages: eleven class cells (class c in column c / 2, row
// c % 2) and up to twelve hull cells (n in column n % 6, row n / 6), each
// 85 x 140 at x 39 + 96 column, y 128 + 150 row.
constexpr int kChooserCellWidth = 85;
constexpr int kChooserCellHeight = 140;
constexpr int kChooserClassCells = 11;
constexpr int kChooserHullCells = 12;
struct ChooserCell {
  int x = 0;
  int y = 0;
};
ChooserCell ClassCellOrigin(int unitClass);
ChooserCell HullCellOrigin(int cell);
// The cell under (x, y), -1 between and outside the cells.
int ClassCellAt(int x, int y);
int HullCellAt(int x, int y, int cells);

// A hull offered on the hull page and its research percent.
struct HullOffer {
  CGHull* hull = nullptr;
  int percent = 0;
};
// The class's first available hull in the section and its successors while
// each has at least 1 % research; at most `out.size()`. The count written.
int ListClassHulls(const CGHullDB& db, int section, int unitClass, std::span<HullOffer> out);
// The hulls a class cell lists in the data panel: the first available one and
// its successors while they are researched.
int ListResearchedClassHulls(const CGHullDB& db, int section, int unitClass, std::span<CGHull*> out);

// A stat bar: the scale (the class maximum, or the value when larger), the
// filled length 0..100 and the class minimum's tick position.
struct StatBarMeasure {
  std::uint32_t scale = 0;
  int length = 0;
  int tick = 0;
};
StatBarMeasure MeasureStatBar(std::uint32_t classMin, std::uint32_t classMax, std::uint32_t value);

// The three-letter labels of the module types a slot takes ("ANY" for a slot
// that takes all), in bit order; the count written.
int SlotTypeLabels(std::uint32_t typeMask, std::span<const char*> out, std::span<int> types);
