#pragma once
// A ship design: a hull and up to twenty fitted modules, owned by one
// chapter, with the statistics, costs and unit class that follow from them.
// Units point to their design and keep it referenced; orders name a design
// by its template id. The template database keeps each chapter's designs; the
// design view edits them and stores them in template files (Save / Load).
//
// Template file (version 2), little-endian:
//   u8 version; u8 chapter; u8 unit class; u32 template id;
//   u8 hull index, u8 hull section (or a single 255 without a hull);
//   u16 references; u8 module count; u16, u16 build points (low, high);
//   u32 power use, mass, deep thrust, local thrust, reservedThrust;
//   u16 ATV capacity, stealth, tracking; u8 computer type;
//   u16 attack, construction, survey; u16 damage control, active defence;
//   u32 power storage, power generation; u16 transfer rate, total ammunition;
//   u16 creation turn, u16 creationTurnHigh, 2 x u16 trailing words;
//   4 x u32 trailing longs; u32 visible; 5 x u16 costs (version 1: each
//   followed by one more u16); 8 x u16 defences; 20 x (u16 module id, u8
//   fitted); u8 1 + u8 length + name characters, or u8 0 without a name;
//   u8 end byte 0xDC.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "Game/rules/GUnitClass.h"
#include "platform/core/bytes.h"
#include "platform/core/files.h"

struct CGHull;

constexpr int kTemplateSlots = 20;
constexpr std::uint16_t kNoModuleId = 0x7FFF;
constexpr std::uint8_t kTemplateVersion = 2;
constexpr std::uint8_t kTemplateEndByte = 0xDC;
constexpr std::uint8_t kNoHullInFile = 255;

struct TemplateModuleSlot {
  std::uint16_t moduleId = kNoModuleId;
  std::uint8_t fitted = 0;
  bool operator==(const TemplateModuleSlot&) const = default;
};

class BlockReader;
class BlockWriter;

class CGUnitTemplate {
 public:
  // An empty design of `chapter`; templateId -1 takes the chapter's next id.
  CGUnitTemplate(std::uint8_t chapter, std::int32_t templateId);
  // A copy of `source`'s design for `chapter`, with a new id of that chapter;
  // statistics cleared, references 0.
  CGUnitTemplate(const CGUnitTemplate& source, std::uint8_t chapter);
  CGUnitTemplate& operator=(const CGUnitTemplate&) = delete;
  // Designs come from blocks of many (SlotBlocks.h): a saved game brings one
  // record for each design of every chapter. A derived class's object, of
  // another size, comes from the heap.
  static void* operator new(std::size_t size);
  static void operator delete(void* p, std::size_t size) noexcept;

  // Takes the chapter's next id.
  void AssignNewId();
  const char* GetName() const { return name ? name->c_str() : nullptr; }
  // A copy of `text`; null removes the name.
  void SetName(const char* text);

  // 0x7FFF when the slot is not fitted or does not exist, else its module id.
  std::uint16_t GetModuleId(int slot) const;
  void GetModuleSlots(TemplateModuleSlot out[kTemplateSlots]) const;
  void SetHull(CGHull* newHull);
  // Frees the name, drops the hull, clears the statistics and zeroes every slot.
  void Clear();
  // Copies name (at most 99 characters), hull, chapter (the source's when -1)
  // and slots from `source`; recomputes.
  void CopyDesign(const CGUnitTemplate& source, std::int32_t chapterId);
  // Fits `moduleId` (kNoModuleId: the module the slot already names) into
  // `slot` and recomputes; 0 for a slot outside 0..19.
  int FitModule(int slot, std::uint16_t moduleId);
  // Empties the slot and recomputes; returns the computer type afterwards.
  std::uint8_t RemoveModule(int slot);
  void GetCost(std::uint16_t out[5]) const;
  void GetCost32(std::uint32_t out[5]) const;

