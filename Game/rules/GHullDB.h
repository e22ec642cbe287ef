#pragma once
// Hull designs: five lists of hulls, one per guild ("section"), read from
// "hulls.dat" when a game starts. What changes during a game is each hull's
// research state, which the player steers and the server reports.
//
// "hulls.dat", little-endian, five sections for guild 0 to 4, each:
//   u8 hull count, then that many entries:
//     u32 name length L (0xFFFFFFFF: an empty entry, nothing follows, its
//       index is used up); L bytes of name (taken up to its first NUL);
//     u8 class; u8 attribute; u32 mass; u32 mass limit; u8 successor;
//     u32 researched at start; 4 x u16 costs; u16 structure points;
//     u8 slot count n; n slots of 5 x u32: x, y, anchor x, anchor y (each
//       kept in 16 bits) and the module-type mask.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "Game/arrayman/ArrayMan.h"
#include "platform/core/files.h"

class BlockReader;
class BlockWriter;

constexpr int kHullSections = 5;
constexpr int kMaxHullSlots = 20;
constexpr std::uint16_t kSlotListEnd = 0xFFFF;     // x of the slot after the last one
constexpr std::uint32_t kSlotAcceptsAny = 0x1000;  // a slot mask that takes every module type
constexpr std::uint16_t kResearched = 10000;       // research points of a finished research
constexpr std::uint8_t kNoSuccessorHull = 255;
constexpr std::uint8_t kHullDBEndByte = 0xD0;

// A module slot of a hull; (x, y) is the top-left corner of its 30 x 30 box on
// the design screen, relative to the hull picture; the anchor is the point of
// the picture the box points to, (1, 1) meaning none.
struct HullSlot {
  std::uint16_t x = kSlotListEnd;
  std::uint16_t y = 0;
  std::uint16_t anchorX = 0;
  std::uint16_t anchorY = 0;
  std::uint32_t typeMask = 0;  // bit 1 << ModuleType, or kSlotAcceptsAny
};

struct CGHull {
  // Slots before the first with x = 0xFFFF, at most 20.
  int GetSlotCount() const;
  // 1 when slot `slot` takes modules of `moduleType`; 0 also for a slot that does not exist.
  int SlotAcceptsModuleType(int slot, int moduleType) const;
  // The first slot whose box holds the point (x <= px < x + 30, likewise y); -1 when none.
  int FindSlotAt(int px, int py) const;
  // The class's 3D model name, null for an unknown class.
  const char* GetModelName() const;
  // The class's display text (shared buffer).
  const char* GetClassText() const;
  // 100 up to 10,000 research points; beyond, 1 percent less per 100 points, never below 0.
  std::uint16_t GetCostPercent() const;
  // The four mineral costs scaled by the cost percent.
  void GetCosts(std::uint16_t out[4]) const;
  // The structure points scaled by the cost percent.
  std::uint16_t GetBuildPoints() const;
  // Stores the percent (0, 25, 50, 75 or 100) and tells every player (511).
  void SetResearchAllocation(std::uint16_t percent);
  // When it differs from the stored bonus: stores it and tells every player (513).
  void SetScienceBonus(std::uint16_t points);
  bool IsResearched() const { return researchPoints >= kResearched; }
  // The four research words in field order; 1 when all were written / read.
  int SaveResearchState(plat::FILE* fp) const;
  int SaveResearchState(BlockWriter& w) const;
  int LoadResearchState(plat::FILE* fp);
  int LoadResearchState(BlockReader& r);
  // The research state's saved words: points, word, allocation, bonus.
  static constexpr std::size_t kResearchStateSize = 8;
  void TakeResearchState(std::span<const std::uint8_t, kResearchStateSize> state);