  std::uint32_t GetLocalSpaceSpeed() const;
  std::uint32_t GetDeepSpaceSpeed() const;
  double GetLocalSpeedScaled() const;
  // The weapon in the slot's effective and maximum range words; 0 for anything else.
  std::uint16_t GetWeaponEffectiveRange(int slot) const;
  std::uint16_t GetWeaponMaxRange(int slot) const;
  // The weapon's strength times the fitted flag, raised by the owner's modifier
  // 0 (corrosive) or 1 (explosive) percent.
  std::uint16_t GetWeaponStrength(int slot) const;

  const char* GetClassName() const;
  const char* GetClassAbbreviation() const;

  // Same hull index and, slot by slot, the same module id and fitted flag.
  bool IsSameDesign(const CGUnitTemplate& other) const;
  // Every field equal (names by their text).
  bool HasSameContents(const CGUnitTemplate& other) const;

  // The new reference count (never below 0; releasing an unreferenced design is reported).
  std::uint16_t AddRef();
  std::uint16_t Release();

  // Unfits every module not yet researched; 1 when none had to go.
  int RemoveUnresearchedModules();
  // 1 when the hull's or a fitted module's successor is researched.
  int CanAutoUpgrade() const;
  // Replaces the hull and each fitted module by the last researched one of its
  // successor chain; recomputes; the number of modules replaced.
  int AutoUpgrade(std::uint32_t* hullChanged);
  // The first hull slot that takes `moduleType` and is not fitted; -1 when none.
  int FindFreeSlotForModuleType(int moduleType) const;

  // Derives the statistics from hull, modules and the owner's traits.
  void Recompute();

  // The template file form; 1 on success. Load takes versions 1 and 2 and
  // gives 1 only when the end byte is 0xDC; a hull the hull database does not
  // know leaves the design without a hull.
  int Save(plat::FILE* fp) const;
  int Save(BlockWriter& w) const;
  int Load(plat::FILE* fp);
  // The same from a design's bytes in memory; the reader ends after them.
  int Load(plat::ByteReader& r);
  // The same from a saved block, whichever its source; the reader ends after
  // the design.
  int Load(BlockReader& r);

  std::uint8_t chapter = 0;
  std::optional<std::string> name;
  std::uint16_t references = 0;
  TemplateModuleSlot slots[kTemplateSlots];
  CGHull* hull = nullptr;
  std::uint32_t templateId = 0;
  std::uint8_t moduleCount = 0;
  std::uint16_t costs[5] = {};  // metals, silicates, exotics, reactives, organics
  std::uint32_t buildPoints = 0;
  std::uint32_t powerUse = 0;
  std::uint32_t mass = 0;
  std::uint32_t deepThrust = 0;
  std::uint32_t localThrust = 0;
  std::uint32_t reservedThrust = 0;  // cleared and saved; no rule here computes it
  std::uint16_t atvCapacity = 0;
  std::uint16_t stealth = 0;
  std::uint16_t tracking = 0;
  std::uint8_t computerType = 255;
  std::uint16_t attack = 0;
  std::uint16_t construction = 0;
  std::uint16_t survey = 0;
  std::uint8_t unitClass = 0;
  std::uint16_t defences[8] = {};
  std::uint16_t damageControl = 0;
  std::uint16_t activeDefence = 0;
  std::uint32_t powerStorage = 0;
  std::uint32_t powerGeneration = 0;
  std::uint16_t transferRate = 0;
  std::uint16_t totalAmmo = 0;
  std::uint32_t visible = 0;
  std::uint16_t creationTurn = 0;
  std::uint16_t creationTurnHigh = 0;
  std::uint16_t trailingWords[2] = {};  // set by the server (201), stored unchanged
  std::uint32_t trailingLongs[4] = {};

 private:
  void ClearStatistics();
};

// Reads the version, chapter and class bytes of the template file
// "<dir><name>.<ext>" and writes " - <guild name> <class text>" into `out`.
// 0 when the file cannot be opened or is too short, or the text does not fit.
int GetTemplateFileDescription(const char* dir, const char* name, const char* ext, std::span<char> out);