  char name[50] = {};
  std::uint8_t section = 0;
  std::uint8_t index = 0;      // position in its section of "hulls.dat"
  std::uint8_t unitClass = 0;  // UnitClass
  std::uint8_t attribute = 255;
  std::uint32_t mass = 0;
  std::uint32_t massLimit = 0;
  std::uint16_t costs[4] = {};  // metals, silicates, exotics, reactives
  std::uint16_t structurePoints = 0;
  std::uint32_t available = 0;                // 1 when researched and usable
  std::uint8_t successor = kNoSuccessorHull;  // index of the hull that improves on this one
  HullSlot slots[kMaxHullSlots];
  std::uint16_t researchPoints = 0;
  std::uint16_t researchWord = 0;
  std::uint16_t researchAllocation = 0;
  std::uint16_t scienceBonus = 0;
};

class CGHullDB {
 public:
  // Five empty lists, then LoadHulls of "%shulls.dat" in the install directory.
  // A file that is missing or cannot be read whole is named to the player in
  // an OK box and leaves the lists empty: see IsLoaded. The hulls of a file
  // unchanged since a database was last made from it are copies of that
  // read's (GKeptRules.h); the file is not read again.
  CGHullDB();
  // The same from another file.
  explicit CGHullDB(const char* path);
  // Deletes every hull.
  ~CGHullDB();
  CGHullDB(const CGHullDB&) = delete;
  CGHullDB& operator=(const CGHullDB&) = delete;

  // Appends the hulls of a "hulls.dat" image to the lists, all or none: 1 when
  // the whole image was read cleanly and holds at least one hull; 0, with the
  // lists as they were, for a record that runs past the end,
  // bytes after the fifth section, or no hull at all. Slots beyond twenty are
  // passed over.
  int LoadHulls(std::span<const std::uint8_t> image);
  // The constructor's file was read: a game must not start without it.
  bool IsLoaded() const { return loaded_; }
  // The "hulls.dat" image of the lists (WriteHullsImage).
  std::vector<std::uint8_t> HullsImage() const;

  int GetHullCount(int section) const;
  // The hull at list position `position` of a section, or null.
  CGHull* GetHull(int section, int position) const;
  // The hull whose file index is `index` in a section, or null.
  CGHull* FindHull(int section, int index) const;
  // The first available hull of that class in the section, or null.
  CGHull* FindResearchedHullOfClass(int section, int unitClass) const;
  // The successor of `hull` in its section, or null.
  CGHull* GetSuccessor(const CGHull& hull) const;

  static const char* GetHullModelName(int unitClass);
  // The class text in a shared 32-byte buffer.
  static const char* GetHullClassText(int unitClass);

  // Takes science-bonus points back from the local guild's hulls while the
  // module database's free pool stays above `limit`.
  void ReclaimScienceBonus(std::uint16_t limit);

  // Every hull's research state, section by section, then the end byte 0xD0.
  // Load expects the lists built from the same "hulls.dat"; 1 only when the
  // end byte is 0xD0.
  int Save(plat::FILE* fp) const;
  int Save(BlockWriter& w) const;
  int Load(plat::FILE* fp);
  int Load(BlockReader& r);

  ArrayMan<CGHull> hulls[kHullSections];

 private:
  struct ReleaseStorage {
    void operator()(CGHull* block) const { ::operator delete(block); }
  };
  // Hulls copied from the rules kept from an unchanged "hulls.dat" live in
  // one block, held here; every other hull is a heap object of its own.
  bool InKeptBlock(const CGHull* hull) const {
    const std::less<const CGHull*> before;
    return !before(hull, keptBlock_.get()) && before(hull, keptBlock_.get() + keptCount_);
  }
  std::unique_ptr<CGHull, ReleaseStorage> keptBlock_;
  std::size_t keptCount_ = 0;
  bool loaded_ = false;
};

// The "hulls.dat" image that LoadHulls reads back as `hulls`: each hull in its
// section at its file index, indexes no hull holds as empty entries, the
// slots before the first list end, "researched at start" from `available`.
// Two hulls of one section at one index: the later one is written.
std::vector<std::uint8_t> WriteHullsImage(std::span<const CGHull* const> hulls);

// What the player is told when "hulls.dat" cannot be used.
constexpr const char* kHullsFileDamaged = "The rules file hulls.dat is missing or damaged. Please reinstall the game.";
